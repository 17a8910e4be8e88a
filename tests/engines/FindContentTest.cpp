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

// Where the needle sits must not matter: at the start, across the steps of
// the scan, in the very last bytes, after many near misses in the filler;
// and one byte off at either end is no match.
TEST(FindContentPattern, FoundAtEveryPlaceAndNotOneByteOff)
{
    const auto bytes = [](std::string_view text) { return Bytes(text.begin(), text.end()); };
    struct TCase {
        TContentMode mode;
        const char *text;
        bool ignoreCase;
        Bytes stored;
    };
    const TCase cases[] = {
        {TContentMode::Text, "dragon\u00E9", true, bytes("DrAgOn\xC9")},
        {TContentMode::Text, "Dragon\u00C9", false, bytes("Dragon\xC9")},
        {TContentMode::Text, "DRAGON", false, Utf16Le(u"DRAGON")},
        // Š and Ÿ: capitals whose UTF-16 units differ from their small
        // letters' in both bytes; as Windows-1252 bytes too.
        {TContentMode::Text, "\u0161koda\u00FF", true, Utf16Le(u"\u0160KODA\u0178")},
        {TContentMode::Text, "\u0161koda\u00FF", true, bytes("\x8A" "KODA\x9F")},
        {TContentMode::Hex, "00 FF 00 41", false, {0x00, 0xFF, 0x00, 0x41}},
    };
    const std::string filler = "dragon koda drago ";
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.text);
        const TContentPattern pattern(c.mode, c.text, c.ignoreCase);
        const size_t n = c.stored.size();
        for (size_t size = n; size < n + 70; ++size) {
            for (size_t offset = 0; offset + n <= size; ++offset) {
                Bytes data(size);
                for (size_t i = 0; i < size; ++i)
                    data[i] = uint8_t(filler[i % filler.size()]);
                std::copy(c.stored.begin(), c.stored.end(), data.begin() + ptrdiff_t(offset));
                ASSERT_TRUE(pattern.FoundIn(data.data(), size)) << size << " " << offset;
                for (const size_t off : {offset, offset + n - 1}) {
                    const uint8_t kept = data[off];
                    data[off] = '#';
                    ASSERT_FALSE(pattern.FoundIn(data.data(), size)) << size << " " << offset;
                    data[off] = kept;
                }
            }
        }
    }
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
