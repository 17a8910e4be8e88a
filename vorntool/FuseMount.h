#pragma once
// TFuseMount: serves a TMountFileSystem to the kernel through libfuse3's
// low-level interface, read-only and on several threads, until the mount is
// ended (fusermount3 -u, Ctrl+C or SIGTERM).

#include "engines/MountFileSystem.h"

#include <string>

class TFuseMount {
public:
    explicit TFuseMount(TMountFileSystem &fileSystem) : m_FileSystem(fileSystem) {}

    // Mounts at `mountPoint` (an existing, empty folder) and serves requests
    // until unmounted; with `background`, detaches from the terminal once
    // mounted. Raises an Exception when the mount can't be made.
    void run(const std::string &mountPoint, bool background);

    TMountFileSystem &fileSystem() { return m_FileSystem; }

private:
    TMountFileSystem &m_FileSystem;
};
