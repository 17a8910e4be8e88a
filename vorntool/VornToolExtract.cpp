// vorntool x ARCHIVE [-o DIR] [--flat] [-y | -n | --older] [--png] [PATH ...]
// vorntool x --merged ARCHIVE|FOLDER... [-o DIR] [-y | -n | --older]
// Writes the whole archive, or the named files and folders ("/"-separated
// paths), below DIR (default: the current folder), rebuilding the archive's
// folders unless --flat is given. Existing files: -y replaces them all, -n
// skips them all, --older replaces only older ones; otherwise each one is
// asked about on the terminal and skipped when there is none. Each failed
// file is reported on stderr and the run goes on; the exit code is 1 when
// any failed. --png writes bitmaps and textures as name.png instead of the
// original (only in the build with Qt). With --merged the archives and the
// archives found in the folders are merged by priority and what the game
// sees is written: the winner of every path. Ctrl+C (or SIGTERM, SIGHUP)
// stops the run between two files and then ends the program by the signal.

#include "vorntool/VornToolExtract.h"

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"
#include "engines/ExtractEngine.h"
#include "engines/MergedExtract.h"
#include "vorntool/CancelOnSignal.h"
#include "vorntool/TerminalProgress.h"
#include "vorntool/VornToolCommands.h"
#include "vorntool/VornToolMergeSet.h"
#ifdef VV_WITH_PNG
#include "viewers/PngConversion.h"
#endif

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

struct TExtractArguments {
    std::string archive;
    bool merged = false;
    std::vector<std::string> sources; // --merged: the archives and folders
    std::string target = ".";
    TExtractOptions options{fnFullPath, owAsk, esAll};
    std::vector<std::string> paths;
    bool png = false;
};

void SetOverwriteMode(TExtractArguments &parsed, TOverwriteMode mode, bool &modeGiven)
{
    if (modeGiven)
        throw Exception("Give only one of -y, -n and --older");
    parsed.options.OverwriteMode = mode;
    modeGiven = true;
}

TExtractArguments ParseArguments(const std::vector<std::string> &arguments)
{
    TExtractArguments parsed;
    parsed.merged = !arguments.empty() && arguments[0] == "--merged";
    if (arguments.size() < (parsed.merged ? 2u : 1u))
        throw Exception("usage: vorntool x ARCHIVE [-o DIR] [--flat] [-y | -n | --older] [--png] [PATH ...]\n"
                        "       vorntool x --merged ARCHIVE|FOLDER... [-o DIR] [-y | -n | --older]");
    parsed.archive = arguments[parsed.merged ? 1 : 0];
    if (parsed.merged)
        parsed.sources.push_back(parsed.archive);
    bool modeGiven = false;
    bool optionsEnded = false;
    for (size_t i = parsed.merged ? 2 : 1; i < arguments.size(); ++i) {
        const std::string &word = arguments[i];
        if (optionsEnded || word.empty() || word[0] != '-') {
            (parsed.merged ? parsed.sources : parsed.paths).push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "-o") {
            if (++i == arguments.size())
                throw Exception("-o needs a folder");
            parsed.target = arguments[i];
        } else if (word == "--png") {
            parsed.png = true;
        } else if (word == "--flat") {
            parsed.options.FolderMode = fnNone;
        } else if (word == "-y") {
            SetOverwriteMode(parsed, owReplaceAll, modeGiven);
        } else if (word == "-n") {
            SetOverwriteMode(parsed, owSkipAll, modeGiven);
        } else if (word == "--older") {
            SetOverwriteMode(parsed, owOnlyOlder, modeGiven);
        } else {
            throw Exception(FormatStr("Unknown option %s", word.c_str()));
        }
    }
    if (parsed.merged && (parsed.png || parsed.options.FolderMode == fnNone))
        throw Exception("--merged writes the merged tree as it is: no --png or --flat");
    if (!parsed.paths.empty())
        parsed.options.FileSelection = esSelected;
    return parsed;
}

std::string LocalTimeText(std::time_t time)
{
    std::tm local{};
    char text[64] = "???";
    if (localtime_r(&time, &local))
        std::strftime(text, sizeof text, "%x %X", &local);
    return text;
}

class TStderrReport : public IExtractReport {
public:
    explicit TStderrReport(TTerminalProgress &progress) : m_Progress(progress) {}
    void ReportFailure(const TExtractFailure &failure) override { m_Progress.Print(ExtractFailureText(failure)); }

private:
    TTerminalProgress &m_Progress;
};

// The question asked with the progress line out of its way.
class TQuestionBesideProgress : public IOverwriteQuestion {
public:
    TQuestionBesideProgress(IOverwriteQuestion &question, TTerminalProgress &progress)
        : m_Question(question), m_Progress(progress)
    {
    }
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override
    {
        m_Progress.Pause();
        struct TResume {
            TTerminalProgress &progress;
            ~TResume() { progress.Resume(); }
        } resume{m_Progress};
        return m_Question.AskOverwrite(question);
    }

private:
    IOverwriteQuestion &m_Question;
    TTerminalProgress &m_Progress;
};

