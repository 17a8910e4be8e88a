// When a drag starts, which paths it offers, and that the files are written
// once, only when a receiver asks for them after the drop (offscreen).

#include "extract/DirectSave.h"
#include "extract/DragReleaseWatch.h"
#include "extract/SameNameFolders.h"
#include "extract/WaylandDropWatch.h"
#include "tests/extract/drag/DragTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

// The source side of a drag in Qt's Wayland plug-in, as it reports the
// compositor's events: same class name, same signals in the same order.
namespace QtWaylandClient {
class QWaylandDataSource : public QObject {
    Q_OBJECT
signals:
    void cancelled();
    void dndResponseUpdated(bool accepted, Qt::DropAction action);
    void dndDropped(bool accepted, Qt::DropAction action);
    void finished();
};
} // namespace QtWaylandClient

// Any other object with a signal of that name.
class TOtherDataSource : public QObject {
    Q_OBJECT
signals:
    void dndDropped(bool accepted, Qt::DropAction action);
};

namespace {

TEST(DragStartTracker, StartsAtTenPixelsOnEitherAxis)
{
    const QPoint press(100, 100);
    struct Case {
        QPoint to;
        bool starts;
    };
    const Case cases[] = {
        {{109, 109}, false}, {{91, 91}, false}, {{110, 100}, true}, {{100, 110}, true},
        {{90, 100}, true},   {{100, 90}, true}, {{109, 110}, true},
    };
    for (const Case &c : cases) {
        TDragStartTracker tracker;
        tracker.MouseDown(press);
        EXPECT_EQ(tracker.ShouldStartDrag(Qt::LeftButton, c.to, true), c.starts)
            << c.to.x() << "," << c.to.y();
    }
}

TEST(DragStartTracker, NeedsLeftOrRightButtonASelectionAndAPress)
{
    const QPoint press(5, 5), far(40, 5);
    TDragStartTracker tracker;
    EXPECT_FALSE(tracker.ShouldStartDrag(Qt::LeftButton, far, true)) << "no press seen";
    tracker.MouseDown(press);
    EXPECT_FALSE(tracker.ShouldStartDrag(Qt::NoButton, far, true));
    EXPECT_FALSE(tracker.ShouldStartDrag(Qt::MiddleButton, far, true));
    EXPECT_FALSE(tracker.ShouldStartDrag(Qt::LeftButton, far, false)) << "nothing selected";
    EXPECT_TRUE(tracker.ShouldStartDrag(Qt::RightButton, far, true));
    EXPECT_FALSE(tracker.ShouldStartDrag(Qt::RightButton, far, true)) << "press used up";
    tracker.MouseDown(press);
    EXPECT_TRUE(tracker.ShouldStartDrag(Qt::LeftButton | Qt::MiddleButton, far, true));
}

TEST(DragFileList, TempFolderPlusEachSelectedNameInListOrderRepeatsInSubfoldersOfTheirOwn)
{
    const QString b = QStringLiteral("b.txt");
    const QStringList files = DragFileList(QStringLiteral("/tmp/"),
                                           {b, QStringLiteral("textures"), QStringLiteral("a.dat"), b, b});
    ASSERT_EQ(files.size(), 5) << "every selected file offered";
    EXPECT_EQ(files.mid(0, 3), (QStringList{QStringLiteral("/tmp/b.txt"), QStringLiteral("/tmp/textures"),
                                           QStringLiteral("/tmp/a.dat")}));
    EXPECT_EQ(files[3], SameNameFolder(QStringLiteral("/tmp/"), 1) + b);
    EXPECT_EQ(files[4], SameNameFolder(QStringLiteral("/tmp/"), 2) + b);
    EXPECT_NE(files[3], files[4]);
    for (const QString &repeat : {files[3], files[4]}) {
        // One level below the folder, in a subfolder no entry can be named.
        const QString subfolder = QFileInfo(QFileInfo(repeat).path()).fileName();
        EXPECT_EQ(QFileInfo(QFileInfo(repeat).path()).path(), QStringLiteral("/tmp"));
        EXPECT_TRUE(DragFileList(QStringLiteral("/tmp/"), {subfolder}).isEmpty()) << subfolder.toStdString();
    }
    EXPECT_EQ(DragFileList(QStringLiteral("/var/tmp"), {QStringLiteral("x")}),
              QStringList{QStringLiteral("/var/tmp/x")});
}

TEST(DragFileList, NamesThatLeaveTheFolderAreNotOffered)
{
    // "/tmp/" + "" or ".." would offer the temporary folder itself or its
    // parent to a target that moves what it gets.
    const QStringList bad = {QString(),           QStringLiteral("."),
                             QStringLiteral(".."), QStringLiteral("a/b"),
                             QStringLiteral("a\\b"), QStringLiteral("c:x"),
                             QStringLiteral("n") + QChar(0)};
    EXPECT_TRUE(DragFileList(QStringLiteral("/tmp/"), bad).isEmpty());
    EXPECT_EQ(DragFileList(QStringLiteral("/tmp/"), bad + QStringList{QStringLiteral("..a")}),
              QStringList{QStringLiteral("/tmp/..a")});
}

TEST(MapDropAction, FirstSharedOfCopyMoveLink)
{
    EXPECT_EQ(MapDropAction(Qt::MoveAction, Qt::MoveAction), TDragResult::DropMove);
    EXPECT_EQ(MapDropAction(Qt::TargetMoveAction, Qt::MoveAction), TDragResult::DropMove);
    EXPECT_EQ(MapDropAction(Qt::CopyAction, Qt::MoveAction), TDragResult::Cancelled);
    EXPECT_EQ(MapDropAction(Qt::IgnoreAction, Qt::MoveAction), TDragResult::Cancelled);
    EXPECT_EQ(MapDropAction(Qt::CopyAction, Qt::CopyAction | Qt::MoveAction),
              TDragResult::DropCopy);
    EXPECT_EQ(MapDropAction(Qt::LinkAction, Qt::CopyAction | Qt::LinkAction),
              TDragResult::DropLink);
}

class DropFileSourceData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        probe.TempFolder = m_temp.path();
        probe.Entries = {
            {QStringLiteral("one.txt"), "first", Stamp(2004, 5, 6, 7, 8, 10), {}},
            {QStringLiteral("two.bin"), QByteArray("\0\1\2", 3), Stamp(1999, 1, 2, 3, 4, 6), {}},
            {QStringLiteral("maps"),
             {},
             {},
             {{QStringLiteral("deep.vmmap"), "map", Stamp(2010, 1, 1, 0, 0, 0), {}}}},
        };
        selected = {QStringLiteral("one.txt"), QStringLiteral("two.bin"), QStringLiteral("maps")};
    }

    static QDateTime Stamp(int y, int mo, int d, int h, int mi, int s)
    {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }

    std::unique_ptr<TDropFileSource> MakeSource()
    {
        return std::make_unique<TDropFileSource>(DragFileList(probe.TempFolder, selected),
                                                 probe.Callback());
    }

    QList<QUrl> ExpectedUrls() const
    {
        QList<QUrl> urls;
        for (const QString &name : selected)
            urls.append(QUrl::fromLocalFile(probe.TempFolder + u'/' + name));
        return urls;
    }

    TRenderProbe probe;
    QStringList selected;

