#include "vorntool/VornToolJson.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "vorntool/VornToolCommands.h"

std::string JsonString(const std::string &utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\')
            out += {'\\', c};
        else if (uint8_t(c) < 0x20)
            out += FormatStr("\\u%04x", unsigned(uint8_t(c)));
        else
            out += c;
    }
    return out + "\"";
}

std::string EntryJson(const TVornFile &vorn, TEntryOffset entry, const std::string &path, const std::string &archive)
{
    std::string object = "{";
    if (!archive.empty())
        object += "\"archive\":" + JsonString(archive) + ",";
    const bool folder = vorn.IsDirectory(entry);
    object += "\"kind\":\"" + std::string(folder ? "d" : "f") + "\"";
    if (folder) {
        object += ",\"size\":0,\"compressedSize\":0,\"format\":null,\"crc\":null";
    } else {
        const uint32_t crc = vorn.GetCrc32(entry);
        object += FormatStr(",\"size\":%u,\"compressedSize\":%u", vorn.GetSize(entry), vorn.GetCompressedSize(entry));
        object += ",\"format\":" + JsonString(FormatToStr(vorn.GetFormat(entry)));
        object += ",\"crc\":" + (crc ? FormatStr("\"%08X\"", crc) : std::string("null"));
    }
    const std::string date = FileTimeToStr(vorn.GetFileTime(entry));
    object += ",\"date\":" + (date.empty() ? std::string("null") : JsonString(date));
    return object + ",\"path\":" + JsonString(path) + "}";
}

void TJsonArrayWriter::Add(const std::string &object)
{
    WriteStdout((m_Started ? ",\n" : "[\n") + object);
    m_Started = true;
}

void TJsonArrayWriter::Finish()
{
    WriteStdout(m_Started ? "\n]\n" : "[\n]\n");
}
