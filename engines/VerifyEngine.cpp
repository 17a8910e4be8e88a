#include "engines/VerifyEngine.h"

#include "archive/TreeWalk.h"
#include "archive/vmFunctions.h"

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
    std::vector<TEntryOffset> files;
    std::vector<std::string> paths;
    std::vector<TIndexDamage> indexDamage;
    WalkTree(
        m_Vorn, m_Vorn.GetRootOffset(),
        [&](TEntryOffset entry, const std::string &relative) {
            if (m_Vorn.IsDirectory(entry))
                return;
            files.push_back(entry);
            paths.push_back(AnsiToUtf8(relative));
        },
        [&](const std::string &folder, const std::string &message) {
            indexDamage.push_back({files.size(), {0, AnsiToUtf8(folder), message}});
        });
    return Check(files, paths, indexDamage);
}

TVerifyResult TVerifyEngine::Run(const std::vector<TEntryOffset> &files, const std::vector<std::string> &paths)
{
    return Check(files, paths, {});
}

TVerifyResult TVerifyEngine::Check(const std::vector<TEntryOffset> &files, const std::vector<std::string> &paths,
                                   const std::vector<TIndexDamage> &indexDamage)
{
    std::vector<uint64_t> sizes;
    uint64_t total = 0;
    for (const TEntryOffset entry : files)
        total += sizes.emplace_back(SizeOrZero(m_Vorn, entry));
    m_Job.SetTotals(files.size(), total);

    TVerifyResult result;
    // Decoded only to be checked: nothing is staged, the buffers go at once.
    TDecodePrefetcher prefetcher(m_Vorn, files, m_Limits);
    size_t nextDamage = 0;
    const auto reportIndexDamage = [&](size_t before) {
        for (; nextDamage < indexDamage.size() && indexDamage[nextDamage].Before <= before; ++nextDamage) {
            const TDamagedEntry &damage = indexDamage[nextDamage].Damage;
            result.Damaged.push_back(damage);
            m_Job.AddFailure({damage.Path, damage.Reason});
        }
    };
    for (size_t i = 0; i < files.size(); ++i) {
        if (m_Job.Cancelled()) {
            result.Cancelled = true;
            return result;
        }
        reportIndexDamage(i);
        m_Job.SetCurrent(paths[i]);
        try {
            // A big file comes as a stream: decoding it checks it, a chunk at a time.
            const TPreparedFile file = prefetcher.Take(i);
            if (file.Stream)
                file.Stream([](const uint8_t *, size_t) {});
            ++result.Passed;
        } catch (const std::exception &error) {
            result.Damaged.push_back({files[i], paths[i], error.what()});
            m_Job.AddFailure({paths[i], error.what()});
        }
        ++result.Checked;
        result.Bytes += sizes[i];
        m_Job.EntryDone(sizes[i]);
    }
    reportIndexDamage(files.size());
    return result;
}
