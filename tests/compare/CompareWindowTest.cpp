// The comparison window headless on archives written by the test writer:
// the model's tree, flat list, filters and sorting; viewing, extracting the
// patch and saving the report; the main window's Compare command.

#include "tests/browser/BrowserFixture.h"

#include "browser/FormMain.h"
#include "compare/CompareModel.h"
#include "compare/FormCompare.h"
#include "compare/FormCompareChoose.h"
#include "compare/FormCompareHex.h"
#include "engines/CompareReport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {

using Texts = std::vector<std::string>;

Texts Names(const QStringList &list)
{
    Texts names;
    for (const QString &name : list)
        names.push_back(name.toStdString());
    return names;
}

// Answers the overwrite question by trying to close the window, clicking
// Cancel in it, then No.
class TCancellingQuestion : public IOverwriteQuestion {
public:
    QWidget *window = nullptr;
    QPushButton *cancel = nullptr;
    int asked = 0;
    bool closed = false;
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &) override
    {
        ++asked;
        closed = window->close();
        cancel->click();
        return TOverwriteAnswer::No;
    }
};

// Accepts every dialog as it was filled in.
class TAcceptingSeam : public TRecordingSeam {
public:
    bool execDialog(QDialog &) override { return true; }
};

QString ReadFileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

class CompareWindowTest : public BrowserTest {
protected:
    // A: keep.txt, old.txt, art/pic.bmp, art/same.txt
    // B: keep.txt, new.txt, art/pic.bmp (changed), art/same.txt, sound/s.wav
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter a, b;
        a.addFile(0, {.name = "keep.txt", .data = TextBytes("keep")});
        a.addFile(0, {.name = "old.txt", .data = TextBytes("old")});
        const auto artA = a.addDir(0, "art");
        a.addFile(artA, {.name = "pic.bmp", .data = TextBytes("pixels A")});
        a.addFile(artA, {.name = "same.txt", .data = TextBytes("same")});
        b.addFile(0, {.name = "keep.txt", .data = TextBytes("keep")});
        b.addFile(0, {.name = "new.txt", .data = TextBytes("brand new text")});
        const auto artB = b.addDir(0, "art");
        b.addFile(artB, {.name = "pic.bmp", .data = TextBytes("pixels B!"), .format = DATAFORMAT_ZLIB});
        b.addFile(artB, {.name = "same.txt", .data = TextBytes("same")});
        b.addFile(b.addDir(0, "sound"), {.name = "s.wav", .data = TextBytes("wave")});
        pathA = Write(a, QStringLiteral("a.vmres"));
        pathB = Write(b, QStringLiteral("b.vmres"));
    }

    std::unique_ptr<TfrmCompare> MakeWindow(TCompareHooks hooks = {})
    {
        hooks.ShowError = [this](const QString &text) { errors << text; };
        return std::make_unique<TfrmCompare>(pathA, pathB, std::move(hooks));
    }
    static Texts Column(const QAbstractItemModel &model, int column, const QModelIndex &parent = {})
    {
        Texts texts;
        for (int row = 0; row < model.rowCount(parent); ++row)
            texts.push_back(model.index(row, column, parent).data().toString().toStdString());
        return texts;
    }
    QModelIndex Find(const TCompareModel &model, const QString &path) const
    {
        const TCompareResult &result = *model.Result();
        for (uint32_t i = 0; i < result.Items.size(); ++i)
            if (QString::fromStdString(TCompareReport::DisplayPath(result, i)) == path)
                return model.IndexOfItem(i);
        return {};
    }

    QString pathA, pathB;
    QStringList errors;
};

