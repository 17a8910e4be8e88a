#pragma once
// Helpers of the archive tests: a temporary folder, archives written into it,
// patching built archives and catching an expected failure's message.

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "tests/support/VornWriter.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vv_archive_test.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string file(const std::string &name) const { return m_path + "/" + name; }
    // Removes the old file first: rewriting a file in place through
    // truncation makes ext4 flush it to disk on every close.
    std::string write(const std::string &name, const Bytes &bytes) const
    {
        std::filesystem::remove(file(name));
        WriteBytes(file(name), bytes);
        return file(name);
    }

private:
    std::string m_path;
};

// The message of the Exception (of class E) that `action` raises; a marker
// text when it raises something else or nothing.
template <class E = Exception, class F>
std::string MessageOf(F &&action)
{
    try {
        action();
    } catch (const E &e) {
        return e.what();
    } catch (const std::exception &e) {
        return std::string("<other exception: ") + e.what() + ">";
    }
    return "<no exception>";
}

inline std::string AsString(const TFileBuffer &buffer)
{
    return std::string(reinterpret_cast<const char *>(buffer.data()), buffer.size());
}

inline std::string AsString(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Header field positions used to damage archives.
constexpr size_t HEADER_DIRSET_POS = 12;
constexpr size_t HEADER_FILESET_POS = 16;
constexpr size_t HEADER_INDEXSIZE_POS = 20;
constexpr size_t HEADER_DATAOFFSET_POS = 24;
