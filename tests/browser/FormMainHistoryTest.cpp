// The main window's recent-files menu, collections and info dialogs, driven
// through the window itself.

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/FormProperties.h"
#include "browser/FormVornProperties.h"
#include "browser/History.h"
#include "tests/browser/BrowserFixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QItemSelectionModel>
#include <QFile>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

class FormMainHistoryTest : public BrowserTest {
protected:
    std::unique_ptr<TfrmMain> MakeWindow()
    {
        auto window = std::make_unique<TfrmMain>(QStringList{}, &m_seam);
        window->CreateLongLivedDialogs();
        return window;
    }

    // Runs `check` on the next modal dialog, then closes it with `accept`.
    static void OnNextModal(std::function<void(QDialog *)> check, bool accept = true)
    {
        QTimer::singleShot(0, [check, accept] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            check(dialog);
            accept ? dialog->accept() : dialog->reject();
        });
    }

    static QStringList ReopenCaptions(const TfrmMain &window)
    {
        QStringList captions;
        for (QAction *action : window.mniReopen->actions())
            if (!action->isSeparator())
                captions << action->text();
        return captions;
    }

    TRecordingSeam m_seam;
};

TEST_F(FormMainHistoryTest, OpensAreRememberedAcrossRunsAndOfferedInReopen)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b & c.vmres"));
    {
        auto window = MakeWindow();
        EXPECT_FALSE(window->mniReopen->menuAction()->isEnabled());
        window->OpenFile(a);
        window->OpenFile(b);
        window->OpenFile(a); // already open: reselected, history unchanged
        EXPECT_EQ(window->History()->Paths(), (QStringList{b, a}));
        EXPECT_TRUE(window->mniReopen->menuAction()->isEnabled());
        EXPECT_EQ(ReopenCaptions(*window).size(), 3); // two paths and "Clear History"
        EXPECT_TRUE(ReopenCaptions(*window).first().contains(QStringLiteral("b && c.vmres")));
        window->close();
    }
    auto again = MakeWindow();
    EXPECT_EQ(again->History()->Paths(), (QStringList{b, a}));
    EXPECT_TRUE(again->Session().OpenVorns().empty());
}

TEST_F(FormMainHistoryTest, SavedCollectionReopensItsArchivesWithTheLastOneActive)
{
    const QString a = WriteSample(QStringLiteral("a.vmres"));
    const QString b = WriteSample(QStringLiteral("b.vmres"));
    const QString collection = Path(QStringLiteral("set.vvc"));
    auto window = MakeWindow();
    window->OpenFile(a);
    window->OpenFile(b);
    m_seam.saveAnswer = collection;
    OnNextModal([](QDialog *) {});
    window->mniSaveVVCClick();
    QFile file(collection);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (a + QStringLiteral("\r\n") + b + QStringLiteral("\r\n")).toUtf8());

    window->CloseAllVorns();
    window->OpenFile(collection);
    ASSERT_EQ(window->Session().OpenVorns().size(), 2u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VornViewer - [") + b + QStringLiteral("]"));
    EXPECT_EQ(window->History()->Paths().first(), collection);
}

TEST_F(FormMainHistoryTest, SaveCancelledInTheSaveDialogWritesNothing)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    m_seam.saveAnswer.clear();
    window->mniSaveVVCClick();
    EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("*.vvc")}).isEmpty());
}

TEST_F(FormMainHistoryTest, InfoAndPropertiesDialogsShowTheActiveArchive)
{
    auto window = MakeWindow();
    window->OpenFile(WriteSample(QStringLiteral("a.vmres")));
    bool infoShown = false;
    OnNextModal([&](QDialog *dialog) { infoShown = qobject_cast<TfrmVornProperties *>(dialog) != nullptr; });
    window->ornInfo1Click();
    EXPECT_TRUE(infoShown);

    // Properties of the one selected row: the file readme.txt.
    TFileListModel *model = window->FileListModel();
    int row = 0;
    while (row < model->rowCount() && model->data(model->index(row, 0)).toString() != QStringLiteral("readme.txt"))
        ++row;
    ASSERT_LT(row, model->rowCount());
    window->lsvMain->selectionModel()->select(model->index(row, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QStringList values;
    OnNextModal([&](QDialog *dialog) {
        auto *table = dialog->findChild<QTableWidget *>();
        ASSERT_NE(table, nullptr);
        for (int r = 0; r < table->rowCount(); ++r)
            values << table->item(r, 1)->text();
    });
    window->popmniPropertiesClick();
    EXPECT_TRUE(values.contains(QStringLiteral("readme.txt"))) << values.join(u'|').toStdString();
}

} // namespace
