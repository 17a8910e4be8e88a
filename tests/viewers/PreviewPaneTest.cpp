// The preview pane: the same choice of view as View for every kind of file,
// decoding off the window's thread with the newest request winning, the size
// limit's button and errors shown inside the pane.

#include "ViewerTestSupport.h"
#include "archive/Exceptions.h"
#include "tests/support/DemoContent.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/FormatList.h"
#include "viewers/FormatPlugin.h"
#include "viewers/ImageFormat.h"
#include "viewers/PreviewPane.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QLibrary>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <future>

namespace {

QByteArray ToBytes(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

class PreviewPaneTest : public TViewerTest {
protected:
    void SetUp() override
    {
        TViewerTest::SetUp();
        RegisterBuiltInFormats();
        pane = std::make_unique<TPreviewPane>();
        pane->resize(300, 300);
        pane->show();
    }

    void TearDown() override
    {
        pane.reset();
        TViewerTest::TearDown();
    }

    // Previews the bytes and waits until the pane shows something.
    TPreviewKind Show(const QString &name, const QByteArray &bytes)
    {
        QSignalSpy shown(pane.get(), &TPreviewPane::shown);
        pane->Preview(name, uint64_t(bytes.size()), [bytes] { return MakeBuffer(bytes); });
        if (shown.isEmpty()) {
            EXPECT_TRUE(shown.wait(10000));
        }
        return pane->Kind();
    }

    std::unique_ptr<TPreviewPane> pane;
};

TEST_F(PreviewPaneTest, EachKindOfFileGetsTheViewThatViewWouldChoose)
{
    EXPECT_EQ(Show(QStringLiteral("wide.raw"), ToBytes(MakeRawTexture(600, 100, Bytes(600 * 100 * 4, 0x80)))),
              TPreviewKind::Image);
    EXPECT_EQ(pane->InfoText(), QStringLiteral("wide.raw: 600 \u00D7 100"));
    EXPECT_LE(pane->ShownPictureSize().width(), pane->CurrentPage()->width()); // scaled to fit
    EXPECT_NEAR(double(pane->ShownPictureSize().width()) / pane->ShownPictureSize().height(), 6.0, 0.2);

    EXPECT_EQ(Show(QStringLiteral("p.bmp"), ToBytes(MakeBitmap(3, 2))), TPreviewKind::Image);
    EXPECT_EQ(pane->InfoText(), QStringLiteral("p.bmp: 3 \u00D7 2"));

    EXPECT_EQ(Show(QStringLiteral("notes"), "line one\r\nline two"), TPreviewKind::Text);
    EXPECT_EQ(pane->Text(), QStringLiteral("line one\nline two"));

    EXPECT_EQ(Show(QStringLiteral("data.bin"), QByteArray("\x01\x02\x00", 3)), TPreviewKind::Hex);
    EXPECT_EQ(pane->CurrentPage(), pane->HexPage());

    // A bad texture goes on to text, as with View; a bad bitmap is an error.
    EXPECT_EQ(Show(QStringLiteral("x.raw"), "not a texture"), TPreviewKind::Text);
    EXPECT_EQ(Show(QStringLiteral("x.bmp"), "not a bitmap"), TPreviewKind::Error);
    EXPECT_EQ(OpenViewerCount(), 0); // everything stayed inside the pane
}

// Beside the file list: a binary file's hex rows scroll inside the pane
// instead of widening it, and Ctrl+A in a text selects the text, not the
// list's rows (the window's own Select All).
TEST_F(PreviewPaneTest, BesideTheListThePaneKeepsItsWidthAndCtrlASelectsItsText)
{
    QMainWindow window;
    int listSelections = 0;
    auto *selectAll = window.addAction(QStringLiteral("Select All"));
    selectAll->setShortcut(QKeySequence::SelectAll);
    QObject::connect(selectAll, &QAction::triggered, [&] { ++listSelections; });
    auto *dock = new QDockWidget(&window);
    window.setCentralWidget(new QWidget(&window));
    TPreviewPane *docked = pane.get();
    dock->setWidget(docked);
    const auto undock = qScopeGuard([docked] { docked->setParent(nullptr); }); // the fixture deletes it
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    window.resize(900, 500);
    window.show();

    const QSize hint = docked->sizeHint(), least = docked->minimumSizeHint();
    EXPECT_EQ(Show(QStringLiteral("data.bin"), QByteArray(4096, '\x01')), TPreviewKind::Hex);
    EXPECT_EQ(docked->sizeHint().width(), hint.width());
    EXPECT_EQ(docked->minimumSizeHint().width(), least.width());
    const auto *scroll = qobject_cast<QScrollArea *>(docked->HexPage());
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(scroll->horizontalScrollBar()->maximum(), 0); // narrower than a row: it scrolls

    EXPECT_EQ(Show(QStringLiteral("notes.txt"), "first line\nsecond line"), TPreviewKind::Text);
    auto *text = qobject_cast<QPlainTextEdit *>(docked->CurrentPage());
    ASSERT_NE(text, nullptr);
    QApplication::setActiveWindow(&window);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("first line\u2029second line"));
    EXPECT_EQ(listSelections, 0);
}

TEST_F(PreviewPaneTest, ADamagedEntryShowsItsErrorInThePane)
{
    QSignalSpy shown(pane.get(), &TPreviewPane::shown);
    pane->Preview(QStringLiteral("bad.txt"), 10, []() -> TFileBuffer { throw Exception("CRC-32 differs from header"); });
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(pane->Kind(), TPreviewKind::Error);
    EXPECT_EQ(pane->InfoText(), QStringLiteral("Can't show bad.txt: CRC-32 differs from header"));
    EXPECT_EQ(OpenViewerCount(), 0);
}

TEST_F(PreviewPaneTest, AFileAboveTheLimitIsReadOnlyWhenTheButtonIsPressed)
{
    pane->SetSizeLimit(4);
    int reads = 0;
    pane->Preview(QStringLiteral("big.txt"), 5, [&reads] {
        ++reads;
        return MakeBuffer("large");
    });
    EXPECT_EQ(pane->Kind(), TPreviewKind::TooBig);
    EXPECT_EQ(pane->CurrentPage(), pane->ShowButton()->parentWidget());
    QSignalSpy shown(pane.get(), &TPreviewPane::shown);
    pane->ShowButton()->click();
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(pane->Kind(), TPreviewKind::Text);
    EXPECT_EQ(reads, 1);
}

TEST_F(PreviewPaneTest, TheNewestSelectionWinsAndSkippedOnesAreNeverRead)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> middleReads = 0;
    QSignalSpy shown(pane.get(), &TPreviewPane::shown);
    pane->Preview(QStringLiteral("first.txt"), 5, [released] {
        released.wait();
        return MakeBuffer("first");
    });
    pane->Preview(QStringLiteral("middle.txt"), 6, [&middleReads] {
        ++middleReads;
        return MakeBuffer("middle");
    });
    pane->Preview(QStringLiteral("last.txt"), 4, [] { return MakeBuffer("last"); });
    release.set_value();
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(shown.size(), 1); // the first file's result was dropped
    EXPECT_EQ(pane->Text(), QStringLiteral("last"));
    EXPECT_EQ(middleReads, 0);
}

