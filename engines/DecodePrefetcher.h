#pragma once
// TDecodePrefetcher: prepares a run's files ahead of the thread that puts
// them in place. That thread takes the files strictly in order; worker
// threads (and the taker itself while it would otherwise wait) decode the
// next files within a bounded window and, given a staging folder, write them
// there as finished files: without a name, or under their own where the
// staging folder allows it. So memory and disk in flight stay
// limited, and everything the taker does -- questions, reports, folders,
// putting files in place -- keeps the order of a sequential run. Decoding
// only reads the archive (TVornFile::ReadFile is safe on several threads).
//
// Given the folder of each file, a thread takes the files of one folder
// (up to half the window) as a run of its own, and the next thread the next
// run: threads that create files do so in different folders, each folder's
// lock held by one of them at a time.

#include "archive/vmVornFile.h"
#include "engines/StagedFile.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

// Files from this size on that come in pieces (chunked or raw) are decoded
// and written a piece at a time.
constexpr uint32_t StreamedFileSize = 8u << 20;

struct TPrefetchLimits {
    unsigned Threads = 0;             // worker threads; 0 decodes on the taking thread only
    size_t MaxFiles = 64;             // files prepared ahead of the taker
    uint64_t MaxBytes = 64ull << 20;  // decoded bytes held (in memory or staged) ahead of the taker
    // Threads that decode the pieces of one big file ahead of whoever
    // writes it (ReadPiecesAhead); 0: the one that consumes them decodes them.
    unsigned PieceThreads = 0;
};

// Workers for this machine: one per core but one, as the taking thread
// works too while it waits.
TPrefetchLimits DefaultPrefetchLimits();
// The same for a run that writes the files: a big file is decoded on a
// thread per core while its bytes are written, and the window spans
// thousands of files, as files created on disk hold no memory.
TPrefetchLimits WritingPrefetchLimits();

class TStagingFolder;

class TDecodePrefetcher {
public:
    // Without a staging folder the decoded bytes are handed over in memory.
    // The staging folder knows the same files by the same numbers and must
    // outlive the prefetcher, as must `folders`: the folder number of each
    // file (empty: files are taken one by one, whatever their folders).
    TDecodePrefetcher(const TVornFile &vorn, std::vector<TEntryOffset> files, const TPrefetchLimits &limits,
                      TStagingFolder *staging = nullptr, std::span<const uint32_t> folders = {});
    ~TDecodePrefetcher();
    TDecodePrefetcher(const TDecodePrefetcher &) = delete;
    TDecodePrefetcher &operator=(const TDecodePrefetcher &) = delete;

    // File number `index`, decoded and perhaps staged; raises the error of
    // its decoding. Files are taken or passed in increasing order.
    TPreparedFile Take(size_t index);
    // The entry of file number `index`.
    TEntryOffset Entry(size_t index) const { return m_Files[index]; }
    // File number `index` is not needed (or was taken already); a staged
    // copy is dropped.
    void Pass(size_t index);

private:
    enum class TState : uint8_t { Pending, Decoding, Done, Gone };
    // What a file holds while it is in flight. Only files within MaxFiles of
    // the taker are, so their slots form a ring: a run of a million files
    // keeps a byte of state per file, not a slot.
    struct TSlot {
        uint64_t size = 0; // expected decoded size, for the memory bound
        TPreparedFile file;
        std::exception_ptr error;
    };

    // The files a thread works through: from `next` up to `end`.
    struct TLane {
        size_t next = 0;
        size_t end = 0;
    };

    void WorkerLoop(TLane &lane);
    // Under the lock: the next file the thread of `lane` may start, or -1.
    ptrdiff_t ClaimNext(TLane &lane);
    // Under the lock: gives the lane the next run of files nobody has taken.
    bool AssignRun(TLane &lane);
    void Decode(size_t index, std::unique_lock<std::mutex> &lock);
    // `mayStage`: whether the file may be held as an open unnamed file;
    // only the files next in turn may, which bounds the descriptors held.
    TPreparedFile Prepare(size_t index, TEntryOffset entry, bool mayStage);
    // Whether the file is big and comes in pieces, so it is streamed.
    bool Streamed(TEntryOffset entry) const;
    uint64_t ExpectedSize(TEntryOffset entry) const;
    void Consume(size_t index);
    TSlot &SlotOf(size_t index) { return m_Ring[index % m_Ring.size()]; }
    // Under the lock: file `index` starts decoding.
    void Start(size_t index);

    const TVornFile &m_Vorn;
    std::vector<TEntryOffset> m_Files;
    TPrefetchLimits m_Limits;
    TStagingFolder *m_Staging;
    std::span<const uint32_t> m_Folders;
    size_t m_RunLength = 1; // the most files one run of a lane holds
    std::vector<TState> m_States; // per file
    std::vector<TSlot> m_Ring;
    std::mutex m_Mutex;
    std::condition_variable m_WorkAvailable;
    std::condition_variable m_SlotDone;
    size_t m_Consumed = 0; // files below this index are taken or passed
    size_t m_NextRun = 0;  // no lane has been given a file from here on
    uint64_t m_BytesAhead = 0;
    bool m_Stop = false;
    TLane m_TakerLane;                  // the files the taker helps with while it waits
    std::vector<TLane> m_WorkerLanes;   // one per worker
    std::vector<std::thread> m_Workers;
};
