// Actions > "Mount as Folder" and the "Mounted" list with the real vorntool
// and real mounts (skipped where FUSE is missing).

#include "browser/BrowserSession.h"
#include "browser/FormMounted.h"
#include "browser/MountActions.h"
#include "browser/merged/MergedGame.h"
#include "tests/browser/BrowserFixture.h"
#include "tests/support/VornWriter.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace {

bool IsMounted(const QString &folder)
{
    std::ifstream mounts("/proc/self/mounts");
    for (std::string device, point, rest; mounts >> device >> point && std::getline(mounts, rest);)
        if (QString::fromStdString(point) == folder)
            return true;
    return false;
}

bool FuseAvailable()
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return !QStandardPaths::findExecutable(QStringLiteral("fusermount3")).isEmpty();
}

class TOpeningSeam : public TRecordingSeam {
public:
    QStringList opened; // folders handed to the file manager
    bool openWithDefault(const QUrl &file) override
    {
        opened << file.toLocalFile();
        return true;
    }
};

class MountActionsTest : public ::testing::Test {
protected:
    const bool app = (EnsureApplication(), true); // before the first widget
    QTemporaryDir scratch;
    QString base = scratch.filePath(QStringLiteral("runtime/vornviewer"));
    TBrowserSession session;
    TOpeningSeam seam;
    QWidget window;
    std::unique_ptr<TMountedFolders> folders = std::make_unique<TMountedFolders>(QStringLiteral(VORNTOOL_PATH), base);
    TMountActions actions{session, seam, &window, folders.get()};

    void SetUp() override
    {
        if (!FuseAvailable())
            GTEST_SKIP() << "no real mount possible: /dev/fuse or fusermount3 is missing";
    }
    void TearDown() override { folders.reset(); } // ends every mount, also after a failure

    QString archive(const QString &name, uint32_t priority = 0)
    {
        VornWriter writer;
        writer.header.m_Priority = priority;
        const auto maps = writer.addDir(0, "maps");
        writer.addFile(maps, {"world.vmmap", TextLikeBytes(100000, 1), DATAFORMAT_ZLIB, 16384});
        writer.addFile(0, {priority ? "README.TXT" : "readme.txt", TextBytes(priority ? "patched" : "hello")});
        const QString path = scratch.filePath(name);
        writer.write(path.toStdString());
        return path;
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < actions.MountedWindow()->lstMounted->count(); ++i)
            texts << actions.MountedWindow()->lstMounted->item(i)->text();
        return texts;
    }
};

