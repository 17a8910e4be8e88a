#include "archive/vmVornFile.h"

#include "archive/Crc32.h"
#include "archive/Decode.h"
#include "archive/Exceptions.h"
#include "archive/OpenFileLimit.h"
#include "archive/vmFunctions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace {

// A raw file is read and handed on in pieces of this size.
constexpr uint32_t RawPieceSize = 1u << 20;
// An index that may be cancelled is read in pieces of this size.
constexpr uint64_t IndexPieceSize = 4u << 20;

constexpr uint32_t PE_SECTION_COUNT_POS = 70;
constexpr uint32_t PE_SECTION_TABLE_POS = 312;
constexpr uint32_t PE_SECTION_RECORD_SIZE = 40;

bool SectionNameMatches(const uint8_t *record, const char *name)
{
    for (size_t i = 0; i < 8; ++i) {
        const char a = char(std::toupper(record[i]));
        const char b = char(std::toupper(uint8_t(name[i])));
        if (a != b)
            return false;
        if (b == 0)
            return true;
    }
    return true;
}

} // namespace

TVornFile::TVornFile(const std::string &path, const std::atomic<bool> &cancel) : m_FileName(path)
{
    Open(&cancel);
}

TVornFile::TVornFile(const std::string &path) : m_FileName(path)
{
    Open(nullptr);
}

void TVornFile::Open(const std::atomic<bool> *cancel)
{
    const std::string &path = m_FileName;
    // Not blocking: a FIFO is refused below instead of waiting for a writer.
    m_Handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_Handle < 0)
        throw Exception(FormatStr("Cannot open file %s", path.c_str()));
    if (InOpenFileReserve(m_Handle)) {
        ::close(m_Handle);
        m_Handle = -1;
        throw Exception(FormatStr("Cannot open file %s: too many files are open", path.c_str()));
    }
    try {
        ReadArchive(cancel);
    } catch (...) {
        ::close(m_Handle);
        m_Handle = -1;
        throw;
    }
}

TVornFile::~TVornFile()
{
    if (m_Handle >= 0)
        ::close(m_Handle);
}

void TVornFile::ReadArchive(const std::atomic<bool> *cancel)
{
    struct stat info {};
    if (::fstat(m_Handle, &info) != 0 || !S_ISREG(info.st_mode))
        throw Exception(FormatStr("Cannot open file %s", m_FileName.c_str()));
    m_ArchiveSize = uint64_t(info.st_size);
    if (m_ArchiveSize < VORN_HEADER_SIZE)
        throw Exception("Cannot open file: size < sizeof(TVornHeader)");
    uint8_t headerBytes[VORN_HEADER_SIZE];
    ReadAt(0, headerBytes, VORN_HEADER_SIZE);
    m_Header = TVornHeader::Parse(headerBytes);
    if (headerBytes[0] == 'M' && headerBytes[1] == 'Z')
        CheckExecutable();
    if (std::memcmp(m_Header.m_ProductId.data(), "Velm", 4) != 0
        || std::memcmp(m_Header.m_VornId.data(), "Vorn", 4) != 0)
        throw Exception("Unknown header!");
    LoadDescription();
    LoadIndex(cancel);
    CheckRoot();
}

// An archive wrapped in a Windows executable: recognised by its sections and
// never opened. Records past the end of the file count as absent.
void TVornFile::CheckExecutable() const
{
    uint8_t countBytes[2] = {0, 0};
    ReadUpTo(PE_SECTION_COUNT_POS, countBytes, 2);
    const uint32_t count = ReadU16LE(countBytes);
    std::vector<uint8_t> table(size_t(count) * PE_SECTION_RECORD_SIZE);
    const uint64_t got = ReadUpTo(PE_SECTION_TABLE_POS, table.data(), table.size());
    const uint32_t records = uint32_t(got / PE_SECTION_RECORD_SIZE);
    auto hasSection = [&](const char *name) {
        for (uint32_t i = 0; i < records; ++i)
            if (SectionNameMatches(&table[size_t(i) * PE_SECTION_RECORD_SIZE], name))
                return true;
        return false;
    };
    if (!hasSection(".IVORN"))
        throw Exception("Missing .IVORN section!");
    if (!hasSection(".DVORN"))
        throw Exception("Missing .DVORN section!");
    throw Exception("Woho! a real PE vorn! Tell Brem about it! :)");
}

