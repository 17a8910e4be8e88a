// Find in the main window: the find bar and dialog, the result view over
// several archives, the list commands on results and the way back; and Find
// in the game view, over the winners of the merged archives.

#include "browser/FileListModel.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/ListSelection.h"
#include "browser/find/SearchResultModel.h"
#include "browser/merged/MergedGame.h"
#include "browser/merged/MergedGameNode.h"
#include "browser/merged/MergedListModel.h"
#include "browser/TestArchiveActions.h"
#include "engines/MergedView.h"
#include "extract/DropSource.h"
#include "extract/FormExtractDialog.h"
#include "tests/browser/BrowserFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <chrono>
#include <memory>
#include <thread>

namespace {

// Answers the extraction dialog with "Selected" and "Use folder names".
class TFindSeam : public TRecordingSeam {
public:
    QString target;
    bool execDialog(QDialog &dialog) override
    {
        auto *extract = qobject_cast<TfrmExtractDialog *>(&dialog);
        if (!extract)
            return false;
        extract->cbxPath->setEditText(target);
        extract->rbnExtractSelected->setChecked(true);
        extract->chkUseFolderNames->setChecked(true);
        extract->Button1->click();
        return extract->result() == QDialog::Accepted;
    }
};

class FindResultsTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter a;
        const auto art = a.addDir(0, "art");
        const auto maps = a.addDir(art, "maps");
        a.addFile(maps, {.name = "Stone.bmp", .data = TextBytes("bmp"), .format = DATAFORMAT_ZLIB});
        a.addFile(maps, {.name = "grass.bmp", .data = TextBytes("grass")});
        a.addFile(0, {.name = "stone.txt", .data = TextBytes("a longer text")});
        a.addFile(0, {.name = "broken.wav", .data = TextBytes("wave"), .crcOverride = 1});
        VornWriter b;
        const auto sound = b.addDir(0, "sound");
        b.addFile(sound, {.name = "stone.wav", .data = TextBytes("wave")});
        m_A = Write(a, QStringLiteral("a.vmres"));
        m_B = Write(b, QStringLiteral("b.vmres"));
        m_Window = std::make_unique<TfrmMain>(QStringList{}, &m_Seam);
        m_Window->CreateLongLivedDialogs();
        m_Window->OpenFile(m_A);
        m_Window->OpenFile(m_B);
        ASSERT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString(); // opening the second
        m_Find = m_Window->Find();
        m_Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Window.get()));
    }

    void Type(const QString &text)
    {
        QTest::keyClicks(m_Find->Bar()->Field(), text);
        m_Find->WaitForSearch();
    }

    QStringList Column(int column) const
    {
        QStringList texts;
        const QAbstractItemModel *model = m_Window->lsvMain->DetailsView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    void SelectRowsNamed(const QStringList &names)
    {
        const QStringList shown = Column(TFileListModel::ColName);
        for (const QString &name : names)
            m_Window->lsvMain->selectionModel()->select(m_Find->Results()->index(int(shown.indexOf(name)), 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    TFindSeam m_Seam;
    QString m_A, m_B;
    std::unique_ptr<TfrmMain> m_Window;
    TFindController *m_Find = nullptr;
};

TEST_F(FindResultsTest, ResultsOfEveryArchiveWithFolderAndArchiveColumns)
{
    QAbstractItemModelTester tester(m_Find->Results(), QAbstractItemModelTester::FailureReportingMode::Warning);
    Type(QStringLiteral("STONE"));
    ASSERT_TRUE(m_Find->ShowingResults());
    EXPECT_EQ(m_Window->lsvMain->DetailsView()->model(), m_Find->Results());
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->text(), QStringLiteral("3 found"));
    EXPECT_EQ(m_Find->Results()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Folder"));
    EXPECT_EQ(m_Find->Results()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("Archive"));

    m_Window->lsvMainColumnClick(TFileListModel::ColName);
    EXPECT_EQ(Column(TFileListModel::ColName),
              (QStringList{QStringLiteral("Stone.bmp"), QStringLiteral("stone.txt"), QStringLiteral("stone.wav")}));
    EXPECT_EQ(Column(TSearchResultModel::ColFolder),
              (QStringList{QStringLiteral("art/maps/"), QString(), QStringLiteral("sound/")}));
    EXPECT_EQ(Column(TSearchResultModel::ColArchive),
              (QStringList{QStringLiteral("a.vmres"), QStringLiteral("a.vmres"), QStringLiteral("b.vmres")}));
    m_Window->lsvMainColumnClick(TFileListModel::ColSize);
    EXPECT_EQ(Column(TFileListModel::ColName).first(), QStringLiteral("Stone.bmp"));
    m_Window->lsvMainColumnClick(TFileListModel::ColSize);
    EXPECT_EQ(Column(TFileListModel::ColName).first(), QStringLiteral("stone.txt"));
    // End and Home go to the last and the first row, as in a list.
    QAbstractItemView *details = m_Window->lsvMain->DetailsView();
    details->setFocus();
    details->setCurrentIndex(m_Find->Results()->index(1, 0));
    QTest::keyClick(details, Qt::Key_End);
    EXPECT_EQ(details->currentIndex().row(), 2);
    QTest::keyClick(details, Qt::Key_Home);
    EXPECT_EQ(details->currentIndex().row(), 0);

    // A further keystroke narrows; type-ahead, Select All and Invert work on results.
    Type(QStringLiteral(".w"));
    EXPECT_EQ(Column(TFileListModel::ColName), QStringList{QStringLiteral("stone.wav")});
    Type(QStringLiteral("\b\b"));
    // Type-ahead from a cell of the Archive column still finds by name.
    const QModelIndexList typed = m_Find->Results()->match(
        m_Find->Results()->index(0, TSearchResultModel::ColArchive), Qt::DisplayRole, QStringLiteral("STONE.T"));
    ASSERT_EQ(typed.size(), 1);
    EXPECT_EQ(typed.first().data().toString(), QStringLiteral("stone.txt"));
    m_Window->lsvMain->CurrentView()->setFocus();
    ASSERT_TRUE(m_Window->lsvMain->HasListFocus());
    m_Window->mniSelectAllClick();
    EXPECT_EQ(m_Window->Selection().Count(), 3);
    m_Window->mniInvertSelectionClick();
    EXPECT_EQ(m_Window->Selection().Count(), 0);
    SelectRowsNamed({QStringLiteral("stone.wav")});
    const std::optional<TListSelection::TRow> row = m_Window->Selection().Single();
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Vorn->GetName(row->Entry), "stone.wav");
}

TEST_F(FindResultsTest, ExtractionRebuildsEachResultsOwnFolders)
{
    Type(QStringLiteral("*.bmp"));
    m_Find->Search([] {
        TFindCriteria both;
        both.Name = "stone";
        both.Types = {"bmp", "wav"};
        return both;
    }(), TFindScope::AllArchives);
    m_Find->WaitForSearch();
    SelectRowsNamed({QStringLiteral("Stone.bmp"), QStringLiteral("stone.wav")});
    QTemporaryDir target;
    m_Seam.target = target.path();
    m_Window->tbnExtractClick();
    EXPECT_EQ(FilesBelow(target.path()), (QStringList{QStringLiteral("art/maps/Stone.bmp"), QStringLiteral("sound/stone.wav")}));
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();
}

TEST_F(FindResultsTest, CopyOfResultsFromTwoArchivesGivesEachFileByItsName)
{
    Type(QStringLiteral("stone."));
    SelectRowsNamed({QStringLiteral("stone.wav"), QStringLiteral("Stone.bmp")});
    m_Window->mnuPopupMainPopup();
    ASSERT_TRUE(m_Window->popmniCopy->isEnabled());
    m_Window->popmniCopy->trigger();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    QStringList names;
    QStringList contents;
    for (const QUrl &url : data->urls()) { // asking for them writes the files, as a paste does
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << url.toString().toStdString();
        names << QFileInfo(file).fileName();
        contents << QString::fromLatin1(file.readAll());
    }
    names.sort();
    contents.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Stone.bmp"), QStringLiteral("stone.wav")}));
    EXPECT_EQ(contents, (QStringList{QStringLiteral("bmp"), QStringLiteral("wave")}));
    const QString folder = QFileInfo(data->urls().front().toLocalFile()).path();
    EXPECT_EQ(FilesBelow(folder), names) << "no folders of the archives";
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();
}

TEST_F(FindResultsTest, SameNamedResultsFromTwoFoldersAndTwoArchivesAllArriveByDragAndCopy)
{
    VornWriter c;
    c.addFile(c.addDir(0, "x"), {.name = "readme.txt", .data = TextBytes("c/x")});
    c.addFile(c.addDir(0, "y"), {.name = "readme.txt", .data = TextBytes("c/y")});
    VornWriter d;
    d.addFile(d.addDir(0, "x"), {.name = "readme.txt", .data = TextBytes("d/x")});
    m_Window->OpenFile(Write(c, QStringLiteral("c.vmres")));
    m_Window->OpenFile(Write(d, QStringLiteral("d.vmres")));
    Type(QStringLiteral("readme.txt"));
    m_Window->lsvMain->CurrentView()->setFocus();
    m_Window->mniSelectAllClick();
    const TOutgoingFiles files = m_Window->Selection().Files();
    ASSERT_EQ(files.Names.size(), 3);
    const QString temp = m_Window->TempFolder();
    const auto contents = [](const QStringList &paths) {
        QStringList texts;
        for (const QString &path : paths) {
            QFile file(path);
            texts << (file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QStringLiteral("missing"));
        }
        texts.sort();
        return texts;
    };
    const QStringList all = {QStringLiteral("c/x"), QStringLiteral("c/y"), QStringLiteral("d/x")};

    // Drag-out: the offered paths, then the drop writes where they point.
    const QStringList offered = DragFileList(temp, files.Names);
    ASSERT_EQ(offered.size(), 3);
    EXPECT_TRUE(m_Window->dfsMainDrop(files.Groups, temp));
    EXPECT_EQ(contents(offered), all);

    // Copy: the pasted URLs.
    m_Window->popmniCopy->trigger();
    QStringList pasted;
    for (const QUrl &url : QGuiApplication::clipboard()->mimeData()->urls())
        pasted << url.toLocalFile();
    EXPECT_EQ(contents(pasted), all);
    for (const QString &path : offered + pasted)
        EXPECT_TRUE(path.startsWith(temp)) << path.toStdString();
    // The copy's own folder holds just these three, without archive folders.
    const QString copyFolder = QFileInfo(pasted.front()).path();
    QStringList below;
    for (const QString &path : pasted)
        below << QDir(copyFolder).relativeFilePath(path);
    below.sort();
    EXPECT_EQ(FilesBelow(copyFolder), below);
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();
}

TEST_F(FindResultsTest, BackToTheFolderByEscapeGoToFolderOrTheTree)
{
    const QString pathLabel = m_Window->lblVornPath->text();
    Type(QStringLiteral("stone"));
    QTest::keyClick(m_Window->lsvMain->CurrentView(), Qt::Key_Escape);
    EXPECT_FALSE(m_Find->ShowingResults());
    EXPECT_EQ(m_Window->lsvMain->DetailsView()->model(), m_Window->FileListModel());
    EXPECT_EQ(m_Window->lblVornPath->text(), pathLabel);

    Type(QStringLiteral("x"));
    m_Find->Bar()->Field()->setText(QString());
    Type(QStringLiteral("Stone.b"));
    SelectRowsNamed({QStringLiteral("Stone.bmp")});
    m_Find->GoToFolder();
    EXPECT_FALSE(m_Find->ShowingResults());
    EXPECT_EQ(m_Window->Session().ActiveVorn()->FileName(), m_A.toStdString());
    EXPECT_EQ(m_Window->trvFolders->currentItem()->text(0), QStringLiteral("maps"));
    const QModelIndexList selected = m_Window->lsvMain->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), QStringLiteral("Stone.bmp"));

    // View on a folder result opens that folder.
    m_Find->Bar()->Field()->clear();
    Type(QStringLiteral("maps"));
    SelectRowsNamed({QStringLiteral("maps")});
    m_Window->lsvMainDblClick();
    EXPECT_FALSE(m_Find->ShowingResults());
    EXPECT_EQ(m_Window->trvFolders->currentItem()->text(0), QStringLiteral("maps"));

    Type(QStringLiteral("s"));
    ASSERT_TRUE(m_Find->ShowingResults());
    m_Window->trvFolders->setCurrentItem(m_Window->trvFolders->topLevelItem(0));
    EXPECT_FALSE(m_Find->ShowingResults());

    // Into the folder whose node is selected already: the tree reports no
    // change, the listing must show all the same.
    ASSERT_TRUE(m_Window->SelectIfOpen(m_A));
    m_Find->Bar()->Field()->clear();
    Type(QStringLiteral("stone.t"));
    SelectRowsNamed({QStringLiteral("stone.txt")});
    m_Find->GoToFolder();
    EXPECT_FALSE(m_Find->ShowingResults());
    EXPECT_EQ(m_Window->lsvMain->DetailsView()->model(), m_Window->FileListModel());
    const QModelIndexList inRoot = m_Window->lsvMain->selectionModel()->selectedRows();
    ASSERT_EQ(inRoot.size(), 1);
    EXPECT_EQ(inRoot.first().data().toString(), QStringLiteral("stone.txt"));
}

