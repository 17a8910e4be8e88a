#include "ViewerTestSupport.h"
#include "viewers/FormHexViewer.h"
#include "viewers/HexPane.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

class HexViewer : public TViewerTest {
protected:
    TfrmViewerHex *Open(const QByteArray &bytes, const QString &name = QStringLiteral("data.bin"))
    {
        ViewAsHex(MakeBuffer(bytes), name, mainWindow.get());
        const auto windows = OpenWindows<TfrmViewerHex>();
        EXPECT_EQ(windows.size(), 1);
        window = windows.value(0);
        pane = window ? window->findChild<THexPane *>(QStringLiteral("pbxHex")) : nullptr;
        scrollBar = window ? window->findChild<QScrollBar *>(QStringLiteral("sbrMain")) : nullptr;
        return window;
    }

    int VisibleRows() const { return pane->VisibleRows(); }
    QImage PaneImage() const { return pane->grab().toImage(); }
    // A point of row `line` on screen that no character covers.
    QPoint BlankPointOfLine(int line) const
    {
        return {pane->width() - 1, line * pane->LineHeight() + 1};
    }

    TfrmViewerHex *window = nullptr;
    THexPane *pane = nullptr;
    QScrollBar *scrollBar = nullptr;
};

TEST_F(HexViewer, EmptyFileGivesATitledBlankPaneWithoutScrolling)
{
    ASSERT_TRUE(Open(QByteArray(), QStringLiteral("empty.dat")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("empty.dat - Hex Viewer"));
    EXPECT_FALSE(scrollBar->isEnabled());
    EXPECT_EQ(scrollBar->maximum(), 0);
    const QImage image = PaneImage();
    const QColor panel = window->findChild<QWidget *>(QStringLiteral("pnlMain"))
                             ->palette().color(QPalette::Window);
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(1))), panel);
    EXPECT_EQ(QColor(image.pixel(5, 5)), panel);
}

TEST_F(HexViewer, EmptyNameGivesThePlainTitle)
{
    ASSERT_TRUE(Open(QByteArray("abc"), QString()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hex Viewer"));
}

TEST_F(HexViewer, WindowHasFixedWidthForAllColumnsAndAHeightRange)
{
    ASSERT_TRUE(Open(QByteArray("abc")));
    EXPECT_EQ(window->minimumWidth(), window->maximumWidth());
    EXPECT_GE(pane->width(), 75 * pane->CharWidth());
    EXPECT_LT(window->minimumHeight(), window->maximumHeight());
    EXPECT_GT(VisibleRows(), 10);
}

TEST_F(HexViewer, ScrollRangeOfSixteenTimesTheVisibleRows)
{
    // Open once to learn L, then hand over exactly 16 × L bytes.
    ASSERT_TRUE(Open(QByteArray("x")));
    const int rows = VisibleRows();
    window->SetData(MakeBuffer(Repeated('\x01', 16 * rows)), QStringLiteral("a"));
    EXPECT_TRUE(scrollBar->isEnabled());
    EXPECT_EQ(scrollBar->maximum(), 1);
    EXPECT_EQ(scrollBar->pageStep(), rows);

    window->SetData(MakeBuffer(Repeated('\x01', 16 * rows - 1)), QStringLiteral("a"));
    EXPECT_FALSE(scrollBar->isEnabled());
    EXPECT_EQ(scrollBar->maximum(), 0);
}

TEST_F(HexViewer, KeysAndWheelMoveTheFirstRowShown)
{
    ASSERT_TRUE(Open(Repeated('\x02', 16 * 1000)));
    const int page = scrollBar->pageStep();
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Down);
    EXPECT_EQ(scrollBar->value(), 2);
    QTest::keyClick(window, Qt::Key_Up);
    EXPECT_EQ(scrollBar->value(), 1);
    QTest::keyClick(window, Qt::Key_PageDown);
    EXPECT_EQ(scrollBar->value(), 1 + page);
    QTest::keyClick(window, Qt::Key_PageUp);
    QTest::keyClick(window, Qt::Key_PageUp);
    EXPECT_EQ(scrollBar->value(), 0);
    QTest::keyClick(window, Qt::Key_End);
    EXPECT_EQ(scrollBar->value(), scrollBar->maximum());
    EXPECT_EQ(scrollBar->maximum(), 1000 - VisibleRows() + 1);
    QTest::keyClick(window, Qt::Key_Home);
    EXPECT_EQ(scrollBar->value(), 0);

    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &down);
    EXPECT_EQ(scrollBar->value(), 2);
    QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &up);
    EXPECT_EQ(scrollBar->value(), 1);
}

