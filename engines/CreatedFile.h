#pragma once
// TCreatedFile: a finished file -- data written, time stamped -- that a
// worker created under its final name ahead of its turn, because nothing
// stood there and no earlier file of the run can take that name. Until the
// run's own thread reaches it and keeps it, it is provisional: dropped
// (skipped after all, a run cancelled or ended by an error) it is removed
// again, so a run leaves no file it has not reported.
//
// It holds no descriptor of its own: a run may have thousands of files in
// flight across as many folders. Removing one opens its folder again,
// never through a symbolic link.

#include <memory>
#include <string>

class TCreatedFile {
public:
    // `root`: a descriptor of the run's target folder, open until the file
    // is kept or dropped; `folder`: the file's folder below it ("." for the
    // target folder itself), shared with the other files created there;
    // `name`: its name in that folder.
    TCreatedFile(int root, std::shared_ptr<const std::string> folder, std::string name)
        : m_Root(root), m_Folder(std::move(folder)), m_Name(std::move(name))
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

    int m_Root;
    std::shared_ptr<const std::string> m_Folder; // empty once kept or moved from
    std::string m_Name;
};
