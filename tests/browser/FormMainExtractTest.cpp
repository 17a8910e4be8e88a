// Extract and drag-out as the main window runs them: the target dialog and
// the questions answered through the seam, real files written.

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/ListSelection.h"
#include "engines/ExtractTypes.h"
#include "extract/DropSource.h"
#include "extract/FormExtractDialog.h"
#include "settings/FormOptions.h"
#include "tests/browser/BrowserFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QItemSelectionModel>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

namespace {

// Answers the target dialog with a folder and "All" with folder names, and
// collects the per-file reports.
class TExtractSeam : public TRecordingSeam, public IExtractReport, public IOverwriteQuestion {
public:
    QString target;
    QStringList reports;
    QStringList overwriteAsked; // the existing files asked about; each answered "No"
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override
    {
        overwriteAsked << QString::fromStdString(question.ExistingPath);
        return TOverwriteAnswer::No;
    }
    IOverwriteQuestion *overwriteQuestion() override { return this; }
    bool dialogShown = false;

    bool execDialog(QDialog &dialog) override
    {
        auto *extract = qobject_cast<TfrmExtractDialog *>(&dialog);
        if (!extract)
            return false;
        dialogShown = true;
        extract->cbxPath->setEditText(target);
        extract->rbnExtractAll->setChecked(true);
        extract->chkUseFolderNames->setChecked(true);
        extract->Button1->click();
        return extract->result() == QDialog::Accepted;
    }
    IExtractReport *extractReport() override { return this; }
    QList<QUrl> opened;       // files handed to the desktop
    bool openSucceeds = true; // what the desktop answers
    bool openWithDefault(const QUrl &file) override
    {
        opened << file;
        return openSucceeds;
    }
    void ReportFailure(const TExtractFailure &failure) override
    {
        reports << QString::fromStdString(ExtractFailureText(failure));
    }
};

class FormMainExtractTest : public BrowserTest {
protected:
    std::unique_ptr<TfrmMain> MakeWindow()
    {
        auto window = std::make_unique<TfrmMain>(QStringList{}, &m_seam);
        window->CreateLongLivedDialogs();
        return window;
    }

    void SelectAllRows(TfrmMain &window)
    {
        TFileListModel *model = window.FileListModel();
        for (int row = 0; row < model->rowCount(); ++row)
            window.lsvMain->selectionModel()->select(model->index(row, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Selects the one row whose entry is called name (or adds it).
    void SelectOnly(TfrmMain &window, const char *name,
                    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect)
    {
        const TFileListModel *model = window.FileListModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (window.Session().ActiveVorn()->GetName(model->Rows()[size_t(row)].Entry) == name) {
                window.lsvMain->selectionModel()->select(model->index(row, 0), how | QItemSelectionModel::Rows);
                return;
            }
        }
        ADD_FAILURE() << "no row " << name;
    }

    TExtractSeam m_seam;
};

TEST_F(FormMainExtractTest, ExtractAllWritesTheWholeTreeAndLeavesTheWindowIdle)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    m_seam.target = Path(QStringLiteral("out"));
    window->tbnExtractClick();
    EXPECT_TRUE(m_seam.dialogShown);
    EXPECT_TRUE(m_seam.reports.isEmpty()) << m_seam.reports.join(u'\n').toStdString();
    EXPECT_FALSE(window->Session().Busy());
    EXPECT_FALSE(FilesBelow(m_seam.target).isEmpty());
    EXPECT_TRUE(FilesBelow(m_seam.target).contains(QStringLiteral("readme.txt")));
    // The target becomes the next run's starting folder.
    EXPECT_EQ(QDir::cleanPath(window->Options()->GetExtractDir()), QDir::cleanPath(m_seam.target));
    EXPECT_EQ(window->Options()->GetExtractDir(), m_seam.target + u'/');
}

TEST_F(FormMainExtractTest, DragNeedsTenPixelsAndACancelledDragWritesNothing)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    SelectAllRows(*window);
    const QStringList before = FilesBelow(window->TempFolder());
    emit window->lsvMain->pressed(QPoint(20, 20));
    EXPECT_FALSE(window->lsvMainMouseMove(QPoint(29, 29), Qt::LeftButton));
    // The offscreen platform ends a drag at once without a drop.
    EXPECT_TRUE(window->lsvMainMouseMove(QPoint(30, 20), Qt::LeftButton));
    EXPECT_EQ(FilesBelow(window->TempFolder()), before);
    EXPECT_FALSE(window->Session().Busy());
}

TEST_F(FormMainExtractTest, DropWritesTheDraggedEntriesIntoThePrivateTempFolder)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    SelectAllRows(*window);
    const QString temp = window->TempFolder();
    EXPECT_TRUE(temp.endsWith(u'/'));
    EXPECT_EQ(QFile::permissions(temp) & (QFileDevice::ReadOther | QFileDevice::WriteOther), QFileDevice::Permissions());
    QFile::remove(temp + QStringLiteral("readme.txt"));
    EXPECT_TRUE(window->dfsMainDrop(window->Selection().Files().Groups, temp));
    EXPECT_TRUE(QFile::exists(temp + QStringLiteral("readme.txt")));
    EXPECT_TRUE(m_seam.reports.isEmpty());
    EXPECT_FALSE(window->Session().Busy());
    EXPECT_TRUE(window->StatusPanelText().isEmpty());

