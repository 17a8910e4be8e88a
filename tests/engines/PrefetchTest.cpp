// Decoding ahead on worker threads must not change what a run does: the same
// files, questions, reports and status texts in the same order.

#include "tests/engines/ExtractTestSupport.h"

#include "engines/DecodePrefetcher.h"
#include "engines/PipedStream.h"

#include <gtest/gtest.h>

#include <random>
#include <span>

namespace {

// Many files of mixed formats and sizes in a few folders, with repeated
// names (flat runs meet questions), damaged files and a big one.
std::unique_ptr<TVornFile> MixedArchive(const fs::path &file, std::vector<TEntryOffset> *files = nullptr)
{
    VornWriter writer;
    std::mt19937 random(7);
    std::vector<VornWriter::Handle> folders{0, writer.addDir(0, "one"), writer.addDir(0, "two")};
    folders.push_back(writer.addDir(folders[1], "deeper"));
    std::vector<VornWriter::Handle> handles;
    for (int i = 0; i < 240; ++i) {
        FileSpec spec;
        spec.name = "file" + std::to_string(i % 60) + ".bin";
        const size_t size = i == 100 ? 3'000'000 : random() % 40'000;
        spec.data = i % 2 ? TextLikeBytes(size, uint32_t(i)) : PatternBytes(size, uint32_t(i));
        spec.format = uint16_t(i % 3);
        spec.chunkSize = i % 4 == 0 ? 8192 : 0;
        spec.time = MakeFileTime(2001, 1 + i % 12, 1 + i % 28, 12, 0, 0);
        if (i % 37 == 5)
            spec.crcOverride = 1;
        handles.push_back(writer.addFile(folders[size_t(i) % folders.size()], std::move(spec)));
    }
    auto vorn = BuildArchive(writer, file);
    if (files)
        for (const auto handle : handles)
            files->push_back(writer.entryOffset(handle));
    return vorn;
}

struct TRunRecord {
    std::vector<std::string> events;
    std::map<std::string, std::string> files;
    TExtractResult result;
};

TRunRecord RecordRun(const TVornFile &vorn, TExtractOptions options, TPrefetchLimits limits)
{
    TScratchFolder target;
    // A few files exist before the run, so questions come up in both modes.
    WriteText(target.path() / "file3.bin", "existing");
    WriteText(target.path() / "two/file4.bin", "existing");
    TRecorder recorder;
    using A = TOverwriteAnswer;
    recorder.answers = {A::Yes, A::No, A::No, A::Yes, A::No, A::Yes, A::No, A::OnlyOlder};
    TRunRecord record;
    record.result = RunEngine(vorn, recorder, target.str(), options, {}, limits);
    for (const std::string &event : recorder.events)
        record.events.push_back(event.substr(0, 5) == "statu" ? event
                                                                  : event.substr(0, 5) + fs::relative(event.substr(5), target.path()).string());
    record.files = FilesBelow(target.path());
    return record;
}

TEST(Prefetch, ThreadedRunsMatchTheSequentialRun)
{
    TScratchFolder scratch;
    const auto vorn = MixedArchive(scratch.path() / "mixed.vmres");
    for (const TFolderMode folders : {fnFullPath, fnNone}) {
        const TExtractOptions options{folders, owAsk, esAll};
        const TRunRecord sequential = RecordRun(*vorn, options, {0, 1, 1});
        EXPECT_GT(sequential.result.Failed, 0u);
        EXPECT_GT(sequential.result.Skipped, 0u);
        for (const TPrefetchLimits limits : {TPrefetchLimits{2, 3, 50'000}, TPrefetchLimits{3, 64, 64ull << 20},
                                             TPrefetchLimits{1, 1, 1}}) {
            const TRunRecord threaded = RecordRun(*vorn, options, limits);
            EXPECT_EQ(threaded.events, sequential.events);
            EXPECT_EQ(threaded.files, sequential.files);
            EXPECT_EQ(threaded.result.Written, sequential.result.Written);
            EXPECT_EQ(threaded.result.Failed, sequential.result.Failed);
        }
    }
}

TEST(Prefetch, FilesComeInOrderWithTheirErrorsWhateverIsPassed)
{
    TScratchFolder scratch;
    std::vector<TEntryOffset> files;
    const auto vorn = MixedArchive(scratch.path() / "mixed.vmres", &files);
    // With folders given, each thread takes a run of one folder's files.
    std::vector<uint32_t> folders(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        folders[i] = uint32_t(i / 7);
    for (const std::span<const uint32_t> lanes : {std::span<const uint32_t>(), std::span<const uint32_t>(folders)}) {
        TDecodePrefetcher prefetcher(*vorn, files, {2, 16, 100'000}, nullptr, lanes);
        for (size_t i = 0; i < files.size(); ++i) {
            if (i % 3 == 1) {
                prefetcher.Pass(i);
                continue;
            }
            try {
                const TFileBuffer buffer = prefetcher.Take(i).Data;
                EXPECT_EQ(buffer.size(), vorn->GetSize(files[i])) << i;
                EXPECT_NE(i % 37, 5u) << "a damaged file decoded: " << i;
            } catch (const Exception &error) {
                EXPECT_EQ(i % 37, 5u) << error.what();
            }
        }
        EXPECT_THROW(prefetcher.Take(0), std::logic_error);
    }
}

TEST(Prefetch, AnEarlyEndLeavesNoThreadBehind)
{
    TScratchFolder scratch;
    std::vector<TEntryOffset> files;
    const auto vorn = MixedArchive(scratch.path() / "mixed.vmres", &files);
    for (int round = 0; round < 20; ++round) {
        TDecodePrefetcher prefetcher(*vorn, files, {3, 16, 1ull << 20});
        (void)prefetcher.Take(0);
    }
}

// A stream of 200 pieces of varying sizes; it fails after `failAfter` of them.
TFileStream CountingStream(size_t &produced, size_t failAfter = SIZE_MAX)
{
    return [&produced, failAfter](const TPieceSink &sink) {
        for (size_t i = 0; i < 200; ++i) {
            if (i == failAfter)
                throw Exception("CRC-32 differs from header");
            const std::vector<uint8_t> piece(1 + i * 37 % 1000, uint8_t(i));
            ++produced;
            sink(piece.data(), piece.size());
        }
    };
}

TEST(PipeStream, PiecesArriveInOrderAndAnErrorOnEitherSideEndsTheStream)
{
    size_t produced = 0;
    std::vector<uint8_t> direct, piped;
    CountingStream(produced)([&](const uint8_t *data, size_t size) { direct.insert(direct.end(), data, data + size); });
    PipeStream(CountingStream(produced), [&](const uint8_t *data, size_t size) { piped.insert(piped.end(), data, data + size); }, 2);
    EXPECT_EQ(piped, direct);

    // A decoding error comes after the pieces before it.
    size_t received = 0;
    try {
        PipeStream(CountingStream(produced, 10), [&](const uint8_t *, size_t) { ++received; });
        ADD_FAILURE() << "the decoding error was lost";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "CRC-32 differs from header");
    }
    EXPECT_EQ(received, 10u);

    // A write error stops the decoding within the queue's depth.
    produced = 0;
    received = 0;
    const auto failingWrite = [&](const uint8_t *, size_t) {
        if (++received == 5)
            throw Exception("Disk full");
    };
    EXPECT_THROW(PipeStream(CountingStream(produced), failingWrite, 3), Exception);
    EXPECT_EQ(received, 5u);
    EXPECT_LE(produced, 5u + 3u + 1u);
}

} // namespace
