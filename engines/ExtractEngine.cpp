#include "engines/ExtractEngine.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "engines/ExtractPlan.h"
#include "engines/StagingFolder.h"
#include "engines/NameClashes.h"
#include "engines/TargetWriter.h"

#include <cstring>

struct TExtractEngine::TRun {
    const TExtractPlan &plan;
    TExtractOptions &Options;
    TDecodePrefetcher &prefetcher;
    TTargetWriter &writer;
    // The paths more than one step may take; null when no file is created ahead.
    const TNameClashes *clashes;
    TExtractResult result;
};

TExtractEngine::TExtractEngine(const TVornFile &vorn, TExtractSelection selection, IOverwriteQuestion &question,
                               IExtractReport &report)
    : m_Vorn(vorn), m_Selection(std::move(selection)), m_Question(question), m_Report(report)
{
}

TExtractEngine::~TExtractEngine() = default;

TExtractResult TExtractEngine::ExtractEntries(const std::string &TargetDir, TExtractOptions Options)
{
    // An empty target would put the archive's files at the top of the file system.
    if (TargetDir.empty())
        throw Exception("No folder to extract to");
    const TEntryOffset root = m_Vorn.GetRootOffset();
    const TEntryOffset current = m_Selection.CurrentFolder ? m_Selection.CurrentFolder : root;
    TExtractPlan plan;
    if (Options.FileSelection == esSelected && !m_Selection.Selected.empty()) {
        // Each item's ancestors give its folder; for the items of the shown
        // folder that is the shown folder's own path.
        for (const TEntryOffset entry : WithoutCoveredEntries(m_Vorn, m_Selection.Selected))
            plan.AddEntryWithAncestors(m_Vorn, TargetDir, entry, Options.FolderMode);
    } else if (Options.FileSelection == esCurrentDir) {
        plan.AddEntryWithAncestors(m_Vorn, TargetDir, current, Options.FolderMode);
    } else {
        plan.AddEntry(m_Vorn, TargetDir, root, Options.FolderMode);
    }
    return Execute(plan, Options, TargetDir);
}

TExtractResult TExtractEngine::ExtractEntry(const std::string &Dir, TEntryOffset Entry, TExtractOptions *Options)
{
    TExtractPlan plan;
    plan.AddEntry(m_Vorn, Dir, Entry, Options->FolderMode);
    return Execute(plan, *Options, Dir);
}

TExtractResult TExtractEngine::Execute(const TExtractPlan &plan, TExtractOptions &Options, const std::string &root)
{
    // Files whose names are usable are prepared ahead, in the order they are
    // written: each known by its entry and its folder's number, nothing more.
    std::vector<TEntryOffset> files;
    std::vector<uint32_t> folderOfFile;
    // With workers, a file whose path no other step of the run can take may
    // be created under its name ahead of its turn.
    TNameClashes clashes;
    const bool ahead = m_Limits.Threads > 0;
    if (ahead) {
        clashes.Reserve(plan.Steps().size() + plan.Folders().size());
        for (const TPlanFolder &folder : plan.Folders())
            if (folder.Error.empty())
                clashes.AddFolders(WithSeparator(root), folder.Path);
    }
    for (const TPlanStep &step : plan.Steps()) {
        if (step.kind != TPlanStep::File)
            continue;
        const TPlanFile file = plan.File(m_Vorn, step);
        if (!Usable(plan, step, file))
            continue;
        files.push_back(step.Entry);
        folderOfFile.push_back(step.FolderIndex);
        if (ahead) {
            const std::string &folder = plan.Folders()[step.FolderIndex].Path;
            clashes.AddFile(folder, file.Name);
            if (Converted(file.Name)) // either name may be written
                clashes.AddFile(folder, m_Converter->ConvertedName(file.Name));
        }
    }
    clashes.Settle();
    // Worker threads decode the files and write them below the run's
    // folder, under their own names or as unnamed files; this thread keeps
    // or links them in order. Without workers each file is decoded and
    // written when its turn comes. A file that is never placed is removed
    // (or, unnamed, vanishes when it is closed), whatever ends the run.
    const auto folderOf = [&plan, &folderOfFile](size_t file) -> const std::string & {
        return plan.Folders()[folderOfFile[file]].Path;
    };
    const auto ownName = [&](size_t file, TEntryOffset entry) -> std::string {
        const TPlanStep step{TPlanStep::File, folderOfFile[file], entry};
        const std::string name = plan.File(m_Vorn, step).Name;
        return CreatedAhead(plan, step, name, clashes) ? name : std::string();
    };
    // The writer outlives the staging folder, which asks it at the end which
    // of the folders made ahead the run reached.
    TTargetWriter writer(WithSeparator(root));
    TStagingFolder staging(WithSeparator(root), folderOf, ownName);
    if (ahead) {
        // A folder of the files may be made before its turn (so threads can
        // create files in several folders at once) when nothing else of
        // the run can take its path.
        staging.MakeFoldersAhead(
            [&clashes, base = WithSeparator(root)](std::string_view path) { return !clashes.FolderClashes(base, path); },
            [&writer](const std::string &folder) { return writer.Made(folder); });
    }
    TDecodePrefetcher prefetcher(m_Vorn, std::move(files), m_Limits, ahead ? &staging : nullptr,
                                 ahead ? std::span<const uint32_t>(folderOfFile) : std::span<const uint32_t>());
    TRun run{plan, Options, prefetcher, writer, ahead ? &clashes : nullptr, {}};
    if (!m_KeepJobTotals)
        SetJobTotals(plan);
    size_t nextJob = 0; // the prefetcher's number of the next usable file
    for (const TPlanStep &step : plan.Steps()) {
        if (m_BeforeEntry)
            m_BeforeEntry();
        if (m_Job->Cancelled()) {
            run.result.Cancelled = true;
            break;
        }
        switch (step.kind) {
        case TPlanStep::Folder:
            if (plan.Folders()[step.FolderIndex].Error.empty())
                run.writer.CreateFolders(plan.Folders()[step.FolderIndex].Path);
            break;
        case TPlanStep::File: {
            const TPlanFile file = plan.File(m_Vorn, step);
            ExtractFile(run, step, file, Usable(plan, step, file) ? ptrdiff_t(nextJob++) : -1);
            break;
        }
        case TPlanStep::Abort:
            std::rethrow_exception(plan.AbortError());
        }
    }
    return run.result;
}

