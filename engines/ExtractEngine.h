#pragma once
// TExtractEngine: one extraction run over one archive. It works on a snapshot
// taken when it is made (the archive, the shown folder and the selected
// entries), so the caller's list may change while a run goes on; the caller
// keeps the archive open until the run ends.
//
// Every file is handled on its own: an error is reported through
// IExtractReport and the run goes on with the next entry. Questions, reports,
// status texts, folders and the files put in place follow the order of a
// sequential run; only the decoding of the next files and writing them --
// unnamed, or under their own names where no other step of the run can take
// those, in folders made for them ahead where nothing else can take those
// -- may run ahead on worker threads. A folder made ahead that the run
// does not reach is removed again.

#include "archive/vmVornFile.h"
#include "engines/DecodePrefetcher.h"
#include "engines/ExtractTypes.h"
#include "engines/Job.h"
#include "engines/FileConverter.h"

#include <functional>
#include <string>
#include <vector>

class TExtractPlan;
class TNameClashes;
class TTargetWriter;
struct TPlanFile;
struct TPlanStep;

struct TExtractSelection {
    TEntryOffset CurrentFolder = 0;       // the folder the list shows; 0 stands for the root
    std::vector<TEntryOffset> Selected;   // the selected entries, in list order
};

class TExtractEngine {
public:
    using TStatusCallback = std::function<void(const std::string &text)>;
    using TBeforeEntryCallback = std::function<void()>;

    TExtractEngine(const TVornFile &vorn, TExtractSelection selection, IOverwriteQuestion &question,
                   IExtractReport &report);
    ~TExtractEngine();

    // "Extracting " + name, before each file is written.
    void SetStatusCallback(TStatusCallback callback) { m_Status = std::move(callback); }
    // Before each entry, folders included (the GUI lets pending events run).
    void SetBeforeEntryCallback(TBeforeEntryCallback callback) { m_BeforeEntry = std::move(callback); }
    // Preparing files ahead; the default uses the machine's cores, Threads =
    // 0 decodes and writes each file only when its turn comes (PieceThreads
    // still decodes a big file's pieces ahead of its writing).
    void SetPrefetchLimits(const TPrefetchLimits &limits) { m_Limits = limits; }
    // The job that shows the run's progress, stops it between entries when
    // cancelled and collects its failures; without one the engine keeps its
    // own. It must outlive the runs.
    void SetJob(TJob &job) { m_Job = &job; }
    // The job's totals are set by the caller (who runs the engine for one
    // entry at a time, as the merged extraction does), not by each run.
    void KeepJobTotals() { m_KeepJobTotals = true; }
    // Writes the files it claims in converted form; null (the default)
    // writes every file as it is stored. Must outlive the runs.
    void SetConverter(const IFileConverter *converter) { m_Converter = converter; }

    // One run: the entries chosen by Options.FileSelection, written below
    // TargetDir. Options is the run's own copy; an overwrite answer changes
    // it for the rest of the run. An error outside the per-file handling (a
    // damaged index, an empty TargetDir) is raised after the files before it
    // are written.
    TExtractResult ExtractEntries(const std::string &TargetDir, TExtractOptions Options);
    // A cancelled job ends the run before its next entry: the files placed so
    // far stay, the file being prepared is never put in place.
    // Writes Entry into Dir, a folder with everything below it.
    TExtractResult ExtractEntry(const std::string &Dir, TEntryOffset Entry, TExtractOptions *Options);
    // Asks about replacing ExistingPath with Entry; raises when the existing
    // file can't be opened.
    TOverwriteAnswer AskOverwrite(const std::string &ExistingPath, TEntryOffset Entry);

private:
    enum class TDecision { Write, Skip };

    // What one run works with while it goes through the plan.
    struct TRun;

    // `root`: the folder every file of the plan goes below.
    TExtractResult Execute(const TExtractPlan &plan, TExtractOptions &Options, const std::string &root);
    void SetJobTotals(const TExtractPlan &plan);
    uint64_t EntrySize(TEntryOffset entry) const;
    // A file whose name or folder can't be used gets no prefetch job (-1).
    static bool Usable(const TExtractPlan &plan, const TPlanStep &step, const TPlanFile &file);
    // Whether the converter writes the file named `name` (perhaps under another name).
    bool Converted(const std::string &name) const;
    // Whether the usable file `name` of the step may be created under its
    // name ahead of its turn: it is written as stored and no other step of
    // the run can take its path.
    bool CreatedAhead(const TExtractPlan &plan, const TPlanStep &step, const std::string &name,
                      const TNameClashes &clashes) const;
    void ExtractFile(TRun &run, const TPlanStep &step, const TPlanFile &file, ptrdiff_t job);
    // The path in the archive of the file named `name` ("art/walls/brick.bmp"),
    // shown as the job's current entry; its start is left out ("...") when it
    // is longer than the system allows or a folder above can't be read.
    std::string ArchivePath(const TPlanStep &step, const std::string &name) const;
    void ExtractFileOrReport(TRun &run, const TPlanStep &step, const TPlanFile &file, ptrdiff_t job);
    // Puts a usable file in place (or skips it) by the overwrite rules.
    void PlaceFile(TRun &run, const TPlanStep &step, const TPlanFile &file, size_t job, const std::string &folder);
    // A file the converter claims: decoded first, then written converted
    // (or unchanged when it can't be) under the name that results.
    void ExtractConverted(TRun &run, const TPlanStep &step, const std::string &stepName, ptrdiff_t job,
                          const std::string &folder);
    TDecision SettleOverwrite(TRun &run, const std::string &folder, const std::string &name, TEntryOffset entry);
    bool ExistingIsAsNew(TRun &run, const std::string &folder, const std::string &name, TEntryOffset entry);

    const TVornFile &m_Vorn;
    TExtractSelection m_Selection;
    IOverwriteQuestion &m_Question;
    IExtractReport &m_Report;
    TStatusCallback m_Status;
    TBeforeEntryCallback m_BeforeEntry;
    TPrefetchLimits m_Limits = WritingPrefetchLimits();
    TJob m_OwnJob;
    TJob *m_Job = &m_OwnJob;
    bool m_KeepJobTotals = false;
    const IFileConverter *m_Converter = nullptr;
};