TEST_F(FindResultsTest, BadPatternsShowInTheBarAndClosingAnArchiveDropsItsRows)
{
    TFindCriteria regex;
    regex.Name = "(stone";
    regex.NameMode = TNameMode::Regex;
    m_Find->Search(regex, TFindScope::AllArchives);
    EXPECT_TRUE(m_Find->Bar()->ShowsError());
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->text(), QStringLiteral("Bad regular expression: missing )"));
    TFindCriteria hex;
    hex.ContentMode = TContentMode::Hex;
    hex.Content = "ABC";
    m_Find->Search(hex, TFindScope::AllArchives);
    EXPECT_TRUE(m_Find->Bar()->ShowsError());
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();

    TFindCriteria text;
    text.ContentMode = TContentMode::Text;
    text.Content = "WAVE";
    m_Find->Search(text, TFindScope::AllArchives);
    m_Find->WaitForSearch();
    EXPECT_EQ(Column(TFileListModel::ColName), QStringList{QStringLiteral("stone.wav")});
    // The damaged entry holds the text too: it is counted and named, not passed over.
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->text(), QStringLiteral("1 found, 1 could not be searched"));
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->toolTip(), QStringLiteral("broken.wav: CRC-32 differs from header"));
    m_Window->CloseActiveVorn(); // b.vmres, the newest
    EXPECT_EQ(m_Find->Results()->rowCount(), 0);
}

