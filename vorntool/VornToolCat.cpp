// vorntool cat ARCHIVE PATH: the decoded bytes of one file on stdout.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"

namespace {

int RunCat(const std::vector<std::string> &arguments)
{
    const TVornFile vorn(arguments[0]);
    const std::string &path = arguments[1];
    const TEntryOffset entry = FindEntry(vorn, path);
    if (entry == 0)
        throw Exception(FormatStr("No such entry in the archive: %s", path.c_str()));
    if (vorn.IsDirectory(entry))
        throw Exception(FormatStr("%s is a folder", path.c_str()));
    const TFileBuffer contents = vorn.ReadFile(entry);
    WriteStdout(contents.data(), contents.size());
    return 0;
}

} // namespace

TToolCommand CatCommand()
{
    return {"cat", "ARCHIVE PATH", "write a file's decoded contents to stdout", 2, RunCat};
}
