// vorntool test ARCHIVE: decodes every file and reports each failure.

#include "tools/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"

namespace {

int RunTest(const std::vector<std::string> &arguments)
{
    const TVornFile vorn(arguments[0]);
    uint64_t passed = 0;
    uint64_t failed = 0;
    const auto report = [&](const std::string &path, const std::string &message) {
        ++failed;
        WriteStdout(AnsiToUtf8(path) + ": " + message + "\n");
    };
    WalkTree(
        vorn, vorn.GetRootOffset(),
        [&](TEntryOffset entry, const std::string &relative) {
            if (vorn.IsDirectory(entry))
                return;
            try {
                vorn.ReadFile(entry);
                ++passed;
            } catch (const Exception &e) {
                report(relative, e.what());
            }
        },
        report); // a damaged part of the index counts as one failure where it stands
    WriteStdout(FormatStr("%llu files OK, %llu failed\n", static_cast<unsigned long long>(passed),
                          static_cast<unsigned long long>(failed)));
    return failed == 0 ? 0 : 1;
}

} // namespace

TToolCommand TestCommand()
{
    return {"test", "ARCHIVE", "decode every file and check it", 1, RunTest};
}