bool TExtractEngine::Converted(const std::string &name) const
{
    return m_Converter && m_Converter->Claims(name);
}

bool TExtractEngine::CreatedAhead(const TExtractPlan &plan, const TPlanStep &step, const std::string &name,
                                  const TNameClashes &clashes) const
{
    return !Converted(name) && !clashes.Clashes(plan.Folders()[step.FolderIndex].Path, name);
}

bool TExtractEngine::Usable(const TExtractPlan &plan, const TPlanStep &step, const TPlanFile &file)
{
    return file.Error.empty() && plan.Folders()[step.FolderIndex].Error.empty();
}

void TExtractEngine::SetJobTotals(const TExtractPlan &plan)
{
    uint64_t files = 0;
    uint64_t bytes = 0;
    for (const TPlanStep &step : plan.Steps()) {
        if (step.kind == TPlanStep::File) {
            ++files;
            bytes += EntrySize(step.Entry);
        }
    }
    m_Job->SetTotals(files, bytes);
}

uint64_t TExtractEngine::EntrySize(TEntryOffset entry) const
{
    try {
        return m_Vorn.GetSize(entry);
    } catch (const std::exception &) {
        return 0; // a damaged record: the file's own error is reported when its turn comes
    }
}

void TExtractEngine::ExtractFile(TRun &run, const TPlanStep &step, const TPlanFile &file, ptrdiff_t job)
{
    m_Job->SetCurrent(ArchivePath(step, file.Name));
    ExtractFileOrReport(run, step, file, job);
    m_Job->EntryDone(EntrySize(step.Entry));
}

std::string TExtractEngine::ArchivePath(const TPlanStep &step, const std::string &name) const
{
    // Names from the file up to the root (whose name is never part of a
    // path), no more than a path the system could take: a deep, looping or
    // damaged chain of folders costs no more than that.
    std::vector<std::string> names{name};
    uint64_t length = name.size();
    bool cut = false;
    try {
        for (TEntryOffset folder = m_Vorn.GetParent(step.Entry); folder != 0 && m_Vorn.GetParent(folder) != 0;
             folder = m_Vorn.GetParent(folder)) {
            if (length > MaxPathLength) {
                cut = true;
                break;
            }
            names.push_back(AnsiToUtf8(m_Vorn.GetName(folder)));
            length += names.back().size() + 1;
        }
    } catch (const std::exception &) {
        cut = true; // a folder record that can't be read: the path below it
    }
    std::string path = cut ? ".../" : "";
    for (auto each = names.rbegin(); each != names.rend(); ++each)
        path += *each + (each + 1 == names.rend() ? "" : "/");
    return path;
}

void TExtractEngine::ExtractFileOrReport(TRun &run, const TPlanStep &step, const TPlanFile &file, ptrdiff_t job)
{
    const TPlanFolder &folder = run.plan.Folders()[step.FolderIndex];
    try {
        if (!folder.Error.empty())
            throw Exception(folder.Error);
        if (!file.Error.empty())
            throw Exception(file.Error);
        if (Converted(file.Name)) {
            ExtractConverted(run, step, file.Name, job, folder.Path);
            return;
        }
        PlaceFile(run, step, file, size_t(job), folder.Path);
    } catch (const std::exception &error) {
        if (job >= 0)
            run.prefetcher.Pass(size_t(job));
        ++run.result.Failed;
        const TExtractFailure failure{folder.Path + file.Name, error.what()};
        m_Job->AddFailure({failure.Path, failure.Message});
        m_Report.ReportFailure(failure);
    }
}

