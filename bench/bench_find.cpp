// Benchmark of the find engine (not a test).
//   bench_find make OUTDIR
//     writes OUTDIR/names.vmres (1,000,000 entries: 1,000 folders of 999
//     files each) and OUTDIR/content.vmres (2,000 zlib, LZO and raw files,
//     about 128 MB decoded).
//   bench_find names ARCHIVE
//     times the name index, name searches over every entry, narrowing
//     keystrokes and the arrival of the first batch of results.
//   bench_find content ARCHIVE
//     times decoding every file as `vorntool test` does (one thread) and a
//     content search for a text that is in no file (every byte scanned).

#include "archive/TreeWalk.h"
#include "engines/ContentSearch.h"
#include "engines/NameIndex.h"
#include "engines/NameSearch.h"
#include "tests/support/VornWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

void MakeNames(const fs::path &file)
{
    VornWriter writer;
    const char *const words[] = {"stone", "grass", "water", "wall", "door", "tree", "roof", "sky"};
    for (int f = 0; f < 1000; ++f) {
        const auto folder = writer.addDir(0, "folder" + std::to_string(f), MakeFileTime(2010, 1, 1));
        for (int i = 0; i < 999; ++i) {
            FileSpec spec;
            char name[64];
            std::snprintf(name, sizeof name, "tex%04d_%s%d.%s", i, words[(f + i) % 8], f,
                          i % 3 == 0 ? "vmtex" : i % 3 == 1 ? "bmp" : "wav");
            spec.name = name;
            spec.time = MakeFileTime(2010, 1, 1);
            writer.addFile(folder, std::move(spec));
        }
    }
    writer.write(file.string());
}

void MakeContent(const fs::path &file)
{
    VornWriter writer;
    for (int i = 0; i < 2000; ++i) {
        FileSpec spec;
        spec.name = "file" + std::to_string(i) + ".txt";
        spec.data = i % 4 == 3 ? PatternBytes(65536, uint32_t(i)) : TextLikeBytes(65536, uint32_t(i));
        spec.format = uint16_t(i % 3);
        spec.chunkSize = i % 2 ? 16384 : 0;
        writer.addFile(0, std::move(spec));
    }
    writer.write(file.string());
}

double CpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The best of `runs` timings of `work`, in milliseconds; the least processor
// time of the process in `cpu` (on a busy machine a steadier measure of work
// done on one thread than the time on the clock).
template <typename Work>
double Best(int runs, Work work, double *cpu = nullptr)
{
    double best = 1e300;
    double leastCpu = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto start = TClock::now();
        const double cpuStart = CpuMilliseconds();
        work();
        leastCpu = std::min(leastCpu, CpuMilliseconds() - cpuStart);
        best = std::min(best, MillisecondsSince(start));
    }
    if (cpu)
        *cpu = leastCpu;
    return best;
}

size_t Search(const TNameIndex &index, const TFindCriteria &criteria, std::vector<uint32_t> *results = nullptr)
{
    const TNameSearch search(criteria);
    if (results)
        results->clear();
    return search.Run(index, 0, index.Count(), [&](const std::vector<uint32_t> &items) {
        if (results)
            results->insert(results->end(), items.begin(), items.end());
    });
}

void BenchNames(const std::string &archive)
{
    const TVornFile vorn(archive);
    const auto indexStart = TClock::now();
    const TNameIndex index(vorn);
    std::printf("entries: %zu, index built in %.0f ms, %.1f bytes per entry\n", index.Count(),
                MillisecondsSince(indexStart), double(index.MemoryBytes()) / double(index.Count()));
    const std::pair<const char *, TNameMode> searches[] = {
        {"stone12", TNameMode::Substring}, {"e", TNameMode::Substring},       {"*_sky7*.bmp", TNameMode::Glob},
        {"tex00?7_*", TNameMode::Glob},    {"^tex0[0-4]\\d7_", TNameMode::Regex}, {"STONE12", TNameMode::Regex},
    };
    for (const auto &[pattern, mode] : searches) {
        TFindCriteria criteria;
        criteria.Name = pattern;
        criteria.NameMode = mode;
        size_t found = 0;
        double cpu = 0;
        const double ms = Best(5, [&] { found = Search(index, criteria); }, &cpu);
        std::printf("name search %-22s %8zu found  %7.1f ms (cpu %.1f ms)\n", pattern, found, ms, cpu);
    }
    TFindCriteria path;
    path.Name = "folder12/*sky*";
    path.WholePath = true;
    size_t found = 0;
    std::printf("whole-path glob %-18s %8zu found  %7.1f ms\n", path.Name.c_str(), found,
                Best(5, [&] { found = Search(index, path); }));

    // Typing "stone12": every keystroke after the first narrows the results
    // of the one before.
    const std::string word = "stone12";
    std::vector<uint32_t> previous;
    TFindCriteria criteria;
    criteria.Name = word.substr(0, 1);
    std::printf("keystroke %-8s %8zu found  %7.1f ms (full search)\n", criteria.Name.c_str(),
                Search(index, criteria, &previous), Best(5, [&] { Search(index, criteria); }));
    Search(index, criteria, &previous);
    for (size_t length = 2; length <= word.size(); ++length) {
        criteria.Name = word.substr(0, length);
        const TNameSearch search(criteria);
        std::vector<uint32_t> next;
        const double ms = Best(5, [&] {
            next.clear();
            search.Run(index, previous, [&](const std::vector<uint32_t> &items) {
                next.insert(next.end(), items.begin(), items.end());
            });
        });
        std::printf("keystroke %-8s %8zu found  %7.1f ms (narrowing %zu)\n", criteria.Name.c_str(), next.size(), ms,
                    previous.size());
        previous = std::move(next);
    }

    // The first batch of results against the end of the search.
    TFindCriteria every;
    every.Name = "tex";
    double first = -1;
    const auto start = TClock::now();
    const size_t all = TNameSearch(every).Run(index, 0, index.Count(), [&](const std::vector<uint32_t> &) {
        if (first < 0)
            first = MillisecondsSince(start);
    });
    std::printf("first batch of %zu after %.2f ms, all %zu after %.1f ms\n", TNameSearch::BatchSize, first, all,
                MillisecondsSince(start));
}

