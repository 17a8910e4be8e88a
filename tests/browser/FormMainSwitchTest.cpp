// Changing the active archive by every route the window offers (command
// line, open dialog, Reopen, collection, dropped files, the tree, closing),
// with archives of different shapes so that an entry offset of one archive is
// never valid in another. After each step the window must show exactly the
// active archive: no error, its caption, its node, its root folder's rows.

#include "archive/vmVornFile.h"
#include "browser/Collection.h"
#include "browser/FileListModel.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/History.h"
#include "platform/IniFile.h"
#include "settings/FormOptions.h"
#include "tests/browser/BrowserFixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

enum class Route { CommandLine, OpenDialog, Reopen, Collection, Drop };

struct Shape {
    QString name;
    QStringList rootRows; // in the list's default order
};

class FormMainSwitchTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter fold; // root: folder x holding b.txt
        fold.addFile(fold.addDir(0, "x"), FileSpec{.name = "b.txt", .data = TextBytes("b")});
        Write(fold, QStringLiteral("fold.vmres"));
        VornWriter flat; // root: one file
        flat.addFile(0, FileSpec{.name = "q.txt", .data = TextBytes("q")});
        Write(flat, QStringLiteral("flat.vmres"));
        WriteSample(QStringLiteral("deep.vmres"));
        m_shapes = {{QStringLiteral("fold.vmres"), {QStringLiteral("x")}},
                    {QStringLiteral("flat.vmres"), {QStringLiteral("q.txt")}},
                    {QStringLiteral("deep.vmres"),
                     {QStringLiteral("art"), QStringLiteral("sound"), QStringLiteral("readme.txt")}}};
    }

    std::unique_ptr<TfrmMain> MakeWindow(const QStringList &arguments = {})
    {
        auto window = std::make_unique<TfrmMain>(arguments, &m_seam);
        window->CreateLongLivedDialogs();
        return window;
    }

    const Shape &ShapeOf(const QString &name) const
    {
        return *std::find_if(m_shapes.begin(), m_shapes.end(), [&](const Shape &s) { return s.name == name; });
    }

    // Opens one archive by a route other than the command line and waits
    // until the archives read on workers are in the tree.
    void Open(TfrmMain &window, Route route, const QString &name)
    {
        StartOpen(window, route, name);
        window.Session().Opens().Wait();
    }

    void StartOpen(TfrmMain &window, Route route, const QString &name)
    {
        const QString path = Path(name);
        switch (route) {
        case Route::OpenDialog:
            m_seam.openAnswer = {path};
            window.mniOpenVorn->trigger();
            break;
        case Route::Reopen: {
            const int tag = int(window.History()->Paths().indexOf(path));
            ASSERT_GE(tag, 0);
            for (QAction *action : window.mniReopen->actions())
                if (!action->isSeparator() && action->data().toInt() == tag)
                    return action->trigger();
            FAIL() << "no Reopen entry for " << name.toStdString();
        }
        case Route::Collection: {
            const QString collection = Path(name + QStringLiteral(".vvc"));
            WriteCollection(collection, {path});
            window.RunCommand([&] { window.OpenFile(collection); });
            break;
        }
        case Route::Drop: {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &enter);
            ASSERT_TRUE(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &drop);
            break;
        }
        case Route::CommandLine:
            FAIL() << "the command line opens only at start-up";
        }
    }

    // Everything the window shows about its archives. `open`: newest first.
    void ExpectShows(const TfrmMain &window, const QStringList &open, const QString &step)
    {
        SCOPED_TRACE(step.toStdString());
        EXPECT_EQ(m_seam.errors, QStringList());
        EXPECT_EQ(m_seam.errorMessages, QStringList());
        QStringList nodes;
        for (int i = 0; i < window.trvFolders->topLevelItemCount(); ++i)
            nodes << window.trvFolders->topLevelItem(i)->text(0);
        EXPECT_EQ(nodes, open);
        ASSERT_EQ(window.Session().OpenVorns().size(), size_t(open.size()));
        const TFileListModel *model = window.FileListModel();
        if (open.isEmpty()) {
            EXPECT_EQ(window.windowTitle(), QStringLiteral("VornViewer"));
            EXPECT_EQ(window.Session().ActiveVorn(), nullptr);
            EXPECT_EQ(model->rowCount(), 0);
            EXPECT_EQ(window.Session().CurrentFolder(), 0u);
            return;
        }
        const QString active = open.first();
        EXPECT_EQ(window.windowTitle(), QStringLiteral("VornViewer - [") + Path(active) + u']');
        ASSERT_NE(window.Session().ActiveVorn(), nullptr);
        EXPECT_EQ(QString::fromStdString(window.Session().ActiveVorn()->FileName()), Path(active));
        EXPECT_EQ(window.ActiveRootNode(), window.trvFolders->topLevelItem(0));
        EXPECT_EQ(window.trvFolders->currentItem(), window.ActiveRootNode());
        EXPECT_EQ(window.Session().CurrentFolder(), window.Session().ActiveVorn()->GetRootOffset());
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->data(model->index(row, 0)).toString();
        EXPECT_EQ(rows, ShapeOf(active).rootRows);
        EXPECT_EQ(window.lblVornPath->text(), active + u'\\');
    }

    // Selects the node of a folder of the archive when it has one, else the
    // archive's own node, as a user does before closing it from the tree.
    static void SelectInTree(TfrmMain &window, const QString &name)
    {
        for (int i = 0; i < window.trvFolders->topLevelItemCount(); ++i) {
            QTreeWidgetItem *top = window.trvFolders->topLevelItem(i);
            if (top->text(0) == name)
                window.trvFolders->setCurrentItem(top->childCount() > 0 ? top->child(0) : top);
        }
    }

    // Closes the archives in `order`, each selected in the tree first and
    // closed with Ctrl+F4; the newest remaining one then shows.
    void CloseInOrder(TfrmMain &window, QStringList open, const QStringList &order)
    {
        for (const QString &name : order) {
            SelectInTree(window, name);
            EXPECT_EQ(QString::fromStdString(window.Session().ActiveVorn()->FileName()), Path(name));
            Trigger(window, window.actClose);
            open.removeOne(name);
            ExpectShows(window, open, QStringLiteral("closed ") + name);
        }
    }

    // A command as the user reaches it: enabled by the idle-time rules first.
    static void Trigger(TfrmMain &window, QAction *action)
    {
        window.actCloseUpdate();
        ASSERT_TRUE(action->isEnabled()) << action->text().toStdString();
        action->trigger();
    }

    TRecordingSeam m_seam;
    std::vector<Shape> m_shapes;
};

