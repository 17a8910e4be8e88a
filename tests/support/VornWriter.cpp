#include "tests/support/VornWriter.h"

#include "archive/Crc32.h"

#include <libdeflate.h>
#include <lzo/lzo1x.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

void PutU64(Bytes &b, size_t pos, uint64_t v)
{
    PutU32(b, pos, uint32_t(v));
    PutU32(b, pos + 4, uint32_t(v >> 32));
}

void PutText(Bytes &b, TVornTextField field, const std::u16string &text)
{
    for (size_t i = 0; i < text.size() && i < field.units; ++i)
        PutU16(b, field.offset + 2 * i, text[i]);
}

void PutNameField(Bytes &b, size_t pos, const std::string &name)
{
    PutU16(b, pos, uint16_t(name.size()));
    std::memcpy(&b[pos + 2], name.data(), name.size());
}

void Append(Bytes &to, const Bytes &from)
{
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

void PutU16(Bytes &b, size_t pos, uint16_t v)
{
    b.at(pos + 1);
    b[pos] = uint8_t(v);
    b[pos + 1] = uint8_t(v >> 8);
}

void PutU32(Bytes &b, size_t pos, uint32_t v)
{
    b.at(pos + 3);
    for (int i = 0; i < 4; ++i)
        b[pos + i] = uint8_t(v >> (8 * i));
}

Bytes CompressZlib(const uint8_t *data, size_t size, int level)
{
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor *)> c(
        libdeflate_alloc_compressor(level), libdeflate_free_compressor);
    Bytes out(libdeflate_zlib_compress_bound(c.get(), size));
    out.resize(libdeflate_zlib_compress(c.get(), data, size, out.data(), out.size()));
    return out;
}

Bytes CompressLzo(const uint8_t *data, size_t size)
{
    static const bool ready = lzo_init() == LZO_E_OK;
    if (!ready)
        throw std::runtime_error("lzo_init failed");
    Bytes work(LZO1X_1_MEM_COMPRESS);
    Bytes out(size + size / 16 + 64 + 3);
    lzo_uint length = out.size();
    lzo1x_1_compress(data, size, out.data(), &length, work.data());
    out.resize(length);
    return out;
}

TFileTime MakeFileTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const int64_t unixSeconds = int64_t(timegm(&tm));
    return TFileTime(unixSeconds + 11644473600LL) * 10000000ULL;
}

Bytes TextBytes(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

Bytes PatternBytes(size_t size, uint32_t seed)
{
    Bytes b(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto &byte : b) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = uint8_t(x);
    }
    return b;
}

Bytes TextLikeBytes(size_t size, uint32_t seed)
{
    static const char *words[] = {"vorn ", "texture ", "map ", "velmire ", "script ", "\r\n", "sound ", "42 "};
    Bytes b;
    b.reserve(size);
    uint32_t x = seed + 7;
    while (b.size() < size) {
        x = x * 1103515245u + 12345u;
        const char *w = words[(x >> 16) % 8];
        for (const char *p = w; *p && b.size() < size; ++p)
            b.push_back(uint8_t(*p));
    }
    return b;
}

