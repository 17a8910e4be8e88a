#include "engines/PipedStream.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct TPiece {
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Capacity = 0;
    size_t Size = 0;
};

// Raised inside the decoding thread's sink when the writing side gave up.
struct TPipeStopped {};

class TPipe {
public:
    explicit TPipe(size_t depth) : m_Depth(depth < 1 ? 1 : depth) {}

    // Decoding thread: a copy of the piece joins the queue once there is room.
    void Put(const uint8_t *data, size_t size)
    {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_Stopped || m_Full.size() < m_Depth; });
        if (m_Stopped)
            throw TPipeStopped();
        TPiece piece;
        if (!m_Free.empty()) {
            piece = std::move(m_Free.back());
            m_Free.pop_back();
        }
        lock.unlock();
        if (piece.Capacity < size) {
            piece.Bytes.reset(new uint8_t[size]);
            piece.Capacity = size;
        }
        std::memcpy(piece.Bytes.get(), data, size);
        piece.Size = size;
        lock.lock();
        m_Full.push_back(std::move(piece));
        m_Changed.notify_all();
    }

    void Finish(std::exception_ptr error)
    {
        std::lock_guard lock(m_Mutex);
        m_Error = std::move(error);
        m_Finished = true;
        m_Changed.notify_all();
    }

    // Writing thread: the next piece, or false when the stream has ended.
    bool Take(TPiece &piece)
    {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_Finished || !m_Full.empty(); });
        if (m_Full.empty())
            return false;
        piece = std::move(m_Full.front());
        m_Full.pop_front();
        m_Changed.notify_all();
        return true;
    }

    void GiveBack(TPiece piece)
    {
        std::lock_guard lock(m_Mutex);
        m_Free.push_back(std::move(piece));
    }

    void Stop()
    {
        std::lock_guard lock(m_Mutex);
        m_Stopped = true;
        m_Changed.notify_all();
    }

    std::exception_ptr Error() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Error;
    }

private:
    const size_t m_Depth;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<TPiece> m_Full;
    std::vector<TPiece> m_Free;
    bool m_Finished = false;
    bool m_Stopped = false;
    std::exception_ptr m_Error;
};

} // namespace

void PipeStream(const TFileStream &stream, const TPieceSink &sink, size_t depth)
{
    TPipe pipe(depth);
    std::thread decoder([&] {
        std::exception_ptr error;
        try {
            stream([&](const uint8_t *data, size_t size) { pipe.Put(data, size); });
        } catch (const TPipeStopped &) {
        } catch (...) {
            error = std::current_exception();
        }
        pipe.Finish(std::move(error));
    });
    try {
        for (TPiece piece; pipe.Take(piece);) {
            sink(piece.Bytes.get(), piece.Size);
            pipe.GiveBack(std::move(piece));
        }
    } catch (...) {
        pipe.Stop();
        decoder.join();
        throw;
    }
    decoder.join();
    if (const std::exception_ptr error = pipe.Error())
        std::rethrow_exception(error);
}
