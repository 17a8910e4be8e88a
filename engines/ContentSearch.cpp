#include "engines/ContentSearch.h"

#include "archive/Exceptions.h"

#include <mutex>
#include <thread>

TContentSearch::TContentSearch(const TContentPattern &pattern, unsigned threads)
    : m_Pattern(pattern), m_Threads(threads ? threads : std::max(1u, std::thread::hardware_concurrency()))
{
}

bool TContentSearch::Run(const std::vector<TContentTarget> &targets, IContentSearchSink &sink, TJob &job) const
{
    uint64_t totalBytes = 0;
    for (const TContentTarget &target : targets) {
        try {
            totalBytes += target.Vorn->GetSize(target.Entry);
        } catch (const Exception &) {
            // its decoding will fail and say why
        }
    }
    job.SetTotals(targets.size(), totalBytes);
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex sinkMutex;
    auto work = [&] {
        for (size_t i = next++; i < targets.size() && !job.Cancelled(); i = next++) {
            const TContentTarget &target = targets[i];
            uint64_t size = 0;
            try {
                const TFileBuffer data = target.Vorn->ReadFile(target.Entry);
                size = data.size();
                if (m_Pattern.FoundIn(data.data(), data.size())) {
                    const std::lock_guard<std::mutex> lock(sinkMutex);
                    sink.Found(i);
                }
            } catch (const std::exception &error) {
                job.AddFailure({target.Path, error.what()});
            }
            job.EntryDone(size);
            ++done;
        }
    };
    std::vector<std::thread> workers;
    const size_t threads = std::min<size_t>(m_Threads, std::max<size_t>(targets.size(), 1));
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work(); // the calling thread is one of the workers
    for (std::thread &worker : workers)
        worker.join();
    return done.load() == targets.size();
}