private:
    QTemporaryDir m_temp;
};

TEST_F(DropFileSourceData, FormatsAloneWriteNothing)
{
    auto dfs = MakeSource();
    EXPECT_EQ(dfs->formats(), QStringList{QStringLiteral("text/uri-list")});
    EXPECT_TRUE(dfs->hasUrls());
    EXPECT_EQ(probe.Calls, 0);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());
}

TEST_F(DropFileSourceData, FirstRequestWritesOnceAndAnswersTheUrls)
{
    auto dfs = MakeSource();
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_TRUE(dfs->Rendered());
    EXPECT_EQ(TreeOf(probe.TempFolder),
              (QStringList{QStringLiteral("maps"), QStringLiteral("maps/deep.vmmap"),
                           QStringLiteral("one.txt"), QStringLiteral("two.bin")}));
    const QFileInfo one(probe.TempFolder + QStringLiteral("/one.txt"));
    EXPECT_EQ(one.lastModified(), Stamp(2004, 5, 6, 7, 8, 10));
    EXPECT_EQ(one.size(), 5);

    // Later requests, in either form, reuse what was written.
    QByteArray text;
    for (const QUrl &url : ExpectedUrls())
        text += url.toEncoded() + "\r\n";
    EXPECT_EQ(dfs->data(QStringLiteral("text/uri-list")), text);
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
}

TEST_F(DropFileSourceData, OtherFormatsAndAnEmptyListWriteNothing)
{
    auto dfs = MakeSource();
    EXPECT_TRUE(dfs->data(QStringLiteral("text/html")).isEmpty());
    EXPECT_TRUE(dfs->data(QStringLiteral("application/octet-stream")).isEmpty());
    EXPECT_EQ(probe.Calls, 0);

    TDropFileSource empty({}, probe.Callback());
    EXPECT_TRUE(empty.formats().isEmpty());
    EXPECT_TRUE(empty.urls().isEmpty());
    EXPECT_EQ(probe.Calls, 0);
}

