// vorntool ls ARCHIVE: every entry below the root, depth first in stored
// order, one tab-separated line each:
//   kind  size  compressed-size  format  crc  date  path

#include "tools/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"

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

int RunList(const std::vector<std::string> &arguments)
{
    const TVornFile vorn(arguments[0]);
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &relative) {
        WriteStdout(EntryLine(vorn, entry, relative));
    });
    return 0;
}

} // namespace

TToolCommand ListCommand()
{
    return {"ls", "ARCHIVE", "list every entry", 1, RunList};
}
