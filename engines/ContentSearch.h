#pragma once
// TContentSearch: decodes entries on worker threads and looks for a content
// pattern in each one's whole decoded bytes (so a match across the chunks
// of a chunked entry is found like any other). An entry that can't be
// decoded is reported as a failure with its reason, never passed over in
// silence: its path and reason go to the job's failures. The job counts
// entries and decoded bytes, and its cancel stops the workers before their
// next entry.

#include "archive/vmVornFile.h"
#include "engines/ContentPattern.h"
#include "engines/Job.h"

#include <cstdint>
#include <string>
#include <vector>

struct TContentTarget {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Entry = 0;
    std::string Path; // as a failure names it
};

class IContentSearchSink {
public:
    virtual ~IContentSearchSink() = default;
    // Called one at a time, from the worker threads, with the target's index.
    virtual void Found(size_t target) = 0;
};

class TContentSearch {
public:
    // Threads = 0: one per core.
    explicit TContentSearch(const TContentPattern &pattern, unsigned threads = 0);

    // Searches every target; returns false when cancelled before the end.
    // The archives must stay open until it returns.
    bool Run(const std::vector<TContentTarget> &targets, IContentSearchSink &sink, TJob &job) const;

private:
    const TContentPattern &m_Pattern;
    unsigned m_Threads;
};
