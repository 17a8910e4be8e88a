// Long work in the main window: extraction on a worker thread with the
// failure box, the failure report, Cancel, and Test Archive with its marks.

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/BrowserSession.h"
#include "browser/FormMain.h"
#include "browser/TestArchiveActions.h"
#include "extract/FormExtractDialog.h"
#include "extract/FormFailureReport.h"
#include "extract/FormJobProgress.h"
#include "extract/JobRunner.h"
#include "tests/browser/BrowserFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <time.h>

namespace {

// Answers the target dialog (everything, with folder names, into `target`)
// and keeps what each failure report showed.
class TJobsSeam : public TRecordingSeam {
public:
    QString target;
    std::vector<QStringList> reports; // the paths of each report shown
    QString reportSummary;

    bool execDialog(QDialog &dialog) override
    {
        if (auto *extract = qobject_cast<TfrmExtractDialog *>(&dialog)) {
            extract->cbxPath->setEditText(target);
            extract->rbnExtractAll->setChecked(true);
            extract->chkUseFolderNames->setChecked(true);
            extract->Button1->click();
            return extract->result() == QDialog::Accepted;
        }
        if (auto *report = qobject_cast<TfrmFailureReport *>(&dialog)) {
            QStringList paths;
            for (int i = 0; i < report->lsvFailures->topLevelItemCount(); ++i)
                paths << report->lsvFailures->topLevelItem(i)->text(0);
            reports.push_back(paths);
            reportSummary = report->lblSummary->text();
            return true;
        }
        return false;
    }
};

FileSpec Damaged(const std::string &name)
{
    FileSpec spec{.name = name, .data = Bytes(100, 7), .format = DATAFORMAT_ZLIB};
    spec.crcOverride = 0x1234;
    return spec;
}

class FormMainJobsTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        TJobRunner::ProgressDelay = 0; // the progress window shows at once
    }
    std::unique_ptr<TfrmMain> MakeWindow()
    {
        auto window = std::make_unique<TfrmMain>(QStringList{}, &m_seam);
        window->CreateLongLivedDialogs();
        return window;
    }
    // An archive with `count` files of `size` bytes each in the root, "f00000" on.
    QString WriteFiles(const QString &name, int count, size_t size, uint16_t format = DATAFORMAT_RAW)
    {
        VornWriter writer;
        for (int i = 0; i < count; ++i)
            writer.addFile(0, {.name = QStringLiteral("f%1").arg(i, 5, 10, QLatin1Char('0')).toStdString(),
                               .data = Bytes(size, uint8_t(i)),
                               .format = format});
        return Write(writer, name);
    }

    TJobsSeam m_seam;
};

TEST_F(FormMainJobsTest, AnUnwritableTargetShowsOneBoxThenOneReportOfEveryFailure)
{
    auto window = MakeWindow();
    window->OpenFile(WriteFiles(QStringLiteral("many.vmres"), 1000, 10));
    QFile blocker(Path(QStringLiteral("plain-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_seam.target = Path(QStringLiteral("plain-file/out")); // no folder can be made below a file
    int boxes = 0;
    QString boxText;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        ++boxes;
        boxText = box->text();
        for (QAbstractButton *button : box->buttons())
            if (button->text() == QStringLiteral("Go On Without Asking"))
                button->click();
    });
    answer.start(5);
    window->tbnExtractClick();
    answer.stop();

    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(boxText.startsWith(QStringLiteral("Can't extract: ") + m_seam.target + QStringLiteral("/f00000\nError: ")))
        << boxText.toStdString();
    ASSERT_EQ(m_seam.reports.size(), 1u);
    ASSERT_EQ(m_seam.reports[0].size(), 1000);
    EXPECT_EQ(m_seam.reports[0].back(), m_seam.target + QStringLiteral("/f00999"));
    EXPECT_FALSE(window->Session().Busy());
}

// Cancel pressed while the run waits on an overwrite question: the file asked
// about is still written whole, nothing after it is.
class TCancellingQuestion : public IOverwriteQuestion {
public:
    int asked = 0;
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &) override
    {
        ++asked;
        TfrmJobProgress *progress = nullptr;
        for (int i = 0; i < 500 && !progress; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *shown = qobject_cast<TfrmJobProgress *>(widget); shown && shown->isVisible())
                    progress = shown;
        }
        if (progress)
            progress->btnCancel->click();
        return TOverwriteAnswer::Yes;
    }
};

class TCancelSeam : public TJobsSeam {
public:
    TCancellingQuestion question;
    IOverwriteQuestion *overwriteQuestion() override { return &question; }
};