TEST_F(HexViewer, ScrollingOneRowSwapsTheStripes)
{
    ASSERT_TRUE(Open(Repeated('\x03', 16 * 1000)));
    const QColor white(255, 255, 255), cyan(187, 255, 255);
    QImage image = PaneImage();
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(0))), white);
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(1))), cyan);
    QTest::keyClick(window, Qt::Key_Down);
    image = PaneImage();
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(0))), cyan);
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(1))), white);
}

TEST_F(HexViewer, RowsPastTheDataStillGetTheirStripe)
{
    ASSERT_TRUE(Open(Repeated('A', 20)));
    const QImage image = PaneImage();
    const int last = VisibleRows() - 1;
    EXPECT_EQ(QColor(image.pixel(BlankPointOfLine(last))),
              last % 2 ? QColor(187, 255, 255) : QColor(255, 255, 255));
}

TEST_F(HexViewer, DarkThemeGivesDarkStripesOfTwoTints)
{
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    QApplication::setPalette(dark);
    Open(Repeated('A', 64));
    QApplication::setPalette(light);
    ASSERT_TRUE(window);
    EXPECT_LT(window->Color1().lightness(), 80);
    EXPECT_LT(window->Color2().lightness(), 80);
    EXPECT_NE(window->Color1(), window->Color2());
}

TEST_F(HexViewer, ChangingAColourRepaintsWithIt)
{
    ASSERT_TRUE(Open(Repeated('\x03', 64)));
    window->SetColor2(QColor(10, 20, 30));
    EXPECT_EQ(QColor(PaneImage().pixel(BlankPointOfLine(1))), QColor(10, 20, 30));
}

TEST_F(HexViewer, SelectionInvertsItsCellsOnly)
{
    ASSERT_TRUE(Open(Repeated(' ', 64)));
    window->SetSelStart(1);
    window->SetSelLength(2);
    const int w = pane->CharWidth();
    const int y = 1;
    const QImage image = PaneImage();
    // The blank between the two selected pairs (cell 15) turns black; the
    // blank after the last pair (cell 18) and the first pair's cells stay white.
    EXPECT_EQ(QColor(image.pixel(15 * w + w / 2, y)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(image.pixel(18 * w + w / 2, y)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(image.pixel(9 * w + w / 2, y)), QColor(255, 255, 255));
    // Character cells 60 and 61 are inverted.
    EXPECT_EQ(QColor(image.pixel(60 * w + w / 2, y)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(image.pixel(62 * w + w / 2, y)), QColor(255, 255, 255));

    window->SetSelLength(-5);
    EXPECT_EQ(window->SelLength(), 0);
    EXPECT_EQ(QColor(PaneImage().pixel(15 * w + w / 2, y)), QColor(255, 255, 255));
}

TEST_F(HexViewer, ShrinkingRecomputesTheRangeSoTheLastRowsStayReachable)
{
    ASSERT_TRUE(Open(Repeated('\x04', 16 * 1000)));
    const int page = scrollBar->pageStep();
    window->resize(window->width(), window->minimumHeight());
    QApplication::processEvents();
    const int rows = VisibleRows();
    EXPECT_LT(rows, page);
    EXPECT_EQ(scrollBar->pageStep(), rows);
    EXPECT_EQ(scrollBar->maximum(), 1000 - rows + 1);
    QTest::keyClick(window, Qt::Key_PageDown);
    EXPECT_EQ(scrollBar->value(), rows);
}

TEST_F(HexViewer, EscapeClosesAndDestroysTheWindow)
{
    ASSERT_TRUE(Open(QByteArray("abc")));
    QPointer<TfrmViewerHex> guard(window);
    QTest::keyClick(window, Qt::Key_Escape);
    FlushDeletes();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(HexViewer, HasNoOwnerAndDoesNotKeepTheProgramRunning)
{
    ASSERT_TRUE(Open(QByteArray("abc")));
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
}

} // namespace
