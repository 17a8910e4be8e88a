// Real drags between windows of this process: the source widget starts a
// QDrag the way the main window's list does, and a timer moves the pointer
// and releases the button (or presses Escape) while QDrag::exec runs. The
// platform's own drag loop delivers the enter, move and drop events.
//
// The offscreen platform has no drag loop (QDrag::exec returns at once), so
// this program runs on the "minimal" platform, whose drag is Qt's basic
// in-process one, and on xcb under Xvfb when that is available; there one
// more test drops into a folder window of a second process.

#include "tests/extract/drag/DragTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDrag>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

namespace {

// CTest counts this exit code as a skipped test.
constexpr int SkipExitCode = 77;

class RealDrag : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        ASSERT_TRUE(m_drop.isValid());
        probe.TempFolder = m_temp.path();
        probe.Entries = {
            {QStringLiteral("a.txt"), "alpha", Stamp(2003, 3, 4, 5, 6, 8), {}},
            {QStringLiteral("b.txt"), "beta", Stamp(2001, 1, 1, 12, 0, 0), {}},
            {QStringLiteral("dir"),
             {},
             {},
             {{QStringLiteral("c.txt"), "gamma", Stamp(2002, 2, 2, 2, 2, 2), {}},
              {QStringLiteral("sub"), {}, {}, {{QStringLiteral("d.txt"), "delta", {}, {}}}}}},
        };
        source = std::make_unique<TDragSourceWidget>(
            probe, QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                               QStringLiteral("dir")});
        target = std::make_unique<TFolderDropTarget>(m_drop.path());
        refuser = std::make_unique<QWidget>();
        Place(*source, QPoint(20, 20));
        Place(*target, QPoint(320, 20));
        Place(*refuser, QPoint(20, 320));
    }

    void TearDown() override
    {
        // The button state of the test input is global: leave it up.
        if (QGuiApplication::mouseButtons() != Qt::NoButton)
            QTest::mouseRelease(source->windowHandle(), m_button, {}, QPoint(5, 5));
    }

    static QDateTime Stamp(int y, int mo, int d, int h, int mi, int s)
    {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }

    static void Place(QWidget &window, QPoint topLeft)
    {
        window.setGeometry(QRect(topLeft, QSize(200, 200)));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Presses on the source, starts the drag with a 12 pixel move and runs
    // `during` inside the drag loop. Returns once the drag is over.
    void Drag(Qt::MouseButton button, std::function<void()> during)
    {
        m_button = button;
        QWindow *from = source->windowHandle();
        QTest::mousePress(from, button, {}, QPoint(50, 50));
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            EXPECT_NE(source->findChild<QDrag *>(), nullptr) << "no drag running";
            during();
        });
        QTest::mouseMove(from, QPoint(62, 50));
        EXPECT_TRUE(ran);
        ASSERT_TRUE(source->Result.has_value()) << "the move did not start a drag";
    }

    // Moves the pointer over a window of ours in two steps, as a hand would.
    void HoverOver(QWidget &window)
    {
        QTest::mouseMove(window.windowHandle(), QPoint(90, 90));
        QTest::mouseMove(window.windowHandle(), QPoint(100, 100));
    }

    void ReleaseOver(QWidget &window)
    {
        QTest::mouseRelease(window.windowHandle(), m_button, {}, QPoint(100, 100));
    }

    TRenderProbe probe;
    std::unique_ptr<TDragSourceWidget> source;
    std::unique_ptr<TFolderDropTarget> target;
    std::unique_ptr<QWidget> refuser;

private:
    QTemporaryDir m_temp;
    QTemporaryDir m_drop;
    Qt::MouseButton m_button = Qt::LeftButton;
};

TEST_F(RealDrag, DropOnAFolderWindowMovesTheWrittenFilesThere)
{
    Drag(Qt::LeftButton, [&] {
        HoverOver(*target);
        ReleaseOver(*target);
    });
    EXPECT_EQ(source->Result, TDragResult::DropMove);
    EXPECT_GE(target->Enters, 1);
    EXPECT_EQ(target->Drops, 1);
    EXPECT_FALSE(target->FilesExistedBeforeDrop) << "written while only passing over";
    EXPECT_EQ(probe.Calls, 1);

    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty()) << TreeOf(probe.TempFolder).join(u' ').toStdString();
    EXPECT_EQ(TreeOf(target->Folder),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("dir"),
                           QStringLiteral("dir/c.txt"), QStringLiteral("dir/sub"),
                           QStringLiteral("dir/sub/d.txt")}));
    const QFileInfo a(target->Folder + QStringLiteral("/a.txt"));
    EXPECT_EQ(a.lastModified(), Stamp(2003, 3, 4, 5, 6, 8));
    EXPECT_EQ(a.size(), 5);
    EXPECT_EQ(QFileInfo(target->Folder + QStringLiteral("/dir/c.txt")).lastModified(),
              Stamp(2002, 2, 2, 2, 2, 2));
}

