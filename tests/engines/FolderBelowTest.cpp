// Opening the folders below a target one name at a time: made on request,
// never through a symbolic link, and the link named wherever it stands.

#include "engines/FolderBelow.h"
#include "tests/engines/ExtractTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct TOpened {
    bool open;
    int error;
    std::string link;
};

TOpened Open(const fs::path &root, const std::string &relative, bool create)
{
    const int rootHandle = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const TFolderBelow folder = OpenFolderBelow(rootHandle, relative, create);
    if (folder.Handle >= 0)
        ::close(folder.Handle);
    ::close(rootHandle);
    return {folder.Handle >= 0, folder.Error, folder.Link};
}

TEST(FolderBelow, MakesOnlyWhenAskedAndNamesTheLinkInTheWay)
{
    TScratchFolder scratch;
    const fs::path root = scratch.path() / "target";
    fs::create_directories(root / "a");
    fs::create_directory(scratch.path() / "outside");
    fs::create_directory_symlink(scratch.path() / "outside", root / "a" / "link");
    WriteText(root / "plain", "a file");

    const TOpened missing = Open(root, "new/deeper/", false);
    EXPECT_FALSE(missing.open);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(fs::exists(root / "new"));
    EXPECT_TRUE(Open(root, "new/deeper/", true).open);
    EXPECT_TRUE(fs::is_directory(root / "new" / "deeper"));
    EXPECT_TRUE(Open(root, "", false).open);

    // A link as the last folder and in the middle of the path, even when asked to make folders.
    for (const std::string relative : {"a/link/", "a/link/below/"}) {
        const TOpened linked = Open(root, relative, true);
        EXPECT_FALSE(linked.open) << relative;
        EXPECT_EQ(linked.error, ELOOP) << relative;
        EXPECT_EQ(linked.link, "a/link") << relative;
    }
    EXPECT_TRUE(fs::is_empty(scratch.path() / "outside"));

    // A file in the way is no link.
    const TOpened file = Open(root, "plain/x/", true);
    EXPECT_FALSE(file.open);
    EXPECT_EQ(file.error, ENOTDIR);
    EXPECT_EQ(file.link, "");
}

} // namespace