TEST_F(CompareWindowTest, TreeFlatListFiltersAndSorting)
{
    auto window = MakeWindow();
    TCompareModel &model = *window->Model();
    QAbstractItemModelTester tester(&model);
    EXPECT_EQ(Column(model, TCompareModel::colName), (Texts{"art", "sound", "keep.txt", "new.txt", "old.txt"}));
    EXPECT_EQ(Column(model, TCompareModel::colState),
              (Texts{"Changed", "Only in B", "Same", "Only in B", "Only in A"}));
    const QModelIndex art = model.index(0, 0);
    EXPECT_EQ(Column(model, TCompareModel::colName, art), (Texts{"pic.bmp", "same.txt"}));
    EXPECT_EQ(model.parent(model.index(1, 0, art)), art);
    EXPECT_TRUE(window->lblSummary->text().startsWith(
        QStringLiteral("Only in A: 1 file, 3 bytes; Only in B: 2 files, 18 bytes; Changed: 1 file, 8 -> 9 bytes")));

    // Hiding "Same" keeps the folder whose contents changed, without its same file.
    window->chkStates[size_t(TCompareState::Same)]->setChecked(false);
    EXPECT_EQ(Column(model, TCompareModel::colName), (Texts{"art", "sound", "new.txt", "old.txt"}));
    EXPECT_EQ(Column(model, TCompareModel::colName, model.index(0, 0)), Texts{"pic.bmp"});
    window->chkStates[size_t(TCompareState::Changed)]->setChecked(false);
    EXPECT_EQ(Column(model, TCompareModel::colName), (Texts{"sound", "new.txt", "old.txt"}));
    // A hidden folder state still shows the folder when something below it is shown.
    window->chkStates[size_t(TCompareState::Same)]->setChecked(true);
    EXPECT_EQ(Column(model, TCompareModel::colName), (Texts{"art", "sound", "keep.txt", "new.txt", "old.txt"}));
    EXPECT_EQ(Column(model, TCompareModel::colName, model.index(0, 0)), Texts{"same.txt"});

    // Flat: paths, no folder that exists on both sides; sorted by a column.
    window->chkTree->setChecked(false);
    window->chkStates[size_t(TCompareState::Changed)]->setChecked(true);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Path"));
    EXPECT_EQ(Column(model, TCompareModel::colName),
              (Texts{"art/pic.bmp", "art/same.txt", "keep.txt", "new.txt", "old.txt", "sound/", "sound/s.wav"}));
    window->tvwItems->setCurrentIndex(Find(model, QStringLiteral("new.txt")));
    window->tvwItems->sortByColumn(TCompareModel::colSizeB, Qt::DescendingOrder);
    EXPECT_EQ(Column(model, TCompareModel::colSizeB), (Texts{"14", "9", "4", "4", "4", "", ""}));
    const Texts names = Column(model, TCompareModel::colName);
    EXPECT_EQ(Texts(names.begin() + 2, names.begin() + 5), (Texts{"sound/s.wav", "keep.txt", "art/same.txt"}));
    EXPECT_EQ(window->tvwItems->currentIndex(), Find(model, QStringLiteral("new.txt"))); // moved to its new row

    // a-z sort as A-Z, so "_" (between "Z" and "a") comes after every letter;
    // a file without a stored CRC-32 shows none.
    auto made = std::make_shared<TCompareResult>();
    made->Items.push_back({.Name = "_old.txt", .EntryA = 8});
    made->Items.push_back({.Name = "zone.txt", .EntryA = 9, .Crc32A = 0x1234ABCD});
    made->Items.push_back({.Name = "Zed.txt", .EntryA = 10});
    TCompareModel byName;
    byName.SetResult(made);
    EXPECT_EQ(Column(byName, TCompareModel::colName), (Texts{"Zed.txt", "zone.txt", "_old.txt"}));
    EXPECT_EQ(Column(byName, TCompareModel::colCrcA), (Texts{"", "1234ABCD", ""}));
}