// What the game sees, written below the target: the winner of every merged
// path, in the folders of the merged tree.
int RunMergedExtract(const TExtractArguments &parsed)
{
    TToolMergeSet set(parsed.sources);
    TJob job;
    TTerminalProgress progress(job, stderr, false);
    TTerminalQuestion terminal(std::cin, std::cerr, ::isatty(STDIN_FILENO) == 1);
    TStderrReport report(progress);
    TMergedExtract extract(set.View(), terminal, report);
    extract.SetJob(job);
    TCancelOnSignal cancel(job);
    const TExtractResult result = extract.Extract(parsed.target, {MergeRoot}, parsed.options);
    cancel.EndBySignal();
    return result.Failed > 0 || set.LeftOut() ? 1 : 0;
}

int RunExtract(const std::vector<std::string> &arguments)
{
    return RunExtractCommand(arguments);
}

} // namespace

std::optional<TOverwriteAnswer> ParseOverwriteReply(const std::string &reply)
{
    if (reply == "y" || reply == "Y" || reply == "yes")
        return TOverwriteAnswer::Yes;
    if (reply == "n" || reply == "no")
        return TOverwriteAnswer::No;
    if (reply == "A" || reply == "all")
        return TOverwriteAnswer::YesToAll;
    if (reply == "N" || reply == "none")
        return TOverwriteAnswer::NoToAll;
    if (reply == "o" || reply == "O" || reply == "older")
        return TOverwriteAnswer::OnlyOlder;
    return std::nullopt;
}

TOverwriteAnswer TTerminalQuestion::AskOverwrite(const TOverwriteQuestion &question)
{
    if (!m_Interactive) {
        m_Output << "Skipped existing file: " << question.ExistingPath << '\n';
        return TOverwriteAnswer::No;
    }
    m_Output << question.ExistingPath << " already exists.\n"
             << "Do you want to replace the existing file:\n    " << question.ExistingSize << " bytes, "
             << (question.ExistingTime ? LocalTimeText(*question.ExistingTime) : std::string("???")) << '\n'
             << "with this one?\n    " << SizeToStr(question.EntrySize) << " bytes, "
             << FileTimeToStr(question.EntryTime) << '\n';
    for (;;) {
        m_Output << "[y]es, [n]o, [A]ll, [N]one, [o]nly older? " << std::flush;
        std::string reply;
        if (!std::getline(m_Input, reply))
            return TOverwriteAnswer::No; // end of input: leave the file alone
        if (const std::optional<TOverwriteAnswer> answer = ParseOverwriteReply(reply))
            return *answer;
    }
}

int RunExtractCommand(const std::vector<std::string> &arguments)
{
    const TExtractArguments parsed = ParseArguments(arguments);
#ifndef VV_WITH_PNG
    if (parsed.png)
        throw Exception("--png is not available in this build");
#endif
    if (parsed.merged)
        return RunMergedExtract(parsed);
    const TVornFile vorn(parsed.archive);
    bool missing = false;
    TExtractSelection selection;
    for (const std::string &path : parsed.paths) {
        const TEntryOffset entry = FindEntry(vorn, path);
        if (entry == 0) {
            std::fprintf(stderr, "No such entry in the archive: %s\n", path.c_str());
            missing = true;
        } else {
            selection.Selected.push_back(entry);
        }
    }
    if (!parsed.paths.empty() && selection.Selected.empty())
        return 1;
    TJob job;
    TTerminalProgress progress(job, stderr, IsTerminal(stderr));
    TTerminalQuestion terminal(std::cin, std::cerr, ::isatty(STDIN_FILENO) == 1);
    TQuestionBesideProgress question(terminal, progress);
    TStderrReport report(progress);
    TExtractEngine engine(vorn, std::move(selection), question, report);
    engine.SetJob(job);
#ifdef VV_WITH_PNG
    const TPngConversion pngConversion;
    if (parsed.png)
        engine.SetConverter(&pngConversion);
#endif
    // Ctrl+C stops the run between two files; what it prepared ahead is removed.
    TCancelOnSignal cancel(job);
    const TExtractResult result = engine.ExtractEntries(parsed.target, parsed.options);
    cancel.EndBySignal();
    return result.Failed > 0 || missing ? 1 : 0;
}

// The dispatcher passes any number of words: this command checks them itself.
TToolCommand ExtractCommand()
{
    return {"x", "ARCHIVE [-o DIR] [--flat] [-y|-n|--older] [--png] [PATH ...] | --merged ARCHIVE|FOLDER...",
            "extract the archive or the named entries, or what the game sees", SIZE_MAX, RunExtract};
}
