#pragma once
// TStagedFile: one finished file -- data written, time stamped -- that has no
// name yet: an open, unnamed file (O_TMPFILE) in the file system it will be
// placed on. Giving it a name is a link; if it never gets one, the file
// system frees it when the object closes it, so nothing is left behind
// however a run ends, even when the process dies.
//
// TPreparedFile: what the decoding side hands to the thread that puts files
// in place: the decoded bytes, the same bytes already staged on disk, or the
// file already created under its final name.

#include "archive/FileBuffer.h"
#include "archive/vmVornFile.h"
#include "engines/CreatedFile.h"

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
    // Reads the file back piece by piece; raises when that fails.
    void ReadBack(const TPieceSink &sink) const;

private:
    int m_Handle = -1;
};

// The bytes of a file handed to a sink piece by piece, decoded as they go;
// raises the decoding's error, and the pieces given so far are then void.
using TFileStream = std::function<void(const TPieceSink &sink)>;

struct TPreparedFile {
    TFileBuffer Data;                  // the bytes, when they are neither staged nor streamed
    std::optional<TStagedFile> Staged; // the bytes on disk, waiting for a name
    TFileStream Stream;                // a big file, decoded only as it is written
    std::optional<TCreatedFile> Created; // written under its final name, to be kept or removed
};
