// Archive::extract and Archive::test: the extraction and verify engines run
// for the caller, with its progress callback asked between entries.

#include "lib/ArchiveImpl.h"

#include "lib/ErrorTranslation.h"
#include "lib/ExtractReport.h"

#include "archive/TreeWalk.h"
#include "engines/ExtractEngine.h"
#include "engines/VerifyEngine.h"

#include <chrono>
#include <future>

namespace vorn {

namespace {

Progress ProgressOf(const TJob &job)
{
    const TJobProgress p = job.Progress();
    return {p.EntriesDone, p.EntriesTotal, p.BytesDone, p.BytesTotal, p.Current};
}

} // namespace

ExtractResult Archive::extract(const std::string &targetFolder, const ExtractOptions &options) const
{
    const TVornFile &vorn = d->Vorn;
    TExtractSelection selection;
    for (const std::string &path : options.paths) {
        const TEntryOffset entry = Translated<OpenError>([&] { return FindEntry(vorn, path); });
        if (entry == 0)
            throw NotFoundError("No such entry in the archive: " + path);
        selection.Selected.push_back(entry);
    }
    TExtractOptions engineOptions;
    engineOptions.FolderMode = options.keepFolders ? fnFullPath : fnNone;
    engineOptions.OverwriteMode = OverwriteModeOf(options.overwrite);
    engineOptions.FileSelection = options.paths.empty() ? esAll : esSelected;

    TLibraryExtractReport report;
    TJob job;
    TExtractEngine engine(vorn, std::move(selection), report, report);
    engine.SetJob(job);
    if (options.progress)
        engine.SetBeforeEntryCallback([&] {
            if (!job.Cancelled() && !options.progress(ProgressOf(job)))
                job.Cancel();
        });
    const TExtractResult done =
        Translated<Error>([&] { return engine.ExtractEntries(targetFolder, engineOptions); });
    return report.Result(done);
}

TestResult Archive::test(const ProgressCallback &progress) const
{
    TJob job;
    TVerifyEngine engine(d->Vorn, job);
    // The engine runs beside this thread, which asks the callback about
    // every tenth of a second, so the callback is always called here.
    auto running = std::async(std::launch::async, [&] { return Translated<OpenError>([&] { return engine.Run(); }); });
    try {
        while (progress && running.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
            if (!job.Cancelled() && !progress(ProgressOf(job)))
                job.Cancel();
        }
    } catch (...) { // the callback's own error ends the check early
        job.Cancel();
        running.wait();
        throw;
    }
    const TVerifyResult verified = running.get();
    TestResult result;
    result.checked = verified.Checked;
    result.passed = verified.Passed;
    result.bytes = verified.Bytes;
    result.cancelled = verified.Cancelled;
    for (const TDamagedEntry &damaged : verified.Damaged)
        result.damaged.push_back({damaged.Path, damaged.Reason});
    return result;
}

} // namespace vorn
