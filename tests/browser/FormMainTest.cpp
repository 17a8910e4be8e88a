#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/ListSelection.h"
#include "browser/GenFunctions.h"
#include "archive/Exceptions.h"
#include "tests/browser/BrowserFixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

namespace {

class FormMainTest : public BrowserTest {
protected:
    std::unique_ptr<TfrmMain> MakeWindow(const QStringList &arguments = {})
    {
        auto window = std::make_unique<TfrmMain>(arguments, &m_seam);
        m_model = window->FileListModel();
        return window;
    }

    static QStringList TopCaptions(const TfrmMain &window)
    {
        QStringList captions;
        for (int i = 0; i < window.trvFolders->topLevelItemCount(); ++i)
            captions << window.trvFolders->topLevelItem(i)->text(0);
        return captions;
    }

    QStringList ListedNames() const
    {
        QStringList names;
        for (int row = 0; row < m_model->rowCount(); ++row)
            names << m_model->data(m_model->index(row, 0)).toString();
        return names;
    }

    // Expands the node first, as a user does: its subfolder nodes are made then.
    static QTreeWidgetItem *Child(QTreeWidgetItem *node, const QString &text)
    {
        node->setExpanded(true);
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == text)
                return node->child(i);
        return nullptr;
    }

    void SelectRow(TfrmMain &window, const QString &name)
    {
        const int row = int(ListedNames().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        window.lsvMain->selectionModel()->select(m_model->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TRecordingSeam m_seam;
    TFileListModel *m_model = nullptr;
};

TEST_F(FormMainTest, StartsEmpty)
{
    auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer"));
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("(No vorn open)"));
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 0);
    for (QAction *action : {window->actClose, window->actCloseAll, window->actSaveVVC, window->actExtract})
        EXPECT_FALSE(action->isEnabled());
    const QStringList captions{QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Size"),
                               QStringLiteral("Last Modified"), QStringLiteral("Ratio"), QStringLiteral("Format"),
                               QStringLiteral("CRC")};
    for (int column = 0; column < captions.size(); ++column)
        EXPECT_EQ(m_model->headerData(column, Qt::Horizontal).toString(), captions[column]);
}

TEST_F(FormMainTest, NewestArchiveIsOnTopAndActive)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b.vmres"));
    auto window = MakeWindow({a, b});
    EXPECT_TRUE(m_seam.errors.isEmpty());
    EXPECT_EQ(TopCaptions(*window), (QStringList{QStringLiteral("b.vmres"), QStringLiteral("a.vmres")}));
    ASSERT_EQ(window->Session().OpenVorns().size(), 2u);
    EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns()[1].get());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer - [") + b + u']');
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("b.vmres\\"));
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("art"), QStringLiteral("sound"), QStringLiteral("readme.txt")}));

    // Folder nodes follow the stored order; files get none.
    QTreeWidgetItem *top = window->trvFolders->topLevelItem(0);
    ASSERT_EQ(top->childCount(), 2);
    EXPECT_EQ(top->child(0)->text(0), QStringLiteral("art"));
    EXPECT_EQ(top->child(1)->text(0), QStringLiteral("sound"));
    EXPECT_NE(Child(top->child(0), QStringLiteral("maps")), nullptr);
}

TEST_F(FormMainTest, SelectingAFolderActivatesItsArchive)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b.vmres"));
    auto window = MakeWindow({a, b});
    QTreeWidgetItem *maps = Child(Child(window->trvFolders->topLevelItem(1), QStringLiteral("art")), QStringLiteral("maps"));
    ASSERT_NE(maps, nullptr);
    window->trvFolders->setCurrentItem(maps);
    EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns()[0].get());
    EXPECT_EQ(window->ActiveRootNode(), window->trvFolders->topLevelItem(1));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer - [") + a + u']');
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("a.vmres\\art\\maps\\"));
    EXPECT_EQ(m_model->rowCount(), 0);

    window->trvFolders->setCurrentItem(Child(window->trvFolders->topLevelItem(0), QStringLiteral("sound")));
    EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns()[1].get());
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("b.vmres\\sound\\"));
}