void WriteBytes(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes BuildExecutable(const std::vector<std::string> &sectionNames)
{
    Bytes b(312 + 40 * sectionNames.size() + 600, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PutU32(b, 60, 64);   // offset of the PE header
    std::memcpy(&b[64], "PE\0\0", 4);
    PutU16(b, 70, uint16_t(sectionNames.size()));
    for (size_t i = 0; i < sectionNames.size(); ++i)
        std::memcpy(&b[312 + 40 * i], sectionNames[i].data(), std::min<size_t>(8, sectionNames[i].size()));
    return b;
}

VornWriter::VornWriter()
{
    std::memcpy(header.m_ProductId.data(), "Velm", 4);
    std::memcpy(header.m_VornId.data(), "Vorn", 4);
    header.m_HeaderVersion = 0x00010000;
    m_nodes.emplace_back(); // the root
}

VornWriter::Handle VornWriter::addDir(Handle parent, const std::string &name, TFileTime time)
{
    Node node;
    node.parent = parent;
    node.name = name;
    node.time = time;
    m_nodes.push_back(std::move(node));
    m_nodes.at(parent).children.push_back(m_nodes.size() - 1);
    return m_nodes.size() - 1;
}

VornWriter::Handle VornWriter::addFile(Handle parent, FileSpec file)
{
    Node node;
    node.directory = false;
    node.parent = parent;
    node.name = file.name;
    node.time = file.time;
    node.file = std::move(file);
    m_nodes.push_back(std::move(node));
    m_nodes.at(parent).children.push_back(m_nodes.size() - 1);
    return m_nodes.size() - 1;
}

void VornWriter::encodeFile(Node &node)
{
    const FileSpec &f = node.file;
    node.stored.clear();
    node.chunks.clear();
    auto compress = [&](const uint8_t *p, size_t n) {
        return f.format == DATAFORMAT_LZO ? CompressLzo(p, n) : CompressZlib(p, n);
    };
    if (f.format != DATAFORMAT_ZLIB && f.format != DATAFORMAT_LZO) {
        node.stored = f.data; // raw, or an unknown format stored as is
        node.compressedSize = uint32_t(node.stored.size());
        return;
    }
    if (f.chunkSize == 0) {
        node.stored = f.storedOverride ? *f.storedOverride : compress(f.data.data(), f.data.size());
        node.compressedSize = uint32_t(node.stored.size());
        return;
    }
    for (size_t start = 0; start < f.data.size(); start += f.chunkSize) {
        const size_t n = std::min<size_t>(f.chunkSize, f.data.size() - start);
        const uint8_t *piece = f.data.data() + start;
        StoredChunk chunk{uint32_t(n), uint32_t(n), 0, uint32_t(node.stored.size())};
        const uint32_t extra = n > f.extraBytes ? f.extraBytes : 0;
        Bytes stream;
        if (f.storage == ChunkStorage::CompressWhenSmaller) {
            Bytes source(piece, piece + (f.extraOverwrites ? n : n - extra));
            if (f.extraOverwrites) // the stream's copy of the tail is wrong; the extra bytes repair it
                for (size_t i = n - extra; i < n; ++i)
                    source[i] ^= 0x5A;
            stream = compress(source.data(), source.size());
        }
        if (!stream.empty() && stream.size() < n) {
            chunk.compressed = uint32_t(stream.size());
            chunk.extra = extra;
            Append(node.stored, stream);
            node.stored.insert(node.stored.end(), piece + n - extra, piece + n);
        } else {
            node.stored.insert(node.stored.end(), piece, piece + n);
        }
        node.chunks.push_back(chunk);
    }
    node.compressedSize = uint32_t(node.stored.size());
}

uint32_t VornWriter::entrySize(const Node &node) const
{
    const uint32_t name = PaddedNameLength(uint32_t(node.name.size()));
    if (node.directory)
        return DIRENTRY_NAME_POS + name + 4 * uint32_t(node.children.size());
    // Every format but raw has the compressed-data header, unknown ones too.
    const bool compressed = node.file.format != DATAFORMAT_RAW;
    return FILEENTRY_NAME_POS + name + (compressed ? 8 + CHUNK_RECORD_SIZE * uint32_t(node.chunks.size()) : 0);
}

void VornWriter::writeEntry(Bytes &index, const Node &node) const
{
    const size_t e = node.entry;
    PutU32(index, e, &node == &m_nodes[0] ? 0 : m_nodes[node.parent].entry);
    if (node.directory) {
        PutU32(index, e + 4, uint32_t(node.children.size()));
        PutU64(index, e + 8, node.time);
        PutNameField(index, e + DIRENTRY_NAME_POS, node.name);
        size_t pos = e + DIRENTRY_NAME_POS + PaddedNameLength(uint32_t(node.name.size()));
        for (const Handle child : node.children) {
            PutU32(index, pos, m_nodes[child].entry);
            pos += 4;
        }
        return;
    }
    const FileSpec &f = node.file;
    PutU32(index, e + 4, f.sizeOverride.value_or(uint32_t(f.data.size())));
    PutU32(index, e + 8, node.dataOffset);
    PutU32(index, e + 12, f.crcOverride.value_or(CalcCRC32(0, f.data.data(), f.data.size())));
    PutU64(index, e + 16, node.time);
    PutU16(index, e + 24, f.format);
    PutU16(index, e + 26, f.flags);
    PutNameField(index, e + FILEENTRY_NAME_POS, node.name);
    if (f.format == DATAFORMAT_RAW)
        return;
    size_t pos = e + FILEENTRY_NAME_POS + PaddedNameLength(uint32_t(node.name.size()));
    PutU32(index, pos, node.compressedSize);
    PutU32(index, pos + 4, f.chunkSize);
    pos += 8;
    for (const StoredChunk &c : node.chunks) {
        PutU32(index, pos, c.uncompressed);
        PutU32(index, pos + 4, c.compressed);
        PutU32(index, pos + 8, c.extra);
        PutU32(index, pos + 12, c.offset);
        pos += CHUNK_RECORD_SIZE;
    }
}

Bytes VornWriter::build()
{
    m_nodes[0].name = rootName;
    m_nodes[0].time = rootTime;
    std::vector<Handle> dirs, files;
    for (Handle h = 0; h < m_nodes.size(); ++h) {
        (m_nodes[h].directory ? dirs : files).push_back(h);
        if (!m_nodes[h].directory)
            encodeFile(m_nodes[h]);
    }
    // Directory set: the table, then every DirEntry; then the file set.
    uint32_t pos = 4 + 4 * uint32_t(dirs.size());
    for (Handle h : dirs) {
        m_nodes[h].entry = pos;
        pos += entrySize(m_nodes[h]);
    }
    const uint32_t dirSetSize = pos;
    uint32_t data = 0;
    for (Handle h : files) {
        m_nodes[h].entry = pos;
        pos += entrySize(m_nodes[h]);
        m_nodes[h].dataOffset = data;
        data += uint32_t(m_nodes[h].stored.size());
    }
    const uint32_t indexSize = pos;

    Bytes index(indexSize, 0);
    PutU32(index, 0, uint32_t(dirs.size()));
    for (size_t i = 0; i < dirs.size(); ++i)
        PutU32(index, 4 + 4 * i, m_nodes[dirs[i]].entry);
    for (const Node &node : m_nodes)
        writeEntry(index, node);

    m_indexStart = VORN_HEADER_SIZE + 2 * uint32_t(description.size());
    m_dataStart = m_indexStart + indexSize;
    header.m_DirSetOffset = m_indexStart;
    header.m_FileSetOffset = m_indexStart + dirSetSize;
    header.m_IndexSize = indexSize;
    header.m_DataOffset = m_dataStart;
    header.m_DescriptionLength = uint16_t(description.size());

    Bytes out = headerBytes();
    for (char16_t unit : description) {
        out.push_back(uint8_t(unit));
        out.push_back(uint8_t(unit >> 8));
    }
    Append(out, index);
    for (Handle h : files)
        Append(out, m_nodes[h].stored);
    return out;
}

Bytes VornWriter::headerBytes() const
{
    const TVornHeader &h = header;
    Bytes b(VORN_HEADER_SIZE, 0);
    std::memcpy(&b[0], h.m_ProductId.data(), 4);
    std::memcpy(&b[4], h.m_VornId.data(), 4);
    PutU32(b, 8, h.m_HeaderVersion);
    PutU32(b, 12, h.m_DirSetOffset);
    PutU32(b, 16, h.m_FileSetOffset);
    PutU32(b, 20, h.m_IndexSize);
    PutU32(b, 24, h.m_DataOffset);
    for (size_t i = 0; i < 6; ++i) {
        PutU16(b, 28 + 2 * i, h.m_ProductVersion.m_Numbers[i]);
        PutU16(b, 40 + 2 * i, h.m_MinimumVersion.m_Numbers[i]);
    }
    PutU32(b, 52, h.m_Priority);
    PutU32(b, 56, h.m_Flags);
    std::memcpy(&b[60], h.m_CreatorId.data(), 4);
    PutU32(b, 64, h.m_GUID.m_Data1);
    PutU16(b, 68, h.m_GUID.m_Data2);
    PutU16(b, 70, h.m_GUID.m_Data3);
    std::memcpy(&b[72], h.m_GUID.m_Data4.data(), 8);
    PutU32(b, 80, h.m_IndexCRC32);
    PutU32(b, 84, h.m_DataCRC32);
    const TVornSystemTime &t = h.m_UtcBuildTime;
    const uint16_t times[8] = {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    for (size_t i = 0; i < 8; ++i)
        PutU16(b, 88 + 2 * i, times[i]);
    PutText(b, HEADER_COPYRIGHT, h.m_CopyrightText);
    PutText(b, HEADER_BUILD, h.m_BuildText);
    PutText(b, HEADER_TITLE, h.m_TitleText);
    PutText(b, HEADER_AUTHOR, h.m_AuthorText);
    PutU16(b, HEADER_DESCRIPTION_LENGTH_POS, uint16_t(description.size()));
    return b;
}

void VornWriter::write(const std::string &path)
{
    WriteBytes(path, build());
}

uint64_t VornWriter::storedStart(Handle file) const
{
    return uint64_t(m_dataStart) + m_nodes.at(file).dataOffset;
}

uint32_t VornWriter::chunkRecordPosition(Handle file, size_t chunk) const
{
    const Node &node = m_nodes.at(file);
    return m_indexStart + node.entry + FILEENTRY_NAME_POS + PaddedNameLength(uint32_t(node.name.size())) + 8
           + CHUNK_RECORD_SIZE * uint32_t(chunk);
}
