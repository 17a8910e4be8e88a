#pragma once
// TDecodePrefetcher: decodes a run's files ahead of the thread that writes
// them. The writer takes the files strictly in order; worker threads (and the
// writer itself while it would otherwise wait) decode the next files within a
// bounded window, so memory stays limited and everything the writer does --
// questions, reports, file creation -- keeps the order of a sequential run.
// Decoding only reads the archive (TVornFile::ReadFile is safe on several
// threads); all writing stays with the caller.

#include "archive/vmVornFile.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

struct TPrefetchLimits {
    unsigned Threads = 0;             // worker threads; 0 decodes on the taking thread only
    size_t MaxFiles = 64;             // files decoded ahead of the writer
    uint64_t MaxBytes = 64ull << 20;  // decoded bytes held ahead of the writer
};

// Workers for this machine: one core is left to the thread that writes.
TPrefetchLimits DefaultPrefetchLimits();

class TDecodePrefetcher {
public:
    TDecodePrefetcher(const TVornFile &vorn, std::vector<TEntryOffset> files, const TPrefetchLimits &limits);
    ~TDecodePrefetcher();
    TDecodePrefetcher(const TDecodePrefetcher &) = delete;
    TDecodePrefetcher &operator=(const TDecodePrefetcher &) = delete;

    // The decoded contents of file number `index`; raises the error of its
    // decoding. Files are taken or passed in increasing order.
    TFileBuffer Take(size_t index);
    // File number `index` is not needed (or was taken already).
    void Pass(size_t index);

private:
    enum class TState : uint8_t { Pending, Decoding, Done, Gone };
    struct TSlot {
        TState state = TState::Pending;
        uint64_t size = 0; // expected decoded size, for the memory bound
        TFileBuffer buffer;
        std::exception_ptr error;
    };

    void WorkerLoop();
    // Under the lock: the next file a thread may start, or -1.
    ptrdiff_t ClaimNext();
    void Decode(size_t index, std::unique_lock<std::mutex> &lock);
    void Consume(size_t index);

    const TVornFile &m_Vorn;
    std::vector<TEntryOffset> m_Files;
    TPrefetchLimits m_Limits;
    std::vector<TSlot> m_Slots;
    std::mutex m_Mutex;
    std::condition_variable m_WorkAvailable;
    std::condition_variable m_SlotDone;
    size_t m_Consumed = 0;  // files below this index are taken or passed
    size_t m_NextClaim = 0; // no file below this index is waiting to be started
    uint64_t m_BytesAhead = 0;
    bool m_Stop = false;
    std::vector<std::thread> m_Workers;
};