TEST_F(FormMainTest, ReopeningAnOpenPathReselectsIt)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b.vmres"));
    auto window = MakeWindow({a, b});
    window->trvFolders->setCurrentItem(Child(window->trvFolders->topLevelItem(0), QStringLiteral("art")));
    window->OpenFile(a);
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 2);
    EXPECT_EQ(window->Session().OpenVorns().size(), 2u);
    EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns()[0].get());
    EXPECT_EQ(window->trvFolders->currentItem(), window->trvFolders->topLevelItem(1));
    EXPECT_EQ(window->Session().CurrentFolder(), window->Session().OpenVorns()[0]->GetRootOffset());
}

TEST_F(FormMainTest, PathsDifferingInCaseAreDifferentFilesOnLinux)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows paths ignore case";
#else
    const QString lower = WriteSample(QStringLiteral("data.vmres"));
    const QString upper = WriteSample(QStringLiteral("DATA.vmres"));
    auto window = MakeWindow({lower, upper});
    EXPECT_EQ(window->Session().OpenVorns().size(), 2u);
    EXPECT_EQ(TopCaptions(*window), (QStringList{QStringLiteral("DATA.vmres"), QStringLiteral("data.vmres")}));
#endif
}

TEST_F(FormMainTest, ClosingTheActiveArchiveActivatesTheNewestRemaining)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b.vmres"));
    const QString c = WriteSample(QStringLiteral("c.vmres"));
    auto window = MakeWindow({a, b, c});
    window->trvFolders->setCurrentItem(window->trvFolders->topLevelItem(1)); // b
    window->CloseActiveVorn();
    EXPECT_EQ(TopCaptions(*window), (QStringList{QStringLiteral("c.vmres"), QStringLiteral("a.vmres")}));
    EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns()[1].get());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer - [") + c + u']');
    EXPECT_EQ(window->trvFolders->currentItem(), window->trvFolders->topLevelItem(0));
    EXPECT_TRUE(window->trvFolders->topLevelItem(0)->isExpanded());
    EXPECT_EQ(ListedNames().size(), 3);

    window->CloseAllVorns();
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 0);
    EXPECT_EQ(m_model->rowCount(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer"));
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("(No vorn open)"));
}

TEST_F(FormMainTest, ClosingTheOnlyArchiveEmptiesTheWindow)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->CloseActiveVorn();
    EXPECT_TRUE(window->Session().OpenVorns().empty());
    EXPECT_EQ(window->Session().ActiveVorn(), nullptr);
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 0);
    EXPECT_EQ(m_model->rowCount(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer"));
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("(No vorn open)"));
    window->CloseActiveVorn(); // nothing open: nothing happens
}

TEST_F(FormMainTest, BackspaceGoesToTheParentButNotAboveTheRoot)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    QTreeWidgetItem *top = window->trvFolders->topLevelItem(0);
    QTreeWidgetItem *maps = Child(Child(top, QStringLiteral("art")), QStringLiteral("maps"));
    window->trvFolders->setCurrentItem(maps);
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QCoreApplication::sendEvent(window->lsvMain->CurrentView(), &backspace);
    EXPECT_EQ(window->trvFolders->currentItem(), Child(top, QStringLiteral("art")));
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("maps"), QStringLiteral("logo.bmp")}));
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("a.vmres\\art\\"));

    window->lsvMainKeyPress(8);
    EXPECT_EQ(window->trvFolders->currentItem(), top);
    window->lsvMainKeyPress(8);
    EXPECT_EQ(window->trvFolders->currentItem(), top);
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("a.vmres\\"));
}

