#include "vorn/FileStream.h"

#include "lib/ArchiveImpl.h"
#include "lib/ErrorTranslation.h"

#include "archive/PieceReader.h"

namespace vorn {

struct FileStream::Impl {
    Impl(std::shared_ptr<ArchiveAccess::Impl> archive, Entry described)
        : Owner(std::move(archive)), Described(std::move(described)), Reader(Owner->Vorn, Described.id)
    {
    }

    std::shared_ptr<ArchiveAccess::Impl> Owner; // keeps the archive open as long as the stream
    Entry Described;
    TPieceReader Reader;
    uint64_t Position = 0;
};

FileStream::FileStream(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
FileStream::~FileStream() = default;
FileStream::FileStream(FileStream &&other) noexcept = default;
FileStream &FileStream::operator=(FileStream &&other) noexcept = default;

const Entry &FileStream::entry() const
{
    return d->Described;
}

uint64_t FileStream::size() const
{
    return d->Reader.Size();
}

uint64_t FileStream::tell() const
{
    return d->Position;
}

void FileStream::seek(uint64_t position)
{
    d->Position = position;
}

size_t FileStream::read(void *buffer, size_t count)
{
    const size_t got = Translated<DecodeError>(
        [&] { return d->Reader.Read(d->Position, static_cast<uint8_t *>(buffer), count); });
    d->Position += got;
    return got;
}

FileStream Archive::openFile(const std::string &path) const
{
    FindFile(d->Vorn, path); // a folder is no file to open
    const Entry described = stat(path);
    return FileStream(Translated<DecodeError>([&] { return std::make_unique<FileStream::Impl>(d, described); }));
}

} // namespace vorn
