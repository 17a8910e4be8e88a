#include "engines/Job.h"

void TJob::SetTotals(uint64_t entries, uint64_t bytes)
{
    m_EntriesTotal.store(entries, std::memory_order_relaxed);
    m_BytesTotal.store(bytes, std::memory_order_relaxed);
}

void TJob::EntryDone(uint64_t bytes)
{
    m_BytesDone.fetch_add(bytes, std::memory_order_relaxed);
    m_EntriesDone.fetch_add(1, std::memory_order_relaxed);
}

void TJob::SetCurrent(const std::string &name)
{
    std::lock_guard lock(m_Mutex);
    m_Current = name;
}

TJobProgress TJob::Progress() const
{
    TJobProgress progress;
    progress.EntriesDone = m_EntriesDone.load(std::memory_order_relaxed);
    progress.EntriesTotal = m_EntriesTotal.load(std::memory_order_relaxed);
    progress.BytesDone = m_BytesDone.load(std::memory_order_relaxed);
    progress.BytesTotal = m_BytesTotal.load(std::memory_order_relaxed);
    std::lock_guard lock(m_Mutex);
    progress.Failures = m_Failures.size();
    progress.Current = m_Current;
    return progress;
}

void TJob::AddFailure(TJobFailure failure)
{
    std::lock_guard lock(m_Mutex);
    m_Failures.push_back(std::move(failure));
}

std::vector<TJobFailure> TJob::Failures() const
{
    std::lock_guard lock(m_Mutex);
    return m_Failures;
}
