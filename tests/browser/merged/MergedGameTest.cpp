// The merged game view in the window: the node on top of the tree, the
// list of winners with their archive and overrides, the conflict filter,
// the stack in Properties, the comparison with the overridden version, and
// Open Game Folder.

#include "tests/browser/BrowserFixture.h"

#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/FormMain.h"
#include "browser/ListSelection.h"
#include "browser/PreviewDock.h"
#include "browser/merged/FormMergeStack.h"
#include "browser/merged/MergedGame.h"
#include "browser/merged/MergedGameNode.h"
#include "browser/merged/MergedListModel.h"
#include "compare/FormCompareHex.h"
#include "extract/FormExtractDialog.h"
#include "engines/MergedView.h"
#include "viewers/PreviewPane.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

namespace {

QStringList Texts(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

class TGameSeam : public TRecordingSeam {
public:
    QString folderAnswer;
    QString folderStart;
    std::function<void(QDialog &)> onDialog;
    QString askFolder(QWidget *, const QString &, const QString &start) override
    {
        folderStart = start;
        return folderAnswer;
    }
    bool execDialog(QDialog &dialog) override
    {
        if (onDialog)
            onDialog(dialog);
        return dialog.result() == QDialog::Accepted;
    }
};

class MergedGameTest : public BrowserTest {
protected:
    // factory.vmres (Factory) and patch.vmres (Patch + 1): the patch replaces
    // art/a.txt with other bytes and art/same.txt with the same bytes.
    void WriteGame(const QString &folder = QStringLiteral("."))
    {
        QDir().mkpath(Path(folder));
        VornWriter factory, patch;
        factory.header.m_Priority = 0x0000;
        const auto art = factory.addDir(0, "Art");
        factory.addFile(art, {.name = "a.txt", .data = TextBytes("factory a")});
        factory.addFile(art, {.name = "same.txt", .data = TextBytes("same")});
        factory.addFile(art, {.name = "old.txt", .data = TextBytes("old")});
        factory.addFile(0, {.name = "only.txt", .data = TextBytes("only")});
        patch.header.m_Priority = 0x13000;
        const auto patchArt = patch.addDir(0, "art");
        patch.addFile(patchArt, {.name = "A.TXT", .data = TextBytes("patched a!")});
        patch.addFile(patchArt, {.name = "same.txt", .data = TextBytes("same")});
        factory.write(Path(folder + QStringLiteral("/factory.vmres")).toStdString());
        patch.write(Path(folder + QStringLiteral("/patch.vmres")).toStdString());
    }
    std::unique_ptr<TfrmMain> MakeWindow()
    {
        auto window = std::make_unique<TfrmMain>(QStringList(), &m_seam);
        window->CreateLongLivedDialogs();
        window->MergedGame()->actGameView->setChecked(true);
        return window;
    }
    static QStringList Column(const QAbstractItemModel &model, int column)
    {
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.data(model.index(row, column)).toString();
        return texts;
    }
    static void SelectRow(TfrmMain &window, const QString &name)
    {
        const TMergedListModel &model = window.MergedGame()->Model();
        const int row = int(Column(model, 0).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        window.lsvMain->selectionModel()->select(model.index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TGameSeam m_seam;
};

TEST_F(MergedGameTest, TheGameNodeListsWinnersAndFiltersConflicts)
{
    WriteGame();
    VornWriter save;
    save.addFile(0, {.name = "s.txt", .data = TextBytes("s")});
    Write(save, QStringLiteral("party.vmsave"));
    auto window = MakeWindow();
    for (const char *name : {"factory.vmres", "patch.vmres", "party.vmsave"})
        window->OpenFile(Path(QString::fromLatin1(name)));
    ASSERT_EQ(window->trvFolders->topLevelItemCount(), 4);
    QTreeWidgetItem *game = window->trvFolders->topLevelItem(0);
    EXPECT_EQ(game->text(0), QStringLiteral("Game (2 archives)")); // the saved game is left out
    EXPECT_EQ(window->trvFolders->topLevelItem(1)->text(0), QStringLiteral("party.vmsave"));

    window->trvFolders->setCurrentItem(game);
    const TMergedListModel &model = window->MergedGame()->Model();
    QAbstractItemModelTester tester(const_cast<TMergedListModel *>(&model));
    ASSERT_EQ(window->lsvMain->DetailsView()->model(), &model);
    EXPECT_EQ(model.headerData(TMergedListModel::ColArchive, Qt::Horizontal).toString(), QStringLiteral("Archive"));
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("Game\\"));
    EXPECT_EQ(Column(model, 0), (QStringList{QStringLiteral("art"), QStringLiteral("only.txt")}));

    // Enter on the folder opens it in the tree, below the game node.
    SelectRow(*window, QStringLiteral("art"));
    window->lsvMainKeyPress(13);
    EXPECT_EQ(window->trvFolders->currentItem()->parent(), game);
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("Game\\art\\"));
    EXPECT_EQ(Column(model, 0), Texts({"A.TXT", "old.txt", "same.txt"}));
    EXPECT_EQ(Column(model, TMergedListModel::ColArchive), Texts({"patch.vmres", "factory.vmres", "patch.vmres"}));
    EXPECT_EQ(Column(model, TMergedListModel::ColOverrides), Texts({"1", "", "1"}));
    window->lsvMainColumnClick(TMergedListModel::ColSize); // "patched a!" is the biggest file
    EXPECT_EQ(Column(model, 0), Texts({"old.txt", "same.txt", "A.TXT"}));
    window->lsvMainColumnClick(TMergedListModel::ColSize);
    EXPECT_EQ(Column(model, 0), Texts({"A.TXT", "same.txt", "old.txt"}));
    // The selected rows are handed out as merged paths.
    SelectRow(*window, QStringLiteral("A.TXT"));
    const TOutgoingFiles patched = window->Selection().Files();
    EXPECT_EQ(patched.Names, QStringList{QStringLiteral("A.TXT")});
    ASSERT_EQ(patched.Groups.size(), 1u);
    EXPECT_EQ(patched.Groups[0].Nodes, std::vector<TMergeNodeId>{window->MergedGame()->Game().View()->Find("art/a.txt")});

    // The filter keeps paths in conflict and the folders above them.
    QTest::keyClick(window->lsvMain->CurrentView(), Qt::Key_Backspace);
    EXPECT_EQ(window->lblVornPath->text(), QStringLiteral("Game\\"));
    EXPECT_EQ(Column(model, 0).size(), 2);
    window->MergedGame()->actOnlyConflicts->setChecked(true);
    EXPECT_EQ(Column(model, 0), (QStringList{QStringLiteral("art")}));
    window->MergedGame()->actOnlyConflicts->setChecked(false);

    // Copy and drag-out hand out the winner of its own archive.
    SelectRow(*window, QStringLiteral("only.txt"));
    const TOutgoingFiles files = window->Selection().Files();
    ASSERT_EQ(files.Groups.size(), 1u);
    EXPECT_EQ(QString::fromStdString(files.Groups[0].Vorn->FileName()), Path(QStringLiteral("factory.vmres")));

    // An archive leaving the game takes its rows with it.
    window->SelectIfOpen(Path(QStringLiteral("patch.vmres")));
    window->CloseActiveVorn();
    EXPECT_EQ(window->trvFolders->topLevelItem(0)->text(0), QStringLiteral("Game (1 archive)"));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_NE(window->lsvMain->DetailsView()->model(), &model);
    window->MergedGame()->actGameView->setChecked(false);
    EXPECT_EQ(window->trvFolders->topLevelItem(0)->text(0), QStringLiteral("party.vmsave"));
    window->CloseAllVorns();
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 0);
}

TEST_F(MergedGameTest, AMergedFolderIsExtractedAndDroppedAsTheGameSeesIt)
{
    WriteGame();
    auto window = MakeWindow();
    window->OpenFile(Path(QStringLiteral("factory.vmres")));
    window->OpenFile(Path(QStringLiteral("patch.vmres")));
    window->trvFolders->setCurrentItem(window->trvFolders->topLevelItem(0));
    SelectRow(*window, QStringLiteral("art"));
    const TMergedListModel &model = window->MergedGame()->Model();
    window->lsvMain->selectionModel()->select(model.index(int(Column(model, 0).indexOf(QStringLiteral("only.txt"))), 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // art's own winner is the patch's folder; old.txt is only in the factory's.
    const QStringList merged =
        Texts({"art/A.TXT: patched a!", "art/old.txt: old", "art/same.txt: same", "only.txt: only"});
    const auto written = [](const QString &folder) {
        QStringList files;
        for (const QString &name : FilesBelow(folder)) {
            QFile file(folder + u'/' + name);
            file.open(QIODevice::ReadOnly);
            files << name + QStringLiteral(": ") + QString::fromUtf8(file.readAll());
        }
        return files;
    };

    const QString dropped = Path(QStringLiteral("dropped"));
    QDir().mkpath(dropped);
    EXPECT_TRUE(window->dfsMainDrop(window->Selection().Files().Groups, dropped));
    EXPECT_EQ(written(dropped), merged);

    const QString extracted = Path(QStringLiteral("extracted"));
    m_seam.onDialog = [&](QDialog &dialog) {
        auto &extract = dynamic_cast<TfrmExtractDialog &>(dialog);
        extract.cbxPath->setEditText(extracted);
        extract.rbnExtractSelected->setChecked(true);
        extract.chkUseFolderNames->setChecked(true);
        extract.Button1->click();
    };
    window->tbnExtractClick();
    EXPECT_EQ(written(extracted), merged);

    // A copy whose game view was made anew since writes nothing.
    const std::vector<TEntryGroup> copied = window->Selection().Files().Groups;
    window->MergedGame()->Game().Choose({static_cast<const TVornFile *>(window->Session().OpenVorns().front().get())});
    const QString late = Path(QStringLiteral("late"));
    QDir().mkpath(late);
    EXPECT_FALSE(window->dfsMainDrop(copied, late));
    EXPECT_TRUE(FilesBelow(late).isEmpty());
}

TEST_F(MergedGameTest, PropertiesShowTheStackAndCompareOpensTheOverriddenVersion)
{
    WriteGame();
    auto window = MakeWindow();
    window->OpenFile(Path(QStringLiteral("factory.vmres")));
    window->OpenFile(Path(QStringLiteral("patch.vmres")));
    window->MergedGame()->SelectFolder(window->MergedGame()->Game().View()->Find("art"));
    SelectRow(*window, QStringLiteral("A.TXT"));
    QStringList versions, archives;
    int selected = -1;
    m_seam.onDialog = [&](QDialog &dialog) {
        auto &stack = dynamic_cast<TfrmMergeStack &>(dialog);
        for (int row = 0; row < stack.grdVersions->rowCount(); ++row) {
            versions << stack.grdVersions->item(row, TfrmMergeStack::ColVersion)->text();
            archives << stack.grdVersions->item(row, TfrmMergeStack::ColArchive)->text() + u' '
                            + stack.grdVersions->item(row, TfrmMergeStack::ColPriority)->text();
        }
        selected = stack.SelectedVersion();
    };
    window->popmniPropertiesClick();
    EXPECT_EQ(versions, Texts({"Wins", "Different bytes"}));
    EXPECT_EQ(archives, Texts({"patch.vmres Patch + 1", "factory.vmres Factory"}));
    EXPECT_EQ(selected, 1);

    window->mnuPopupMainPopup();
    ASSERT_TRUE(window->MergedGame()->actCompareOverridden->isEnabled());
    window->MergedGame()->actCompareOverridden->trigger();
    TfrmCompareHex *compare = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *hex = qobject_cast<TfrmCompareHex *>(widget); hex && hex->isVisible())
            compare = hex;
    ASSERT_NE(compare, nullptr);
    EXPECT_TRUE(compare->windowTitle().contains(QStringLiteral("art/A.TXT")));
    EXPECT_TRUE(compare->NextDifference());
    EXPECT_EQ(compare->SelectedOffset(), 0); // "patched a!" against "factory a"
    compare->close();

    SelectRow(*window, QStringLiteral("same.txt"));
    versions.clear();
    archives.clear();
    window->popmniPropertiesClick();
    EXPECT_EQ(versions, Texts({"Wins", "Same bytes"}));
}

TEST_F(MergedGameTest, ThePreviewShowsTheWinner)
{
    WriteGame();
    auto window = MakeWindow();
    window->OpenFile(Path(QStringLiteral("factory.vmres")));
    window->OpenFile(Path(QStringLiteral("patch.vmres")));
    auto *dock = window->findChild<TPreviewDock *>();
    ASSERT_NE(dock, nullptr);
    dock->ToggleAction()->trigger();
    window->MergedGame()->SelectFolder(window->MergedGame()->Game().View()->Find("art"));
    QSignalSpy shown(dock->Pane(), &TPreviewPane::shown);
    SelectRow(*window, QStringLiteral("A.TXT"));
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(dock->Pane()->Text(), QStringLiteral("patched a!"));
    SelectRow(*window, QStringLiteral("old.txt")); // from the other archive
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(dock->Pane()->Text(), QStringLiteral("old"));
}

TEST_F(MergedGameTest, OpenGameFolderOpensEveryArchiveBelowItAndShowsTheGame)
{
    WriteGame(QStringLiteral("game/data"));
    QDir().mkpath(Path(QStringLiteral("empty")));
    WriteJunk(QStringLiteral("game/broken.vmmap"));
    auto window = MakeWindow();
    window->MergedGame()->actGameView->setChecked(false); // Open Game Folder turns it on
    m_seam.folderAnswer = Path(QStringLiteral("empty"));
    window->MergedGame()->actOpenGameFolder->trigger();
    ASSERT_EQ(m_seam.errorMessages.size(), 1);
    EXPECT_TRUE(m_seam.errorMessages[0].startsWith(QStringLiteral("No archives (.vmres, .vmmap) in ")));
    EXPECT_EQ(window->trvFolders->topLevelItemCount(), 0);

    // The archives are read on workers: the command returns before any joins,
    // and the game shows once all have joined, in sorted path order.
    m_seam.errorMessages.clear();
    m_seam.folderAnswer = Path(QStringLiteral("game"));
    window->MergedGame()->actOpenGameFolder->trigger();
    EXPECT_TRUE(window->Session().OpenVorns().empty());
    EXPECT_TRUE(m_seam.errorMessages.isEmpty());
    window->Session().Opens().Wait();
    ASSERT_EQ(m_seam.errorMessages.size(), 1); // the broken archive, and only it
    EXPECT_TRUE(m_seam.errorMessages[0].contains(QStringLiteral("broken.vmmap")));
    QStringList captions;
    for (int i = 0; i < window->trvFolders->topLevelItemCount(); ++i)
        captions << window->trvFolders->topLevelItem(i)->text(0);
    EXPECT_EQ(captions, Texts({"Game (2 archives)", "patch.vmres", "factory.vmres"}));
    EXPECT_EQ(window->MergedGame()->Game().MemberPaths(),
              (QStringList{Path(QStringLiteral("game/data/factory.vmres")), Path(QStringLiteral("game/data/patch.vmres"))}));
    EXPECT_EQ(window->trvFolders->currentItem(), window->trvFolders->topLevelItem(0));
    EXPECT_EQ(Column(window->MergedGame()->Model(), 0), (QStringList{QStringLiteral("art"), QStringLiteral("only.txt")}));
}

} // namespace