void TVornFile::LoadDescription()
{
    const uint32_t units = m_Header.m_DescriptionLength;
    if (units == 0)
        return;
    std::vector<uint8_t> bytes(size_t(units) * 2);
    ReadAt(VORN_HEADER_SIZE, bytes.data(), bytes.size());
    m_Description.resize(units);
    for (uint32_t i = 0; i < units; ++i)
        m_Description[i] = char16_t(ReadU16LE(&bytes[size_t(i) * 2]));
}

void TVornFile::LoadIndex(const std::atomic<bool> *cancel)
{
    const uint64_t start = m_Header.m_DirSetOffset;
    const uint64_t size = m_Header.m_IndexSize;
    if (start + size > m_ArchiveSize)
        throw Exception(FormatStr("Damaged archive: the index (%u bytes at offset %u) lies outside the file",
                                  m_Header.m_IndexSize, m_Header.m_DirSetOffset));
    try {
        m_Index.resize(size);
    } catch (const std::bad_alloc &) {
        throw Exception(FormatStr("Not enough memory for an index of %u bytes", m_Header.m_IndexSize));
    }
    if (!cancel) {
        ReadAt(start, m_Index.data(), size);
        return;
    }
    for (uint64_t done = 0; done < size; done += IndexPieceSize) {
        if (cancel->load(std::memory_order_relaxed))
            throw EAbort();
        ReadAt(start + done, m_Index.data() + done, std::min(IndexPieceSize, size - done));
    }
}

void TVornFile::CheckRoot() const
{
    if (m_Index.size() < 4)
        throw Exception("Damaged index: too small for the directory table");
    if (IndexU32(0) == 0)
        throw Exception("Vorn has no root!");
    if (GetParent(GetRootOffset()) != 0)
        throw Exception("Error in directory structure! (Root has a parent)");
}

void TVornFile::CheckIndexRange(uint64_t position, uint64_t length) const
{
    if (position + length > m_Index.size())
        throw Exception(FormatStr("Damaged index: a record at offset %llu lies outside the index (%zu bytes)",
                                  static_cast<unsigned long long>(position), m_Index.size()));
}

uint16_t TVornFile::IndexU16(uint64_t position) const
{
    CheckIndexRange(position, 2);
    return ReadU16LE(&m_Index[position]);
}

uint32_t TVornFile::IndexU32(uint64_t position) const
{
    CheckIndexRange(position, 4);
    return ReadU32LE(&m_Index[position]);
}

TEntryOffset TVornFile::GetRootOffset() const
{
    return IndexU32(4);
}

bool TVornFile::IsDirectory(TEntryOffset entry) const
{
    return entry < uint32_t(m_Header.m_FileSetOffset - m_Header.m_DirSetOffset);
}

uint32_t TVornFile::NameFieldPosition(TEntryOffset entry) const
{
    return IsDirectory(entry) ? DIRENTRY_NAME_POS : FILEENTRY_NAME_POS;
}

uint64_t TVornFile::AfterNamePosition(TEntryOffset entry) const
{
    const uint64_t namePosition = uint64_t(entry) + NameFieldPosition(entry);
    return namePosition + PaddedNameLength(IndexU16(namePosition));
}

std::string TVornFile::GetName(TEntryOffset entry) const
{
    return std::string(GetNameView(entry));
}

std::string_view TVornFile::GetNameView(TEntryOffset entry) const
{
    const uint64_t namePosition = uint64_t(entry) + NameFieldPosition(entry);
    const uint16_t length = IndexU16(namePosition);
    CheckIndexRange(namePosition + 2, length);
    const char *chars = reinterpret_cast<const char *>(&m_Index[namePosition + 2]);
    return std::string_view(chars, strnlen(chars, length));
}

