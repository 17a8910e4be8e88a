#include "engines/DecodePrefetcher.h"

#include "engines/PiecesAhead.h"
#include "engines/StagingFolder.h"

#include <algorithm>
#include <stdexcept>

TPrefetchLimits DefaultPrefetchLimits()
{
    TPrefetchLimits limits;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    limits.Threads = std::clamp(cores - 1, 1u, 4u);
    return limits;
}

TPrefetchLimits WritingPrefetchLimits()
{
    TPrefetchLimits limits = DefaultPrefetchLimits();
    // Files created ahead hold no memory: a window of several folders lets
    // the threads create in different ones at once.
    limits.MaxFiles = 4096;
    limits.PieceThreads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    return limits;
}

TDecodePrefetcher::TDecodePrefetcher(const TVornFile &vorn, std::vector<TEntryOffset> files,
                                     const TPrefetchLimits &limits, TStagingFolder *staging,
                                     std::span<const uint32_t> folders)
    : m_Vorn(vorn), m_Files(std::move(files)), m_Limits(limits), m_Staging(staging), m_Folders(folders),
      m_States(m_Files.size(), TState::Pending)
{
    m_Limits.MaxFiles = std::max<size_t>(1, m_Limits.MaxFiles);
    // A file in flight is one the taker has not passed and that lies within
    // MaxFiles of it, so this many slots serve every index.
    m_Ring.resize(std::clamp<size_t>(m_Files.size(), 1, m_Limits.MaxFiles));
    // Two lanes' runs fit in the window together.
    if (!m_Folders.empty())
        m_RunLength = std::max<size_t>(1, m_Ring.size() / 2);
    if (m_Files.empty())
        return;
    const unsigned threads = std::min<size_t>(m_Limits.Threads, m_Files.size());
    m_WorkerLanes.resize(threads);
    for (TLane &lane : m_WorkerLanes)
        m_Workers.emplace_back([this, &lane] { WorkerLoop(lane); });
}

TDecodePrefetcher::~TDecodePrefetcher()
{
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_WorkAvailable.notify_all();
    for (std::thread &worker : m_Workers)
        worker.join();
}

ptrdiff_t TDecodePrefetcher::ClaimNext(TLane &lane)
{
    // Files of the lane's run that were taken, passed or started by the taker are done with.
    lane.next = std::max(lane.next, m_Consumed);
    while (lane.next < lane.end && m_States[lane.next] != TState::Pending)
        ++lane.next;
    if (lane.next >= lane.end && !AssignRun(lane))
        return -1;
    const size_t index = lane.next;
    if (index >= m_Consumed + m_Ring.size())
        return -1;
    // A file larger than the whole bound may still start when nothing else is held.
    if (m_BytesAhead != 0 && m_BytesAhead + ExpectedSize(m_Files[index]) > m_Limits.MaxBytes)
        return -1;
    Start(index);
    ++lane.next;
    return ptrdiff_t(index);
}

bool TDecodePrefetcher::AssignRun(TLane &lane)
{
    size_t start = std::max(m_NextRun, m_Consumed);
    while (start < m_States.size() && m_States[start] != TState::Pending)
        ++start;
    if (start >= m_States.size())
        return false;
    size_t end = start + 1;
    while (end < m_States.size() && end - start < m_RunLength && m_Folders[end] == m_Folders[start])
        ++end;
    lane = {start, end};
    m_NextRun = end;
    return true;
}

uint64_t TDecodePrefetcher::ExpectedSize(TEntryOffset entry) const
{
    try {
        return m_Vorn.GetSize(entry);
    } catch (const std::exception &) {
        return 0; // the decoding reports the damage
    }
}

void TDecodePrefetcher::Start(size_t index)
{
    TSlot &slot = SlotOf(index);
    slot.size = ExpectedSize(m_Files[index]);
    m_BytesAhead += slot.size;
    m_States[index] = TState::Decoding;
}

