// The main window's picture features: "Save as PNG..." in the list's pop-up
// menu and the preview pane.

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FormMain.h"
#include "browser/PreviewDock.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/FormatList.h"
#include "viewers/ImageFormat.h"
#include "viewers/PreviewPane.h"
#include "tests/browser/BrowserFixture.h"
#include "tests/support/DemoContent.h"

#include <QAction>
#include <QImage>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalSpy>

#include <memory>

namespace {

class ImageCommandsTest : public BrowserTest {
protected:
    std::unique_ptr<TfrmMain> OpenImages()
    {
        VornWriter writer;
        writer.addFile(0, FileSpec{.name = "good.raw", .data = MakeRawTexture(1, 1, {10, 20, 30, 40})});
        writer.addFile(0, FileSpec{.name = "bad.raw", .data = TextBytes("ipaR")});
        writer.addFile(0, FileSpec{.name = "notes.txt", .data = TextBytes("text")});
        auto window = std::make_unique<TfrmMain>(QStringList{Write(writer, QStringLiteral("img.vmres"))}, &seam);
        return window;
    }

    void Select(TfrmMain &window, const QString &name)
    {
        TFileListModel *model = window.FileListModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->data(model->index(row, 0)).toString() == name)
                window.lsvMain->selectionModel()->select(model->index(row, 0), QItemSelectionModel::ClearAndSelect
                                                                                   | QItemSelectionModel::Rows);
        }
        window.mnuPopupMainPopup();
    }

    TRecordingSeam seam;
};

TEST_F(ImageCommandsTest, SaveAsPngIsOfferedForPicturesAndWritesThem)
{
    auto window = OpenImages();
    Select(*window, QStringLiteral("notes.txt"));
    EXPECT_FALSE(window->popmniSavePng->isVisible());

    Select(*window, QStringLiteral("good.raw"));
    ASSERT_TRUE(window->popmniSavePng->isVisible());
    seam.saveAnswer = Path(QStringLiteral("good.png"));
    window->popmniSavePng->trigger();
    EXPECT_TRUE(seam.errors.isEmpty());
    EXPECT_EQ(QImage(seam.saveAnswer, "PNG").pixel(0, 0), qRgba(30, 20, 10, 40));

    // A texture that doesn't decode is reported; nothing is asked or written.
    seam.saveAnswer = Path(QStringLiteral("bad.png"));
    Select(*window, QStringLiteral("bad.raw"));
    window->popmniSavePng->trigger();
    EXPECT_EQ(seam.errors.size(), 1);
    EXPECT_FALSE(QFile::exists(seam.saveAnswer));
}

TEST_F(ImageCommandsTest, ThePreviewPaneIsHiddenAtStartAndFollowsTheSelection)
{
    RegisterBuiltInFormats(); // as the program does at start
    auto window = OpenImages();
    auto *dock = window->findChild<TPreviewDock *>();
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isHidden());
    EXPECT_TRUE(window->mnuView->actions().contains(dock->ToggleAction()));
    EXPECT_EQ(dock->ToggleAction()->shortcut(), QKeySequence(Qt::Key_F3));

    dock->ToggleAction()->trigger();
    EXPECT_FALSE(dock->isHidden());
    QSignalSpy shown(dock->Pane(), &TPreviewPane::shown);
    Select(*window, QStringLiteral("good.raw"));
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(dock->Pane()->Kind(), TPreviewKind::Image);

    // Closing the archive waits for its reads and empties the pane.
    Select(*window, QStringLiteral("notes.txt"));
    window->CloseActiveVorn();
    EXPECT_EQ(dock->Pane()->Kind(), TPreviewKind::Empty);
    FormatList().Clear();
}

} // namespace