TEntryOffset TVornFile::GetParent(TEntryOffset entry) const
{
    return IndexU32(entry);
}

uint32_t TVornFile::GetChildCount(TEntryOffset directory) const
{
    return IndexU32(uint64_t(directory) + 4);
}

TEntryOffset TVornFile::GetChild(TEntryOffset directory, uint32_t &ChildIndex) const
{
    const uint32_t count = GetChildCount(directory);
    if (ChildIndex >= count)
        throw Exception(FormatStr("ChildIndex out of bounds! (%d)", int32_t(ChildIndex)));
    const TEntryOffset child = IndexU32(AfterNamePosition(directory) + 4ull * ChildIndex);
    ChildIndex = ChildIndex < count - 1 ? ChildIndex + 1 : 0;
    return child;
}

std::vector<TEntryOffset> TVornFile::GetChildren(TEntryOffset directory) const
{
    const uint32_t count = GetChildCount(directory);
    const uint64_t first = AfterNamePosition(directory);
    CheckIndexRange(first, 4ull * count); // also keeps a hostile count from allocating
    std::vector<TEntryOffset> children(count);
    for (uint32_t i = 0; i < count; ++i)
        children[i] = ReadU32LE(&m_Index[first + 4ull * i]);
    return children;
}

uint32_t TVornFile::GetSize(TEntryOffset file) const
{
    return IndexU32(uint64_t(file) + 4);
}

uint32_t TVornFile::GetCrc32(TEntryOffset file) const
{
    return IndexU32(uint64_t(file) + 12);
}

uint16_t TVornFile::GetFormat(TEntryOffset file) const
{
    return IndexU16(uint64_t(file) + 24);
}

uint16_t TVornFile::GetFileFlags(TEntryOffset file) const
{
    return IndexU16(uint64_t(file) + 26);
}

uint32_t TVornFile::GetCompressedSize(TEntryOffset file) const
{
    if (GetFormat(file) == DATAFORMAT_RAW)
        return GetSize(file);
    return IndexU32(AfterNamePosition(file));
}

uint32_t TVornFile::GetChunkSize(TEntryOffset file) const
{
    if (GetFormat(file) == DATAFORMAT_RAW)
        return 0;
    return IndexU32(AfterNamePosition(file) + 4);
}

TFileTime TVornFile::GetFileTime(TEntryOffset entry) const
{
    const uint64_t position = uint64_t(entry) + (IsDirectory(entry) ? 8 : 16);
    CheckIndexRange(position, 8);
    return ReadU64LE(&m_Index[position]);
}

std::string TVornFile::GetPath(TEntryOffset entry) const
{
    // Collect the ancestors first: a damaged index can chain parents into a
    // loop, which shows as an offset met twice. Joining at the end keeps the
    // work linear in the path's length.
    std::vector<TEntryOffset> ancestors;
    std::unordered_set<TEntryOffset> seen;
    for (TEntryOffset parent = GetParent(entry); parent != 0; parent = GetParent(parent)) {
        if (!seen.insert(parent).second)
            throw Exception(FormatStr("Damaged index: the folders above entry %u form a loop", entry));
        ancestors.push_back(parent);
    }
    std::string path;
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        path += GetName(*it) + "\\";
    return path;
}

void TVornFile::ReadAt(uint64_t position, void *buffer, uint64_t length) const
{
    if (ReadUpTo(position, buffer, length) != length)
        throw Exception("Stream read error");
}

uint64_t TVornFile::ReadUpTo(uint64_t position, void *buffer, uint64_t length) const
{
    auto *bytes = static_cast<uint8_t *>(buffer);
    uint64_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_Handle, bytes + done, length - done, off_t(position + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Exception(FormatStr("Read error in %s: %s", m_FileName.c_str(), std::strerror(errno)));
        if (n == 0)
            break;
        done += uint64_t(n);
    }
    return done;
}

void TVornFile::CheckStoredBytes(uint64_t start, uint64_t length) const
{
    if (start + length > m_ArchiveSize)
        throw Exception("vorn too small");
}