TEST_F(FormMainTest, EnterOnAFolderRowListsItAndDoesNothingForTwoRows)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->lsvMain->selectionModel()->select(QItemSelection(m_model->index(0, 0), m_model->index(1, 0)),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window->lsvMainKeyPress(13);
    EXPECT_EQ(window->trvFolders->currentItem(), window->trvFolders->topLevelItem(0));

    SelectRow(*window, QStringLiteral("art"));
    window->lsvMainKeyPress(13);
    EXPECT_EQ(window->trvFolders->currentItem()->text(0), QStringLiteral("art"));
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("maps"), QStringLiteral("logo.bmp")}));
}

TEST_F(FormMainTest, ColumnClicksKeepTheirOrderAcrossFolders)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->lsvMainColumnClick(TFileListModel::ColName);
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("readme.txt"), QStringLiteral("sound"), QStringLiteral("art")}));
    window->trvFolders->setCurrentItem(Child(window->trvFolders->topLevelItem(0), QStringLiteral("art")));
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("logo.bmp"), QStringLiteral("maps")}));
    window->lsvMainColumnClick(TFileListModel::ColCrc);
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("logo.bmp"), QStringLiteral("maps")}));
}

TEST_F(FormMainTest, SelectionCommandsNeedTheListFocus)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->trvFolders->setFocus();
    window->mniSelectAllClick();
    EXPECT_EQ(window->Selection().Count(), 0);

    QAbstractItemView *list = window->lsvMain->CurrentView();
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    window->mniSelectAllClick();
    EXPECT_EQ(window->Selection().Count(), 3);
    SelectRow(*window, QStringLiteral("sound"));
    window->mniInvertSelectionClick();
    const std::vector<TListSelection::TRow> selected = window->Selection().SelectedRows();
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0].Entry, m_model->Rows()[0].Entry);
    EXPECT_EQ(selected[1].Entry, m_model->Rows()[2].Entry);
}

TEST_F(FormMainTest, ViewStylesCycleAndShareTheSelection)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(window->ViewStyle(), TFileListView::Details);
    SelectRow(*window, QStringLiteral("sound"));
    window->tbnViewStyleClick();
    EXPECT_EQ(window->ViewStyle(), TFileListView::BigIcons);
    EXPECT_EQ(window->lsvMain->CurrentView(), window->lsvMain->IconsView());
    EXPECT_EQ(window->lsvMain->IconsView()->selectionModel(), window->lsvMain->selectionModel());
    EXPECT_EQ(window->Selection().Count(), 1);
    window->tbnViewStyleClick();
    window->tbnViewStyleClick();
    EXPECT_EQ(window->ViewStyle(), TFileListView::List);
    EXPECT_EQ(window->lsvMain->IconsView()->flow(), QListView::TopToBottom);
    window->tbnViewStyleClick();
    EXPECT_EQ(window->lsvMain->CurrentView(), window->lsvMain->DetailsView());
    window->mniViewStyleClick(1);
    EXPECT_EQ(window->ViewStyle(), TFileListView::SmallIcons);
    window->mnuViewStyle->aboutToShow();
    EXPECT_TRUE(window->mniViewStyles[1]->isChecked());

    // The View menu holds the five styles too; the Style button still cycles four.
    QStringList viewMenu;
    for (QAction *item : window->mnuView->actions())
        viewMenu << item->text();
    const QStringList styles = {QStringLiteral("Big Icons"), QStringLiteral("Small Icons"), QStringLiteral("List"),
                                QStringLiteral("Details"), QStringLiteral("Thumbnails")};
    const qsizetype first = viewMenu.indexOf(styles.first());
    ASSERT_GE(first, 0);
    EXPECT_EQ(viewMenu.mid(first - 1, 7), QStringList{QString()} + styles + QStringList{QString()});
    QAction *thumbnails = window->mnuView->actions().at(first + 4);
    thumbnails->trigger();
    EXPECT_EQ(window->ViewStyle(), TFileListView::Thumbnails);
    EXPECT_EQ(window->Selection().Count(), 1);
    window->mniViewStyles[0]->setChecked(true);
    window->mnuView->aboutToShow();
    EXPECT_TRUE(thumbnails->isChecked());
}