TEST_F(FindResultsTest, DamagedFindsWhatTheLastTestFoundAndNamesArchivesNotTested)
{
    TFindCriteria damaged;
    damaged.Damaged = true;
    const auto search = [&] {
        m_Find->Search(damaged, TFindScope::AllArchives);
        m_Find->WaitForSearch();
        return m_Find->Bar()->StatusLabel()->text();
    };
    EXPECT_EQ(search(), QStringLiteral("0 found; 2 archives not tested"));
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->toolTip(),
              QStringLiteral("Not tested to the end yet (Actions > Test Archive): a.vmres, b.vmres"));
    ASSERT_TRUE(m_Window->SelectIfOpen(m_A));
    m_Window->TestArchive()->TestArchive();
    EXPECT_EQ(search(), QStringLiteral("1 found; 1 archive not tested"));
    EXPECT_EQ(Column(TFileListModel::ColName), QStringList{QStringLiteral("broken.wav")});
    // Marked as in the folder listing, and Select Damaged picks it there.
    const QModelIndex broken = m_Find->Results()->index(0, TSearchResultModel::ColFolder);
    EXPECT_TRUE(broken.data(TFileListModel::DamagedRole).toBool());
    EXPECT_EQ(broken.data(Qt::ToolTipRole).toString(), QStringLiteral("\nDamaged: CRC-32 differs from header"));
    m_Window->TestArchive()->SelectDamaged();
    EXPECT_EQ(m_Window->Selection().Count(), 1);
    ASSERT_TRUE(m_Window->SelectIfOpen(m_B));
    m_Window->TestArchive()->TestArchive(); // nothing damaged there, but tested
    EXPECT_EQ(search(), QStringLiteral("1 found"));

    // The dialog refuses a content criterion with it, as the bar does.
    TfrmFind *dialog = m_Find->Dialog();
    dialog->SetCriteria(damaged, TFindScope::AllArchives);
    dialog->edtContent->setText(QStringLiteral("wave"));
    dialog->cmbContentMode->setCurrentIndex(int(TContentMode::Text));
    ASSERT_TRUE(dialog->chkDamaged->isChecked());
    dialog->accept();
    EXPECT_EQ(dialog->lblError->text(), QStringLiteral("Damaged files can't be searched by content"));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    m_Find->Search(dialog->Criteria(), TFindScope::AllArchives);
    EXPECT_TRUE(m_Find->Bar()->ShowsError());

    // A test cancelled before the end keeps its marks but leaves the archive untested.
    TDamagedEntries marks;
    const TVornFile *vorn = m_Window->Session().ActiveVorn();
    marks.Set(vorn, {{7, "x", "bad"}}, false);
    EXPECT_FALSE(marks.Tested(vorn));
    EXPECT_EQ(marks.Entries(vorn), std::vector<TEntryOffset>{7});
    marks.Set(vorn, {}, true);
    EXPECT_TRUE(marks.Tested(vorn));
    EXPECT_FALSE(marks.Any(vorn));
    marks.Forget(vorn);
    EXPECT_FALSE(marks.Tested(vorn));
}

