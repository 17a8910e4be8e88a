#include "archive/Exceptions.h"
#include "browser/Collection.h"
#include "browser/FormSaveVVC.h"
#include "tests/browser/info/InfoFixtures.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct CollectionTest : ::testing::Test {
    CollectionTest()
    {
        for (const char *name : {"a.vmres", "b.vmmap", "c.vmsave"}) {
            archives.append(dir.filePath(QLatin1String(name)));
            WriteSmallArchive(archives.last());
        }
    }
    QString Path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    // A collection file in the folder with these lines, each ended by lineEnd.
    QString Collection(const char *name, const QStringList &lines, const QByteArray &lineEnd = "\r\n")
    {
        QByteArray bytes;
        for (const QString &line : lines)
            bytes += line.toUtf8() + lineEnd;
        WriteText(Path(name), bytes);
        return Path(name);
    }

    QTemporaryDir dir;
    QStringList archives; // a, b, c
    TOpenerStandIn window;
};

// Runs the collection dialog; `answer` acts on it once it is showing.
bool SaveWith(TfrmSaveVVC &dialog, const QString &fileName, const QStringList &paths,
              const std::function<void(TfrmSaveVVC &)> &answer)
{
    QTimer::singleShot(0, &dialog, [&] { answer(dialog); });
    return dialog.Execute(fileName, paths);
}

} // namespace

TEST(CollectionPath, ExtensionOfTheFileNameInAnyCase)
{
    EXPECT_TRUE(IsCollectionPath(QStringLiteral("/x/LIST.VVC")));
    EXPECT_TRUE(IsCollectionPath(QStringLiteral("list.Vvc")));
    EXPECT_FALSE(IsCollectionPath(QStringLiteral("/x/list.vvc.bak")));
    EXPECT_FALSE(IsCollectionPath(QStringLiteral("/x/old.vvc/data.vmres")));
    EXPECT_FALSE(IsCollectionPath(QStringLiteral("/x/vvc")));
}