struct TCountingSink : IContentSearchSink {
    size_t found = 0;
    void Found(size_t) override { ++found; }
};

void BenchContent(const std::string &path)
{
    const TVornFile vorn(path);
    std::vector<TContentTarget> targets;
    uint64_t bytes = 0;
    WalkTree(vorn, vorn.GetRootOffset(), [&](TEntryOffset entry, const std::string &) {
        if (!vorn.IsDirectory(entry)) {
            targets.push_back({&vorn, entry});
            bytes += vorn.GetSize(entry);
        }
    });
    const double mb = double(bytes) / 1e6;
    double testCpu = 0;
    const double test = Best(
        5,
        [&] {
            for (const TContentTarget &target : targets)
                vorn.ReadFile(target.Entry);
        },
        &testCpu);
    std::printf("decode as vorntool test: %.1f MB in %.0f ms = %.0f MB/s (cpu %.0f ms = %.0f MB/s)\n", mb, test,
                mb / test * 1000, testCpu, mb / testCpu * 1000);
    // The search alone, over the decoded bytes held in memory.
    std::vector<TFileBuffer> decoded;
    for (const TContentTarget &target : targets)
        decoded.push_back(vorn.ReadFile(target.Entry));
    const std::pair<TContentMode, const char *> patterns[] = {
        {TContentMode::Text, "no such text here"}, {TContentMode::Hex, "DE AD BE EF 01 02"}};
    for (const auto &[mode, text] : patterns) {
        for (const bool ignoreCase : {true, false}) {
            if (mode == TContentMode::Hex && ignoreCase)
                continue;
            const TContentPattern pattern(mode, text, ignoreCase);
            const char *const kind = mode == TContentMode::Hex ? "hex" : "text";
            const char *const caseRule = ignoreCase ? "ignorecase" : "exact";
            for (const unsigned threads : {1u, 0u}) {
                TCountingSink sink;
                double cpu = 0;
                const double ms = Best(
                    5,
                    [&] {
                        TJob job;
                        TContentSearch(pattern, threads).Run(targets, sink, job);
                    },
                    &cpu);
                std::printf("content %-4s %-11s %-9s: %.0f ms = %.0f MB/s, %.0f%% of test", kind, caseRule,
                            threads == 1 ? "1 thread" : "workers", ms, mb / ms * 1000, test / ms * 100);
                if (threads == 1)
                    std::printf(" (cpu %.0f ms, %.0f%% of test's cpu)", cpu, testCpu / cpu * 100);
                std::printf("\n");
            }
            double scanCpu = 0;
            Best(
                5,
                [&] {
                    for (const TFileBuffer &data : decoded)
                        pattern.FoundIn(data.data(), data.size());
                },
                &scanCpu);
            std::printf("content %-4s %-11s scan only: cpu %.0f ms = %.0f MB/s\n", kind, caseRule, scanCpu,
                        mb / scanCpu * 1000);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "make") == 0) {
        fs::create_directories(argv[2]);
        MakeNames(fs::path(argv[2]) / "names.vmres");
        MakeContent(fs::path(argv[2]) / "content.vmres");
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "names") == 0) {
        BenchNames(argv[2]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "content") == 0) {
        BenchContent(argv[2]);
        return 0;
    }
    std::fputs("usage: bench_find make OUTDIR | names ARCHIVE | content ARCHIVE\n", stderr);
    return 2;
}