TEST_F(FormMainTest, BusyDisablesClosingButNotExtracting)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->actCloseUpdate();
    EXPECT_TRUE(window->actClose->isEnabled());
    EXPECT_FALSE(window->actView->isEnabled());
    SelectRow(*window, QStringLiteral("readme.txt"));
    window->actCloseUpdate();
    EXPECT_TRUE(window->actView->isEnabled());

    auto busy = std::make_unique<TBusyFlag::TScope>(window->Session().BusyFlag());
    for (QAction *action : {window->actClose, window->actCloseAll, window->actSaveVVC, window->ornInfo1,
                            window->mniSelectAll, window->mniInvertSelection})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(window->actExtract->isEnabled());
    EXPECT_FALSE(window->close());
    EXPECT_EQ(window->Session().OpenVorns().size(), 1u);

    busy.reset();
    EXPECT_TRUE(window->actCloseAll->isEnabled());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(window->Session().OpenVorns().empty());
}

TEST_F(FormMainTest, PopupMenuEnablesByTheSelection)
{
    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres"))});
    window->mnuPopupMainPopup();
    EXPECT_FALSE(window->popmniView->isEnabled());
    EXPECT_TRUE(window->popmniExtract->isEnabled());
    EXPECT_FALSE(window->popmniProperties->isEnabled());
    SelectRow(*window, QStringLiteral("art"));
    window->mnuPopupMainPopup();
    EXPECT_TRUE(window->popmniView->isEnabled());
    EXPECT_TRUE(window->popmniProperties->isEnabled());
    EXPECT_EQ(window->mnuPopupMain->defaultAction(), window->popmniView);
    // Two rows: neither View nor Properties, here nor on the toolbar.
    window->lsvMain->selectionModel()->select(m_model->index(1, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window->mnuPopupMainPopup();
    window->actCloseUpdate();
    EXPECT_FALSE(window->popmniView->isEnabled());
    EXPECT_FALSE(window->popmniProperties->isEnabled());
    EXPECT_FALSE(window->actView->isEnabled());
    // An empty folder offers nothing to extract.
    QTreeWidgetItem *art = Child(window->trvFolders->topLevelItem(0), QStringLiteral("art"));
    window->trvFolders->setCurrentItem(Child(art, QStringLiteral("maps")));
    window->mnuPopupMainPopup();
    EXPECT_FALSE(window->popmniExtract->isEnabled());
}

TEST_F(FormMainTest, CommandLineStopsAtTheFirstDamagedArchive)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString junk = WriteJunk(QStringLiteral("junk.vmres"));
    const QString c = WriteSample(QStringLiteral("c.vmres"));
    auto window = MakeWindow({Path(QStringLiteral("missing.vmres")), a, junk, c});
    ASSERT_EQ(m_seam.errors.size(), 1);
    QString reason;
    try {
        TVornFile vorn(junk.toStdString());
    } catch (const Exception &error) {
        reason = QString::fromUtf8(error.what());
    }
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_EQ(m_seam.errors[0], ErrorBoxText(reason));
    EXPECT_EQ(TopCaptions(*window), QStringList{QStringLiteral("a.vmres")});
}

TEST_F(FormMainTest, DroppedFilesOpenLastFirstAndReportFailuresOneByOne)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString junk = WriteJunk(QStringLiteral("junk.vmres"));
    // A path longer than any fixed buffer is accepted.
    QString longFolder = m_dir.path();
    for (int i = 0; i < 6; ++i)
        longFolder += QStringLiteral("/a_rather_long_folder_name_%1").arg(i);
    ASSERT_TRUE(QDir().mkpath(longFolder));
    const QString deep = WriteSample(QDir(m_dir.path()).relativeFilePath(longFolder) + QStringLiteral("/deep.vmres"));
    ASSERT_GT(deep.size(), 200);

    auto window = MakeWindow();
    window->DropFiles({a, junk, deep});
    window->Session().Opens().Wait();
    EXPECT_EQ(TopCaptions(*window), (QStringList{QStringLiteral("a.vmres"), QStringLiteral("deep.vmres")}));
    ASSERT_EQ(m_seam.errorMessages.size(), 1);
    const QString expectedStart = QStringLiteral("Can't open file ") + junk + QStringLiteral(".\n\rReason: ");
    EXPECT_TRUE(m_seam.errorMessages[0].startsWith(expectedStart)) << m_seam.errorMessages[0].toStdString();
    EXPECT_GT(m_seam.errorMessages[0].size(), expectedStart.size());
}