void TExtractEngine::PlaceFile(TRun &run, const TPlanStep &step, const TPlanFile &file, size_t job,
                               const std::string &folder)
{
    // A file that may have been created under its own name ahead of its turn
    // is taken first: if it was, nothing stood there and it only needs
    // keeping. Any other file goes through the overwrite rules before its
    // decoding, whose error counts only if it is written after all.
    const bool ownName = run.clashes && CreatedAhead(run.plan, step, file.Name, *run.clashes);
    TPreparedFile prepared;
    std::exception_ptr error;
    if (ownName) {
        try {
            prepared = run.prefetcher.Take(job);
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (!prepared.Created) {
        if (SettleOverwrite(run, folder, file.Name, step.Entry) == TDecision::Skip) {
            run.prefetcher.Pass(job);
            ++run.result.Skipped;
            return;
        }
    }
    run.writer.CreateFolders(folder);
    if (m_Status)
        m_Status("Extracting " + file.Name);
    if (error)
        std::rethrow_exception(error);
    if (!ownName)
        prepared = run.prefetcher.Take(job);
    if (prepared.Created)
        prepared.Created->Keep();
    else
        run.writer.PlaceFile(folder, file.Name, prepared, m_Vorn.GetFileTime(step.Entry));
    ++run.result.Written;
}

// All bytes of a prepared file in memory, however it was prepared.
static TFileBuffer WholeFile(TPreparedFile &file, uint32_t size)
{
    if (!file.Staged && !file.Stream)
        return std::move(file.Data);
    TFileBuffer bytes(size);
    uint32_t filled = 0;
    const TPieceSink sink = [&](const uint8_t *data, size_t length) {
        if (length > size - filled)
            throw Exception("Size missmatch.");
        std::memcpy(bytes.data() + filled, data, length);
        filled += uint32_t(length);
    };
    if (file.Staged)
        file.Staged->ReadBack(sink);
    else
        file.Stream(sink);
    if (filled != size)
        throw Exception("Size missmatch.");
    return bytes;
}

void TExtractEngine::ExtractConverted(TRun &run, const TPlanStep &step, const std::string &stepName, ptrdiff_t job,
                                      const std::string &folder)
{
    // The name on disk depends on whether the data converts, so the file is
    // decoded before the overwrite question.
    TPreparedFile file = run.prefetcher.Take(size_t(job));
    const TFileBuffer bytes = WholeFile(file, m_Vorn.GetSize(step.Entry));
    const std::optional<TFileBuffer> converted = m_Converter->Convert(stepName, bytes);
    const std::string name = converted ? m_Converter->ConvertedName(stepName) : stepName;
    if (SettleOverwrite(run, folder, name, step.Entry) == TDecision::Skip) {
        ++run.result.Skipped;
        return;
    }
    run.writer.CreateFolders(folder);
    if (m_Status)
        m_Status("Extracting " + name);
    run.writer.WriteFile(folder, name, converted ? *converted : bytes, m_Vorn.GetFileTime(step.Entry));
    ++run.result.Written;
}

TExtractEngine::TDecision TExtractEngine::SettleOverwrite(TRun &run, const std::string &folder,
                                                          const std::string &name, TEntryOffset entry)
{
    TOverwriteMode &mode = run.Options.OverwriteMode;
    // With "replace all" the existence test is not even made.
    if (mode == owReplaceAll || !run.writer.Exists(folder, name))
        return TDecision::Write;
    if (mode == owAsk) {
        switch (AskOverwrite(folder + name, entry)) {
        case TOverwriteAnswer::Yes:
            return TDecision::Write;
        case TOverwriteAnswer::No:
            return TDecision::Skip;
        case TOverwriteAnswer::YesToAll:
            mode = owReplaceAll;
            return TDecision::Write;
        case TOverwriteAnswer::NoToAll:
            mode = owSkipAll;
            return TDecision::Skip;
        case TOverwriteAnswer::OnlyOlder:
            mode = owOnlyOlder; // and decided for this file by the rule below
            break;
        }
    }
    if (mode == owOnlyOlder)
        return ExistingIsAsNew(run, folder, name, entry) ? TDecision::Skip : TDecision::Write;
    return TDecision::Skip;
}

bool TExtractEngine::ExistingIsAsNew(TRun &run, const std::string &folder, const std::string &name,
                                     TEntryOffset entry)
{
    const std::optional<std::time_t> existing = run.writer.ModificationTime(folder, name);
    if (!existing)
        return false; // an unreadable time: replace
    return UnixTimeToLocalDateTime(*existing) >= FileTimeToDateTime(m_Vorn.GetFileTime(entry));
}

TOverwriteAnswer TExtractEngine::AskOverwrite(const std::string &ExistingPath, TEntryOffset Entry)
{
    const TExistingFile existing = TTargetWriter::ReadExisting(ExistingPath);
    TOverwriteQuestion question;
    question.ExistingPath = ExistingPath;
    question.ExistingSize = existing.Size;
    question.ExistingTime = existing.ModificationTime;
    question.Entry = Entry;
    question.EntrySize = m_Vorn.GetSize(Entry);
    question.EntryTime = m_Vorn.GetFileTime(Entry);
    return m_Question.AskOverwrite(question);
}
