#pragma once
// TArchiveWatch: notices that an archive file was replaced, truncated or
// rewritten since it was opened, by comparing what the file system says
// about its path with what it said at the start. Once changed, it stays so.

#include <atomic>
#include <cstdint>
#include <string>

class TArchiveWatch {
public:
    explicit TArchiveWatch(std::string path);
    // True from the first call that finds the file changed or gone.
    bool changed();

private:
    struct TIdentity {
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = -1;
        int64_t modifiedNs = 0;
        bool operator==(const TIdentity &) const = default;
    };
    TIdentity current() const;

    std::string m_Path;
    TIdentity m_Original;
    std::atomic<bool> m_Changed = false;
};