TEST_F(MountActionsTest, MountsTheActiveArchiveOpensItAndTheListUnmountsIt)
{
    EXPECT_FALSE(actions.actMountAsFolder->isEnabled()); // no archive yet
    session.Open(archive(QStringLiteral("game.vmres")));
    ASSERT_TRUE(actions.actMountAsFolder->isEnabled());
    actions.actMountAsFolder->trigger();
    actions.actMountAsFolder->trigger(); // a second mount of the same archive gets its own folder
    ASSERT_EQ(seam.errors, QStringList());
    const QString first = base + QStringLiteral("/game.vmres");
    const QString second = base + QStringLiteral("/game.vmres (2)");
    EXPECT_EQ(seam.opened, QStringList({first, second}));
    EXPECT_EQ(FilesBelow(first), QStringList({QStringLiteral("maps/world.vmmap"), QStringLiteral("readme.txt")}));
    QFile readme(second + QStringLiteral("/readme.txt"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    EXPECT_EQ(readme.readAll(), QByteArray("hello"));

    actions.mniMounted->trigger();
    ASSERT_TRUE(actions.MountedWindow());
    EXPECT_EQ(rows().size(), 2);
    EXPECT_TRUE(rows()[0].contains(first));
    // The second folder is in use: its Unmount is refused and it stays.
    actions.MountedWindow()->lstMounted->setCurrentRow(1);
    QTest::mouseClick(actions.MountedWindow()->btnUnmount, Qt::LeftButton);
    ASSERT_EQ(seam.errors.size(), 1);
    EXPECT_TRUE(seam.errors[0].startsWith(QStringLiteral("Cannot unmount ") + second)) << seam.errors[0].toStdString();
    EXPECT_EQ(rows().size(), 2);
    readme.close();
    QTest::mouseClick(actions.MountedWindow()->btnUnmount, Qt::LeftButton);
    EXPECT_EQ(rows().size(), 1);
    EXPECT_FALSE(IsMounted(second));
    EXPECT_FALSE(QFile::exists(second)); // its folder went too
    actions.MountedWindow()->lstMounted->setCurrentRow(0);
    QTest::mouseClick(actions.MountedWindow()->btnOpen, Qt::LeftButton);
    EXPECT_EQ(seam.opened.last(), first);

    // The window goes: every mount ends.
    ASSERT_TRUE(IsMounted(first));
    folders.reset();
    EXPECT_FALSE(IsMounted(first));
    EXPECT_FALSE(QFile::exists(first));
}

TEST_F(MountActionsTest, AnArchiveThatCantBeMountedGivesTheErrorBoxAndLeavesNoFolder)
{
    const QString path = archive(QStringLiteral("broken.vmres"));
    session.Open(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(4);
    file.write("vorn"); // spoiled after it was opened
    file.close();
    actions.actMountAsFolder->trigger();
    EXPECT_EQ(seam.errors, QStringList({QStringLiteral("Cannot mount %1: %1: Unknown header!").arg(path)}));
    EXPECT_TRUE(seam.opened.isEmpty());
    EXPECT_TRUE(folders->Mounts().empty());
    EXPECT_EQ(QDir(base).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

// While the game view is listed, Mount as Folder mounts what the game sees
// of its archives: the patch's README.TXT replaces the factory's readme.txt.
TEST_F(MountActionsTest, TheListedGameViewMountsTheMergedArchives)
{
    TMergedGame game(session);
    bool listed = false;
    actions.SetGameView([&] {
        return listed ? TListedGameView{game.Caption(), game.MemberPaths()} : TListedGameView();
    });
    const QString factory = archive(QStringLiteral("factory.vmres"));
    const QString patch = archive(QStringLiteral("patch.vmres"), 0x3000); // Patch, above Factory
    session.Open(factory);
    session.Open(patch);
    listed = true;
    actions.actMountAsFolder->trigger();
    ASSERT_EQ(seam.errors, QStringList());
    const QString folder = base + QStringLiteral("/Game");
    EXPECT_EQ(seam.opened, QStringList({folder}));
    EXPECT_EQ(FilesBelow(folder), QStringList({QStringLiteral("README.TXT"), QStringLiteral("maps/world.vmmap")}));
    QFile readme(folder + QStringLiteral("/README.TXT"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    EXPECT_EQ(readme.readAll(), QByteArray("patched"));
    readme.close();

    actions.mniMounted->trigger();
    EXPECT_EQ(rows(), QStringList({QStringLiteral("Game (2 archives)  \u2192  ") + folder}));
    EXPECT_EQ(actions.MountedWindow()->lstMounted->item(0)->toolTip(),
              QStringList({QStringLiteral("Game (2 archives)"), factory, patch}).join(QLatin1Char('\n')));
    listed = false; // an archive's folder is listed again: the active archive is mounted
    actions.actMountAsFolder->trigger();
    EXPECT_EQ(seam.opened.last(), base + QStringLiteral("/patch.vmres"));
    folders.reset();
    EXPECT_FALSE(IsMounted(folder));
}

TEST_F(MountActionsTest, AGameViewWithNothingLeftToMergeSaysWhy)
{
    TMergedGame game(session);
    actions.SetGameView([&] { return TListedGameView{game.Caption(), game.MemberPaths()}; });
    const QString path = archive(QStringLiteral("broken.vmres"));
    session.Open(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(4);
    file.write("vorn"); // spoiled after it was opened
    file.close();
    actions.actMountAsFolder->trigger();
    EXPECT_EQ(seam.errors,
              QStringList({QStringLiteral("Cannot mount Game (1 archive): %1: Unknown header!\nNo archives to merge.").arg(path)}));
    EXPECT_TRUE(folders->Mounts().empty());
}

} // namespace