TEST(CollectionFormat, LinesEndAtLineFeedCarriageReturnsDropAndCtrlZEnds)
{
    EXPECT_EQ(ParseCollection("/a\r\n/b\r\n"), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(ParseCollection("/a\n/b"), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(ParseCollection("/x\ry\n\n /c \n"), (QStringList{QStringLiteral("/xy"), QString(), QStringLiteral(" /c ")}));
    EXPECT_EQ(ParseCollection("/a\r\n\x1a/b\r\n"), QStringList{QStringLiteral("/a")});
    EXPECT_TRUE(ParseCollection("").isEmpty());
    EXPECT_EQ(CollectionBytes({QStringLiteral("/a"), QStringLiteral("/b")}), QByteArray("/a\r\n/b\r\n"));
}

TEST_F(CollectionTest, SaveAllTwoOrNone)
{
    TfrmSaveVVC dialog;
    const QString vvc = Path("set.vvc");
    EXPECT_TRUE(SaveWith(dialog, vvc, archives, [](TfrmSaveVVC &d) { d.Button2->click(); }));
    EXPECT_EQ(ReadAll(vvc), CollectionBytes(archives));
    EXPECT_TRUE(ReadAll(vvc).endsWith("c.vmsave\r\n"));

    EXPECT_TRUE(SaveWith(dialog, vvc, archives, [](TfrmSaveVVC &d) {
        d.CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
        d.Button2->click();
    }));
    EXPECT_EQ(ReadAll(vvc), CollectionBytes({archives[0], archives[2]}));

    // The dialog is reused: every path is listed and checked again.
    EXPECT_TRUE(SaveWith(dialog, vvc, archives, [](TfrmSaveVVC &d) {
        ASSERT_EQ(d.CheckListBox1->count(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(d.CheckListBox1->item(i)->checkState(), Qt::Checked);
            d.CheckListBox1->item(i)->setCheckState(Qt::Unchecked);
        }
        d.Button2->click();
    }));
    EXPECT_TRUE(QFile::exists(vvc));
    EXPECT_EQ(ReadAll(vvc), QByteArray());
}

TEST_F(CollectionTest, CancelLeavesFilesUntouched)
{
    TfrmSaveVVC dialog;
    const QString existing = Path("old.vvc");
    WriteText(existing, "/kept\r\n");
    EXPECT_FALSE(SaveWith(dialog, existing, archives, [](TfrmSaveVVC &d) { d.Button1->click(); }));
    EXPECT_EQ(ReadAll(existing), QByteArray("/kept\r\n"));

    EXPECT_FALSE(SaveWith(dialog, Path("new.vvc"), archives, [](TfrmSaveVVC &d) { d.reject(); }));
    EXPECT_FALSE(QFile::exists(Path("new.vvc")));
}

TEST_F(CollectionTest, MissingEmptyAndDamagedLinesAreSkippedSilently)
{
    WriteText(Path("broken.vmres"), "not an archive");
    const QString vvc = Collection("set.vvc", {archives[0], Path("missing.vmres"), QString(), Path("broken.vmres"), archives[2]});
    window.OpenFile(vvc);
    EXPECT_EQ(window.OpenPaths(), (QStringList{archives[0], archives[2]}));
    EXPECT_EQ(window.FileHistory.Paths(), (QStringList{vvc, archives[2], archives[0]}));
}

TEST_F(CollectionTest, FifosAndDevicesAreSkippedWithoutWaitingOrReading)
{
    for (const char *fifo : {"fifo.vmres", "fifo.vvc"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(Path(fifo)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path("zero.vvc")));
    window.OpenFile(Collection("set.vvc", {archives[0], Path("fifo.vmres"), Path("fifo.vvc"), Path("zero.vvc"), archives[2]}));
    EXPECT_EQ(window.OpenPaths(), (QStringList{archives[0], archives[2]}));
    EXPECT_THROW(window.OpenFile(Path("zero.vvc")), Exception);
}

TEST_F(CollectionTest, LineFeedOnlyOpensTheSameArchives)
{
    window.OpenFile(Collection("lf.vvc", archives, "\n"));
    EXPECT_EQ(window.OpenPaths(), archives);
}

TEST_F(CollectionTest, OpenArchiveIsReselectedAndLastLineEndsActive)
{
    window.OpenFile(archives[0]);
    window.OpenFile(Collection("set.vvc", {archives[1], archives[0]}));
    EXPECT_EQ(window.OpenPaths(), (QStringList{archives[0], archives[1]}));
    EXPECT_EQ(window.archiveOpens, 2);
    EXPECT_EQ(window.ActivePath(), archives[0]);
}

TEST_F(CollectionTest, HistoryShowsCollectionThenItsArchivesLastNamedFirst)
{
    const QString vvc = Collection("two.vvc", {archives[0], archives[1]});
    window.OpenFile(vvc);
    EXPECT_EQ(window.FileHistory.Paths(), (QStringList{vvc, archives[1], archives[0]}));
}

TEST_F(CollectionTest, CollectionNamingItselfIsReadOnce)
{
    // Once by the same path, once through another spelling of it.
    const QString self = Collection("self.vvc", {archives[0], Path("self.vvc"), dir.path() + QStringLiteral("/./self.vvc")});
    window.OpenFile(self);
    EXPECT_EQ(window.OpenPaths(), QStringList{archives[0]});
    EXPECT_EQ(window.FileHistory.Paths(), (QStringList{self, archives[0]}));
}

TEST_F(CollectionTest, NestedCollectionOpensAtItsLineAndCyclesEnd)
{
    Collection("one.vvc", {archives[0], Path("two.vvc"), archives[2]});
    Collection("two.vvc", {archives[1], Path("one.vvc")});
    window.OpenFile(Path("one.vvc"));
    EXPECT_EQ(window.OpenPaths(), archives);
    EXPECT_EQ(window.FileHistory.Paths(),
              (QStringList{Path("one.vvc"), archives[2], Path("two.vvc"), archives[1], archives[0]}));
    // Reading has ended: the same collection can be opened again.
    window.OpenFile(Path("two.vvc"));
    EXPECT_EQ(window.FileHistory.Items(0), Path("two.vvc"));
}

TEST_F(CollectionTest, UnreadableCollectionRaisesAndIsNotRemembered)
{
    EXPECT_THROW(window.OpenFile(Path("none.vvc")), Exception);
    EXPECT_EQ(window.FileHistory.Count(), 0);
}
