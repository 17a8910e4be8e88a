#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TEST(AppFolder, SettingsFileBesideAWritableProgramElseInConfigFolder)
{
    QTemporaryDir dir;
    EXPECT_EQ(SettingsFileNameFor(dir.path(), u"/cfg"_qs), dir.path() + u"/VornViewer.ini"_qs);
    EXPECT_EQ(SettingsFileNameFor(dir.path() + u"/missing"_qs, u"/cfg/"_qs), u"/cfg/VornViewer.ini"_qs);
}

// An installed program never writes into its folder, even where it could
// (root, or an install prefix of the user's own).
TEST(AppFolder, AnInstalledProgramKeepsItsSettingsInTheConfigFolder)
{
    QTemporaryDir dir;
    const QString installed = dir.filePath(u"opt/vv/bin"_qs), unpacked = dir.filePath(u"unpacked/bin"_qs);
    ASSERT_TRUE(QDir().mkpath(installed) && QDir().mkpath(dir.filePath(u"opt/vv/lib/vornviewer/plugins"_qs)));
    ASSERT_TRUE(QDir().mkpath(unpacked) && QDir().mkpath(dir.filePath(u"unpacked/lib"_qs)));
    EXPECT_EQ(SettingsFileNameFor(installed, u"/cfg"_qs), u"/cfg/VornViewer.ini"_qs);
    EXPECT_EQ(SettingsFileNameFor(installed + u'/', u"/cfg"_qs), u"/cfg/VornViewer.ini"_qs);
    EXPECT_EQ(SettingsFileNameFor(unpacked, u"/cfg"_qs), unpacked + u"/VornViewer.ini"_qs);
    for (const QString &system : {u"/usr/bin/"_qs, u"/usr/local/bin"_qs, u"/bin"_qs})
        EXPECT_TRUE(IsInstalledProgramFolder(system)) << system.toStdString();
    // A build folder, or a folder merely called bin elsewhere, is the program's own.
    for (const QString &own : {u"/usr/lib/bin"_qs, u"/usr"_qs, u"/home/u/vv/build/app/"_qs, unpacked})
        EXPECT_FALSE(IsInstalledProgramFolder(own)) << own.toStdString();
}

TEST(AppFolder, ProgramFolderAndOverride)
{
    int argc = 1;
    char name[] = "test_platform";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QString folder = GetAppFolder();
    EXPECT_TRUE(folder.endsWith(u'/'));
    EXPECT_TRUE(QFile::exists(folder + u"test_platform"_qs));

    SetSettingsFileNameOverride(u"/tmp/elsewhere.ini"_qs);
    EXPECT_EQ(SettingsFileName(), u"/tmp/elsewhere.ini"_qs);
    SetSettingsFileNameOverride(QString());
    EXPECT_EQ(SettingsFileName(), folder + u"VornViewer.ini"_qs);
}

}  // namespace
