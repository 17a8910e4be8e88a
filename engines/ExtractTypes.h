#pragma once
// The values of one extraction run and the two interfaces through which the
// engine asks its caller: the overwrite question and the per-file failure
// report. The engine never shows anything itself; the GUI, the command-line
// tool and the tests each answer in their own way.

#include "archive/vmVornFileDef.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

enum TFolderMode : uint8_t {
    fnNone = 0,     // every file straight into the run's folder (flat)
    fnRelative = 1, // names of folders below the extracted items, not of the shown folder
    fnFullPath = 2, // the archive path of each file rebuilt below the target folder
};

enum TOverwriteMode : uint8_t {
    owSkipAll = 0,    // leave existing files alone
    owAsk = 1,        // ask for each existing file
    owReplaceAll = 2, // replace without asking
    owOnlyOlder = 3,  // replace an existing file only when it is older than the entry
};

enum TFileSelection : uint8_t {
    esAll = 0,        // the whole archive
    esCurrentDir = 1, // the shown folder with everything below it
    esSelected = 2,   // the selected entries, folders with everything below them
};

struct TExtractOptions {
    TFolderMode FolderMode = fnFullPath;
    TOverwriteMode OverwriteMode = owAsk;
    TFileSelection FileSelection = esAll;
};

enum class TOverwriteAnswer { Yes, No, YesToAll, NoToAll, OnlyOlder };

// What the overwrite question shows about the two files.
struct TOverwriteQuestion {
    std::string ExistingPath; // UTF-8 path of the file on disk
    uint64_t ExistingSize = 0;
    std::optional<std::time_t> ExistingTime; // empty when it can't be read
    TEntryOffset Entry = 0;
    uint32_t EntrySize = 0;
    TFileTime EntryTime = 0;
};

// One file that could not be extracted.
struct TExtractFailure {
    std::string Path;    // target folder and name, as far as they are known
    std::string Message; // the error's message
};

// "Can't extract: <path>", a line break, "Error: <message>".
std::string ExtractFailureText(const TExtractFailure &failure);

class IOverwriteQuestion {
public:
    virtual ~IOverwriteQuestion() = default;
    // May throw; the error then counts as this file's failure.
    virtual TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) = 0;
};

class IExtractReport {
public:
    virtual ~IExtractReport() = default;
    // Called once per failed file; the run goes on afterwards.
    virtual void ReportFailure(const TExtractFailure &failure) = 0;
};

// What a run did.
struct TExtractResult {
    uint32_t Written = 0;
    uint32_t Skipped = 0;
    uint32_t Failed = 0;
    bool Cancelled = false; // the job was cancelled before the run's end
};
