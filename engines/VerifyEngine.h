#pragma once
// TVerifyEngine: checks every file of an archive the way reading it does --
// the stored sizes, the decoding and the CRC-32 -- with the decoding spread
// over worker threads. The verdicts come back in the archive's tree order
// whatever thread found them, so the window and `vorntool test` report the
// same damaged entries with the same messages in the same order.

#include "archive/vmVornFile.h"
#include "engines/DecodePrefetcher.h"
#include "engines/Job.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TDamagedEntry {
    TEntryOffset Entry = 0; // 0: a part of the index that can't be read
    std::string Path;       // below the root, UTF-8, "/"-separated; a folder's ends in "/"
    std::string Reason;     // the error reading it raised
};

struct TVerifyResult {
    uint64_t Checked = 0; // files checked, damaged ones included
    uint64_t Passed = 0;  // files found sound
    uint64_t Bytes = 0;   // the checked files' sizes as the index gives them
    // Damaged files and unreadable parts of the index, in tree order.
    std::vector<TDamagedEntry> Damaged;
    bool Cancelled = false;
};

class TVerifyEngine {
public:
    // The job gets the progress, the failures and the cancel request; it
    // must outlive the run.
    TVerifyEngine(const TVornFile &vorn, TJob &job, const TPrefetchLimits &limits = DefaultPrefetchLimits());

    // Checks every file below the root; a cancelled job stops it before its
    // next file. A part of the index that can't be read is reported where
    // it stands and the check goes on.
    TVerifyResult Run();
    // Checks these files only, in this order; `paths` names them in the
    // report (UTF-8, below the root).
    TVerifyResult Run(const std::vector<TEntryOffset> &files, const std::vector<std::string> &paths);

private:
    // Unreadable parts of the index, each before the file numbered `Before`.
    struct TIndexDamage {
        size_t Before;
        TDamagedEntry Damage;
    };

    // The path of file number `file`, made when it is needed.
    using TPathOf = std::function<std::string(size_t file, TEntryOffset entry)>;

    TVerifyResult Check(std::vector<TEntryOffset> files, const TPathOf &pathOf,
                        const std::vector<TIndexDamage> &indexDamage);

    const TVornFile &m_Vorn;
    TJob &m_Job;
    TPrefetchLimits m_Limits;
};
