#pragma once
// The folder a benchmark writes its archives to: the one named on the
// command line (kept, so the archives are reused by the next run), or a new
// one below the temporary folder, removed when the benchmark ends.

#include <filesystem>
#include <string>
#include <unistd.h>

class TBenchFolder {
public:
    TBenchFolder(int argc, char **argv, const std::string &benchmark)
        : m_Own(argc < 2),
          m_Path(m_Own ? std::filesystem::temp_directory_path() / (benchmark + "." + std::to_string(getpid()))
                       : std::filesystem::path(argv[1]))
    {
        std::filesystem::create_directories(m_Path);
    }
    ~TBenchFolder()
    {
        if (m_Own)
            std::filesystem::remove_all(m_Path);
    }
    TBenchFolder(const TBenchFolder &) = delete;
    TBenchFolder &operator=(const TBenchFolder &) = delete;

    const std::filesystem::path &Path() const { return m_Path; }

private:
    bool m_Own;
    std::filesystem::path m_Path;
};