TEST_F(FindResultsTest, QueuedRowsComeInOneInsertionInTheirOrderAndClearingDropsThem)
{
    const TNameIndex a(*m_Window->Session().OpenVorns()[0]);
    const TNameIndex b(*m_Window->Session().OpenVorns()[1]);
    TSearchResultModel model;
    model.AddArchive(a, QStringLiteral("a.vmres"));
    model.AddArchive(b, QStringLiteral("b.vmres"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.Queue(0, {2, 0});
    model.Queue(1, {1});
    model.Queue(0, {3});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.Flush(), 4u);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    for (const TSearchResultModel::TRow &row : model.Rows())
        rows.emplace_back(row.Archive, row.Item);
    EXPECT_EQ(rows, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 2}, {0, 0}, {1, 1}, {0, 3}}));
    model.Queue(1, {0});
    EXPECT_EQ(model.Flush(), 1u);
    EXPECT_EQ(inserted[1][1].toInt(), 4);
    EXPECT_EQ(model.Rows().back().Archive, 1u); // after the rows shown before
    EXPECT_EQ(model.Rows().front().Item, 2u);
    model.Queue(1, {1});
    model.Clear(); // a new search: nothing of the old one comes after
    EXPECT_EQ(model.Flush(), 0u);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(FindResultsTest, ANewSearchDropsWhatTheSearchBeforeFoundAndShowsAllItsOwn)
{
    TFindCriteria dotted;
    dotted.Name = ".";
    m_Find->Search(dotted, TFindScope::AllArchives);
    // Its rows and its end wait in the event queue when the next search starts.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    TFindCriteria waves;
    waves.Name = ".wav";
    m_Find->Search(waves, TFindScope::AllArchives);
    m_Find->WaitForSearch();
    QStringList names = Column(TFileListModel::ColName);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("broken.wav"), QStringLiteral("stone.wav")}));
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->text(), QStringLiteral("2 found"));
    EXPECT_EQ(m_Find->Results()->QueuedCount(), 0u);
}