TEST_F(CompareWindowTest, ViewsExtractsThePatchAndSavesTheReport)
{
    QString target = Path(QStringLiteral("patch"));
    QString report;
    auto window = MakeWindow({.ChooseTargetFolder = [&] { return target; }, .ChooseReportFile = [&] { return report; }});
    TCompareModel &model = *window->Model();

    // Viewing B's side of a text file opens the text viewer on B's bytes.
    window->tvwItems->setCurrentIndex(Find(model, QStringLiteral("new.txt")));
    EXPECT_FALSE(window->btnViewA->isEnabled());
    EXPECT_FALSE(window->btnHex->isEnabled());
    ASSERT_TRUE(window->btnViewB->isEnabled());
    window->btnViewB->click();
    QWidget *viewer = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("frmViewerText") && widget->windowTitle().contains(QStringLiteral("new.txt")))
            viewer = widget;
    ASSERT_NE(viewer, nullptr);
    delete viewer;

    // Both sides of a changed file side by side: the first difference is byte 7.
    window->tvwItems->setCurrentIndex(Find(model, QStringLiteral("art/pic.bmp")));
    ASSERT_TRUE(window->btnHex->isEnabled());
    window->btnHex->click();
    auto *hex = window->findChild<TfrmCompareHex *>();
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(hex->windowTitle(), QStringLiteral("art/pic.bmp - Hex A and B"));
    EXPECT_TRUE(hex->NextDifference());
    EXPECT_EQ(hex->SelectedOffset(), 7);
    delete hex;

    QDir().mkpath(target);
    window->btnExtract->click();
    EXPECT_EQ(ReadFileText(target + QStringLiteral("/new.txt")), QStringLiteral("brand new text"));
    EXPECT_EQ(ReadFileText(target + QStringLiteral("/art/pic.bmp")), QStringLiteral("pixels B!"));
    EXPECT_EQ(ReadFileText(target + QStringLiteral("/sound/s.wav")), QStringLiteral("wave"));
    EXPECT_EQ(Names(QDir(target).entryList(QDir::Files)), Texts{"new.txt"}); // keep.txt and old.txt are not part of it
    EXPECT_EQ(Names(QDir(target + QStringLiteral("/art")).entryList(QDir::Files)), Texts{"pic.bmp"});
    EXPECT_EQ(window->lblStatus->text(), QStringLiteral("3 files extracted to %1, 0 skipped, 0 failed").arg(target));

    // Cancelled at the first file's overwrite question: nothing after it is written.
    TCancellingQuestion question;
    target = Path(QStringLiteral("cancelled"));
    QDir().mkpath(target + QStringLiteral("/art"));
    QFile(target + QStringLiteral("/art/pic.bmp")).open(QIODevice::WriteOnly);
    auto cancelled = MakeWindow({.ChooseTargetFolder = [&] { return target; }, .Question = &question});
    question.window = cancelled.get();
    question.cancel = cancelled->btnCancel;
    cancelled->btnExtract->click();
    EXPECT_EQ(question.asked, 1);
    EXPECT_FALSE(question.closed); // the window stays while it extracts
    EXPECT_EQ(Names(QDir(target).entryList(QDir::Files)), Texts{});
    EXPECT_EQ(cancelled->lblStatus->text(), QStringLiteral("Cancelled: 0 files extracted to %1, 1 skipped, 0 failed").arg(target));
    EXPECT_TRUE(cancelled->btnExtract->isEnabled());
    EXPECT_TRUE(cancelled->btnCancel->isHidden());

    window->chkStates[size_t(TCompareState::Same)]->setChecked(false);
    report = Path(QStringLiteral("report.csv"));
    window->btnSave->click();
    const TCompareReport expected(*model.Result(), window->ArchiveA().FileName(), window->ArchiveB().FileName());
    TCompareReport::TStateSet shown{true, true, true, true, true};
    shown[size_t(TCompareState::Same)] = false;
    EXPECT_EQ(ReadFileText(report), QString::fromStdString(expected.Csv(shown)));
    report = Path(QStringLiteral("report.txt"));
    window->btnSave->click();
    EXPECT_EQ(ReadFileText(report), QString::fromStdString(expected.Text(shown)));
    report = Path(QStringLiteral("no/such/folder/report.txt"));
    window->btnSave->click();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot write ") + report));

    // Extract is offered for changed files alone, and not when B adds and changes nothing.
    VornWriter changed;
    changed.addFile(0, {.name = "keep.txt", .data = TextBytes("KEEP")});
    pathB = Write(changed, QStringLiteral("changed.vmres"));
    EXPECT_TRUE(MakeWindow()->btnExtract->isEnabled());
    pathB = pathA;
    EXPECT_FALSE(MakeWindow()->btnExtract->isEnabled());
}

