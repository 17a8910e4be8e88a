// The target writer and the staging folder on their own: the target made
// with all its missing parents, and a write that fails (a full disk) leaving
// no file, staged, created under its name or written, and reported under
// the file's own name.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/StagingFolder.h"
#include "engines/TargetWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

TFileBuffer Filled(uint32_t size)
{
    TFileBuffer buffer(size);
    std::fill(buffer.data(), buffer.data() + size, uint8_t('x'));
    return buffer;
}

TEST(TargetWriter, MakesTheTargetWithAllItsMissingParents)
{
    TScratchFolder scratch;
    const std::string root = (scratch.path() / "a" / "b" / "c").string() + "/";
    TTargetWriter writer(root);
    writer.CreateFolders(root + "sub/");
    writer.WriteFile(root + "sub/", "f.txt", Filled(3), 0);
    EXPECT_EQ(FilesBelow(scratch.path()), (std::map<std::string, std::string>{{"a/b/c/sub/f.txt", "xxx"}}));
}

TEST(TargetWriter, AWriteThatFailsLeavesNoFileStagedOrNamed)
{
    TScratchFolder scratch;
    const std::string root = scratch.str() + "/";
    TStagingFolder staging(
        root, [&](size_t) -> const std::string & { return root; },
        [](size_t, TEntryOffset) { return std::string("made.bin"); });
    TTargetWriter writer(root);
    const TFileBuffer data = Filled(64 * 1024);

    // Files may grow to 4 KiB only: writing fails as on a full disk.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool staged = staging.Stage(0, data, 0).has_value();
    const bool created = staging.Create(0, 1, data, 0).has_value();
    std::string message = "<no exception>";
    try {
        writer.WriteFile(root, "big.bin", data, 0);
    } catch (const Exception &error) {
        message = error.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(staged);
    EXPECT_FALSE(created);
    EXPECT_EQ(message.rfind("Error writing \"" + root + "big.bin\". ", 0), 0u) << message;
    EXPECT_TRUE(FilesBelow(scratch.path()).empty());
}

} // namespace
