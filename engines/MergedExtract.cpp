#include "engines/MergedExtract.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "engines/ExtractPlan.h"
#include "engines/SafeName.h"
#include "engines/TargetWriter.h"

struct TMergedExtract::TRun {
    TExtractOptions &Options;
    TTargetWriter writer;
    TExtractResult result;
};

TMergedExtract::TMergedExtract(const TMergedView &view, IOverwriteQuestion &question, IExtractReport &report)
    : m_View(view), m_Question(question), m_Report(report), m_Engines(view.ArchiveCount())
{
}

TMergedExtract::~TMergedExtract() = default;

TExtractResult TMergedExtract::Extract(const std::string &TargetDir, const std::vector<TMergeNodeId> &nodes,
                                       TExtractOptions Options)
{
    // An empty target would put the files at the top of the file system.
    if (TargetDir.empty())
        throw Exception("No folder to extract to");
    const std::string root = WithSeparator(TargetDir);
    TRun run{Options, TTargetWriter(root), {}};
    SetJobTotals(nodes);
    for (const TMergeNodeId node : nodes) {
        std::string dir = root;
        if (Options.FolderMode == fnFullPath) {
            std::vector<TMergeNodeId> ancestors;
            for (TMergeNodeId n = m_View.Parent(node); n != MergeRoot && n != NoMergeNode; n = m_View.Parent(n))
                ancestors.push_back(n);
            for (auto it = ancestors.rbegin(); it != ancestors.rend() && !dir.empty(); ++it)
                dir = FolderFor(run, *it, dir);
        }
        if (!dir.empty())
            ExtractNode(run, node, dir);
    }
    return run.result;
}

void TMergedExtract::SetJobTotals(const std::vector<TMergeNodeId> &nodes)
{
    uint64_t files = 0;
    uint64_t bytes = 0;
    std::vector<TMergeNodeId> pending(nodes.begin(), nodes.end());
    while (!pending.empty()) {
        const TMergeNodeId node = pending.back();
        pending.pop_back();
        if (m_View.IsFolder(node)) {
            for (const TMergeNodeId child : m_View.Children(node))
                pending.push_back(child);
            continue;
        }
        ++files;
        const TMergeVersion &winner = m_View.Winner(node);
        try {
            bytes += m_View.Archive(winner.Archive).GetSize(winner.Entry);
        } catch (const std::exception &) {
            // a damaged record: the file's own error is reported when its turn comes
        }
    }
    m_Job->SetTotals(files, bytes);
}

void TMergedExtract::ExtractNode(TRun &run, TMergeNodeId top, const std::string &dir)
{
    // Depth first without recursion: a damaged index can nest folders very
    // deep, and without folders (fnNone) no path length stops the descent.
    std::vector<std::pair<TMergeNodeId, std::string>> pending{{top, dir}};
    while (!pending.empty() && !run.result.Cancelled) {
        if (m_Job->Cancelled()) {
            run.result.Cancelled = true;
            break;
        }
        const auto [node, at] = std::move(pending.back());
        pending.pop_back();
        if (!m_View.IsFolder(node)) {
            ExtractFile(run, node, at);
            continue;
        }
        std::string inside = at;
        if (node != MergeRoot && run.Options.FolderMode != fnNone) {
            inside = FolderFor(run, node, at);
            if (inside.empty())
                continue;
            run.writer.CreateFolders(inside);
        }
        const TMergeNodeRange children = m_View.Children(node);
        for (TMergeNodeId child = children.Last; child-- > children.First;)
            pending.emplace_back(child, inside);
    }
}

void TMergedExtract::ExtractFile(TRun &run, TMergeNodeId file, const std::string &dir)
{
    if (m_BeforeFile && !m_BeforeFile(file)) {
        run.result.Cancelled = true;
        return;
    }
    const TMergeVersion winner = m_View.Winner(file);
    const TExtractResult one = EngineOf(winner.Archive).ExtractEntry(dir, winner.Entry, &run.Options);
    run.result.Written += one.Written;
    run.result.Skipped += one.Skipped;
    run.result.Failed += one.Failed;
}

std::string TMergedExtract::FolderFor(TRun &run, TMergeNodeId folder, const std::string &dir)
{
    const std::string name = m_View.Name(folder);
    std::string path = dir + AnsiToUtf8(name);
    std::string reason = UnsafeNameReason(name);
    if (reason.empty() && path.size() + 1 > MaxPathLength)
        reason = PathTooLongMessage;
    if (!reason.empty()) {
        Fail(run, path, reason);
        return {};
    }
    return path + "/";
}

void TMergedExtract::Fail(TRun &run, const std::string &path, const std::string &message)
{
    ++run.result.Failed;
    m_Job->AddFailure({path, message});
    m_Report.ReportFailure({path, message});
}

TExtractEngine &TMergedExtract::EngineOf(uint16_t archive)
{
    std::unique_ptr<TExtractEngine> &engine = m_Engines[archive];
    if (!engine) {
        engine = std::make_unique<TExtractEngine>(m_View.Archive(archive), TExtractSelection{}, m_Question, m_Report);
        // One file at a time: nothing to decode ahead but a big file's pieces.
        TPrefetchLimits limits{0, 1, 1};
        limits.PieceThreads = WritingPrefetchLimits().PieceThreads;
        engine->SetPrefetchLimits(limits);
        engine->SetJob(*m_Job);
        engine->KeepJobTotals();
        engine->SetConverter(m_Converter);
        if (m_Status)
            engine->SetStatusCallback(m_Status);
    }
    return *engine;
}