// factory.vmres (Factory) and patch.vmres (Patch + 1), merged in the game
// view: the patch replaces art/a.txt, hides the folder sound/ behind a file
// SOUND, and adds old.txt at the top beside the factory's art/old.txt.
class FindInGameViewTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter factory, patch;
        factory.header.m_Priority = 0x0000;
        const auto art = factory.addDir(0, "Art");
        factory.addFile(art, {.name = "a.txt", .data = TextBytes("factory a")});
        factory.addFile(art, {.name = "old.txt", .data = TextBytes("old art")});
        factory.addFile(factory.addDir(0, "sound"), {.name = "x.txt", .data = TextBytes("hidden x")});
        factory.addFile(0, {.name = "only.txt", .data = TextBytes("only")});
        patch.header.m_Priority = 0x13000;
        patch.addFile(patch.addDir(0, "art"), {.name = "A.TXT", .data = TextBytes("patched a!")});
        patch.addFile(0, {.name = "SOUND", .data = TextBytes("a file")});
        patch.addFile(0, {.name = "old.txt", .data = TextBytes("old top")});
        m_Window = std::make_unique<TfrmMain>(QStringList{}, &m_Seam);
        m_Window->CreateLongLivedDialogs();
        m_Window->OpenFile(Write(factory, QStringLiteral("factory.vmres")));
        m_Window->OpenFile(Write(patch, QStringLiteral("patch.vmres")));
        m_Game = m_Window->MergedGame();
        m_Game->actGameView->setChecked(true);
        m_Find = m_Window->Find();
        m_Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Window.get()));
        ShowGameFolder("");
        ASSERT_TRUE(m_Game->Showing());
    }

    void ShowGameFolder(const char *path)
    {
        m_Game->SelectFolder(m_Game->Model().View() ? m_Game->Model().View()->Find(path) : MergeRoot);
    }
    QStringList Search(const TFindCriteria &criteria, TFindScope scope = TFindScope::AllArchives)
    {
        m_Find->Search(criteria, scope);
        m_Find->WaitForSearch();
        QStringList rows; // "folder/name archive", sorted
        const TSearchResultModel &model = *m_Find->Results();
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.index(row, TSearchResultModel::ColFolder).data().toString()
                        + model.index(row, TFileListModel::ColName).data().toString() + u' '
                        + model.index(row, TSearchResultModel::ColArchive).data().toString();
        rows.sort();
        return rows;
    }
    static TFindCriteria Named(const char *name)
    {
        TFindCriteria criteria;
        criteria.Name = name;
        return criteria;
    }
    void SelectResult(const QString &name)
    {
        const TSearchResultModel &model = *m_Find->Results();
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row, TFileListModel::ColName).data().toString() == name)
                m_Window->lsvMain->selectionModel()->select(model.index(row, 0),
                                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList SelectedInList() const
    {
        QStringList names;
        for (const QModelIndex &index : m_Window->lsvMain->selectionModel()->selectedRows())
            names << index.data().toString();
        return names;
    }

    TFindSeam m_Seam;
    std::unique_ptr<TfrmMain> m_Window;
    TMergedGameNode *m_Game = nullptr;
    TFindController *m_Find = nullptr;
};