TEST_F(FormMainJobsTest, CancelInTheMiddleLeavesOnlyWholeFiles)
{
    TCancelSeam seam;
    auto window = std::make_unique<TfrmMain>(QStringList{}, &seam);
    window->CreateLongLivedDialogs();
    const size_t size = 100000;
    window->OpenFile(WriteFiles(QStringLiteral("big.vmres"), 120, size, DATAFORMAT_ZLIB));
    seam.target = Path(QStringLiteral("out"));
    QDir().mkpath(seam.target);
    QFile existing(seam.target + QStringLiteral("/f00039"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    window->tbnExtractClick();

    EXPECT_EQ(seam.question.asked, 1);
    const QStringList files = FilesBelow(seam.target);
    ASSERT_EQ(files.size(), 40) << files.join(u' ').toStdString();
    EXPECT_EQ(files.back(), QStringLiteral("f00039"));
    for (int i = 0; i < files.size(); ++i) {
        QFile file(seam.target + u'/' + files[i]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(qsizetype(size), char(i))) << files[i].toStdString();
    }
    EXPECT_FALSE(window->Session().Busy());
}

TEST_F(FormMainJobsTest, TestArchiveReportsAndMarksExactlyTheDamagedEntries)
{
    VornWriter writer;
    writer.addFile(0, Damaged("bad1"));
    writer.addFile(0, {.name = "good1", .data = Bytes(50, 1), .format = DATAFORMAT_LZO});
    const auto sub = writer.addDir(0, "sub");
    writer.addFile(sub, Damaged("bad2"));
    writer.addFile(writer.addDir(sub, "deep"), Damaged("bad4"));
    writer.addDir(0, "sound");
    writer.addFile(0, {.name = "good2", .data = Bytes(50, 2), .format = DATAFORMAT_ZLIB});
    writer.addFile(0, Damaged("bad3"));
    auto window = MakeWindow();
    window->OpenFile(Write(writer, QStringLiteral("damaged.vmres")));
    TTestArchiveActions *test = window->TestArchive();
    window->actCloseUpdate();
    ASSERT_TRUE(test->actTestArchive->isEnabled());
    EXPECT_FALSE(test->mniSelectDamaged->isEnabled());
    test->actTestArchive->trigger();

    ASSERT_EQ(m_seam.reports.size(), 1u);
    EXPECT_EQ(m_seam.reports[0], (QStringList{QStringLiteral("bad1"), QStringLiteral("sub/bad2"),
                                              QStringLiteral("sub/deep/bad4"), QStringLiteral("bad3")}));
    EXPECT_TRUE(m_seam.reportSummary.startsWith(QStringLiteral("Checked 6 files"))) << m_seam.reportSummary.toStdString();
    TFileListModel *model = window->FileListModel();
    QStringList marked;
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data(TFileListModel::DamagedRole).toBool())
            marked << model->index(row, 0).data().toString();
    marked.sort();
    EXPECT_EQ(marked, (QStringList{QStringLiteral("bad1"), QStringLiteral("bad3")}));
    // A folder holding damaged entries at any depth is red with their count.
    QStringList red;
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data(Qt::ForegroundRole).isValid())
            red << model->index(row, 0).data().toString();
    red.sort();
    EXPECT_EQ(red, (QStringList{QStringLiteral("bad1"), QStringLiteral("bad3"), QStringLiteral("sub")}));
    const int subRow = int(std::find_if(model->Rows().begin(), model->Rows().end(),
                                        [](const TVornChildItem &row) { return row.Name == "sub"; })
                           - model->Rows().begin());
    EXPECT_EQ(model->index(subRow, TFileListModel::ColType).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Folder\nHolds 2 damaged entries"));

    ASSERT_TRUE(test->mniSelectDamaged->isEnabled());
    window->lsvMain->selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    test->mniSelectDamaged->trigger();
    QStringList selected;
    for (const QModelIndex &index : window->lsvMain->selectionModel()->selectedRows())
        selected << index.data().toString();
    selected.sort();
    EXPECT_EQ(selected, marked);

    window->CloseAllVorns();
    window->OpenFile(Path(QStringLiteral("damaged.vmres")));
    window->actCloseUpdate();
    EXPECT_FALSE(window->FileListModel()->index(0, 0).data(TFileListModel::DamagedRole).toBool());
    EXPECT_FALSE(test->mniSelectDamaged->isEnabled());
}

// The window's thread keeps running its timers while 50,000 files are
// written. What the program controls is how long the thread works without
// getting back to its event loop: the processor time it spends between two
// ticks. The wall-clock gap also holds the time a busy machine does not run
// the thread at all; both are printed for the benchmark notes.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

TEST_F(FormMainJobsTest, TheWindowKeepsRunningTimersDuringA50000FileExtraction)
{
    TJobRunner::ProgressDelay = 400;
    auto window = MakeWindow();
    window->OpenFile(WriteFiles(QStringLiteral("small.vmres"), 50000, 20));
    m_seam.target = Path(QStringLiteral("out"));
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longestGap = 0;
    double lastBusy = 0;
    double longestBusy = 0;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const double busy = ThreadSeconds();
        if (last >= 0) {
            longestGap = std::max(longestGap, now - last);
            longestBusy = std::max(longestBusy, busy - lastBusy);
        }
        last = now;
        lastBusy = busy;
        ++ticks;
    });
    clock.start();
    timer.start(10);
    window->tbnExtractClick();
    timer.stop();
    EXPECT_EQ(FilesBelow(m_seam.target).size(), 50000);
    std::printf("timer ticks: %d, longest gap: %lld ms, most processor time of the window's thread between two "
                "ticks: %.1f ms\n",
                ticks, static_cast<long long>(longestGap), longestBusy * 1000);
    EXPECT_GT(ticks, 10);
    EXPECT_LT(longestBusy, 0.1);
}

} // namespace
