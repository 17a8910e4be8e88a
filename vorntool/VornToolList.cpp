// vorntool ls ARCHIVE [--json]: every entry below the root, depth first in
// stored order, one tab-separated line each:
//   kind  size  compressed-size  format  crc  date  path
// or with --json a JSON array of one object per entry.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"
#include "vorntool/VornToolJson.h"

#include <cstdio>

namespace {

std::string EntryLine(const TVornFile &vorn, TEntryOffset entry, const std::string &relative)
{
    const std::string date = FileTimeToStr(vorn.GetFileTime(entry));
    const std::string path = EntryDisplayPath(vorn, entry, relative);
    if (vorn.IsDirectory(entry))
        return "d\t0\t0\t-\t-\t" + date + "\t" + path + "\n";
    const uint32_t crc = vorn.GetCrc32(entry);
    return "f\t" + SizeToStr(vorn.GetSize(entry)) + "\t" + SizeToStr(vorn.GetCompressedSize(entry)) + "\t"
           + FormatToStr(vorn.GetFormat(entry)) + "\t" + (crc ? FormatStr("%08X", crc) : std::string("-"))
           + "\t" + date + "\t" + path + "\n";
}

int Usage()
{
    std::fputs("usage: vorntool ls ARCHIVE [--json]\n", stderr);
    return 2;
}

int RunList(const std::vector<std::string> &arguments)
{
    std::string archive;
    bool json = false;
    for (const std::string &word : arguments) {
        if (word == "--json")
            json = true;
        else if (archive.empty() && !word.empty())
            archive = word;
        else
            return Usage();
    }
    if (archive.empty())
        return Usage();
    const TVornFile vorn(archive);
    TJsonArrayWriter array;
    // A damaged part of the index is reported where it stands; the rest is listed.
    bool damaged = false;
    const auto report = [&](const std::string &path, const std::string &message) {
        damaged = true;
        std::fprintf(stderr, "%s: %s\n", AnsiToUtf8(path).c_str(), message.c_str());
    };
    WalkTree(
        vorn, vorn.GetRootOffset(),
        [&](TEntryOffset entry, const std::string &relative) {
            std::string text;
            try {
                text = json ? EntryJson(vorn, entry, EntryDisplayPath(vorn, entry, relative))
                            : EntryLine(vorn, entry, relative);
            } catch (const Exception &e) {
                report(relative, e.what());
                return;
            }
            if (json)
                array.Add(text);
            else
                WriteStdout(text);
        },
        report);
    if (json)
        array.Finish();
    return damaged ? 1 : 0;
}

} // namespace

TToolCommand ListCommand()
{
    return {"ls", "ARCHIVE [--json]", "list every entry", SIZE_MAX, RunList};
}