TEST_F(DropFileSourceData, RequestsWhileTheButtonIsHeldInADragDoNotWrite)
{
    // A drop target may read the URLs while the pointer passes over it; the
    // files are written only after the button has come up.
    QWindow window;
    window.resize(100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto dfs = MakeSource();
    dfs->SetDragRunning(true);

    QTest::mousePress(&window, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 0);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());

    QTest::mouseRelease(&window, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_EQ(TreeOf(probe.TempFolder).size(), 4);
}

TEST_F(DropFileSourceData, WhereTheReleaseIsWatchedOnlyItMakesARequestWrite)
{
    // X11's drag loop reports no button as held: only the watched release
    // tells a drop from a target looking at the data during the hover.
    auto dfs = MakeSource();
    dfs->SetDragRunning(true);
    dfs->SetReleaseWatched(true);
    constexpr uint8_t XInput = 131;
    TDragReleaseWatch watch(dfs.get(), [&] { dfs->NoteButtonReleased(); }, XInput);
    auto feed = [&](uint8_t type, uint8_t extension = 0, uint16_t extensionType = 0) {
        xcb_ge_generic_event_t event{};
        event.response_type = type;
        event.extension = extension;
        event.event_type = extensionType;
        EXPECT_FALSE(watch.nativeEventFilter("xcb_generic_event_t", &event, nullptr));
    };
    feed(XCB_MOTION_NOTIFY);
    feed(XCB_BUTTON_PRESS);
    feed(XCB_GE_GENERIC, XInput, 4);     // XInput's button press
    feed(XCB_GE_GENERIC, XInput + 1, 5); // another extension's event 5
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 0);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());

    feed(XCB_GE_GENERIC, XInput, 5); // XInput's button release, as Qt hears it
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_EQ(probe.Folders, QStringList{QDir(probe.TempFolder).path()});
    EXPECT_EQ(TreeOf(probe.TempFolder).size(), 4);
}

