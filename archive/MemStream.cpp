#include "archive/MemStream.h"

#include <algorithm>
#include <cstring>

TMemStream::TMemStream(const uint8_t *buffer, uint64_t size)
{
    if (buffer && size > 0) {
        m_Memory = buffer;
        m_Size = size;
    }
}

uint64_t TMemStream::Read(void *destination, uint64_t count)
{
    const uint64_t available = m_Size - m_Position;
    const uint64_t n = std::min(count, available);
    if (n > 0)
        std::memcpy(destination, m_Memory + m_Position, n);
    m_Position += n;
    return n;
}

uint64_t TMemStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    if (origin == soCurrent)
        base = int64_t(m_Position);
    else if (origin == soEnd)
        base = int64_t(m_Size);
    const int64_t target = std::clamp<int64_t>(base + offset, 0, int64_t(m_Size));
    m_Position = uint64_t(target);
    return m_Position;
}
