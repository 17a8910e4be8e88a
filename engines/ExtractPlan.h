#pragma once
// TExtractPlan: the steps of one extraction run in the order the run takes
// them, worked out from the archive's index before anything is written. The
// index does not change during a run and only the overwrite mode does, so the
// steps are the same as a recursive walk would take; knowing them in advance
// lets the decoding of later files start early.

#include "archive/vmVornFile.h"
#include "engines/ExtractTypes.h"
#include "engines/PathLimit.h"

#include <exception>
#include <string>
#include <vector>

struct TPlanFolder {
    std::string Path;  // UTF-8, with a trailing "/"
    std::string Error; // not empty: an unsafe name or a path too long; nothing goes there
};

// One step of a run: twelve bytes, so a million files cost little. A file's
// name is read from the index when its turn comes (TExtractPlan::File).
struct TPlanStep {
    enum Kind : uint8_t { Folder, File, Abort };
    Kind kind = Folder;
    uint32_t FolderIndex = 0; // Folder: the folder to create; File: the folder it goes to
    TEntryOffset Entry = 0;
};

// A file step's name on disk and whether it can be used.
struct TPlanFile {
    std::string Name;  // UTF-8
    std::string Error; // why the name can't be used; empty when it can
};

class TExtractPlan {
public:
    // Entry, and with a folder everything below it, written into Dir.
    void AddEntry(const TVornFile &vorn, const std::string &Dir, TEntryOffset Entry, TFolderMode FolderMode);
    // The same below the folder that the entry's ancestors map to: TargetDir
    // itself, or with fnFullPath the archive path of the entry's parent
    // rebuilt below it. The root's name never takes part in a path.
    void AddEntryWithAncestors(const TVornFile &vorn, const std::string &TargetDir, TEntryOffset Entry,
                               TFolderMode FolderMode);

    const std::vector<TPlanFolder> &Folders() const { return m_Folders; }
    const std::vector<TPlanStep> &Steps() const { return m_Steps; }
    // The name and verdict of a File step of this plan, read from the archive it was planned from.
    TPlanFile File(const TVornFile &vorn, const TPlanStep &step) const;
    // The error an Abort step raises.
    const std::exception_ptr &AbortError() const { return m_AbortError; }
    bool Aborted() const { return bool(m_AbortError); }

private:
    uint32_t AddFolder(TPlanFolder folder);
    void AbortWith(std::exception_ptr error);
    static TPlanFolder AncestorFolder(const TVornFile &vorn, const std::string &TargetDir, TEntryOffset Entry,
                                      TFolderMode FolderMode);
    void AddSubtree(const TVornFile &vorn, uint32_t dir, TEntryOffset Entry, TFolderMode FolderMode);
    // The folder that `directory` maps to below folder `dir`: a new one, or
    // `dir` itself when the directory adds nothing to the path.
    uint32_t FolderOf(const TVornFile &vorn, uint32_t dir, TEntryOffset directory, TFolderMode FolderMode);

    std::vector<TPlanFolder> m_Folders;
    std::vector<TPlanStep> m_Steps;
    std::exception_ptr m_AbortError;
};

// The selected entries without those that another selected folder holds
// (at any depth) and without repeats, in their order. A folder brings
// everything below it, so a file selected together with its folder (search
// results list both) is extracted once, where the folder puts it.
std::vector<TEntryOffset> WithoutCoveredEntries(const TVornFile &vorn, const std::vector<TEntryOffset> &selected);

// Dir with a trailing "/" when it has none.
std::string WithSeparator(const std::string &Dir);
