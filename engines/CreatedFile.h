#pragma once
// TCreatedFile: a finished file -- data written, time stamped -- that a
// worker created under its final name ahead of its turn, because nothing
// stood there and no earlier file of the run can take that name. Until the
// run's own thread reaches it and keeps it, it is provisional: dropped
// (skipped after all, a run cancelled or ended by an error) it is removed
// again, so a run leaves no file it has not reported.

#include <memory>
#include <string>

class TCreatedFile {
public:
    // `folder`: the open folder the file was created in, shared with the
    // other files created there; `name`: its name in that folder.
    TCreatedFile(std::shared_ptr<const int> folder, std::string name)
        : m_Folder(std::move(folder)), m_Name(std::move(name))
    {
    }
    ~TCreatedFile();
    TCreatedFile(TCreatedFile &&other) noexcept;
    TCreatedFile &operator=(TCreatedFile &&other) noexcept;
    TCreatedFile(const TCreatedFile &) = delete;
    TCreatedFile &operator=(const TCreatedFile &) = delete;

    // The file stays where it is.
    void Keep() { m_Folder.reset(); }

private:
    void Remove();

    std::shared_ptr<const int> m_Folder; // empty once kept or moved from
    std::string m_Name;
};
