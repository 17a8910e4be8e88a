#pragma once
// TFileBuffer: the decoded contents of one archive file. It owns its bytes;
// moving it passes ownership on. The memory is not cleared on allocation.

#include <cstdint>
#include <memory>

class TFileBuffer {
public:
    TFileBuffer() = default;
    // Allocates `size` bytes; raises Exception when the memory can't be had.
    explicit TFileBuffer(uint32_t size);
    TFileBuffer(TFileBuffer &&other) noexcept;
    TFileBuffer &operator=(TFileBuffer &&other) noexcept;

    uint8_t *data() { return m_data.get(); }
    const uint8_t *data() const { return m_data.get(); }
    uint32_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    // Gives up ownership: the caller must free the bytes with delete[].
    uint8_t *release();

private:
    std::unique_ptr<uint8_t[]> m_data;
    uint32_t m_size = 0;
};