TEST_F(FindInGameViewTest, FindsTheWinnersWithTheirArchiveAndNoHiddenVersion)
{
    const QStringList winners = {QStringLiteral("art/A.TXT patch.vmres"), QStringLiteral("art/old.txt factory.vmres"),
                                 QStringLiteral("old.txt patch.vmres"), QStringLiteral("only.txt factory.vmres")};
    EXPECT_EQ(Search(Named(".txt")), winners);
    EXPECT_EQ(m_Find->Bar()->StatusLabel()->text(), QStringLiteral("4 found"));
    // Typed into the bar, narrowing from the results, the game view is searched still.
    QTest::keyClicks(m_Find->Bar()->Field(), QStringLiteral("t"));
    m_Find->WaitForSearch();
    QTest::keyClicks(m_Find->Bar()->Field(), QStringLiteral("xt"));
    m_Find->WaitForSearch();
    EXPECT_EQ(m_Find->Results()->rowCount(), 4);
    EXPECT_EQ(Search(Named("sound")), QStringList{QStringLiteral("SOUND patch.vmres")});
    // Content is read from the winner: the hidden version's bytes are not searched.
    TFindCriteria content;
    content.ContentMode = TContentMode::Text;
    content.Content = "patched";
    EXPECT_EQ(Search(content), QStringList{QStringLiteral("art/A.TXT patch.vmres")});
    EXPECT_EQ(m_Find->Results()->Rows().front().Node, m_Game->Model().View()->Find("art/a.txt"));
    for (const char *hidden : {"factory", "hidden"}) {
        content.Content = hidden;
        EXPECT_EQ(Search(content), QStringList()) << hidden;
    }

    // "Current folder" is the listed game folder and below it, for every archive.
    m_Find->CancelSearch();
    m_Find->ReturnFromResults();
    ShowGameFolder("art");
    ASSERT_TRUE(m_Game->Showing());
    EXPECT_EQ(Search(Named("t"), TFindScope::CurrentFolder),
              (QStringList{QStringLiteral("art/A.TXT patch.vmres"), QStringLiteral("art/old.txt factory.vmres")}));

    // Outside the game view Find looks at every open archive again.
    m_Find->ReturnFromResults();
    m_Window->trvFolders->setCurrentItem(m_Window->trvFolders->topLevelItem(1));
    EXPECT_FALSE(m_Game->Showing());
    EXPECT_EQ(Search(Named("x.txt")), QStringList{QStringLiteral("sound/x.txt factory.vmres")});
}

