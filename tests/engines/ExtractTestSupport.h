#pragma once
// Helpers of the extraction tests: a scratch folder, an archive written into
// it, and a recorder that answers overwrite questions from a script and
// keeps every question, report and status text in the order they came.

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "engines/ExtractEngine.h"
#include "tests/support/VornWriter.h"

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fresh folder below the system's temporary folder, removed afterwards.
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    const fs::path &path() const { return m_Path; }
    std::string str() const { return m_Path.string(); }

private:
    fs::path m_Path;
};

// Writes the archive and opens it.
std::unique_ptr<TVornFile> BuildArchive(VornWriter &writer, const fs::path &file);
// Breaks the compressed stream of chunk `chunk` of `file` in the built archive `bytes`.
void BreakChunkStream(Bytes &bytes, const VornWriter &writer, VornWriter::Handle file, size_t chunk);

FileSpec TextFile(const std::string &name, const std::string &text, TFileTime time = 0,
                  uint16_t format = DATAFORMAT_RAW);

// Every regular file below `root` (paths relative to it, "/"-separated) with its contents.
std::map<std::string, std::string> FilesBelow(const fs::path &root);
// Every folder below `root`, relative.
std::vector<std::string> FoldersBelow(const fs::path &root);
std::string ReadText(const fs::path &file);
void WriteText(const fs::path &file, const std::string &text);
// Sets a file's modification time (POSIX seconds).
void SetModificationTime(const fs::path &file, std::time_t time);
std::time_t ModificationTime(const fs::path &file);

class TRecorder : public IOverwriteQuestion, public IExtractReport {
public:
    std::deque<TOverwriteAnswer> answers; // given in turn; No when they run out
    std::vector<TOverwriteQuestion> questions;
    std::vector<TExtractFailure> failures;
    std::vector<std::string> events; // "ask <path>", "fail <path>", "status <text>" in order

    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override;
    void ReportFailure(const TExtractFailure &failure) override;
    // Connects the status callback to `events`.
    void Attach(TExtractEngine &engine);
};

// One engine run with the recorder answering; sequential unless limits are given.
TExtractResult RunEngine(const TVornFile &vorn, TRecorder &recorder, const std::string &target,
                         TExtractOptions options, TExtractSelection selection = {},
                         TPrefetchLimits limits = {0, 1, 1});
