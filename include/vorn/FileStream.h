#pragma once
// vorn::FileStream: one file of an archive opened for reading at any
// position. Only the stored pieces (chunks) that hold the bytes read are
// decoded. The CRC-32 and size are checked once the pieces have been decoded
// in order from the start: the read that decodes the last piece of a
// damaged file throws DecodeError, and what was read before must be thrown
// away. The stream keeps its archive open.

#include "vorn/Entry.h"
#include "vorn/Export.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vorn {

class VORN_API FileStream {
public:
    ~FileStream();
    FileStream(FileStream &&other) noexcept;
    FileStream &operator=(FileStream &&other) noexcept;

    const Entry &entry() const;
    uint64_t size() const;
    uint64_t tell() const;
    // Any position; reads past the end give nothing.
    void seek(uint64_t position);
    // Up to `count` bytes from the current position; 0 at the end.
    size_t read(void *buffer, size_t count);

private:
    friend class Archive;
    struct Impl;
    explicit FileStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace vorn