uint64_t TVornFile::StoredStart(TEntryOffset file) const
{
    return uint64_t(m_Header.m_DataOffset) + IndexU32(uint64_t(file) + 8);
}

TFileBuffer TVornFile::ReadFile(TEntryOffset file) const
{
    if (IsDirectory(file))
        throw Exception(FormatStr("%d is not a valid FileEntry offset.", int32_t(file)));
    const uint16_t format = GetFormat(file);
    if (format >= 3)
        throw Exception(FormatStr("Format %s (%d) is not supported", FormatToStr(format).c_str(), int(format)));
    const uint64_t start = StoredStart(file);
    TFileBuffer output;
    uint64_t count = 0;
    if (format == DATAFORMAT_RAW)
        ReadRaw(file, start, output, count);
    else if (GetChunkSize(file) == 0)
        ReadStream(file, start, output, count);
    else
        ReadChunked(file, start, output, count);
    CheckDecoded(file, CalcCRC32(0, output.data(), count), count);
    return output;
}

void TVornFile::ReadFilePieces(TEntryOffset file, const TPieceSink &sink) const
{
    if (IsDirectory(file))
        throw Exception(FormatStr("%d is not a valid FileEntry offset.", int32_t(file)));
    const uint16_t format = GetFormat(file);
    // Small raw files, single streams and unknown formats come whole.
    if (format == DATAFORMAT_RAW ? GetSize(file) <= RawPieceSize : format >= 3 || GetChunkSize(file) == 0) {
        const TFileBuffer whole = ReadFile(file);
        sink(whole.data(), whole.size());
        return;
    }
    const uint64_t start = StoredStart(file);
    uint32_t crc = 0xFFFFFFFF; // the running register
    uint64_t count = 0;
    const auto pass = [&](const uint8_t *data, uint32_t size) {
        crc = CalcCRC32(crc, data, size, false);
        count += size;
        sink(data, size);
    };
    if (format == DATAFORMAT_RAW) {
        const uint32_t size = GetSize(file);
        CheckStoredBytes(start, size);
        TFileBuffer piece(RawPieceSize);
        for (uint64_t done = 0; done < size;) {
            const uint64_t got = ReadUpTo(start + done, piece.data(), std::min<uint64_t>(RawPieceSize, size - done));
            if (got == 0)
                break;
            pass(piece.data(), uint32_t(got));
            done += got;
        }
    } else {
        const TCheckedChunks checked = CheckChunks(file, start);
        TFileBuffer piece(checked.largest);
        TFileBuffer work(checked.workSize);
        for (const TChunk &chunk : checked.chunks)
            pass(piece.data(), DecodeChunk(file, start, chunk, piece.data(), work));
    }
    CheckDecoded(file, ~crc, count);
}

void TVornFile::CheckDecoded(TEntryOffset file, uint32_t crc, uint64_t count) const
{
    const uint32_t storedCrc = GetCrc32(file);
    if (storedCrc != 0 && crc != storedCrc)
        throw Exception("CRC-32 differs from header");
    if (count != GetSize(file))
        throw Exception("Size missmatch.");
}

