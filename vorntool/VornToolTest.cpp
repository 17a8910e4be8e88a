// vorntool test ARCHIVE: checks every file and reports each damaged one.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "engines/VerifyEngine.h"
#include "vorntool/TerminalProgress.h"

namespace {

int RunTest(const std::vector<std::string> &arguments)
{
    const TVornFile vorn(arguments[0]);
    TJob job;
    TVerifyResult result;
    {
        TTerminalProgress progress(job, stderr, IsTerminal(stderr));
        result = TVerifyEngine(vorn, job).Run();
    }
    for (const TDamagedEntry &damaged : result.Damaged)
        WriteStdout(damaged.Path + ": " + damaged.Reason + "\n");
    WriteStdout(FormatStr("%llu files OK, %llu failed\n", static_cast<unsigned long long>(result.Passed),
                          static_cast<unsigned long long>(result.Damaged.size())));
    return result.Damaged.empty() ? 0 : 1;
}

} // namespace

TToolCommand TestCommand()
{
    return {"test", "ARCHIVE", "decode every file and check it", 1, RunTest};
}
