// The engine's conversion step: claimed files are written under the converted
// name with the usual overwrite rules; unconvertible ones stay as they are.

#include "tests/engines/ExtractTestSupport.h"

#include <gtest/gtest.h>

namespace {

using A = TOverwriteAnswer;
using Files = std::map<std::string, std::string>;

// Claims "*.up" and writes it upper-cased as "*.up.UP"; "keep" doesn't convert.
class TUpperCaser : public IFileConverter {
public:
    bool Claims(const std::string &name) const override { return name.ends_with(".up"); }
    std::string ConvertedName(const std::string &name) const override { return name + ".UP"; }
    std::optional<TFileBuffer> Convert(const std::string &, const TFileBuffer &data) const override
    {
        const std::string text(reinterpret_cast<const char *>(data.data()), data.size());
        if (text == "keep")
            return std::nullopt;
        TFileBuffer upper(data.size());
        for (uint32_t i = 0; i < data.size(); ++i)
            upper.data()[i] = uint8_t(std::toupper(data.data()[i]));
        return upper;
    }
};

class ExtractConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        writer.addFile(0, TextFile("a.up", "abc", 0, DATAFORMAT_ZLIB));
        writer.addFile(0, TextFile("b.up", "keep"));
        writer.addFile(0, TextFile("c.txt", "plain"));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        target = scratch.path() / "out";
    }

    TExtractResult Run(TPrefetchLimits limits = {0, 1, 1})
    {
        TExtractEngine engine(*vorn, {}, recorder, recorder);
        engine.SetConverter(&converter);
        engine.SetPrefetchLimits(limits);
        return engine.ExtractEntries(target.string(), {fnFullPath, owAsk, esAll});
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    fs::path target;
    TRecorder recorder;
    TUpperCaser converter;
};

TEST_F(ExtractConversion, ClaimedFilesAreWrittenConvertedOthersUnchanged)
{
    // With workers the files come staged on disk and are read back to convert.
    const TExtractResult result = Run({2, 8, 1 << 20});
    EXPECT_EQ(FilesBelow(target), (Files{{"a.up.UP", "ABC"}, {"b.up", "keep"}, {"c.txt", "plain"}}));
    EXPECT_EQ(result.Written, 3u);
    EXPECT_TRUE(recorder.failures.empty());
}

TEST_F(ExtractConversion, TheOverwriteQuestionConcernsTheConvertedFile)
{
    WriteText(target / "a.up.UP", "old");
    recorder.answers = {A::No};
    TExtractResult result = Run();
    ASSERT_EQ(recorder.questions.size(), 1u);
    EXPECT_EQ(recorder.questions[0].ExistingPath, (target / "a.up.UP").string());
    EXPECT_EQ(ReadText(target / "a.up.UP"), "old");
    EXPECT_EQ(result.Skipped, 1u);

    recorder.answers = {A::Yes};
    result = Run();
    EXPECT_EQ(ReadText(target / "a.up.UP"), "ABC");
    EXPECT_EQ(recorder.questions.size(), 4u); // a.up.UP, and b.up and c.txt now exist
}

} // namespace
