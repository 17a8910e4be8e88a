#include "platform/GameFolder.h"
#include "platform/WinePrefixes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

// A home folder with a Wine prefix, two Steam installations (one of them
// Flatpak) with a second library, Lutris games and Bottles bottles.
class WinePrefixesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkdirs({u".wine"_qs, u".local/share/Steam/steamapps/compatdata/20/pfx"_qs,
                u".local/share/Steam/steamapps/compatdata/3/pfx"_qs,
                u"games/SteamLibrary/steamapps/compatdata/777/pfx"_qs,
                u".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/9/pfx"_qs,
                u"decoy/steamapps/compatdata/5/pfx"_qs, u"Games/velmire"_qs, u".local/share/bottles/bottles/Velmire"_qs, u".steam"_qs});
        ASSERT_TRUE(QFile::link(home(u".local/share/Steam"_qs), home(u".steam/steam"_qs)));
        write(u".local/share/Steam/steamapps/libraryfolders.vdf"_qs,
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home(u".local/share/Steam"_qs).toUtf8() +
                  "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"20\"\t\t\"" + home(u"decoy"_qs).toUtf8() + "\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                  home(u"games/SteamLibrary"_qs).toUtf8() + "\"\n\t}\n}\n");
        write(u".config/lutris/games/velmire-1700000000.yml"_qs,
              "game:\n  exe: drive_c/Velmire/Velmire.exe\n  prefix: '~/Games/velmire'\nwine:\n  version: lutris-7\n");
    }

    QString home(const QString &relative) const { return m_Home.filePath(relative); }

    void mkdirs(const QStringList &folders)
    {
        for (const QString &folder : folders)
            ASSERT_TRUE(QDir(m_Home.path()).mkpath(folder));
    }

    void write(const QString &relative, const QByteArray &bytes)
    {
        QDir(m_Home.path()).mkpath(QFileInfo(home(relative)).path());
        QFile file(home(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Gives a prefix the game's key, installed at C:\<folder>.
    void installGame(const QString &prefix, const QByteArray &folder)
    {
        write(prefix + u"/system.reg"_qs,
              "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Microsoft Games\\\\Velmire\\\\1.0] 1\n"
              "\"EXE Path\"=\"C:\\\\" + folder + "\\\\\"\n");
    }

    QTemporaryDir m_Home;
};

TEST_F(WinePrefixesTest, ListsEveryKindOfPrefixOnceInOrder)
{
    const QString extra = home(u"Games/velmire"_qs);  // also named by $WINEPREFIX: listed first, once
    EXPECT_EQ(WinePrefixCandidates(m_Home.path(), extra),
              (QStringList{extra, home(u".wine"_qs),
                           home(u".steam/steam/steamapps/compatdata/20/pfx"_qs),
                           home(u".steam/steam/steamapps/compatdata/3/pfx"_qs),
                           home(u"games/SteamLibrary/steamapps/compatdata/777/pfx"_qs),
                           home(u".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/9/pfx"_qs),
                           home(u".local/share/bottles/bottles/Velmire"_qs)}));
}

TEST_F(WinePrefixesTest, FirstPrefixHoldingTheGameWins)
{
    EXPECT_EQ(FindGameInstall(WinePrefixCandidates(m_Home.path(), QString())).Prefix, QString());
    installGame(u".local/share/bottles/bottles/Velmire"_qs, "Bottled");
    installGame(u"games/SteamLibrary/steamapps/compatdata/777/pfx"_qs, "Proton");
    const TGameInstall game = FindGameInstall(WinePrefixCandidates(m_Home.path(), QString()));
    EXPECT_EQ(game.Prefix, home(u"games/SteamLibrary/steamapps/compatdata/777/pfx"_qs));
    EXPECT_EQ(game.Folder, game.Prefix + u"/dosdevices/c:/Proton/"_qs);
}

TEST_F(WinePrefixesTest, OlderSteamAndQuotedLutrisFormats)
{
    write(u"old.vdf"_qs, "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1600000000\"\n"
                         "\t\"ContentStatsID\"\t\t\"-123\"\n\t\"1\"\t\t\"/mnt/games\\\\ \\\"x\\\"\"\n}\n");
    EXPECT_EQ(SteamLibraryFolders(home(u"old.vdf"_qs)), (QStringList{u"/mnt/games\\ \"x\""_qs}));
    EXPECT_EQ(SteamLibraryFolders(home(u"missing.vdf"_qs)), QStringList());
    write(u"g.yml"_qs, "game:\n  prefix: \"/opt/my prefix\"  \n");
    EXPECT_EQ(LutrisGamePrefix(home(u"g.yml"_qs)), u"/opt/my prefix"_qs);
    write(u"none.yml"_qs, "prefix: /not/indented\ngame:\n  exe: a.exe\n");
    EXPECT_EQ(LutrisGamePrefix(home(u"none.yml"_qs)), QString());
}

TEST_F(WinePrefixesTest, KeysInAnyCaseAndOnlyFoldersAsPrefixes)
{
    write(u"upper.vdf"_qs, "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"Path\"\t\t\"/mnt/Upper\"\n\t}\n}\n");
    EXPECT_EQ(SteamLibraryFolders(home(u"upper.vdf"_qs)), (QStringList{u"/mnt/Upper"_qs}));
    // The Lutris game's "~/Games/velmire", and another game's prefix that names a file.
    write(u"not-a-folder"_qs, "x");
    write(u".config/lutris/games/other.yml"_qs, "game:\n  prefix: ~/not-a-folder\n");
    const QStringList candidates = WinePrefixCandidates(m_Home.path(), QString());
    EXPECT_TRUE(candidates.contains(home(u"Games/velmire"_qs)));
    EXPECT_FALSE(candidates.contains(home(u"not-a-folder"_qs)));
}

}  // namespace