TEST_F(FormMainTest, OpenDialogStopsAtTheFirstFailure)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString junk = WriteJunk(QStringLiteral("junk.vmres"));
    const QString c = WriteSample(QStringLiteral("c.vmres"));
    auto window = MakeWindow();
    m_seam.openAnswer = {a, junk, c};
    window->RunCommand([&] { window->mniOpenVornClick(); });
    window->Session().Opens().Wait();
    EXPECT_EQ(TopCaptions(*window), QStringList{QStringLiteral("a.vmres")});
    EXPECT_EQ(m_seam.errors.size(), 1);
}

TEST_F(FormMainTest, DamagedFolderTreesEndOrFailCleanly)
{
    // A folder that lists itself as its child: the tree enters it once.
    VornWriter looping;
    const auto loop = looping.addDir(0, "loop");
    const auto file = looping.addFile(loop, FileSpec{.name = "f.txt", .data = TextBytes("f")});
    Bytes bytes = looping.build();
    const size_t loopRecord = looping.indexStart() + looping.entryOffset(loop);
    PatchU32(bytes, loopRecord + DIRENTRY_NAME_POS, looping.entryOffset(file), looping.entryOffset(loop));
    const QString looped = Path(QStringLiteral("loop.vmres"));
    WriteBytes(looped.toStdString(), bytes);

    auto window = MakeWindow({WriteSample(QStringLiteral("a.vmres")), looped});
    EXPECT_TRUE(m_seam.errors.isEmpty());
    ASSERT_EQ(window->trvFolders->topLevelItemCount(), 2);
    QTreeWidgetItem *loopNode = window->trvFolders->topLevelItem(0)->child(0);
    ASSERT_NE(loopNode, nullptr);
    EXPECT_EQ(loopNode->childCount(), 0);

    // A sub-folder whose child count runs past the index: building the tree
    // fails, the archive is closed again and the newest remaining one is active.
    VornWriter hostile;
    const auto bad = hostile.addDir(hostile.addDir(0, "outer"), "bad");
    hostile.addFile(bad, FileSpec{.name = "g.txt", .data = TextBytes("g")});
    Bytes hostileBytes = hostile.build();
    PutU32(hostileBytes, hostile.indexStart() + hostile.entryOffset(bad) + 4, 0x10000000);
    const QString broken = Path(QStringLiteral("broken.vmres"));
    WriteBytes(broken.toStdString(), hostileBytes);

    window->RunCommand([&] { window->OpenFile(broken); });
    ASSERT_EQ(m_seam.errors.size(), 1);
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 2);
    EXPECT_EQ(window->Session().OpenVorns().size(), 2u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer - [") + looped + u']');
    EXPECT_EQ(window->trvFolders->currentItem(), window->trvFolders->topLevelItem(0));
}

TEST_F(FormMainTest, FolderTreeButtonsHideAndMenuToggles)
{
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->mniViewHideFolderViewClick(true);
    EXPECT_FALSE(window->pnlFolders->isVisible());
    window->mniViewHideFolderViewClick(true);
    EXPECT_FALSE(window->pnlFolders->isVisible());
    window->mniViewHideFolderViewClick(false);
    EXPECT_TRUE(window->pnlFolders->isVisible());
    window->mniToolbarClick();
    window->mniViewClick();
    EXPECT_FALSE(window->mniToolbar->isChecked());
    EXPECT_TRUE(window->mniViewHideFolderView->isChecked());
}

} // namespace
