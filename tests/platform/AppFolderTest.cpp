#include "platform/AppFolder.h"

#include <QCoreApplication>
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
