// The target dialog, the overwrite dialog, the GUI's answers to the engine
// and the Extract command around one run (offscreen; the modal dialogs are
// answered through the command's seams or by a timer).

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"
#include "extract/BusyFlag.h"
#include "extract/ExtractCommand.h"
#include "extract/FormExtractDialog.h"
#include "extract/FormOverwriteDlg.h"
#include "extract/GuiExtractFeedback.h"
#include "extract/JobRunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace {

QString Q(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

// Runs `action` on the modal dialog that the next call opens.
template <class Dialog, class Action>
void OnNextModal(Action action)
{
    QTimer::singleShot(0, [action] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(*dialog);
    });
}

TEST(FormExtractDialog, PreselectionFollowsTheList)
{
    EXPECT_EQ(TfrmExtractDialog::Preselection(true, true), esSelected);
    EXPECT_EQ(TfrmExtractDialog::Preselection(false, true), esAll);
    EXPECT_EQ(TfrmExtractDialog::Preselection(false, false), esCurrentDir);
}

TEST(FormExtractDialog, EnterInThePathBoxConfirmsWhatTheControlsShow)
{
    TScratchFolder scratch;
    TfrmExtractDialog dialog;
    EXPECT_TRUE(dialog.chkUseFolderNames->isChecked());
    EXPECT_TRUE(dialog.rbnExtractAll->isChecked());
    dialog.SetFolder(Q(scratch.path()));
    dialog.show();
    EXPECT_EQ(dialog.cbxPath->currentText(), Q(scratch.path()));

    dialog.SetFileSelection(esCurrentDir);
    dialog.chkUseFolderNames->setChecked(false);
    dialog.cbxPath->lineEdit()->setFocus();
    dialog.cbxPath->setEditText(QStringLiteral("/typed/path"));
    QTest::keyClick(dialog.cbxPath->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Path(), QStringLiteral("/typed/path"));
    EXPECT_EQ(dialog.Options().FolderMode, fnNone);
    EXPECT_EQ(dialog.Options().OverwriteMode, owAsk);
    EXPECT_EQ(dialog.Options().FileSelection, esCurrentDir);
    EXPECT_EQ(dialog.cbxPath->count(), 0); // the list stays empty

    // The keypad's Enter confirms like Return, from any control, even the focused Cancel button.
    TfrmExtractDialog keypad;
    keypad.show();
    keypad.cbxPath->setEditText(QStringLiteral("/keypad/path"));
    keypad.Button2->setFocus();
    QTest::keyClick(keypad.Button2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(keypad.result(), QDialog::Accepted);
    EXPECT_EQ(keypad.Path(), QStringLiteral("/keypad/path"));
}

TEST(FormExtractDialog, TheTreeFollowsTheFolderAndFillsThePath)
{
    TScratchFolder scratch;
    fs::create_directories(scratch.path() / "sub");
    TfrmExtractDialog dialog;
    dialog.SetFolder(Q(scratch.path() / "missing" / "deeper"));
    EXPECT_EQ(dialog.TreePath(), Q(scratch.path()));
    dialog.show();
    EXPECT_EQ(dialog.cbxPath->currentText(), Q(scratch.path() / "missing" / "deeper"));

    dialog.ShellTree->setCurrentIndex(dialog.ShellModel->index(Q(scratch.path() / "sub")));
    EXPECT_EQ(dialog.cbxPath->currentText(), Q(scratch.path() / "sub"));
    dialog.Button2->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Path().isEmpty());
}

