// Checking and extracting many small files keeps a few bytes per file for the
// whole run -- entry offsets and folder numbers -- never a name, a path or a
// prefetch slot per file; names and paths are made when a file's turn comes.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/VerifyEngine.h"
#include "tests/archive/AllocationProbe.h"

#include <gtest/gtest.h>

namespace {

constexpr int Folders = 20;
constexpr int FilesPerFolder = 1000;
constexpr size_t Files = size_t(Folders) * FilesPerFolder;

// Long names in long folder names: a path kept per file would show at once.
std::unique_ptr<TVornFile> ManyFiles(const fs::path &file)
{
    VornWriter writer;
    for (int f = 0; f < Folders; ++f) {
        const auto folder = writer.addDir(0, "a_folder_with_a_rather_long_name_" + std::to_string(f));
        for (int i = 0; i < FilesPerFolder; ++i)
            writer.addFile(folder, TextFile("texture_of_stone_and_grass_" + std::to_string(i) + ".vmtex",
                                            i % 97 == 5 ? "" : "x"));
    }
    return BuildArchive(writer, file);
}

TEST(ScaleMemory, TestAndExtractHoldAFewBytesPerFile)
{
    TScratchFolder scratch;
    const auto vorn = ManyFiles(scratch.path() / "many.vmres");

    TJob job;
    ResetPeakHeldBytes();
    size_t before = HeldBytes();
    const TVerifyResult verified = TVerifyEngine(*vorn, job, {2, 64, 1 << 20}).Run();
    EXPECT_LT(PeakHeldBytes() - before, Files * 24); // a path and a slot per file: over 150 bytes each
    EXPECT_EQ(verified.Passed, Files);
    EXPECT_EQ(job.Progress().Current, "a_folder_with_a_rather_long_name_19/texture_of_stone_and_grass_999.vmtex");

    TRecorder recorder; // records no status texts: those would be a string per file
    TExtractEngine engine(*vorn, {}, recorder, recorder);
    engine.SetPrefetchLimits({2, 64, 1 << 20});
    std::string lastStatus;
    engine.SetStatusCallback([&](const std::string &text) { lastStatus = text; });
    ResetPeakHeldBytes();
    before = HeldBytes();
    const TExtractResult result = engine.ExtractEntries((scratch.path() / "out").string(), {fnFullPath, owAsk, esAll});
    EXPECT_LT(PeakHeldBytes() - before, Files * 48); // names, paths and slots per file: over 250 bytes each
    EXPECT_EQ(result.Written, Files);
    EXPECT_TRUE(recorder.failures.empty());
    EXPECT_EQ(lastStatus, "Extracting texture_of_stone_and_grass_999.vmtex");
    EXPECT_EQ(ReadText(scratch.path() / "out/a_folder_with_a_rather_long_name_7/texture_of_stone_and_grass_3.vmtex"),
              "x");
}

} // namespace
