#include "archive/Exceptions.h"
#include "browser/History.h"
#include "platform/IniFile.h"
#include "tests/browser/info/InfoFixtures.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

QString P(int i)
{
    return QStringLiteral("/games/data%1.vmres").arg(i);
}

std::string MessageOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Exception &e) {
        return e.what();
    }
    return "no exception";
}

// Configured like the main window's FileHistory, with its submenu rebuilt on
// every change.
struct HistoryTest : ::testing::Test {
    HistoryTest()
    {
        history.SetMaxItems(8);
        history.SetIfExistsPlaceFirst(true);
        QObject::connect(&history, &THistory::OnChange, [this] {
            ++changes;
            FillReopenMenu(mniReopen, history, [this](int tag) {
                GenericReopenClick(history, tag, [this](const QString &path) { opened.append(path); });
            });
        });
    }
    QString Caption(int i) const { return mniReopen.actions().at(i)->text(); }

    THistory history;
    int changes = 0;
    QMenu mniReopen{QStringLiteral("&Reopen")};
    QStringList opened;
    QTemporaryDir dir;
    QString iniName = dir.filePath(QStringLiteral("VornViewer.ini"));
};

} // namespace

TEST(HistoryDefaults, FiveItemsAndListedPathsStayInPlace)
{
    THistory history;
    for (int i = 0; i < 6; ++i)
        history.Add(P(i));
    history.Add(P(3));
    EXPECT_EQ(history.Paths(), (QStringList{P(5), P(4), P(3), P(2), P(1)}));
}

TEST_F(HistoryTest, AddKeepsTheNewestFirst)
{
    for (int i = 1; i <= 9; ++i)
        history.Add(P(i));
    EXPECT_EQ(history.Paths(), (QStringList{P(9), P(8), P(7), P(6), P(5), P(4), P(3), P(2)}));
    history.Add(P(6)); // position 3 moves to the front, the others keep their order
    EXPECT_EQ(history.Paths(), (QStringList{P(6), P(9), P(8), P(7), P(5), P(4), P(3), P(2)}));
    history.Add(QString());
    EXPECT_EQ(changes, 10);

    history.Add(QStringLiteral("/games/DATA2.vmres"));
#ifdef Q_OS_WIN
    EXPECT_EQ(history.Items(0), P(2)); // the stored letter case moves to the front
    EXPECT_EQ(history.Count(), 8);
#else
    EXPECT_EQ(history.Items(0), QStringLiteral("/games/DATA2.vmres")); // another file on Linux
    EXPECT_EQ(history.Items(7), P(3));
#endif
}

TEST_F(HistoryTest, ItemsBoundsAndMaxItems)
{
    for (int i = 0; i < 6; ++i)
        history.Add(P(i));
    EXPECT_EQ(MessageOf([&] { history.Items(-1); }), "Index out of bounds (-1)");
    EXPECT_EQ(MessageOf([&] { history.Items(6); }), "Index out of bounds (6)");
    changes = 0;
    history.SetMaxItems(10);
    EXPECT_EQ(changes, 0);
    history.SetMaxItems(3);
    EXPECT_EQ(history.Paths(), (QStringList{P(5), P(4), P(3)}));
    EXPECT_EQ(changes, 1);
}