TEST_F(FormMainSwitchTest, EveryRouteAndOrderShowsOnlyTheActiveArchive)
{
    QStringList names{QStringLiteral("deep.vmres"), QStringLiteral("flat.vmres"), QStringLiteral("fold.vmres")};
    int permutation = 0;
    do {
        for (const Route route : {Route::CommandLine, Route::OpenDialog, Route::Reopen, Route::Collection, Route::Drop}) {
            SCOPED_TRACE(names.join(u',').toStdString() + " route " + std::to_string(int(route)));
            QStringList open; // newest first
            std::unique_ptr<TfrmMain> window;
            for (int i = 0; i < names.size(); ++i) {
                open.prepend(names[i]);
                if (route == Route::CommandLine) {
                    QStringList paths;
                    for (int j = 0; j <= i; ++j)
                        paths << Path(names[j]);
                    window = MakeWindow(paths);
                } else {
                    if (!window) {
                        window = MakeWindow();
                        for (const QString &name : names)
                            window->AddToHistory(Path(name));
                    }
                    Open(*window, route, names[i]);
                }
                ExpectShows(*window, open, QStringLiteral("opened ") + names[i]);
            }
            // Reaching an open archive again makes it active with its root listed.
            if (route != Route::CommandLine) {
                window->trvFolders->setCurrentItem(window->trvFolders->topLevelItem(0)->child(0));
                Open(*window, route, names[0]);
                EXPECT_EQ(window->ActiveRootNode(), window->trvFolders->topLevelItem(2));
                EXPECT_EQ(window->Session().ActiveVorn(), window->Session().OpenVorns().front().get());
                EXPECT_EQ(window->Session().CurrentFolder(), window->Session().ActiveVorn()->GetRootOffset());
                EXPECT_TRUE(m_seam.errors.isEmpty());
            }
            // Close in another order each time: all six orders are used.
            QStringList closing = names;
            for (int k = 0; k <= (permutation + int(route)) % 6; ++k)
                std::next_permutation(closing.begin(), closing.end());
            CloseInOrder(*window, open, closing);
            if (HasFailure())
                return;
        }
        ++permutation;
    } while (std::next_permutation(names.begin(), names.end()));
}

TEST_F(FormMainSwitchTest, CloseKeysAndCloseAllLeaveNothingBehind)
{
    auto window = MakeWindow({Path(QStringLiteral("fold.vmres")), Path(QStringLiteral("flat.vmres")),
                              Path(QStringLiteral("deep.vmres"))});
    // A folder of the newest archive is listed when Ctrl+F4 closes it.
    window->trvFolders->setCurrentItem(window->trvFolders->topLevelItem(0)->child(0));
    Trigger(*window, window->actClose);
    ExpectShows(*window, {QStringLiteral("flat.vmres"), QStringLiteral("fold.vmres")}, QStringLiteral("Ctrl+F4"));
    Trigger(*window, window->actCloseAll);
    ExpectShows(*window, {}, QStringLiteral("Close All"));
    window->RunCommand([&] { window->OpenFile(Path(QStringLiteral("fold.vmres"))); });
    ExpectShows(*window, {QStringLiteral("fold.vmres")}, QStringLiteral("open after Close All"));
}

TEST_F(FormMainSwitchTest, TheOpenFolderIsRememberedWithItsTrailingSeparator)
{
    {
        auto window = MakeWindow();
        m_seam.openAnswer = {Path(QStringLiteral("flat.vmres"))};
        window->mniOpenVorn->trigger();
        window->Session().Opens().Wait();
        EXPECT_EQ(window->Options()->GetStartupDir(), m_dir.path() + u'/');
        window->close();
    }
    const TIniFile ini(m_dir.filePath(QStringLiteral("VornViewer.ini")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Folders"), QStringLiteral("Open"), QString()), m_dir.path() + u'/');
}

} // namespace
