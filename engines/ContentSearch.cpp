#include "engines/ContentSearch.h"

#include "archive/Exceptions.h"

#include <mutex>
#include <thread>

TContentSearch::TContentSearch(const TContentPattern &pattern, unsigned threads)
    : m_Pattern(pattern), m_Threads(threads ? threads : std::max(1u, std::thread::hardware_concurrency()))
{
}

bool TContentSearch::Run(const std::vector<TContentTarget> &targets, IContentSearchSink &sink,
                         TSearchProgress &progress, const std::atomic<bool> &cancel) const
{
    progress.EntriesTotal = targets.size();
    progress.BytesTotal = 0;
    for (const TContentTarget &target : targets) {
        try {
            progress.BytesTotal += target.Vorn->GetSize(target.Entry);
        } catch (const Exception &) {
            // its decoding will fail and say why
        }
    }
    std::atomic<size_t> next{0};
    std::mutex sinkMutex;
    auto work = [&] {
        for (size_t i = next++; i < targets.size() && !cancel.load(std::memory_order_relaxed); i = next++) {
            const TContentTarget &target = targets[i];
            bool found = false;
            std::string failure;
            uint64_t size = 0;
            try {
                const TFileBuffer data = target.Vorn->ReadFile(target.Entry);
                size = data.size();
                found = m_Pattern.FoundIn(data.data(), data.size());
            } catch (const std::exception &error) {
                failure = error.what();
            }
            if (found || !failure.empty()) {
                const std::lock_guard<std::mutex> lock(sinkMutex);
                if (found)
                    sink.Found(i);
                else
                    sink.Failed(i, failure);
            }
            progress.BytesDone += size;
            ++progress.EntriesDone;
        }
    };
    std::vector<std::thread> workers;
    const size_t threads = std::min<size_t>(m_Threads, std::max<size_t>(targets.size(), 1));
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work(); // the calling thread is one of the workers
    for (std::thread &worker : workers)
        worker.join();
    return !cancel.load() || progress.EntriesDone.load() == targets.size();
}
