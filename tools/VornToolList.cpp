// vorntool ls ARCHIVE [--json]: every entry below the root, depth first in
// stored order, one tab-separated line each:
//   kind  size  compressed-size  format  crc  date  path
// or with --json a JSON array of one object per entry.

#include "tools/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"
#include "tools/VornToolJson.h"

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
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &relative) {
        if (json)
            array.Add(EntryJson(vorn, entry, EntryDisplayPath(vorn, entry, relative)));
        else
            WriteStdout(EntryLine(vorn, entry, relative));
    });
    if (json)
        array.Finish();
    return 0;
}

} // namespace

TToolCommand ListCommand()
{
    return {"ls", "ARCHIVE [--json]", "list every entry", SIZE_MAX, RunList};
}
