// libFuzzer target: every input is opened as an archive, its tree walked and
// every file decoded. Failures must be Exceptions; anything else (a crash, a
// sanitizer report, another exception type, a leak) is a finding.

#include "archive/Exceptions.h"
#include "archive/TreeWalk.h"
#include "archive/VornInfo.h"
#include "archive/vmFunctions.h"
#include "archive/vmVornFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Work limits per input, so that one input can't take seconds.
constexpr size_t MAX_VISITS = 5000;
constexpr size_t MAX_PATH_LENGTH = 1 << 16;
constexpr size_t MAX_PATH_LOOKUPS = 300;
constexpr uint64_t MAX_FILE_SIZE = 16u << 20;
constexpr uint64_t MAX_DECODED = 48u << 20;

struct StopWalk {};

// The input lives in a memory file that TVornFile opens by path.
const std::string &InputPath()
{
    static const std::string path = [] {
        const int fd = memfd_create("vorn-fuzz-input", MFD_CLOEXEC);
        if (fd < 0)
            std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void StoreInput(const uint8_t *data, size_t size)
{
    const int fd = std::stoi(InputPath().substr(InputPath().rfind('/') + 1));
    if (ftruncate(fd, 0) != 0)
        std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0)
            std::abort();
        done += size_t(n);
    }
}

void Swallow(void (*action)(const TVornFile &, TEntryOffset), const TVornFile &vorn, TEntryOffset entry)
{
    try {
        action(vorn, entry);
    } catch (const Exception &) {
    }
}

void DescribeEntry(const TVornFile &vorn, TEntryOffset entry)
{
    FileTimeToStr(vorn.GetFileTime(entry));
    AnsiToUtf8(vorn.GetName(entry));
    if (!vorn.IsDirectory(entry)) {
        FormatToStr(vorn.GetFormat(entry));
        vorn.GetCompressedSize(entry);
        vorn.GetFileFlags(entry);
        vorn.GetCrc32(entry);
    }
}

void LookUpPath(const TVornFile &vorn, TEntryOffset entry)
{
    vorn.GetPath(entry);
}

void ChildrenOneByOne(const TVornFile &vorn, TEntryOffset directory)
{
    if (vorn.GetChildCount(directory) == 0)
        return;
    uint32_t index = 0;
    size_t steps = 0;
    do
        vorn.GetChild(directory, index);
    while (index != 0 && ++steps < MAX_VISITS);
}

void Exercise(const TVornFile &vorn)
{
    GetVornInfoRows(vorn.Header());
    Utf16ToUtf8(vorn.Description());
    const TEntryOffset root = vorn.GetRootOffset();
    Swallow(ChildrenOneByOne, vorn, root);

    std::vector<TEntryOffset> files;
    std::string firstPath;
    size_t visits = 0;
    try {
        WalkTree(vorn, root, [&](TEntryOffset entry, const std::string &path) {
            if (++visits > MAX_VISITS || path.size() > MAX_PATH_LENGTH)
                throw StopWalk();
            if (firstPath.empty())
                firstPath = path;
            if (visits <= MAX_PATH_LOOKUPS)
                Swallow(LookUpPath, vorn, entry);
            Swallow(DescribeEntry, vorn, entry);
            if (!vorn.IsDirectory(entry))
                files.push_back(entry);
        });
    } catch (const StopWalk &) {
    } catch (const Exception &) {
    }
    try {
        FindEntry(vorn, AnsiToUtf8(firstPath));
    } catch (const Exception &) {
    }

    uint64_t decoded = 0;
    for (const TEntryOffset file : files) {
        try {
            const uint64_t size = vorn.GetSize(file);
            if (size > MAX_FILE_SIZE || decoded + size > MAX_DECODED)
                continue;
            decoded += size;
            const TFileBuffer contents = vorn.ReadFile(file);
            if (contents.size() != size)
                std::abort(); // success must deliver exactly m_Size bytes
        } catch (const Exception &) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StoreInput(data, size);
    try {
        const TVornFile vorn(InputPath());
        Exercise(vorn);
    } catch (const Exception &) {
    }
    return 0;
}
