// The "Thumbnails" view style: only the items in view are decoded, while
// scrolling too, and the thumbnails are kept within the memory bound; a
// selected item is marked whole. In the game view, whose folders mix the
// entries of several archives, each item's picture comes from its own
// archive, and an archive leaving the game is no longer read.

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/ThumbnailCache.h"
#include "browser/ThumbnailView.h"
#include "browser/merged/MergedListModel.h"
#include "engines/MergedView.h"
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
    QSet<TThumbnailKey> seen;
    const int maximum = Thumbs().verticalScrollBar()->maximum();
    for (const int value : {0, maximum / 2, maximum}) {
        ScrollTo(value);
        WaitUntilIdle();
        const QSet<TThumbnailKey> visible = Thumbs().VisibleItems();
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
    EXPECT_LE(Cache().Decodes(), Thumbs().VisibleItems().size() + kSteps * Cache().Threads());
}

TEST_F(ThumbnailTest, TheCacheStaysWithinItsMemoryBound)
{
    // Room for three 16 x 16 thumbnails of 4 bytes a pixel.
    constexpr qint64 kThumbnailBytes = 16 * 16 * 4;
    TThumbnailCache cache(nullptr, 16, 3 * kThumbnailBytes);
    cache.SetArchives({vorn.get()});
    QSet<TThumbnailKey> all;
    for (const TVornChildItem &row : model.Rows())
        all.insert({vorn.get(), row.Entry});
    cache.KeepOnly(all);
    for (int i = 0; i < 10; ++i)
        cache.Thumbnail({vorn.get(), model.Rows()[size_t(i)].Entry}, QString::fromStdString(model.Rows()[size_t(i)].Name));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Idle(); }, 20000));
    EXPECT_EQ(cache.Decodes(), 10);
    EXPECT_EQ(cache.MemoryUsed(), 3 * kThumbnailBytes);
    cache.SetArchives({});
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

// Two archives whose textures lie at the same entry offsets, one red, one
// blue, merged into one folder of the game view.
class GameThumbnailTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        red = WriteTextures(QStringLiteral("red.vmres"), "r", Qt::red);
        blue = WriteTextures(QStringLiteral("blue.vmres"), "b", Qt::blue);
        game = std::make_unique<TMergedView>(std::vector<const TVornFile *>{red.get(), blue.get()});
        merged.SetView(game.get());
        view = std::make_unique<TFileListView>();
        view->resize(700, 500);
        view->SetViewStyle(TFileListView::Thumbnails);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void TearDown() override
    {
        view.reset();
        merged.SetView(nullptr);
    }

    std::unique_ptr<TVornFile> WriteTextures(const QString &file, const std::string &prefix, QColor colour)
    {
        Bytes pixels;
        for (int i = 0; i < 16 * 16; ++i)
            pixels.insert(pixels.end(), {uint8_t(colour.blue()), uint8_t(colour.green()), uint8_t(colour.red()), 0xff});
        VornWriter writer;
        for (int i = 0; i < kPerArchive; ++i)
            writer.addFile(0, FileSpec{.name = prefix + std::to_string(10 + i) + ".raw",
                                       .data = MakeRawTexture(16, 16, pixels)});
        return std::make_unique<TVornFile>(Write(writer, file).toStdString());
    }

    TThumbnailView &Thumbs() { return *view->ThumbnailsView(); }
    TThumbnailCache &Cache() { return Thumbs().Cache(); }

    // "name colour" of each row: the colour in the middle of its picture.
    QStringList Pictures(const QAbstractItemModel &model)
    {
        const QImage shot = Thumbs().viewport()->grab().toImage();
        QStringList pictures;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QRect item = Thumbs().visualRect(model.index(row, 0));
            const QColor colour = shot.pixelColor(item.center().x(), item.top() + 4 + Cache().Side() / 2);
            pictures << model.data(model.index(row, 0)).toString() + u' ' + colour.name();
        }
        return pictures;
    }
    // Every row's picture once the decodes are done.
    QStringList PicturesWhenReady(const QAbstractItemModel &model, const QStringList &expected)
    {
        (void)QTest::qWaitFor([&] { return Cache().Idle() && Pictures(model) == expected; }, 20000);
        return Pictures(model);
    }
    static QStringList Expected(const std::string &prefix, QColor colour)
    {
        QStringList pictures;
        for (int i = 0; i < kPerArchive; ++i)
            pictures << QString::fromStdString(prefix + std::to_string(10 + i) + ".raw ") + colour.name();
        return pictures;
    }

    static constexpr int kPerArchive = 6;
    std::unique_ptr<TVornFile> red, blue;
    std::unique_ptr<TMergedView> game;
    TMergedListModel merged;
    std::unique_ptr<TFileListView> view;
};

TEST_F(GameThumbnailTest, EachItemShowsThePictureOfItsOwnArchiveAlsoAfterSwitchingLists)
{
    ASSERT_EQ(merged.rowCount(), 2 * kPerArchive);
    ASSERT_EQ(merged.EntryAt(0), merged.EntryAt(kPerArchive)); // b10.raw and r10.raw
    const QStringList both = Expected("b", Qt::blue) + Expected("r", Qt::red);
    view->setModel(&merged);
    EXPECT_EQ(PicturesWhenReady(merged, both), both);
    EXPECT_EQ(Cache().Decodes(), 2 * kPerArchive);

    // An archive's own listing shares the game view's thumbnails.
    TFileListModel listing;
    listing.FillFileList(blue.get(), blue->GetRootOffset());
    view->setModel(&listing);
    EXPECT_EQ(PicturesWhenReady(listing, Expected("b", Qt::blue)), Expected("b", Qt::blue));
    view->setModel(&merged);
    EXPECT_EQ(PicturesWhenReady(merged, both), both);
    EXPECT_EQ(Cache().Decodes(), 2 * kPerArchive);
}

TEST_F(GameThumbnailTest, AnArchiveLeavingTheGameMidDecodeIsReadNoMore)
{
    view->setModel(&merged);
    Thumbs().doItemsLayout();
    // No event runs: the items in view are queued, as many as there are
    // threads are decoding.
    Thumbs().viewport()->repaint();
    const int started = Cache().Decodes();
    ASSERT_GT(started, 0);
    ASSERT_LT(started, 2 * kPerArchive);

    // The game view lets go of the archives before one of them closes.
    merged.SetView(nullptr);
    game.reset();
    blue.reset();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Cache().Idle(); }, 20000));
    EXPECT_EQ(Cache().Decodes(), started);

    // Another archive joins; its pictures are its own, not the closed one's.
    auto green = WriteTextures(QStringLiteral("green.vmres"), "g", Qt::green);
    game = std::make_unique<TMergedView>(std::vector<const TVornFile *>{red.get(), green.get()});
    merged.SetView(game.get());
    const QStringList both = Expected("g", Qt::green) + Expected("r", Qt::red);
    EXPECT_EQ(PicturesWhenReady(merged, both), both);
    merged.SetView(nullptr);
}

} // namespace
