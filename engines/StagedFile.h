#pragma once
// TStagedFile: one finished file -- data written, time stamped -- that has no
// name yet: an open, unnamed file (O_TMPFILE) in the file system it will be
// placed on. Giving it a name is a link; if it never gets one, the file
// system frees it when the object closes it, so nothing is left behind
// however a run ends, even when the process dies.
//
// TPreparedFile: what the decoding side hands to the thread that puts files
// in place: the decoded bytes, or the same bytes already staged on disk.

#include "archive/FileBuffer.h"

#include <optional>
#include <string>

class TStagedFile {
public:
    explicit TStagedFile(int handle) : m_Handle(handle) {}
    ~TStagedFile();
    TStagedFile(TStagedFile &&other) noexcept;
    TStagedFile &operator=(TStagedFile &&other) noexcept;
    TStagedFile(const TStagedFile &) = delete;
    TStagedFile &operator=(const TStagedFile &) = delete;

    // Gives the file the name `name` in the folder `dir` (a descriptor).
    // Returns 0 or the error: EEXIST when the name is taken, EXDEV when
    // the folder lies on another file system.
    int Link(int dir, const std::string &name) const;
    // Reads the whole file back; raises when that fails.
    TFileBuffer ReadBack() const;

private:
    int m_Handle = -1;
};

struct TPreparedFile {
    TFileBuffer Data;                  // the bytes, when they are not staged
    std::optional<TStagedFile> Staged; // the bytes on disk, waiting for a name
};
