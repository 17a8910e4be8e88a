#include "engines/PiecesAhead.h"

#include "archive/Crc32.h"
#include "engines/PipedStream.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Decoded chunks that may wait per decoding thread: enough that a thread
// rarely waits for the writer, few enough that memory stays flat.
constexpr size_t ChunksPerThread = 4;
// Decoded bytes that may wait in all; files of very large chunks get fewer
// threads rather than more memory.
constexpr uint64_t MaxBytesAhead = 8ull << 20;

// The chunks of one file, decoded by a few threads into a ring of slots
// that the calling thread empties in chunk order.
class TChunkPipeline {
public:
    // Checks the chunk list (raising its damage before anything starts).
    TChunkPipeline(const TVornFile &vorn, TEntryOffset file, unsigned threads);
    ~TChunkPipeline();
    TChunkPipeline(const TChunkPipeline &) = delete;
    TChunkPipeline &operator=(const TChunkPipeline &) = delete;

    void Run(const TPieceSink &sink);

private:
    struct TSlot {
        TFileBuffer bytes; // room for the largest chunk, made on first use
        uint32_t size = 0;
        uint32_t crc = 0;
        std::exception_ptr error;
        bool ready = false;
    };

    void DecodeLoop();
    void Decode(size_t index, TSlot &slot, TFileBuffer &work) const;
    // Waits for chunk `index` and returns its slot.
    TSlot &Await(size_t index);
    // The slot of chunk `index` may take chunk `index` + ring size.
    void Release(size_t index);
    void Stop();

    const TVornFile &m_Vorn;
    const TEntryOffset m_File;
    const uint64_t m_Start;
    const TVornFile::TCheckedChunks m_Checked;
    std::vector<TSlot> m_Ring;
    unsigned m_ThreadCount;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    size_t m_NextClaim = 0;  // the next chunk a thread takes
    size_t m_NextHanded = 0; // chunks below this one were handed over
    bool m_Stopped = false;
    std::vector<std::thread> m_Threads;
};

TChunkPipeline::TChunkPipeline(const TVornFile &vorn, TEntryOffset file, unsigned threads)
    : m_Vorn(vorn), m_File(file), m_Start(vorn.StoredStart(file)), m_Checked(vorn.CheckChunks(file, m_Start))
{
    const size_t chunks = m_Checked.chunks.size();
    const uint64_t bySize = MaxBytesAhead / std::max<uint32_t>(m_Checked.largest, 1);
    const size_t ring = std::clamp<uint64_t>(bySize, 2, uint64_t(std::max(threads, 1u)) * ChunksPerThread);
    m_Ring.resize(std::clamp<size_t>(chunks, 1, ring));
    m_ThreadCount = unsigned(std::clamp<size_t>(threads, 1, m_Ring.size()));
}

TChunkPipeline::~TChunkPipeline()
{
    Stop();
    for (std::thread &thread : m_Threads)
        thread.join();
}

void TChunkPipeline::Stop()
{
    std::lock_guard lock(m_Mutex);
    m_Stopped = true;
    m_Changed.notify_all();
}

void TChunkPipeline::Run(const TPieceSink &sink)
{
    const size_t chunks = m_Checked.chunks.size();
    for (unsigned i = 0; i < m_ThreadCount && chunks > 0; ++i)
        m_Threads.emplace_back([this] { DecodeLoop(); });
    uint32_t crc = 0; // of the bytes handed over so far
    uint64_t count = 0;
    for (size_t index = 0; index < chunks; ++index) {
        TSlot &slot = Await(index);
        if (slot.error)
            std::rethrow_exception(slot.error);
        sink(slot.bytes.data(), slot.size);
        crc = CombineCRC32(crc, slot.crc, slot.size);
        count += slot.size;
        Release(index);
    }
    m_Vorn.CheckDecoded(m_File, crc, count);
}

TChunkPipeline::TSlot &TChunkPipeline::Await(size_t index)
{
    TSlot &slot = m_Ring[index % m_Ring.size()];
    std::unique_lock lock(m_Mutex);
    m_Changed.wait(lock, [&] { return slot.ready; });
    return slot;
}

void TChunkPipeline::Release(size_t index)
{
    std::lock_guard lock(m_Mutex);
    m_Ring[index % m_Ring.size()].ready = false;
    m_NextHanded = index + 1;
    m_Changed.notify_all();
}

void TChunkPipeline::DecodeLoop()
{
    TFileBuffer work(m_Checked.workSize);
    const size_t chunks = m_Checked.chunks.size();
    std::unique_lock lock(m_Mutex);
    for (;;) {
        // A slot is free once the chunk a ring's length before was handed over.
        m_Changed.wait(lock, [&] {
            return m_Stopped || (m_NextClaim < chunks && m_NextClaim < m_NextHanded + m_Ring.size());
        });
        if (m_Stopped)
            return;
        const size_t index = m_NextClaim++;
        TSlot &slot = m_Ring[index % m_Ring.size()];
        lock.unlock();
        Decode(index, slot, work);
        lock.lock();
        slot.ready = true;
        m_Changed.notify_all();
    }
}

void TChunkPipeline::Decode(size_t index, TSlot &slot, TFileBuffer &work) const
{
    slot.error = nullptr;
    try {
        if (slot.bytes.size() < m_Checked.largest)
            slot.bytes = TFileBuffer(m_Checked.largest);
        slot.size = m_Vorn.DecodeChunk(m_File, m_Start, m_Checked.chunks[index], slot.bytes.data(), work);
        slot.crc = CalcCRC32(0, slot.bytes.data(), slot.size);
    } catch (...) {
        slot.error = std::current_exception();
    }
}

// Whether the file is stored in chunks of a format this program decodes; a
// file that can't be told is read the plain way, which reports its damage.
bool Chunked(const TVornFile &vorn, TEntryOffset file)
{
    try {
        if (vorn.IsDirectory(file))
            return false;
        const uint16_t format = vorn.GetFormat(file);
        return format != DATAFORMAT_RAW && format < 3 && vorn.GetChunkSize(file) != 0;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

void ReadPiecesAhead(const TVornFile &vorn, TEntryOffset file, const TPieceSink &sink, unsigned threads)
{
    if (Chunked(vorn, file)) {
        TChunkPipeline(vorn, file, threads).Run(sink);
        return;
    }
    PipeStream([&](const TPieceSink &each) { vorn.ReadFilePieces(file, each); }, sink);
}