void TVornFile::ReadRaw(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const
{
    const uint32_t size = GetSize(file);
    CheckStoredBytes(start, size); // before allocating, so a hostile size costs nothing
    output = TFileBuffer(size);
    count = ReadUpTo(start, output.data(), size);
}

void TVornFile::ReadStream(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const
{
    const uint32_t size = GetSize(file);
    const uint32_t stored = GetCompressedSize(file);
    CheckStoredBytes(start, stored);
    if (size > MaxDecodedSize(stored))
        throw Exception(FormatStr("Damaged index: %u stored bytes can't decode to %u bytes", stored, size));
    output = TFileBuffer(size);
    TFileBuffer work(stored);
    ReadAt(start, work.data(), stored);
    count = DecodeBlock(GetFormat(file), output.data(), size, stored, work.data());
}

std::vector<TVornFile::TChunk> TVornFile::ReadChunks(TEntryOffset file, uint32_t size, uint32_t chunkSize) const
{
    const uint64_t count = (uint64_t(size) + chunkSize - 1) / chunkSize;
    const uint64_t first = AfterNamePosition(file) + 8;
    CheckIndexRange(first, count * CHUNK_RECORD_SIZE);
    std::vector<TChunk> chunks(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t *record = &m_Index[first + i * CHUNK_RECORD_SIZE];
        chunks[i] = {ReadU32LE(record), ReadU32LE(record + 4), ReadU32LE(record + 8), ReadU32LE(record + 12)};
    }
    return chunks;
}

TVornFile::TCheckedChunks TVornFile::CheckChunks(TEntryOffset file, uint64_t start) const
{
    const uint32_t size = GetSize(file);
    const uint32_t chunkSize = GetChunkSize(file);
    TCheckedChunks checked;
    checked.chunks = ReadChunks(file, size, chunkSize);

    // Every chunk is checked before anything is allocated or written: the
    // output only ever receives the bytes the chunk records add up to.
    uint64_t totalStored = 0;
    for (size_t i = 0; i < checked.chunks.size(); ++i) {
        const TChunk &c = checked.chunks[i];
        const bool storedAsIs = c.m_CompressedSize == c.m_UncompressedSize;
        if (!storedAsIs && c.m_CompressedSize > chunkSize)
            throw Exception("CompressedSize is bigger than buffer!");
        const uint64_t chunkStart = start + c.m_Offset;
        const uint64_t stored = storedAsIs ? c.m_UncompressedSize : uint64_t(c.m_CompressedSize) + c.m_ExtraBytes;
        CheckStoredBytes(chunkStart, stored);
        // Chunks never share stored bytes, so together they fit in the
        // archive; without this, chunks pointing at the same few bytes could
        // claim an output far larger than anything the file can hold.
        totalStored += stored;
        if (totalStored > m_ArchiveSize)
            throw Exception(FormatStr("Damaged index: the chunks of entry %u overlap", file));
        if (!storedAsIs && (c.m_ExtraBytes > c.m_UncompressedSize
                            || c.m_UncompressedSize - c.m_ExtraBytes > MaxDecodedSize(c.m_CompressedSize)))
            throw Exception(FormatStr("Damaged index: chunk %zu of entry %u has impossible sizes", i, file));
        if (!storedAsIs)
            checked.workSize = std::max(checked.workSize, c.m_CompressedSize);
        checked.largest = std::max(checked.largest, c.m_UncompressedSize);
        checked.total += c.m_UncompressedSize;
    }
    if (checked.total > size)
        throw Exception("Size missmatch.");
    return checked;
}

uint32_t TVornFile::DecodeChunk(TEntryOffset file, uint64_t start, const TChunk &c, uint8_t *output,
                                TFileBuffer &work) const
{
    const uint64_t chunkStart = start + c.m_Offset;
    if (c.m_CompressedSize == c.m_UncompressedSize) {
        ReadAt(chunkStart, output, c.m_UncompressedSize);
        return c.m_UncompressedSize;
    }
    ReadAt(chunkStart, work.data(), c.m_CompressedSize);
    const uint32_t decodedPart = c.m_UncompressedSize - c.m_ExtraBytes;
    const uint32_t produced = DecodeBlock(GetFormat(file), output, c.m_UncompressedSize, c.m_CompressedSize,
                                          work.data());
    if (produced < decodedPart) // never hand out bytes the stream did not write
        throw Exception("Size missmatch.");
    ReadAt(chunkStart + c.m_CompressedSize, output + decodedPart, c.m_ExtraBytes);
    return c.m_UncompressedSize;
}

void TVornFile::ReadChunked(TEntryOffset file, uint64_t start, TFileBuffer &output, uint64_t &count) const
{
    const TCheckedChunks checked = CheckChunks(file, start);
    output = TFileBuffer(uint32_t(checked.total));
    TFileBuffer work(checked.workSize);
    uint8_t *cursor = output.data();
    for (const TChunk &chunk : checked.chunks)
        cursor += DecodeChunk(file, start, chunk, cursor, work);
    count = uint64_t(cursor - output.data());
}
