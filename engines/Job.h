#pragma once
// TJob: what every long piece of work on an archive shares with whoever
// watches it -- extraction, verifying, content search. The engine
// counts its progress in entries and bytes, looks at the cancel flag between
// entries and records each failure (path + reason) in the order it happened;
// a window or a terminal reads all of it from another thread at any time.
// Questions to the user go through each engine's own interface
// (IOverwriteQuestion, IExtractReport), never through the job.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct TJobFailure {
    std::string Path;   // the entry's path (for extraction: target folder and name)
    std::string Reason; // the error's message
};

// One look at a job's progress.
struct TJobProgress {
    uint64_t EntriesDone = 0;
    uint64_t EntriesTotal = 0;
    uint64_t BytesDone = 0;
    uint64_t BytesTotal = 0;
    size_t Failures = 0;
    std::string Current; // the name of the entry being worked on; empty before the first
};

class TJob {
public:
    // Set by the engine once it knows what the run will do.
    void SetTotals(uint64_t entries, uint64_t bytes);
    // One entry is finished, whatever became of it; `bytes` is its size.
    void EntryDone(uint64_t bytes);
    void SetCurrent(const std::string &name);
    TJobProgress Progress() const;

    // Asks the engine to stop before its next entry; safe from any thread.
    void Cancel() { m_Cancelled.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return m_Cancelled.load(std::memory_order_relaxed); }

    void AddFailure(TJobFailure failure);
    // Every failure so far, in the order they were added.
    std::vector<TJobFailure> Failures() const;

private:
    std::atomic<uint64_t> m_EntriesDone{0};
    std::atomic<uint64_t> m_EntriesTotal{0};
    std::atomic<uint64_t> m_BytesDone{0};
    std::atomic<uint64_t> m_BytesTotal{0};
    std::atomic<bool> m_Cancelled{false};
    mutable std::mutex m_Mutex; // guards the two below
    std::string m_Current;
    std::vector<TJobFailure> m_Failures;
};