TEST_F(RealDrag, RightButtonDragDropsToo)
{
    Drag(Qt::RightButton, [&] {
        HoverOver(*target);
        ReleaseOver(*target);
    });
    EXPECT_EQ(source->Result, TDragResult::DropMove);
    EXPECT_EQ(target->Moved.size(), 3);
    EXPECT_EQ(probe.Calls, 1);
}

TEST_F(RealDrag, EscapeCancelsWithoutWriting)
{
    Drag(Qt::LeftButton, [&] {
        HoverOver(*target);
        QTest::keyPress(target->windowHandle(), Qt::Key_Escape);
    });
    EXPECT_EQ(source->Result, TDragResult::Cancelled);
    EXPECT_EQ(target->Drops, 0);
    EXPECT_EQ(probe.Calls, 0);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());
    EXPECT_TRUE(TreeOf(target->Folder).isEmpty());
}

TEST_F(RealDrag, ReleaseOverAWindowThatTakesNoFilesWritesNothing)
{
    Drag(Qt::LeftButton, [&] {
        HoverOver(*target); // passing over the folder window on the way
        HoverOver(*refuser);
        ReleaseOver(*refuser);
    });
    EXPECT_EQ(source->Result, TDragResult::Cancelled);
    EXPECT_EQ(target->Drops, 0);
    EXPECT_EQ(probe.Calls, 0);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());
}

// A folder window in a second process: the drop then goes through the X11
// drag protocol, and the other program fetches the URLs over the selection
// after the drop, when Execute has already returned.
const QPoint OtherProgramTopLeft(620, 20);

TEST_F(RealDrag, DropInAnotherProgramOnX11)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X11 platform";
    QTemporaryDir otherFolder;
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--drop-target"), otherFolder.path()});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    ASSERT_EQ(other.readLine().trimmed(), "ready");

    Drag(Qt::LeftButton, [&] {
        QWindow *from = source->windowHandle();
        const QPoint over = from->mapFromGlobal(OtherProgramTopLeft + QPoint(100, 100));
        // Positions outside our window are fine (QTest warns about them):
        // the drag looks up the window under the global position.
        QTest::mouseMove(from, over - QPoint(10, 10));
        QTest::mouseMove(from, over);
        // The other program's acceptance comes back through the X server.
        auto *dfs = qobject_cast<TDropFileSource *>(source->findChild<QDrag *>()->mimeData());
        EXPECT_TRUE(QTest::qWaitFor([&] { return dfs->FeedbackEffect() == Qt::MoveAction; }, 5000));
        QTest::mouseRelease(from, Qt::LeftButton, {}, over);
    });
    EXPECT_EQ(source->Result, TDragResult::DropMove);
    QDeadlineTimer deadline(15000);
    while (other.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_EQ(other.state(), QProcess::NotRunning);
    EXPECT_EQ(other.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(other.readAll().trimmed()),
              QStringLiteral("moved=a.txt,b.txt,dir early=0"));
    EXPECT_EQ(probe.Calls, 1);
    EXPECT_TRUE(TreeOf(probe.TempFolder).isEmpty());
    EXPECT_EQ(TreeOf(otherFolder.path()).size(), 6);
}

// The second process of DropInAnotherProgramOnX11.
int RunDropTarget(const QString &folder)
{
    TFolderDropTarget target(folder);
    target.setGeometry(QRect(OtherProgramTopLeft, QSize(200, 200)));
    target.show();
    if (!QTest::qWaitForWindowExposed(&target))
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (target.Drops == 0)
            return;
        std::printf("moved=%s early=%d\n", qPrintable(target.Moved.join(u',')),
                    int(target.FilesExistedBeforeDrop));
        QCoreApplication::exit(0);
    });
    poll.start(20);
    QTimer::singleShot(20000, [] { QCoreApplication::exit(2); });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Without an X display the xcb run has nothing to talk to: skipped.
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("No X display: the drags on xcb are skipped.\n", stderr);
        return SkipExitCode;
    }
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--drop-target") == 0)
        return RunDropTarget(QString::fromLocal8Bit(argv[2]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