TEST_F(CompareWindowTest, DamagedArchiveRaisesBeforeAnyWindowAndTheMainWindowOpensOne)
{
    VornWriter damaged;
    damaged.addFile(damaged.addDir(0, "sub"), {.name = "f.txt", .data = TextBytes("f")});
    Bytes bytes = damaged.build();
    PutU32(bytes, damaged.indexStart() + damaged.entryOffset(1) + DIRENTRY_NAME_POS + PaddedNameLength(3), 0xFFFFFFF0);
    pathB = Path(QStringLiteral("damaged.vmres"));
    WriteBytes(pathB.toStdString(), bytes);
    try {
        MakeWindow();
        ADD_FAILURE() << "no error";
    } catch (const std::exception &e) {
        EXPECT_EQ(std::string(e.what()).rfind(pathB.toStdString() + ": Damaged index", 0), 0u) << e.what();
    }

    // File > Compare... offers the archives in the order they were opened.
    TAcceptingSeam seam;
    pathB = Path(QStringLiteral("b.vmres"));
    TfrmMain main({pathA, pathB}, &seam);
    main.mniCompare->trigger();
    TfrmCompare *opened = main.findChild<TfrmCompare *>();
    if (!opened)
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *compare = qobject_cast<TfrmCompare *>(widget))
                opened = compare;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(QString::fromStdString(opened->ArchiveA().FileName()), pathA);
    EXPECT_EQ(QString::fromStdString(opened->ArchiveB().FileName()), pathB);
    EXPECT_TRUE(seam.errors.isEmpty());
    delete opened;

    TfrmCompareChoose chooser({pathB, pathA}, pathA);
    EXPECT_EQ(chooser.PathA(), pathA);
    EXPECT_EQ(chooser.PathB(), pathB);
    chooser.cmbB->setCurrentText(QString());
    EXPECT_FALSE(chooser.btnOk->isEnabled());
}

// Enter in either archive's box accepts the dialog with the archives shown,
// as the keyboard user expects after Tab.
TEST(CompareChooser, EnterAcceptsTheChoiceShown)
{
    EnsureApplication();
    const QString pathA = u"/archives/a.vmres"_qs, pathB = u"/archives/b.vmres"_qs;
    for (const auto &[inB, key] : {std::pair{true, Qt::Key_Return}, {true, Qt::Key_Enter}, {false, Qt::Key_Return}}) {
        TfrmCompareChoose chooser({pathA, pathB}, pathA);
        chooser.show();
        QApplication::setActiveWindow(&chooser);
        chooser.cmbA->setFocus();
        if (inB)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), inB ? chooser.cmbB : chooser.cmbA);
        QTest::keyClick(QApplication::focusWidget(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(chooser.result(), QDialog::Accepted) << "in B: " << inB << ", key " << key;
        EXPECT_FALSE(chooser.isVisible());
        EXPECT_EQ(chooser.PathA(), pathA);
        EXPECT_EQ(chooser.PathB(), pathB);
    }
    // A typed path is taken as typed.
    TfrmCompareChoose chooser({pathA, pathB}, pathA);
    chooser.show();
    QApplication::setActiveWindow(&chooser);
    chooser.cmbB->setFocus();
    chooser.cmbB->lineEdit()->selectAll();
    QTest::keyClicks(chooser.cmbB, u"/elsewhere/c.vmres"_qs);
    QTest::keyClick(chooser.cmbB, Qt::Key_Return);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.PathA(), pathA);
    EXPECT_EQ(chooser.PathB(), u"/elsewhere/c.vmres"_qs);

    // With a box empty there is nothing to compare: Enter waits.
    TfrmCompareChoose empty({pathA, pathB}, pathA);
    empty.show();
    empty.cmbB->setCurrentText(QString());
    QTest::keyClick(empty.cmbB, Qt::Key_Return);
    EXPECT_TRUE(empty.isVisible());
}

} // namespace
