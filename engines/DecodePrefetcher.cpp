#include "engines/DecodePrefetcher.h"

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

TDecodePrefetcher::TDecodePrefetcher(const TVornFile &vorn, std::vector<TEntryOffset> files,
                                     const TPrefetchLimits &limits, TStagingFolder *staging)
    : m_Vorn(vorn), m_Files(std::move(files)), m_Limits(limits), m_Staging(staging), m_Slots(m_Files.size())
{
    m_Limits.MaxFiles = std::max<size_t>(1, m_Limits.MaxFiles);
    for (size_t i = 0; i < m_Files.size(); ++i) {
        try {
            m_Slots[i].size = m_Vorn.GetSize(m_Files[i]);
        } catch (const std::exception &) {
            m_Slots[i].size = 0; // the decoding reports the damage
        }
    }
    if (m_Files.empty())
        return;
    const unsigned threads = std::min<size_t>(m_Limits.Threads, m_Files.size());
    for (unsigned i = 0; i < threads; ++i)
        m_Workers.emplace_back([this] { WorkerLoop(); });
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

ptrdiff_t TDecodePrefetcher::ClaimNext()
{
    m_NextClaim = std::max(m_NextClaim, m_Consumed);
    while (m_NextClaim < m_Slots.size() && m_Slots[m_NextClaim].state != TState::Pending)
        ++m_NextClaim;
    if (m_NextClaim >= m_Slots.size() || m_NextClaim >= m_Consumed + m_Limits.MaxFiles)
        return -1;
    const uint64_t size = m_Slots[m_NextClaim].size;
    // A file larger than the whole bound may still start when nothing else is held.
    if (m_BytesAhead != 0 && m_BytesAhead + size > m_Limits.MaxBytes)
        return -1;
    m_BytesAhead += size;
    m_Slots[m_NextClaim].state = TState::Decoding;
    return ptrdiff_t(m_NextClaim++);
}

void TDecodePrefetcher::Decode(size_t index, std::unique_lock<std::mutex> &lock)
{
    const TEntryOffset entry = m_Files[index];
    lock.unlock();
    TPreparedFile file;
    std::exception_ptr error;
    try {
        file = Prepare(index, entry);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    TSlot &slot = m_Slots[index];
    if (slot.state == TState::Gone)
        return; // passed while it was decoded; the file is dropped here
    slot.file = std::move(file);
    slot.error = std::move(error);
    slot.state = TState::Done;
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

TPreparedFile TDecodePrefetcher::Prepare(size_t index, TEntryOffset entry)
{
    TPreparedFile file;
    if (Streamed(entry)) {
        // Chunk by chunk from the archive to the disk: memory holds a chunk,
        // never the file. Without staging the taker writes it the same way.
        TFileStream stream = [this, entry](const TPieceSink &sink) { m_Vorn.ReadFilePieces(entry, sink); };
        if (m_Staging)
            file.Staged = m_Staging->StageStream(index, stream, m_Vorn.GetFileTime(entry));
        if (!file.Staged)
            file.Stream = std::move(stream);
        return file;
    }
    file.Data = m_Vorn.ReadFile(entry);
    if (m_Staging) {
        file.Staged = m_Staging->Stage(index, file.Data, m_Vorn.GetFileTime(entry));
        if (file.Staged)
            file.Data = TFileBuffer();
    }
    return file;
}

void TDecodePrefetcher::WorkerLoop()
{
    std::unique_lock lock(m_Mutex);
    while (!m_Stop) {
        const ptrdiff_t index = ClaimNext();
        if (index < 0) {
            m_WorkAvailable.wait(lock);
            continue;
        }
        Decode(size_t(index), lock);
    }
}

void TDecodePrefetcher::Consume(size_t index)
{
    TSlot &slot = m_Slots[index];
    if (slot.state != TState::Pending)
        m_BytesAhead -= slot.size;
    slot.state = TState::Gone;
    slot.file = TPreparedFile();
    slot.error = nullptr;
    m_Consumed = index + 1;
    m_WorkAvailable.notify_all();
}

TPreparedFile TDecodePrefetcher::Take(size_t index)
{
    std::unique_lock lock(m_Mutex);
    if (index < m_Consumed || index >= m_Slots.size())
        throw std::logic_error("TDecodePrefetcher: file taken out of order");
    while (m_Consumed < index)
        Consume(m_Consumed);
    for (;;) {
        TSlot &slot = m_Slots[index];
        if (slot.state == TState::Pending) {
            // Not started yet: decode it here rather than wait.
            m_BytesAhead += slot.size;
            slot.state = TState::Decoding;
            Decode(index, lock);
            continue;
        }
        if (slot.state == TState::Done) {
            TPreparedFile file = std::move(slot.file);
            const std::exception_ptr error = slot.error;
            Consume(index);
            if (error)
                std::rethrow_exception(error);
            return file;
        }
        // A worker decodes it: meanwhile help with the files after it.
        const ptrdiff_t next = ClaimNext();
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