// Plug-ins: one with the fifth export renders into the pane's container,
// one without shows its description and the hex view.
TEST_F(PreviewPaneTest, PluginFormatsRenderThemselvesOrFallBackToHex)
{
    RegisterFormat(std::make_unique<TAbstractFormatPlugin>(QString::fromUtf8(VVTEST_PLUGIN_PREVIEW)));
    RegisterFormat(std::make_unique<TAbstractFormatPlugin>(QString::fromUtf8(VVTEST_PLUGIN_FIRST)));

    EXPECT_EQ(Show(QStringLiteral("a.pvw"), "plugin data"), TPreviewKind::Plugin);
    ASSERT_NE(pane->PluginContainer(), nullptr);
    EXPECT_EQ(pane->CurrentPage(), pane->PluginContainer());
    QLibrary library(QString::fromUtf8(VVTEST_PLUGIN_PREVIEW));
    auto lastParent = reinterpret_cast<void *(*)()>(library.resolve("TestLastPreviewParent"));
    ASSERT_NE(lastParent, nullptr);
    EXPECT_EQ(lastParent(), static_cast<void *>(pane->PluginContainer()));

    EXPECT_EQ(Show(QStringLiteral("b.tst"), "plugin data"), TPreviewKind::Plugin);
    EXPECT_EQ(pane->CurrentPage(), pane->HexPage());
    EXPECT_EQ(pane->InfoText(), QStringLiteral("b.tst: First"));
}

} // namespace
