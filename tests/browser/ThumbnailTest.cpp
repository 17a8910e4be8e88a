// The "Thumbnails" view style: only the items in view are decoded, while
// scrolling too, and the thumbnails are kept within the memory bound; a
// selected item is marked whole.

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/ThumbnailCache.h"
#include "browser/ThumbnailView.h"
#include "tests/browser/BrowserFixture.h"
#include "tests/support/DemoContent.h"

#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

class ThumbnailTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter writer;
        const Bytes pixels(16 * 16 * 4, 0x55);
        for (int i = 0; i < kTextures; ++i) {
            const std::string name = "t" + std::to_string(1000 + i) + ".raw";
            writer.addFile(0, FileSpec{.name = name, .data = MakeRawTexture(16, 16, pixels)});
        }
        vorn = std::make_unique<TVornFile>(Write(writer, QStringLiteral("thumbs.vmres")).toStdString());
        view = std::make_unique<TFileListView>();
        view->setModel(&model);
        view->resize(420, 300);
        view->SetViewStyle(TFileListView::Thumbnails);
        view->show();
        model.FillFileList(vorn.get(), vorn->GetRootOffset());
        // The view lays its items out in the event loop.
        ASSERT_TRUE(QTest::qWaitFor([this] { return Thumbs().verticalScrollBar()->maximum() > 0; }, 20000));
    }

    void TearDown() override
    {
        model.ClearRows();
        view.reset();
    }

    TThumbnailView &Thumbs() { return *view->ThumbnailsView(); }
    TThumbnailCache &Cache() { return Thumbs().Cache(); }

    void ScrollTo(int value)
    {
        Thumbs().verticalScrollBar()->setValue(value);
        Thumbs().viewport()->repaint();
    }

    void WaitUntilIdle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return Cache().Idle(); }, 20000));
        QCoreApplication::processEvents();
    }

    static constexpr int kTextures = 400;
    std::unique_ptr<TVornFile> vorn;
    TFileListModel model;
    std::unique_ptr<TFileListView> view; // made once the application exists
};

TEST_F(ThumbnailTest, OnlyTheItemsInViewAreDecoded)
{
    QSet<TEntryOffset> seen;
    const int maximum = Thumbs().verticalScrollBar()->maximum();
    for (const int value : {0, maximum / 2, maximum}) {
        ScrollTo(value);
        WaitUntilIdle();
        const QSet<TEntryOffset> visible = Thumbs().VisibleEntries();
        ASSERT_FALSE(visible.isEmpty());
        seen.unite(visible);
    }
    EXPECT_EQ(Cache().Decodes(), seen.size()); // each item in view once, nothing else
    EXPECT_LT(seen.size(), kTextures / 4);
}

TEST_F(ThumbnailTest, ItemsScrolledPastAreNotDecoded)
{
    // No event runs between the steps, so no decode finishes: the requests
    // of each step but the last are dropped except those already running.
    const int maximum = Thumbs().verticalScrollBar()->maximum();
    constexpr int kSteps = 10;
    for (int step = 0; step <= kSteps; ++step)
        ScrollTo(maximum * step / kSteps);
    WaitUntilIdle();
    EXPECT_LE(Cache().Decodes(), Thumbs().VisibleEntries().size() + kSteps * Cache().Threads());
}

TEST_F(ThumbnailTest, TheCacheStaysWithinItsMemoryBound)
{
    // Room for three 16 x 16 thumbnails of 4 bytes a pixel.
    constexpr qint64 kThumbnailBytes = 16 * 16 * 4;
    TThumbnailCache cache(nullptr, 16, 3 * kThumbnailBytes);
    cache.SetArchive(vorn.get());
    QSet<TEntryOffset> all;
    for (const TVornChildItem &row : model.Rows())
        all.insert(row.Entry);
    cache.KeepOnly(all);
    for (int i = 0; i < 10; ++i)
        cache.Thumbnail(model.Rows()[size_t(i)].Entry, QString::fromStdString(model.Rows()[size_t(i)].Name));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Idle(); }, 20000));
    EXPECT_EQ(cache.Decodes(), 10);
    EXPECT_EQ(cache.MemoryUsed(), 3 * kThumbnailBytes);
    cache.SetArchive(nullptr);
}

TEST_F(ThumbnailTest, TheSelectedItemIsHighlightedWholeWithItsNameReadable)
{
    const QModelIndex first = model.index(0, 0);
    const QModelIndex second = model.index(1, 0);
    view->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    WaitUntilIdle();
    const QImage shot = Thumbs().viewport()->grab().toImage();
    const QPalette palette = Thumbs().palette();
    const auto isHighlight = [&](QPoint at) {
        const QColor pixel = shot.pixelColor(at);
        return pixel == palette.color(QPalette::Active, QPalette::Highlight)
               || pixel == palette.color(QPalette::Inactive, QPalette::Highlight);
    };
    const QRect item = Thumbs().visualRect(first);
    // Margins and the space between picture and name carry the highlight.
    for (const QPoint at : {item.topLeft() + QPoint(2, 2), item.bottomRight() - QPoint(2, 2),
                            QPoint(item.left() + 2, item.center().y())})
        EXPECT_TRUE(isHighlight(at)) << at.x() << "," << at.y();
    EXPECT_FALSE(isHighlight(Thumbs().visualRect(second).topLeft() + QPoint(2, 2)));
    // The name shows on the highlight: its line is highlight with letters in it.
    const int nameLine = item.bottom() - 4 - QFontMetrics(Thumbs().font()).height() / 2;
    int letters = 0;
    int highlight = 0;
    for (int x = item.left() + 4; x < item.right() - 4; ++x)
        ++(isHighlight(QPoint(x, nameLine)) ? highlight : letters);
    EXPECT_GT(letters, 3);
    EXPECT_GT(highlight, letters);
}

} // namespace
