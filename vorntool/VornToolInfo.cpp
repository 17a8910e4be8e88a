// vorntool info ARCHIVE: the header rows, then the header's texts.

#include "vorntool/VornToolCommands.h"

#include "archive/VornInfo.h"
#include "archive/vmFunctions.h"

namespace {

int RunInfo(const std::vector<std::string> &arguments)
{
    const TVornFile vorn(arguments[0]);
    const TVornHeader &h = vorn.Header();
    std::string out;
    for (const auto &[key, value] : GetVornInfoRows(h))
        out += key + ": " + value + "\n";
    out += "Title: " + Utf16ToUtf8(h.m_TitleText) + "\n";
    out += "Copyright: " + Utf16ToUtf8(h.m_CopyrightText) + "\n";
    out += "Author: " + Utf16ToUtf8(h.m_AuthorText) + "\n";
    out += "Build Info: " + Utf16ToUtf8(h.m_BuildText) + "\n";
    out += "Description: " + Utf16ToUtf8(vorn.Description()) + "\n";
    WriteStdout(out);
    return 0;
}

} // namespace

TToolCommand InfoCommand()
{
    return {"info", "ARCHIVE", "show the archive's header", 1, RunInfo};
}
