#include "archive/FileBuffer.h"

#include "archive/Exceptions.h"

#include <new>
#include <utility>

TFileBuffer::TFileBuffer(uint32_t size) : m_size(size)
{
    if (size == 0)
        return;
    m_data.reset(new (std::nothrow) uint8_t[size]);
    if (!m_data) {
        m_size = 0;
        throw Exception(FormatStr("Not enough memory for a file of %u bytes", size));
    }
}

// A moved-from buffer is empty: no bytes and size 0.
TFileBuffer::TFileBuffer(TFileBuffer &&other) noexcept
    : m_data(std::move(other.m_data)), m_size(std::exchange(other.m_size, 0))
{
}

TFileBuffer &TFileBuffer::operator=(TFileBuffer &&other) noexcept
{
    m_data = std::move(other.m_data);
    m_size = std::exchange(other.m_size, 0);
    return *this;
}

uint8_t *TFileBuffer::release()
{
    m_size = 0;
    return m_data.release();
}