TEST(FormOverwriteDlg, LabelsDescribeBothFiles)
{
    TfrmOverwriteDlg dialog;
    TOverwriteQuestion question;
    question.ExistingPath = "/some/folder/f1.txt";
    question.ExistingSize = 1234567;
    question.EntrySize = 2048;
    question.EntryTime = MakeFileTime(2020, 5, 6, 7, 8, 10);
    dialog.SetQuestion(question);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Overwrite existing file?"));
    EXPECT_EQ(dialog.lblCaption->text(), QStringLiteral("f1.txt already exists."));
    EXPECT_EQ(dialog.lblText1->text(), QStringLiteral("Do you want to replace the existing file:"));
    EXPECT_EQ(dialog.lblEntry1->text(), QStringLiteral("1234567\n???"));
    EXPECT_EQ(dialog.lblText2->text(), QStringLiteral("with this one?"));
    EXPECT_EQ(dialog.lblEntry2->text(), QString::fromStdString(SizeToStr(2048) + "\n" + FileTimeToStr(question.EntryTime)));
    EXPECT_TRUE(ExistingFileText(5, std::time_t(1'000'000'000)).startsWith(QStringLiteral("5\n")));
    EXPECT_FALSE(ExistingFileText(5, std::time_t(1'000'000'000)).contains(QStringLiteral("???")));
}

TEST(FormOverwriteDlg, EachButtonGivesItsAnswerAndClosingSaysNo)
{
    const std::vector<std::pair<QPushButton *TfrmOverwriteDlg::*, TOverwriteAnswer>> buttons = {
        {&TfrmOverwriteDlg::btnYes, TOverwriteAnswer::Yes},
        {&TfrmOverwriteDlg::btnNo, TOverwriteAnswer::No},
        {&TfrmOverwriteDlg::btnYesToAll, TOverwriteAnswer::YesToAll},
        {&TfrmOverwriteDlg::btnNoToAll, TOverwriteAnswer::NoToAll},
        {&TfrmOverwriteDlg::btnOnlyOlder, TOverwriteAnswer::OnlyOlder},
    };
    const QStringList captions = {QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Yes to &All"),
                                  QStringLiteral("No &to All"), QStringLiteral("&Only Older")};
    for (size_t i = 0; i < buttons.size(); ++i) {
        TfrmOverwriteDlg dialog;
        EXPECT_EQ((dialog.*buttons[i].first)->text(), captions[int(i)]);
        (dialog.*buttons[i].first)->click();
        EXPECT_EQ(dialog.Answer(), buttons[i].second);
    }
    // Through the real modal question: a button, then the close box.
    TGuiExtractFeedback feedback(nullptr);
    OnNextModal<TfrmOverwriteDlg>([](TfrmOverwriteDlg &dialog) { dialog.btnOnlyOlder->click(); });
    EXPECT_EQ(feedback.AskOverwrite({}), TOverwriteAnswer::OnlyOlder);
    OnNextModal<TfrmOverwriteDlg>([](TfrmOverwriteDlg &dialog) { dialog.close(); });
    EXPECT_EQ(feedback.AskOverwrite({}), TOverwriteAnswer::No);
}

TEST(GuiExtractFeedback, EachFailureGetsAMessageBox)
{
    TGuiExtractFeedback feedback(nullptr);
    QString shown;
    OnNextModal<QMessageBox>([&shown](QMessageBox &box) {
        shown = box.windowTitle() + QLatin1Char('|') + box.text();
        box.accept();
    });
    feedback.ReportFailure({"/t/x.txt", "CRC-32 differs from header"});
    EXPECT_EQ(shown, QStringLiteral("VornViewer|Can't extract: /t/x.txt\nError: CRC-32 differs from header"));
}

// The Extract command with the dialog and the questions answered by the test.
class ExtractCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornWriter writer;
        writer.addFile(0, TextFile("top.txt", "top"));
        const auto a = writer.addDir(0, "a");
        const auto x = writer.addFile(a, TextFile("x.txt", "x"));
        vorn = BuildArchive(writer, scratch.path() / "test.vmres");
        aOffset = writer.entryOffset(a);
        xOffset = writer.entryOffset(x);
        target = scratch.path() / "out";
        hooks.GetExtractDir = [this] { return Q(scratch.path()); };
        hooks.SetLastExtractDir = [this](const QString &folder) { lastExtractDir = folder; };
        busy.SetOnChange([this](bool now) { busyChanges.push_back(now); });
        hooks.Busy = &busy;
        hooks.ShowStatus = [this](const QString &text) {
            statusTexts.push_back(text);
            if (!text.isEmpty())
                cursorDuringRun = QApplication::overrideCursor() != nullptr;
        };
        hooks.ShowDialog = [this](TfrmExtractDialog &shown) {
            preselected = shown.rbnExtractSelected->isChecked()  ? esSelected
                          : shown.rbnCurrentDir->isChecked() ? esCurrentDir
                                                             : esAll;
            shown.cbxPath->setEditText(Q(target));
            if (!confirm)
                return false;
            shown.Button1->click();
            return true;
        };
        hooks.Question = &recorder;
        hooks.Report = &recorder;
    }

    TScratchFolder scratch;
    std::unique_ptr<TVornFile> vorn;
    TEntryOffset aOffset = 0, xOffset = 0;
    fs::path target;
    TBusyFlag busy;
    TExtractHooks hooks;
    TRecorder recorder;
    TfrmExtractDialog dialog;
    bool confirm = true;
    TFileSelection preselected = esAll;
    QString lastExtractDir;
    std::vector<bool> busyChanges;
    QStringList statusTexts;
    bool cursorDuringRun = false;
};

TEST_F(ExtractCommand, ARunSetsBusyShowsStatusAndRemembersTheFolder)
{
    ASSERT_TRUE(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks));
    EXPECT_EQ(preselected, esSelected);
    EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"a/x.txt", "x"}}));
    EXPECT_EQ(statusTexts, (QStringList{QStringLiteral("Extracting x.txt"), QString()}));
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(cursorDuringRun);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(lastExtractDir, Q(target));
    EXPECT_FALSE(busy.Busy());
}

