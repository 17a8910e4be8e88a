#pragma once
// TMergedExtract: writes what the game sees -- the winning version of every
// merged path -- to disk. Folders get the names of the merged tree (the
// winner's spelling), so folders that differ only in letter case between
// archives become one folder. Each file is written by the extraction engine
// of its winner's archive, so the overwrite question, the per-file reports,
// the safe names and the staged writing are those of every extraction.
// One job covers the whole run: its totals are every file below the nodes,
// a cancel ends the run before its next file, and every failure is added.

#include "engines/ExtractEngine.h"
#include "engines/MergedView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMergedExtract {
public:
    // The view and its archives stay as they are while the object is used.
    TMergedExtract(const TMergedView &view, IOverwriteQuestion &question, IExtractReport &report);
    ~TMergedExtract();

    // The job of the runs (default: one of its own), the "Extracting " text
    // before each file and the converter of the files it claims; each must
    // outlive the runs.
    void SetJob(TJob &job) { m_Job = &job; }
    void SetStatusCallback(TExtractEngine::TStatusCallback callback) { m_Status = std::move(callback); }
    void SetConverter(const IFileConverter *converter) { m_Converter = converter; }

    // Writes the nodes, folders with everything below them, into TargetDir:
    // with fnFullPath below the merged path of each one's parent, with
    // fnRelative below TargetDir itself, with fnNone every file straight
    // into TargetDir. Options.FileSelection is not used.
    TExtractResult Extract(const std::string &TargetDir, const std::vector<TMergeNodeId> &nodes,
                           TExtractOptions Options);
    // Called before each file is written; returning false stops the run
    // there (the result says Cancelled).
    void SetBeforeFile(std::function<bool(TMergeNodeId file)> beforeFile) { m_BeforeFile = std::move(beforeFile); }

private:
    struct TRun;

    // The files below the nodes (each winner once) and their sizes.
    void SetJobTotals(const std::vector<TMergeNodeId> &nodes);
    // Writes a node, a folder with everything below it, into `dir`.
    void ExtractNode(TRun &run, TMergeNodeId top, const std::string &dir);
    void ExtractFile(TRun &run, TMergeNodeId file, const std::string &dir);
    // The folder below `dir` that a merged folder maps to; "" when its name
    // can't be used (the failure is reported).
    std::string FolderFor(TRun &run, TMergeNodeId folder, const std::string &dir);
    TExtractEngine &EngineOf(uint16_t archive);
    void Fail(TRun &run, const std::string &path, const std::string &message);

    const TMergedView &m_View;
    IOverwriteQuestion &m_Question;
    IExtractReport &m_Report;
    std::vector<std::unique_ptr<TExtractEngine>> m_Engines; // by archive, made when first needed
    TJob m_OwnJob;
    TJob *m_Job = &m_OwnJob;
    TExtractEngine::TStatusCallback m_Status;
    const IFileConverter *m_Converter = nullptr;
    std::function<bool(TMergeNodeId)> m_BeforeFile;
};
