#include "tests/engines/ExtractTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <fcntl.h>
#include <sys/stat.h>

TScratchFolder::TScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "vv-extract-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_Path = pattern;
}

TScratchFolder::~TScratchFolder()
{
    std::error_code ignored;
    // Folders a test made read-only must be writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(m_Path, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_Path, ignored);
}

std::unique_ptr<TVornFile> BuildArchive(VornWriter &writer, const fs::path &file)
{
    writer.write(file.string());
    return std::make_unique<TVornFile>(file.string());
}

void BreakChunkStream(Bytes &bytes, const VornWriter &writer, VornWriter::Handle file, size_t chunk)
{
    const uint32_t record = writer.chunkRecordPosition(file, chunk);
    const uint32_t offset = bytes[record + 12] | bytes[record + 13] << 8 | bytes[record + 14] << 16
                            | uint32_t(bytes[record + 15]) << 24;
    bytes[writer.storedStart(file) + offset + 2] ^= 0xFF;
}

FileSpec TextFile(const std::string &name, const std::string &text, TFileTime time, uint16_t format)
{
    FileSpec spec;
    spec.name = name;
    spec.data = TextBytes(text);
    spec.time = time;
    spec.format = format;
    return spec;
}

std::map<std::string, std::string> FilesBelow(const fs::path &root)
{
    std::map<std::string, std::string> files;
    for (const auto &item : fs::recursive_directory_iterator(root))
        if (item.is_regular_file())
            files[fs::relative(item.path(), root).generic_string()] = ReadText(item.path());
    return files;
}

std::vector<std::string> FoldersBelow(const fs::path &root)
{
    std::vector<std::string> folders;
    for (const auto &item : fs::recursive_directory_iterator(root))
        if (item.is_directory())
            folders.push_back(fs::relative(item.path(), root).generic_string());
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::string ReadText(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path &file, const std::string &text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

void SetModificationTime(const fs::path &file, std::time_t time)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time, 0}};
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0)
        throw std::runtime_error("utimensat failed");
}

std::time_t ModificationTime(const fs::path &file)
{
    struct stat info;
    if (::stat(file.c_str(), &info) != 0)
        throw std::runtime_error("stat failed");
    return info.st_mtime;
}

TOverwriteAnswer TRecorder::AskOverwrite(const TOverwriteQuestion &question)
{
    questions.push_back(question);
    events.push_back("ask " + question.ExistingPath);
    if (answers.empty())
        return TOverwriteAnswer::No;
    const TOverwriteAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

void TRecorder::ReportFailure(const TExtractFailure &failure)
{
    failures.push_back(failure);
    events.push_back("fail " + failure.Path);
}

void TRecorder::Attach(TExtractEngine &engine)
{
    engine.SetStatusCallback([this](const std::string &text) { events.push_back("status " + text); });
}

TExtractResult RunEngine(const TVornFile &vorn, TRecorder &recorder, const std::string &target,
                         TExtractOptions options, TExtractSelection selection, TPrefetchLimits limits)
{
    TExtractEngine engine(vorn, std::move(selection), recorder, recorder);
    recorder.Attach(engine);
    engine.SetPrefetchLimits(limits);
    return engine.ExtractEntries(target, options);
}
