// Content search: decoded data of real archives, on worker threads.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/TreeWalk.h"
#include "engines/ContentSearch.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TRecordingSink : IContentSearchSink {
    std::set<size_t> found;
    std::vector<TJobFailure> failed;
    void Found(size_t target) override { found.insert(target); }
};

Bytes WithTextAt(Bytes data, size_t position, const std::string &text)
{
    std::copy(text.begin(), text.end(), data.begin() + ptrdiff_t(position));
    return data;
}

Bytes Utf16Le(const std::u16string &text)
{
    Bytes bytes;
    for (const char16_t unit : text) {
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    return bytes;
}

class FindContentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        const Bytes filler = TextLikeBytes(20000, 7);
        // "Dragon\xC9gg" straddles the 4096-byte chunk boundary of each format.
        const std::string needle = "Dragon\xC9gg";
        writer.addFile(0, {.name = "zlib", .data = WithTextAt(filler, 4093, needle), .format = DATAFORMAT_ZLIB,
                           .chunkSize = 4096});
        writer.addFile(0, {.name = "lzo", .data = WithTextAt(filler, 8190, needle), .format = DATAFORMAT_LZO,
                           .chunkSize = 4096, .extraBytes = 3});
        Bytes wide = Utf16Le(u"xx DRAGON\u00C9GG xx");
        wide.insert(wide.begin(), 1, uint8_t('!')); // at an odd offset
        writer.addFile(0, {.name = "wide", .data = wide});
        writer.addFile(0, {.name = "plain", .data = filler, .format = DATAFORMAT_ZLIB});
        writer.addFile(0, {.name = "damaged", .data = WithTextAt(filler, 0, needle), .crcOverride = 1});
        m_Vorn = BuildArchive(writer, m_Folder.path() / "c.vmres");
        for (const char *name : {"zlib", "lzo", "wide", "plain", "damaged"})
            m_Targets.push_back({m_Vorn.get(), FindEntry(*m_Vorn, name), name});
    }

    TRecordingSink Search(TContentMode mode, const std::string &content, bool ignoreCase = true)
    {
        const TContentPattern pattern(mode, content, ignoreCase);
        TRecordingSink sink;
        TJob job;
        EXPECT_TRUE(TContentSearch(pattern, 2).Run(m_Targets, sink, job));
        EXPECT_EQ(job.Progress().EntriesDone, m_Targets.size());
        sink.failed = job.Failures();
        return sink;
    }

    TScratchFolder m_Folder;
    std::unique_ptr<TVornFile> m_Vorn;
    std::vector<TContentTarget> m_Targets;
};

TEST_F(FindContentTest, TextAcrossChunksInBothEncodingsAndCases)
{
    const TRecordingSink any = Search(TContentMode::Text, "dragon\u00E9gg");
    EXPECT_EQ(any.found, (std::set<size_t>{0, 1, 2}));
    const TRecordingSink exact = Search(TContentMode::Text, "Dragon\u00C9gg", false);
    EXPECT_EQ(exact.found, (std::set<size_t>{0, 1}));
    const TRecordingSink wideExact = Search(TContentMode::Text, "DRAGON\u00C9GG", false);
    EXPECT_EQ(wideExact.found, (std::set<size_t>{2}));
    const TRecordingSink hex = Search(TContentMode::Hex, "61 67 6f 6E c9 67");
    EXPECT_EQ(hex.found, (std::set<size_t>{0, 1}));
}

TEST_F(FindContentTest, DamagedEntryIsReportedWithItsReason)
{
    const TRecordingSink sink = Search(TContentMode::Text, "no such text");
    EXPECT_TRUE(sink.found.empty());
    ASSERT_EQ(sink.failed.size(), 1u);
    EXPECT_EQ(sink.failed[0].Path, "damaged");
    EXPECT_EQ(sink.failed[0].Reason, "CRC-32 differs from header");
}

TEST_F(FindContentTest, CancelStopsBeforeTheNextEntry)
{
    const TContentPattern pattern(TContentMode::Text, "x", true);
    TRecordingSink sink;
    TJob job;
    job.Cancel();
    EXPECT_FALSE(TContentSearch(pattern, 2).Run(m_Targets, sink, job));
    EXPECT_EQ(job.Progress().EntriesDone, 0u);
    EXPECT_EQ(job.Progress().EntriesTotal, m_Targets.size());
}

TEST(FindContentPattern, MalformedHexIsAnError)
{
    EXPECT_EQ(TContentPattern::ParseHex("0xDEAD be,EF"), (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    for (const char *bad : {"", "ABC", "A B", "GG", "12 3"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(TContentPattern::ParseHex(bad), Exception);
    }
}

} // namespace
