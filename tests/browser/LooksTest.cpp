// How the main window looks on a modern desktop: pictures drawn for the
// screen's pixel ratio, columns that fit the window, and a find field and
// toolbar that show whole at the starting size.

#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/FormMain.h"
#include "browser/PictureLists.h"
#include "platform/ThemeColors.h"
#include "tests/browser/BrowserFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>
#include <QScrollBar>
#include <QTreeView>

#include <numeric>

namespace {

class LooksTest : public BrowserTest {};

TEST_F(LooksTest, PicturesAreDrawnAtTwiceTheScale)
{
    for (const QIcon &icon : {ListPicture(Pictures::Archive), ToolbarPicture(TToolbarPicture::Extract)}) {
        const QPixmap twice = icon.pixmap(QSize(32, 32), 2.0);
        EXPECT_EQ(twice.size(), QSize(64, 64));
        EXPECT_EQ(twice.devicePixelRatio(), 2.0);
    }
    const QIcon toolbar = ToolbarPicture(TToolbarPicture::Open);
    const QImage rest = toolbar.pixmap(24).toImage();
    EXPECT_NE(rest, toolbar.pixmap(24, QIcon::Active).toImage());  // coloured under the pointer
    EXPECT_NE(rest, toolbar.pixmap(24, QIcon::Disabled).toImage());
    const QIcon folder = FolderNodeIcon();
    EXPECT_NE(folder.pixmap(16).toImage(), folder.pixmap(16, QIcon::Selected).toImage());  // open while selected
}

TEST_F(LooksTest, DefaultColumnsFitTheWindowUntilTheUserSizesOne)
{
    EXPECT_EQ(TFileListView::FittedColumnWidths(10000), (QList<int>{115, 80, 60, 155, 45, 50, 70}));
    const QList<int> shrunk = TFileListView::FittedColumnWidths(500);
    EXPECT_EQ(std::accumulate(shrunk.cbegin(), shrunk.cend(), 0), 500);
    EXPECT_NEAR(shrunk[3], 155 * 500 / 575, 1);  // in proportion

    TRecordingSeam seam;
    TfrmMain window(QStringList{WriteSample(QStringLiteral("a.vmres"))}, &seam);
    window.show();
    auto *details = window.lsvMain->DetailsView();
    QCoreApplication::processEvents();
    EXPECT_LE(details->header()->length(), details->viewport()->width());
    EXPECT_FALSE(details->horizontalScrollBar()->isVisible());

    details->header()->resizeSection(0, 300);  // the user widens "Name": it stays
    window.resize(window.width() - 40, window.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(details->columnWidth(0), 300);
}

TEST_F(LooksTest, PathBarStaysReadableOnADarkTheme)
{
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    TRecordingSeam seam;
    const QPalette bar = TfrmMain(QStringList(), &seam).pnlOutlookBar->palette();
    QApplication::setPalette(light);
    EXPECT_NE(bar.color(QPalette::Window), QColor(96, 96, 104));  // not the light theme's grey
    EXPECT_GE(ContrastRatio(bar.color(QPalette::Window), bar.color(QPalette::WindowText)), 4.5);
}

TEST_F(LooksTest, FindFieldAndCountShowAtTheStartingSizeBesideEveryToolbarPicture)
{
    TRecordingSeam seam;
    TfrmMain window(QStringList(), &seam);
    window.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(window.size(), QSize(696, 480));
    for (QWidget *part : {static_cast<QWidget *>(window.Find()->Bar()->Field()),
                          static_cast<QWidget *>(window.Find()->Bar()->StatusLabel())}) {
        EXPECT_TRUE(part->isVisible()) << part->objectName().toStdString();
        const QRect inWindow(part->mapTo(&window, QPoint()), part->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << part->objectName().toStdString();
    }
    // The toolbar keeps its buttons, each shown whole with its picture.
    QStringList buttons;
    for (QAction *action : window.tbrMain->actions()) {
        if (action->isSeparator())
            continue;
        auto *button = qobject_cast<QToolButton *>(window.tbrMain->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        buttons << button->text();
        EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
        EXPECT_FALSE(button->icon().pixmap(24).toImage().isNull()) << button->text().toStdString();
    }
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Open"), QStringLiteral("Close"), QStringLiteral("Extract"),
                                    QStringLiteral("View"), QStringLiteral("Test Archive"), QStringLiteral("Style")}));
}

}  // namespace