    // A drop rendered after its archive was closed writes nothing.
    QFile::remove(temp + QStringLiteral("readme.txt"));
    const std::vector<TEntryGroup> dragged = window->Selection().Files().Groups;
    window->CloseAllVorns();
    EXPECT_FALSE(window->dfsMainDrop(dragged, temp));
    EXPECT_FALSE(QFile::exists(temp + QStringLiteral("readme.txt")));
}

TEST_F(FormMainExtractTest, AFolderThatRepeatsANameHandsOutEveryEntryAndCleansUpWithTheWindow)
{
    // A damaged archive: two files and two folders of one name each.
    VornWriter writer;
    writer.addFile(0, {.name = "readme.txt", .data = TextBytes("first")});
    writer.addFile(writer.addDir(0, "docs"), {.name = "a.txt", .data = TextBytes("a")});
    writer.addFile(0, {.name = "readme.txt", .data = TextBytes("second")});
    writer.addFile(writer.addDir(0, "docs"), {.name = "b.txt", .data = TextBytes("b")});
    auto window = MakeWindow();
    window->OpenFile(Write(writer, QStringLiteral("twice.vmres")));
    SelectAllRows(*window);
    const TOutgoingFiles files = window->Selection().Files();
    const QString temp = window->TempFolder();
    const QStringList offered = DragFileList(temp, files.Names);
    ASSERT_EQ(offered.size(), 4);
    for (const QString &path : offered) { // left by earlier runs in the shared temporary folder
        QFile::remove(path);
        QDir(path).removeRecursively();
    }
    EXPECT_TRUE(window->dfsMainDrop(files.Groups, temp));
    QStringList found;
    for (const QString &path : offered) {
        ASSERT_TRUE(path.startsWith(temp)) << path.toStdString();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            found << QString::fromLatin1(file.readAll());
        else
            found << FilesBelow(path);
    }
    found.sort();
    EXPECT_EQ(found, (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("first"),
                                  QStringLiteral("second")}));
    EXPECT_TRUE(m_seam.reports.isEmpty()) << m_seam.reports.join(u'\n').toStdString();

    // A file manager moves the repeats out; the next drag removes their
    // subfolder once it is empty, not before.
    QStringList repeats = offered;
    repeats.removeIf([&](const QString &path) { return QFileInfo(path).path() + u'/' == temp; });
    ASSERT_EQ(repeats.size(), 2);
    const QString repeatFolder = QFileInfo(repeats.front()).path();
    const auto dragAgain = [&] {
        emit window->lsvMain->pressed(QPoint(20, 20));
        EXPECT_TRUE(window->lsvMainMouseMove(QPoint(40, 20), Qt::LeftButton));
    };
    ASSERT_TRUE(QDir().rename(repeats[0], Path(QStringLiteral("moved0"))));
    dragAgain();
    EXPECT_TRUE(QFileInfo::exists(repeats[1]));
    ASSERT_TRUE(QDir().rename(repeats[1], Path(QStringLiteral("moved1"))));
    dragAgain();
    EXPECT_FALSE(QFileInfo::exists(repeatFolder));

    // Direct save puts them all into the folder the file manager chose,
    // asking before the second readme.txt replaces the first.
    const QString chosen = Path(QStringLiteral("chosen"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    EXPECT_TRUE(window->dfsMainDrop(files.Groups, chosen));
    EXPECT_EQ(m_seam.overwriteAsked, QStringList{chosen + QStringLiteral("/readme.txt")});
    EXPECT_EQ(FilesBelow(chosen), (QStringList{QStringLiteral("docs/a.txt"), QStringLiteral("docs/b.txt"),
                                               QStringLiteral("readme.txt")}));
    QFile kept(chosen + QStringLiteral("/readme.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "first");

    EXPECT_TRUE(window->dfsMainDrop(files.Groups, temp));
    window.reset();
    for (const QString &path : offered)
        EXPECT_EQ(QFileInfo::exists(path), QFileInfo(path).path() + u'/' == temp) << path.toStdString();
}

TEST_F(FormMainExtractTest, CopiedEntriesAreWrittenAtThePasteAndGoWithTheWindow)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    SelectAllRows(*window);
    window->mnuPopupMainPopup();
    EXPECT_TRUE(window->popmniCopy->isEnabled());
    const QStringList before = FilesBelow(window->TempFolder());
    window->popmniCopy->trigger();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), (QStringList{QStringLiteral("text/uri-list"),
                                            QStringLiteral("x-special/gnome-copied-files")}));
    EXPECT_EQ(FilesBelow(window->TempFolder()), before) << "written before the paste";

    // A file manager pastes.
    const QByteArray copied = data->data(QStringLiteral("x-special/gnome-copied-files"));
    EXPECT_TRUE(copied.startsWith("copy\nfile:///")) << copied.constData();
    const QList<QUrl> urls = data->urls();
    ASSERT_FALSE(urls.isEmpty());
    EXPECT_EQ(copied.count('\n'), urls.size());
    for (const QUrl &url : urls)
        EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << url.toString().toStdString();
    EXPECT_TRUE(m_seam.reports.isEmpty());

    const QString copyFolder = QFileInfo(urls.front().toLocalFile()).path();
    window.reset();
    EXPECT_FALSE(QDir(copyFolder).exists());
}

