#include "platform/GameFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

class GameFolderTest : public ::testing::Test {
protected:
    void writeSystemReg(const QByteArray &body)
    {
        QFile file(m_Prefix.filePath(u"system.reg"_qs));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n");
        file.write(body);
    }

    QTemporaryDir m_Prefix;
};

TEST_F(GameFolderTest, ReadsTheInstallFolderWithEscapes)
{
    writeSystemReg(
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Other\\\\1.0] 1600000000\n"
        "\"EXE Path\"=\"C:\\\\Wrong\\\\\"\n\n"
        "[software\\\\microsoft\\\\microsoft games\\\\velmire\\\\1.0] 1600000000\n"
        "#time=1d6b0d5e0f0a2c4\n"
        "\"Version\"=dword:00000001\n"
        "\"exe path\"=\"C:\\\\Program Files\\\\Velmire \\\"Gold\\\"\\\\\"\n");
    const QString raw = ReadWineRegistryString(m_Prefix.filePath(u"system.reg"_qs),
                                                u"Software\\Microsoft\\Microsoft Games\\Velmire\\1.0"_qs, u"EXE Path"_qs);
    EXPECT_EQ(raw, u"C:\\Program Files\\Velmire \"Gold\"\\"_qs);

    QDir(m_Prefix.path()).mkpath(u"drive_c"_qs);
    QDir(m_Prefix.path()).mkpath(u"dosdevices"_qs);
    ASSERT_TRUE(QFile::link(u"../drive_c"_qs, m_Prefix.filePath(u"dosdevices/c:"_qs)));
    EXPECT_EQ(GetGameFolderFromPrefix(m_Prefix.path()),
              QDir(m_Prefix.filePath(u"drive_c"_qs)).canonicalPath() + u"/Program Files/Velmire \"Gold\"/"_qs);
}

TEST_F(GameFolderTest, NonAsciiAndWow64Key)
{
    writeSystemReg(
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Velmire\\\\1.0] 1600000000\n"
        "\"EXE Path\"=str(2):\"D:\\\\Spiele\\\\Caf\\xe9\\\\\"\n");
    // No dosdevices link: the path stays inside the prefix's drive folder.
    EXPECT_EQ(GetGameFolderFromPrefix(m_Prefix.path()), m_Prefix.filePath(u"dosdevices/d:"_qs) + u"/Spiele/Caf\u00e9/"_qs);
}

TEST_F(GameFolderTest, MissingKeyValueOrFileGivesEmpty)
{
    EXPECT_EQ(GetGameFolderFromPrefix(m_Prefix.path()), QString());
    writeSystemReg(
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Velmire\\\\1.0] 1600000000\n"
        "\"EXE Path\"=hex:43,3a,5c\n"
        "\"Other\"=\"C:\\\\x\"\n"
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Velmire\\\\1.0\\\\Sub] 1600000000\n"
        "\"EXE Path\"=\"C:\\\\sub\"\n");
    EXPECT_EQ(GetGameFolderFromPrefix(m_Prefix.path()), QString());
}

}  // namespace