TEST_F(FindInGameViewTest, GoToFolderAndDoubleClickLandInTheGameView)
{
    Search(Named("a.txt"));
    SelectResult(QStringLiteral("A.TXT"));
    m_Find->GoToFolder();
    EXPECT_FALSE(m_Find->ShowingResults());
    ASSERT_TRUE(m_Game->Showing());
    EXPECT_EQ(m_Game->PathText(), QStringLiteral("Game\\art\\"));
    EXPECT_EQ(SelectedInList(), QStringList{QStringLiteral("A.TXT")});

    // Escape goes back to the folder the search started in.
    Search(Named("old"));
    QTest::keyClick(m_Window->lsvMain->CurrentView(), Qt::Key_Escape);
    ASSERT_TRUE(m_Game->Showing());
    EXPECT_EQ(m_Game->PathText(), QStringLiteral("Game\\art\\"));

    ShowGameFolder("");
    Search(Named("art"));
    SelectResult(QStringLiteral("art"));
    m_Window->lsvMainDblClick();
    ASSERT_TRUE(m_Game->Showing());
    EXPECT_EQ(m_Game->PathText(), QStringLiteral("Game\\art\\"));
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();

    // Results of a merge that is gone can't be shown in the game view.
    Search(Named("only"));
    m_Game->Game().Choose({m_Window->Session().OpenVorns().front().get()});
    SelectResult(QStringLiteral("only.txt"));
    m_Window->mnuPopupMainPopup();
    m_Find->GoToFolderAction()->trigger();
    EXPECT_TRUE(m_Find->ShowingResults());
    EXPECT_EQ(m_Seam.errors, QStringList{QStringLiteral("The game view has changed since this search; search again.")});
}

TEST_F(FindInGameViewTest, ExtractAndCopyWriteTheWinnersAndClosingAnArchiveDropsTheResults)
{
    Search(Named("t"));
    SelectResult(QStringLiteral("art")); // a folder: its merged contents
    SelectResult(QStringLiteral("only.txt"));
    QTemporaryDir target;
    m_Seam.target = target.path();
    m_Window->tbnExtractClick();
    EXPECT_EQ(FilesBelow(target.path()), (QStringList{QStringLiteral("art/A.TXT"), QStringLiteral("art/old.txt"),
                                                      QStringLiteral("only.txt")}));
    QFile patched(target.filePath(QStringLiteral("art/A.TXT")));
    ASSERT_TRUE(patched.open(QIODevice::ReadOnly));
    EXPECT_EQ(patched.readAll(), QByteArray("patched a!"));

    // Two results of one name from two folders both arrive by Copy.
    m_Window->lsvMain->selectionModel()->clearSelection();
    Search(Named("old.txt"));
    m_Window->lsvMain->CurrentView()->setFocus();
    m_Window->mniSelectAllClick();
    m_Window->popmniCopy->trigger();
    QStringList contents;
    for (const QUrl &url : QGuiApplication::clipboard()->mimeData()->urls()) {
        QFile file(url.toLocalFile());
        contents << (file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QStringLiteral("missing"));
    }
    contents.sort();
    EXPECT_EQ(contents, (QStringList{QStringLiteral("old art"), QStringLiteral("old top")}));
    EXPECT_TRUE(m_Seam.errors.isEmpty()) << m_Seam.errors.join(u'|').toStdString();

    m_Window->CloseActiveVorn();
    EXPECT_EQ(m_Find->Results()->rowCount(), 0);
    EXPECT_EQ(m_Find->Results()->Game(), nullptr);
}

} // namespace