// Stands in for the PNG conversion: claims every ".txt" file.
class TRenamer : public IFileConverter {
public:
    bool Claims(const std::string &name) const override { return name.ends_with(".txt"); }
    std::string ConvertedName(const std::string &name) const override { return name + ".png"; }
    std::optional<TFileBuffer> Convert(const std::string &, const TFileBuffer &) const override
    {
        return TFileBuffer(0);
    }
};

TEST_F(ExtractCommand, ConvertImagesToPngIsOffUntilChecked)
{
    const TRenamer renamer;
    hooks.PngConversion = &renamer;
    EXPECT_FALSE(dialog.chkConvertToPng->isChecked());
    ASSERT_TRUE(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks));
    EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"a/x.txt", "x"}}));

    dialog.chkConvertToPng->setChecked(true);
    ASSERT_TRUE(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks));
    EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"a/x.txt", "x"}, {"a/x.txt.png", ""}}));
}

TEST_F(ExtractCommand, PreselectionAndCancel)
{
    confirm = false;
    EXPECT_FALSE(RunExtraction(nullptr, dialog, *vorn, vorn->GetRootOffset(), {}, hooks));
    EXPECT_EQ(preselected, esAll);
    EXPECT_FALSE(RunExtraction(nullptr, dialog, *vorn, aOffset, {}, hooks));
    EXPECT_EQ(preselected, esCurrentDir);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(busyChanges.empty());
    EXPECT_TRUE(lastExtractDir.isEmpty());
}

TEST_F(ExtractCommand, ASecondStartDuringARunIsRefused)
{
    bool innerStarted = true;
    hooks.ShowStatus = [&](const QString &text) {
        if (!text.isEmpty())
            innerStarted = RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks);
    };
    ASSERT_TRUE(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks));
    EXPECT_FALSE(innerStarted);
}

TEST_F(ExtractCommand, AJobStartedWhileTheDialogIsOpenKeepsTheRunFromStarting)
{
    // A job that begins while the dialog waits (the late drop of an earlier
    // drag-out, rendered from the dialog's event loop) goes first.
    std::optional<TBusyFlag::TScope> other;
    const auto show = hooks.ShowDialog;
    hooks.ShowDialog = [&](TfrmExtractDialog &shown) {
        other.emplace(busy);
        return show(shown);
    };
    EXPECT_FALSE(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(lastExtractDir.isEmpty());
}

TEST_F(ExtractCommand, AnErrorThatEndsTheRunStillClearsBusy)
{
    target.clear(); // an empty path
    EXPECT_THROW(RunExtraction(nullptr, dialog, *vorn, aOffset, {xOffset}, hooks), Exception);
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(lastExtractDir.isEmpty());
    EXPECT_FALSE(busy.Busy());
}

// Asked to end (a signal), the program cancels the job that runs; one that
// has ended is no longer reachable.
TEST(JobRunner, CancelRunningJobReachesOnlyTheJobThatRuns)
{
    TJob job;
    TJobRunner runner(nullptr, job, QStringLiteral("Test"));
    QTimer::singleShot(20, [] { TJobRunner::CancelRunningJob(); });
    runner.Run([&] {
        while (!job.Cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    EXPECT_TRUE(job.Cancelled());

    TJob next;
    TJobRunner nextRunner(nullptr, next, QStringLiteral("Test"));
    nextRunner.Run([] {});
    TJobRunner::CancelRunningJob();
    EXPECT_FALSE(next.Cancelled());
}

TEST_F(ExtractCommand, DragOutWritesTheItemsWithTheirSubfoldersAndReplacesSilently)
{
    WriteText(target / "top.txt", "old");
    const TEntryOffset top = vorn->GetChildren(vorn->GetRootOffset()).at(0);
    ASSERT_TRUE(ExtractForDragOut(nullptr, *vorn, vorn->GetRootOffset(), {top, aOffset}, Q(target), hooks));
    EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"top.txt", "top"}, {"a/x.txt", "x"}}));
    EXPECT_TRUE(recorder.questions.empty());
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
