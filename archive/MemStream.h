#pragma once
// TMemStream: a read-only stream over a caller-owned buffer. It never copies,
// grows, reallocates or frees the buffer.

#include <cstddef>
#include <cstdint>

class TMemStream {
public:
    enum TSeekOrigin { soBeginning, soCurrent, soEnd };

    TMemStream(const uint8_t *buffer, uint64_t size);

    const uint8_t *Memory() const { return m_Memory; }
    uint64_t Size() const { return m_Size; }
    uint64_t Position() const { return m_Position; }

    // Copies up to `count` bytes from the current position; returns how many.
    uint64_t Read(void *destination, uint64_t count);
    // Moves the position (clamped to 0 .. Size) and returns it.
    uint64_t Seek(int64_t offset, TSeekOrigin origin);

private:
    const uint8_t *m_Memory = nullptr;
    uint64_t m_Size = 0;
    uint64_t m_Position = 0;
};