void TDecodePrefetcher::Decode(size_t index, std::unique_lock<std::mutex> &lock)
{
    constexpr size_t StagedAhead = 64;
    const TEntryOffset entry = m_Files[index];
    const bool mayStage = index < m_Consumed + StagedAhead;
    lock.unlock();
    TPreparedFile file;
    std::exception_ptr error;
    try {
        file = Prepare(index, entry, mayStage);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    if (m_States[index] == TState::Gone)
        return; // passed while it was decoded (its slot may serve another file now); dropped here
    TSlot &slot = SlotOf(index);
    slot.file = std::move(file);
    slot.error = std::move(error);
    m_States[index] = TState::Done;
    m_SlotDone.notify_all();
}

bool TDecodePrefetcher::Streamed(TEntryOffset entry) const
{
    try {
        if (m_Vorn.GetSize(entry) < StreamedFileSize)
            return false;
        const uint16_t format = m_Vorn.GetFormat(entry);
        return format == DATAFORMAT_RAW || (format < 3 && m_Vorn.GetChunkSize(entry) != 0);
    } catch (const std::exception &) {
        return false; // the decoding reports the damage
    }
}

TPreparedFile TDecodePrefetcher::Prepare(size_t index, TEntryOffset entry, bool mayStage)
{
    TPreparedFile file;
    if (Streamed(entry)) {
        // Chunk by chunk from the archive to the disk: memory holds a few
        // chunks, never the file. Without staging the taker writes it the
        // same way.
        TFileStream stream;
        if (const unsigned threads = m_Limits.PieceThreads)
            stream = [this, entry, threads](const TPieceSink &sink) { ReadPiecesAhead(m_Vorn, entry, sink, threads); };
        else
            stream = [this, entry](const TPieceSink &sink) { m_Vorn.ReadFilePieces(entry, sink); };
        if (m_Staging && mayStage)
            file.Staged = m_Staging->StageStream(index, stream, m_Vorn.GetFileTime(entry));
        if (!file.Staged)
            file.Stream = std::move(stream);
        return file;
    }
    file.Data = m_Vorn.ReadFile(entry);
    if (m_Staging) {
        const TFileTime time = m_Vorn.GetFileTime(entry);
        file.Created = m_Staging->Create(index, entry, file.Data, time);
        if (!file.Created && mayStage)
            file.Staged = m_Staging->Stage(index, file.Data, time);
        if (file.Created || file.Staged)
            file.Data = TFileBuffer();
    }
    return file;
}

void TDecodePrefetcher::WorkerLoop(TLane &lane)
{
    std::unique_lock lock(m_Mutex);
    while (!m_Stop) {
        const ptrdiff_t index = ClaimNext(lane);
        if (index < 0) {
            m_WorkAvailable.wait(lock);
            continue;
        }
        Decode(size_t(index), lock);
    }
}

void TDecodePrefetcher::Consume(size_t index)
{
    TSlot &slot = SlotOf(index);
    if (m_States[index] != TState::Pending)
        m_BytesAhead -= slot.size;
    m_States[index] = TState::Gone;
    slot = TSlot();
    m_Consumed = index + 1;
    m_WorkAvailable.notify_all();
}

TPreparedFile TDecodePrefetcher::Take(size_t index)
{
    std::unique_lock lock(m_Mutex);
    if (index < m_Consumed || index >= m_States.size())
        throw std::logic_error("TDecodePrefetcher: file taken out of order");
    while (m_Consumed < index)
        Consume(m_Consumed);
    for (;;) {
        if (m_States[index] == TState::Pending) {
            // Not started yet: decode it here rather than wait.
            Start(index);
            Decode(index, lock);
            continue;
        }
        if (m_States[index] == TState::Done) {
            TSlot &slot = SlotOf(index);
            TPreparedFile file = std::move(slot.file);
            const std::exception_ptr error = slot.error;
            Consume(index);
            if (error)
                std::rethrow_exception(error);
            return file;
        }
        // A worker decodes it: meanwhile help with the files after it.
        const ptrdiff_t next = ClaimNext(m_TakerLane);
        if (next >= 0)
            Decode(size_t(next), lock);
        else
            m_SlotDone.wait(lock);
    }
}

void TDecodePrefetcher::Pass(size_t index)
{
    std::lock_guard lock(m_Mutex);
    while (m_Consumed <= index)
        Consume(m_Consumed);
}