TEST_F(HistoryTest, IniGapsCloseKeysBeyondMaxAreIgnoredAndSaveRenumbers)
{
    WriteText(iniName, "[Folders]\nOpen=/x\n[history]\n0=/a\n2=/c\n3=\n4=/e\n5=/f\n6=/g\n7=/h\n8=/i\n9=/j\n");
    history.LoadFromIniFile(iniName, QStringLiteral("history"));
    EXPECT_EQ(history.Paths(), (QStringList{QStringLiteral("/a"), QStringLiteral("/c"), QStringLiteral("/e"),
                                            QStringLiteral("/f"), QStringLiteral("/g"), QStringLiteral("/h")}));
    EXPECT_EQ(changes, 1);

    history.SaveToIniFile(iniName, QStringLiteral("history"));
    const TIniFile ini(iniName);
    const auto key = [&](const char *k) { return ini.ReadString(QStringLiteral("history"), QLatin1String(k), QStringLiteral("-")); };
    EXPECT_EQ(key("1"), QStringLiteral("/c"));
    EXPECT_EQ(key("5"), QStringLiteral("/h"));
    EXPECT_EQ(key("6"), QStringLiteral("-"));
    EXPECT_EQ(key("9"), QStringLiteral("-"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Folders"), QStringLiteral("Open"), QString()), QStringLiteral("/x"));

    history.Clear();
    history.SaveToIniFile(iniName, QStringLiteral("history"));
    EXPECT_EQ(TIniFile(iniName).ReadSections(), QStringList{QStringLiteral("Folders")});
}

TEST_F(HistoryTest, ANulOrLineBreakInAPathLosesNoOtherPath)
{
    static const char text[] = "[history]\n0=/a\n1=/b\0junk\n2=/c\n";
    WriteText(iniName, QByteArray(text, sizeof text - 1));
    history.LoadFromIniFile(iniName, QStringLiteral("history"));
    history.Add(QStringLiteral("/new\nline"));
    history.SaveToIniFile(iniName, QStringLiteral("history"));
    history.LoadFromIniFile(iniName, QStringLiteral("history"));
    EXPECT_EQ(history.Paths(), (QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")}));
}

TEST_F(HistoryTest, MissingIniOrSectionRaiseAndChangeNothing)
{
    history.Add(P(1));
    TIniFile ini(iniName);
    EXPECT_EQ(MessageOf([&] { history.LoadFromIni(nullptr, QStringLiteral("history")); }), "IniFile not assigned");
    EXPECT_EQ(MessageOf([&] { history.LoadFromIni(&ini, QString()); }), "Section is not set!");
    EXPECT_EQ(MessageOf([&] { history.SaveToIni(&ini, QString()); }), "Section is not set!");
    EXPECT_EQ(history.Paths(), QStringList{P(1)});
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(QFile::exists(iniName));
}

TEST_F(HistoryTest, ReopenMenuListsOpensAndClears)
{
    history.Add(QStringLiteral("/a.vmres"));
    history.Add(QStringLiteral("/R&D/b.vmres"));
    ASSERT_EQ(mniReopen.actions().size(), 4);
    EXPECT_TRUE(mniReopen.menuAction()->isEnabled());
    // "&" in a path is shown as itself; the digit stays the accelerator.
    EXPECT_EQ(Caption(0), QStringLiteral("&0 /R&&D/b.vmres"));
    EXPECT_EQ(QKeySequence::mnemonic(Caption(0)), QKeySequence(Qt::ALT | Qt::Key_0));
    EXPECT_EQ(Caption(1), QStringLiteral("&1 /a.vmres"));
    EXPECT_TRUE(mniReopen.actions()[2]->isSeparator());
    EXPECT_EQ(Caption(3), QStringLiteral("Clear History"));

    mniReopen.actions()[1]->trigger();
    EXPECT_EQ(opened, QStringList{QStringLiteral("/a.vmres")});

    mniReopen.actions()[3]->trigger();
    EXPECT_EQ(history.Count(), 0);
    EXPECT_FALSE(mniReopen.menuAction()->isEnabled());
    EXPECT_EQ(mniReopen.actions().size(), 2);
}

TEST_F(HistoryTest, FailedReopenPassesTheErrorAndKeepsThePath)
{
    history.Add(QStringLiteral("/gone.vmres"));
    const auto failing = [](const QString &) { throw Exception("Cannot open file /gone.vmres"); };
    EXPECT_EQ(MessageOf([&] { GenericReopenClick(history, 0, failing); }), "Cannot open file /gone.vmres");
    EXPECT_EQ(history.Paths(), QStringList{QStringLiteral("/gone.vmres")});
}
