#include "engines/VerifyEngine.h"

#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"
#include "engines/FolderTable.h"

namespace {

uint64_t SizeOrZero(const TVornFile &vorn, TEntryOffset entry)
{
    try {
        return vorn.GetSize(entry);
    } catch (const std::exception &) {
        return 0; // reading the file reports the damage
    }
}

} // namespace

TVerifyEngine::TVerifyEngine(const TVornFile &vorn, TJob &job, const TPrefetchLimits &limits)
    : m_Vorn(vorn), m_Job(job), m_Limits(limits)
{
}

TVerifyResult TVerifyEngine::Run()
{
    // Each file is kept as its entry and its folder's number: a path is made
    // only for the file being checked and for the damaged ones.
    std::vector<TEntryOffset> files;
    std::vector<uint32_t> folderOf;
    TFolderTable folders;
    std::vector<uint32_t> open{0}; // the folder at each depth of the walk
    std::vector<TIndexDamage> indexDamage;
    WalkTreeWithDepth(
        m_Vorn, m_Vorn.GetRootOffset(),
        [&](TEntryOffset entry, const std::string &, size_t depth) {
            const uint32_t parent = open[depth - 1];
            if (m_Vorn.IsDirectory(entry)) {
                open.resize(depth);
                open.push_back(folders.Add(parent, entry));
                return;
            }
            files.push_back(entry);
            folderOf.push_back(parent);
        },
        [&](const std::string &folder, const std::string &message) {
            indexDamage.push_back({files.size(), {0, AnsiToUtf8(folder), message}});
        });
    const auto pathOf = [&](size_t i, TEntryOffset entry) {
        return folders.Path(m_Vorn, folderOf[i]) + AnsiToUtf8(m_Vorn.GetName(entry));
    };
    return Check(std::move(files), pathOf, indexDamage);
}

TVerifyResult TVerifyEngine::Run(const std::vector<TEntryOffset> &files, const std::vector<std::string> &paths)
{
    return Check(files, [&](size_t i, TEntryOffset) { return paths[i]; }, {});
}

TVerifyResult TVerifyEngine::Check(std::vector<TEntryOffset> files, const TPathOf &pathOf,
                                   const std::vector<TIndexDamage> &indexDamage)
{
    uint64_t total = 0;
    for (const TEntryOffset entry : files)
        total += SizeOrZero(m_Vorn, entry);
    m_Job.SetTotals(files.size(), total);

    TVerifyResult result;
    // Decoded only to be checked: nothing is staged, the buffers go at once.
    const size_t count = files.size();
    TDecodePrefetcher prefetcher(m_Vorn, std::move(files), m_Limits);
    size_t nextDamage = 0;
    const auto reportIndexDamage = [&](size_t before) {
        for (; nextDamage < indexDamage.size() && indexDamage[nextDamage].Before <= before; ++nextDamage) {
            const TDamagedEntry &damage = indexDamage[nextDamage].Damage;
            result.Damaged.push_back(damage);
            m_Job.AddFailure({damage.Path, damage.Reason});
        }
    };
    for (size_t i = 0; i < count; ++i) {
        if (m_Job.Cancelled()) {
            result.Cancelled = true;
            return result;
        }
        reportIndexDamage(i);
        const TEntryOffset entry = prefetcher.Entry(i);
        const std::string path = pathOf(i, entry);
        m_Job.SetCurrent(path);
        const uint64_t size = SizeOrZero(m_Vorn, entry);
        try {
            // A big file comes as a stream: decoding it checks it, a chunk at a time.
            const TPreparedFile file = prefetcher.Take(i);
            if (file.Stream)
                file.Stream([](const uint8_t *, size_t) {});
            ++result.Passed;
        } catch (const std::exception &error) {
            result.Damaged.push_back({entry, path, error.what()});
            m_Job.AddFailure({path, error.what()});
        }
        ++result.Checked;
        result.Bytes += size;
        m_Job.EntryDone(size);
    }
    reportIndexDamage(count);
    return result;
}