TEST_F(DropFileSourceData, UrlsReadDuringTheHoverAreWrittenAtTheReleaseOverATargetThatAccepts)
{
    // pcmanfm reads the list while the pointer passes and moves the files at
    // the drop without asking again: they must exist before it hears of it.
    auto refused = MakeSource();
    refused->SetDragRunning(true);
    refused->SetReleaseWatched(true);
    EXPECT_EQ(refused->urls(), ExpectedUrls());
    refused->NoteButtonReleased(); // over a window that takes no files
    EXPECT_EQ(probe.Calls, 0);

    auto accepted = MakeSource();
    accepted->SetDragRunning(true);
    accepted->SetReleaseWatched(true);
    accepted->NoteButtonReleased(); // nobody read the list: it is asked for later
    EXPECT_EQ(probe.Calls, 0);
    accepted = MakeSource();
    accepted->SetDragRunning(true);
    accepted->SetReleaseWatched(true);
    accepted->SetFeedbackEffect(Qt::MoveAction);
    EXPECT_EQ(accepted->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 0);
    accepted->NoteButtonReleased();
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_EQ(TreeOf(probe.TempFolder).size(), 4);
    EXPECT_EQ(accepted->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
}

TEST_F(DropFileSourceData, AWriteAtTheReleaseIsUndoneForADragThatEndsWithoutADrop)
{
    // The target had answered "accept" but the release went out before its
    // last answer: the drag ends refused and no one takes the files.
    QFile kept(probe.TempFolder + QStringLiteral("/kept.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    auto dfs = MakeSource();
    dfs->SetDragRunning(true);
    dfs->SetReleaseWatched(true);
    dfs->SetFeedbackEffect(Qt::MoveAction);
    const std::function<void()> undo = dfs->UndoWriteAtRelease();
    EXPECT_EQ(dfs->urls(), ExpectedUrls());
    dfs->NoteButtonReleased();
    dfs->NoteButtonReleased(); // heard once for each window: nothing more
    EXPECT_EQ(probe.Calls, 1);
    dfs.reset(); // the platform may have deleted the drag's data
    undo();
    EXPECT_EQ(TreeOf(probe.TempFolder), QStringList{QStringLiteral("kept.txt")});

    // Files written for a request after the release are the target's: the
    // drop went out, so they stay.
    auto asked = MakeSource();
    asked->SetDragRunning(true);
    asked->SetReleaseWatched(true);
    const std::function<void()> undoAsked = asked->UndoWriteAtRelease();
    asked->NoteButtonReleased();
    EXPECT_EQ(asked->urls(), ExpectedUrls());
    undoAsked();
    EXPECT_EQ(TreeOf(probe.TempFolder).size(), 5);
}

TEST_F(DropFileSourceData, UnderWaylandOnlyAnAcceptedDropOfTheDragMakesARequestWrite)
{
    // The compositor's drop reaches the source as the plug-in's signal; the
    // button still shows as held, so nothing else tells a drop from a hover.
    auto dfs = MakeSource();
    dfs->SetDragRunning(true);
    dfs->SetReleaseWatched(true);
    dfs->SetFeedbackEffect(Qt::MoveAction);
    QtWaylandClient::QWaylandDataSource source;
    TOtherDataSource other;
    {
        TWaylandDropWatch watch(dfs.get(), [&] { dfs->NoteDropDelivered(); });
        emit source.dndResponseUpdated(true, Qt::MoveAction); // a target accepts
        EXPECT_EQ(dfs->urls(), ExpectedUrls());              // and reads during the hover
        emit source.cancelled();
        emit source.finished();
        emit other.dndDropped(true, Qt::MoveAction);
        emit source.dndDropped(false, Qt::IgnoreAction); // released where it is refused
        EXPECT_EQ(dfs->urls(), ExpectedUrls());
        EXPECT_EQ(probe.Calls, 0);

        // The target hears of the drop at the same moment: only its request
        // for the data writes.
        emit source.dndDropped(true, Qt::MoveAction);
        EXPECT_EQ(probe.Calls, 0);
        EXPECT_EQ(dfs->urls(), ExpectedUrls());
        EXPECT_EQ(probe.Calls, 1);
        EXPECT_EQ(TreeOf(probe.TempFolder).size(), 4);
    }
    // A drop reported once the watch is gone is not taken for this drag's.
    auto later = MakeSource();
    later->SetDragRunning(true);
    later->SetReleaseWatched(true);
    emit source.dndDropped(true, Qt::MoveAction);
    EXPECT_EQ(later->urls(), ExpectedUrls());
    EXPECT_EQ(probe.Calls, 1);
}

TEST_F(DropFileSourceData, APasteWhileTheCopyIsStillWrittenGetsNoNames)
{
    // A clipboard manager reads the copy at once; a file manager's paste
    // that comes meanwhile must not move files that are not complete yet.
    TDropFileSource *copy = nullptr;
    QList<QUrl> urlsDuringWriting{QUrl(QStringLiteral("file:///unasked"))};
    QByteArray copiedDuringWriting = "unasked";
    const TDropFileSource::TWriter write = probe.Callback();
    auto source = std::make_unique<TDropFileSource>(
        DragFileList(probe.TempFolder, selected),
        [&](const QString &folder, QEventLoop::ProcessEventsFlags events) {
            urlsDuringWriting = copy->urls();
            copiedDuringWriting = copy->data(QStringLiteral("x-special/gnome-copied-files"));
            return write(folder, events);
        });
    copy = source.get();
    copy->OfferAsCopiedFiles();
    EXPECT_EQ(copy->urls(), ExpectedUrls());
    EXPECT_TRUE(urlsDuringWriting.isEmpty());
    EXPECT_TRUE(copiedDuringWriting.isEmpty());
    EXPECT_EQ(probe.Calls, 1);
    // Once written, every paste gets the names.
    EXPECT_EQ(copy->urls(), ExpectedUrls());
    EXPECT_TRUE(copy->data(QStringLiteral("x-special/gnome-copied-files")).startsWith("copy\nfile://"));
}

TEST(DirectSave, FolderOfTheUriATargetChose)
{
    EXPECT_EQ(TDirectSave::FolderOfUri("file:///home/u/My%20Maps/one.txt"), QStringLiteral("/home/u/My Maps"));
    EXPECT_EQ(TDirectSave::FolderOfUri("file://localhost/srv/%23d%25/x\r\n"), QStringLiteral("/srv/#d%"));
    EXPECT_EQ(TDirectSave::FolderOfUri("file:///x"), QStringLiteral("/"));
    EXPECT_EQ(TDirectSave::FolderOfUri(QByteArray("file:///srv/d/x\0", 16)), QStringLiteral("/srv/d"));
    // Another machine, another scheme, no file name, no URI at all.
    EXPECT_TRUE(TDirectSave::FolderOfUri("file://elsewhere.example/home/u/x").isEmpty());
    EXPECT_TRUE(TDirectSave::FolderOfUri("sftp:///home/u/x").isEmpty());
    EXPECT_TRUE(TDirectSave::FolderOfUri("file:///home/u/").isEmpty());
    EXPECT_TRUE(TDirectSave::FolderOfUri("").isEmpty());
}

TEST_F(DropFileSourceData, NothingSelectedStartsNoDrag)
{
    selected.clear();
    TDragSourceWidget source(probe, selected);
    source.resize(100, 100);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));
    QTest::mousePress(source.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(source.windowHandle(), QPoint(40, 40));
    QTest::mouseRelease(source.windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_FALSE(source.Result.has_value());
    EXPECT_EQ(Execute(&source, MakeSource()), TDragResult::Cancelled);
    EXPECT_EQ(probe.Calls, 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "DropSourceTest.moc"
