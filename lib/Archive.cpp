#include "lib/ArchiveImpl.h"

#include "lib/ErrorTranslation.h"
#include "vorn/vorn.h"

#include "archive/PieceReader.h"
#include "archive/TreeWalk.h"
#include "archive/VornInfo.h"
#include "archive/vmFunctions.h"

#define VORN_STRINGIFY2(x) #x
#define VORN_STRINGIFY(x) VORN_STRINGIFY2(x)

namespace vorn {

const char *version()
{
    return VORN_STRINGIFY(VV_VERSION_MAJOR) "." VORN_STRINGIFY(VV_VERSION_MINOR) "." VORN_STRINGIFY(VV_VERSION_PATCH);
}

Archive::Impl::Impl(const std::string &path) : Path(path), Vorn(path) {}

const TNameIndex &Archive::Impl::NameIndex()
{
    const std::lock_guard lock(m_IndexMutex);
    if (!m_Index)
        m_Index = std::make_unique<TNameIndex>(Vorn);
    return *m_Index;
}

Entry MakeEntry(const TVornFile &vorn, TEntryOffset entry, std::string_view path)
{
    Entry result;
    result.path = AnsiToUtf8(path);
    result.id = entry;
    result.fileTime = vorn.GetFileTime(entry);
    result.isDir = vorn.IsDirectory(entry);
    if (!result.isDir) {
        result.size = vorn.GetSize(entry);
        result.compressedSize = vorn.GetCompressedSize(entry);
        result.format = vorn.GetFormat(entry);
        result.crc32 = vorn.GetCrc32(entry);
    }
    return result;
}

namespace {

TEntryOffset FindEntryOrThrow(const TVornFile &vorn, const std::string &path)
{
    const TEntryOffset entry = Translated<OpenError>([&] { return FindEntry(vorn, path); });
    if (entry == 0)
        throw NotFoundError("No such entry in the archive: " + path);
    return entry;
}

// The index's 8-bit path of an entry below the root, "/"-separated.
std::string StoredPath(const TVornFile &vorn, TEntryOffset entry)
{
    if (entry == vorn.GetRootOffset())
        return {};
    std::string path = vorn.GetPath(entry); // "\a\b\" style, the root's name left out
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path.substr(1) + vorn.GetName(entry);
}

} // namespace

TEntryOffset FindFile(const TVornFile &vorn, const std::string &path)
{
    const TEntryOffset entry = FindEntryOrThrow(vorn, path);
    if (vorn.IsDirectory(entry))
        throw NotFoundError("Not a file: " + path);
    return entry;
}

Archive::Archive(const std::string &path)
    : d(Translated<OpenError>([&] { return std::make_shared<Impl>(path); }))
{
}

Archive::~Archive() = default;
Archive::Archive(Archive &&other) noexcept = default;
Archive &Archive::operator=(Archive &&other) noexcept = default;

const std::string &Archive::path() const
{
    return d->Path;
}

std::vector<std::pair<std::string, std::string>> Archive::info() const
{
    return GetVornInfoRows(d->Vorn.Header());
}

Entry Archive::stat(const std::string &path) const
{
    const TEntryOffset entry = FindEntryOrThrow(d->Vorn, path);
    return Translated<OpenError>([&] { return MakeEntry(d->Vorn, entry, StoredPath(d->Vorn, entry)); });
}

bool Archive::contains(const std::string &path) const
{
    return Translated<OpenError>([&] { return FindEntry(d->Vorn, path) != 0; });
}

std::vector<Entry> Archive::list(const std::string &folder) const
{
    const TEntryOffset directory = FindEntryOrThrow(d->Vorn, folder);
    if (!d->Vorn.IsDirectory(directory))
        throw NotFoundError("Not a folder: " + folder);
    return Translated<OpenError>([&] {
        const std::string prefix = directory == d->Vorn.GetRootOffset() ? std::string()
                                                                          : StoredPath(d->Vorn, directory) + "/";
        std::vector<Entry> entries;
        for (const TEntryOffset child : d->Vorn.GetChildren(directory))
            entries.push_back(MakeEntry(d->Vorn, child, prefix + d->Vorn.GetName(child)));
        return entries;
    });
}

void Archive::walk(const std::string &folder, const std::function<void(const Entry &)> &visit) const
{
    const TEntryOffset directory = FindEntryOrThrow(d->Vorn, folder);
    if (!d->Vorn.IsDirectory(directory))
        throw NotFoundError("Not a folder: " + folder);
    const std::string prefix = directory == d->Vorn.GetRootOffset() ? std::string()
                                                                      : StoredPath(d->Vorn, directory) + "/";
    std::string path = prefix;
    // The visitor's own exceptions pass unchanged; only the index's become OpenError.
    WalkTree(d->Vorn, directory, [&](TEntryOffset entry, const std::string &relative) {
        path.resize(prefix.size());
        path += relative;
        Entry described = Translated<OpenError>([&] { return MakeEntry(d->Vorn, entry, path); });
        visit(described);
    }, [](const std::string &folderPath, const std::string &message) {
        throw OpenError(folderPath + ": " + message);
    });
}

std::vector<Entry> Archive::walk(const std::string &folder) const
{
    std::vector<Entry> entries;
    walk(folder, [&](const Entry &entry) { entries.push_back(entry); });
    return entries;
}

std::vector<uint8_t> Archive::read(const std::string &path) const
{
    const TEntryOffset file = FindFile(d->Vorn, path);
    return Translated<DecodeError>([&] {
        TPieceReader reader(d->Vorn, file);
        std::vector<uint8_t> bytes(reader.Size());
        reader.ReadAll(bytes.data());
        return bytes;
    });
}

void Archive::readInto(const Entry &file, uint8_t *destination) const
{
    if (file.isDir)
        throw NotFoundError("Not a file: " + file.path);
    Translated<DecodeError>([&] {
        TPieceReader reader(d->Vorn, file.id);
        if (reader.Size() != file.size)
            throw ::Exception("The entry does not belong to this archive: " + file.path);
        reader.ReadAll(destination);
    });
}

} // namespace vorn