TEST_F(FormMainExtractTest, SmallMovesAfterAPressOnASelectedRowKeepTheSelection)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    window->show();
    SelectAllRows(*window);
    const int selected = window->Selection().Count();
    ASSERT_GE(selected, 2);
    QAbstractItemView *view = window->lsvMain->CurrentView();
    QWidget *viewport = view->viewport();
    const QPoint press = view->visualRect(window->FileListModel()->index(0, 0)).center();
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    // Below the drag distance: the list's rubber band would take these.
    for (int step = 1; step <= 6; ++step)
        send(QEvent::MouseMove, press + QPoint(0, step), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window->Selection().Count(), selected);
}

} // namespace

TEST_F(FormMainExtractTest, OpenWithHandsOneFileUnderItsOwnNameToTheDesktopAndCleansUpWithTheWindow)
{
    VornWriter writer;
    const auto art = writer.addDir(0, "art");
    writer.addFile(0, FileSpec{.name = "readme.txt", .data = TextBytes("in the root")});
    writer.addFile(0, FileSpec{.name = "b.txt", .data = TextBytes("b")});
    writer.addFile(art, FileSpec{.name = "readme.txt", .data = TextBytes("in art")});
    auto window = MakeWindow();
    window->OpenFile(Write(writer, QStringLiteral("a.vmres")));

    // Only for one file: not for a folder, not for several rows.
    SelectOnly(*window, "art");
    window->mnuPopupMainPopup();
    EXPECT_FALSE(window->popmniOpenWith->isEnabled());
    SelectOnly(*window, "b.txt");
    SelectOnly(*window, "readme.txt", QItemSelectionModel::Select);
    window->mnuPopupMainPopup();
    EXPECT_FALSE(window->popmniOpenWith->isEnabled());
    SelectOnly(*window, "readme.txt");
    window->mnuPopupMainPopup();
    ASSERT_TRUE(window->popmniOpenWith->isEnabled());
    window->popmniOpenWith->trigger();

    // The same name from another folder gets a file of its own.
    window->FillFileList(window->Session().ActiveVorn()->GetChildren(window->Session().ActiveVorn()->GetRootOffset()).front());
    SelectOnly(*window, "readme.txt");
    window->popmniOpenWith->trigger();
    ASSERT_EQ(m_seam.opened.size(), 2);
    EXPECT_TRUE(m_seam.reports.isEmpty() && m_seam.errors.isEmpty());
    const QString first = m_seam.opened[0].toLocalFile();
    const QString second = m_seam.opened[1].toLocalFile();
    EXPECT_NE(first, second);
    for (const QString &file : {first, second}) {
        EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("readme.txt"));
        EXPECT_TRUE(file.startsWith(window->TempFolder())) << file.toStdString();
        EXPECT_FALSE(QFile::permissions(file) & QFileDevice::WriteOwner) << "the copy goes at exit: not to be edited";
    }
    QFile root(first), inArt(second);
    ASSERT_TRUE(root.open(QIODevice::ReadOnly) && inArt.open(QIODevice::ReadOnly));
    EXPECT_EQ(root.readAll(), QByteArray("in the root"));
    EXPECT_EQ(inArt.readAll(), QByteArray("in art"));

    // The desktop can't open it: the user is told, and no copy stays.
    m_seam.openSucceeds = false;
    window->popmniOpenWith->trigger();
    ASSERT_EQ(m_seam.errors.size(), 1);
    EXPECT_TRUE(m_seam.errors.front().startsWith(QStringLiteral("Can't open \""))) << m_seam.errors.front().toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_seam.opened.back().toLocalFile()));

    window.reset();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(first).path()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(second).path()));
}
