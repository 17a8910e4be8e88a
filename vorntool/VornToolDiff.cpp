// vorntool diff A B [--json] [--only added,removed,changed,repacked,same]:
// one "state<TAB>path" line per listed path (added, removed and changed by
// default), or the whole comparison as JSON. Exit code 0 when the archives
// hold the same files, 1 when they differ, 2 on an error.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "engines/ArchiveCompare.h"
#include "engines/CompareReport.h"
#include "engines/PathLimit.h"

#include <cstdio>
#include <memory>
#include <sstream>

namespace {

constexpr int ExitSame = 0;
constexpr int ExitDiffer = 1;
constexpr int ExitError = 2;

struct TDiffArguments {
    std::vector<std::string> Archives;
    bool Json = false;
    TCompareReport::TStateSet States = TCompareReport::Differences();
};

TCompareReport::TStateSet ParseStates(const std::string &list)
{
    if (list.empty())
        throw Exception("vorntool diff: --only needs a list of states (added, removed, changed, repacked, same)");
    TCompareReport::TStateSet states{};
    std::stringstream words(list);
    std::string word;
    while (std::getline(words, word, ',')) {
        bool known = false;
        for (size_t i = 0; i < CompareStateCount; ++i) {
            if (word == CompareStateKeyword(TCompareState(i))) {
                states[i] = true;
                known = true;
            }
        }
        if (!known)
            throw Exception("vorntool diff: unknown state \"" + word
                            + "\" (use added, removed, changed, repacked, same)");
    }
    return states;
}

TDiffArguments ParseArguments(const std::vector<std::string> &arguments)
{
    TDiffArguments parsed;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--json")
            parsed.Json = true;
        else if (argument == "--only")
            parsed.States = ParseStates(i + 1 < arguments.size() ? arguments[++i] : std::string());
        else if (argument.rfind("--only=", 0) == 0)
            parsed.States = ParseStates(argument.substr(7));
        else if (argument.rfind("--", 0) == 0)
            throw Exception("vorntool diff: unknown option " + argument);
        else
            parsed.Archives.push_back(argument);
    }
    if (parsed.Archives.size() != 2)
        throw Exception("usage: vorntool diff A B [--json] [--only added,removed,changed,repacked,same]");
    return parsed;
}

// Opens one side; an archive that won't open is named in the error, since
// the reader's messages ("Unknown header!") don't say which one it was.
std::unique_ptr<TVornFile> OpenSide(const std::string &path)
{
    try {
        return std::make_unique<TVornFile>(path);
    } catch (const Exception &e) {
        throw Exception(path + ": " + e.message());
    }
}

int RunDiff(const std::vector<std::string> &arguments)
{
    try {
        const TDiffArguments parsed = ParseArguments(arguments);
        const std::unique_ptr<TVornFile> a = OpenSide(parsed.Archives[0]);
        const std::unique_ptr<TVornFile> b = OpenSide(parsed.Archives[1]);
        const TCompareResult result = TArchiveCompare(*a, *b).Run();
        const TCompareReport report(result, parsed.Archives[0], parsed.Archives[1]);
        // Written as it goes; a path longer than the system allows is reported instead.
        bool tooLong = false;
        const auto write = [](const std::string &text) { WriteStdout(text); };
        const auto reportTooLong = [&](const std::string &shownPath) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s: %s\n", shownPath.c_str(), PathTooLongMessage);
            tooLong = true;
        };
        if (parsed.Json)
            report.WriteJson(parsed.States, write, reportTooLong);
        else
            report.WriteLines(parsed.States, write, reportTooLong);
        if (tooLong)
            return ExitError;
        return result.Differ ? ExitDiffer : ExitSame;
    } catch (const std::exception &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.what());
        return ExitError;
    }
}

} // namespace

TToolCommand DiffCommand()
{
    return {"diff", "A B [--json] [--only STATES]", "list what B adds, removes and changes", SIZE_MAX, RunDiff};
}
