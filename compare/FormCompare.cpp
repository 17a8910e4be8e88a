#include "compare/FormCompare.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "compare/CompareModel.h"
#include "compare/FormCompareHex.h"
#include "engines/ArchiveCompare.h"
#include "engines/CompareReport.h"
#include "engines/ExtractEngine.h"
#include "extract/GuiExtractFeedback.h"
#include "viewers/ViewHandler.h"
#include "viewers/WindowPlacement.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

namespace {

QString Local(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

// The hourglass for the length of a scope.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TfrmCompare::TfrmCompare(const QString &pathA, const QString &pathB, TCompareHooks hooks, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window), m_Hooks(std::move(hooks)), m_MainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    {
        const TWaitCursor wait;
        m_A = std::make_unique<TVornFile>(QFile::encodeName(pathA).toStdString());
        m_B = std::make_unique<TVornFile>(QFile::encodeName(pathB).toStdString());
        m_Result = std::make_shared<const TCompareResult>(TArchiveCompare(*m_A, *m_B).Run());
    }
    FormCreate();
    setWindowTitle(QStringLiteral("Compare - %1 - %2").arg(QFileInfo(pathA).fileName(), QFileInfo(pathB).fileName()));
}

TfrmCompare::~TfrmCompare() = default;

void TfrmCompare::FormCreate()
{
    m_Model = new TCompareModel(this);
    m_Model->SetResult(m_Result);

    auto *names = new QLabel(QStringLiteral("A: %1\nB: %2").arg(QFile::decodeName(m_A->FileName().c_str()), QFile::decodeName(m_B->FileName().c_str())), this);
    names->setTextInteractionFlags(Qt::TextSelectableByMouse);

    tvwItems = new QTreeView(this);
    tvwItems->setObjectName(QStringLiteral("tvwItems"));
    tvwItems->setModel(m_Model);
    tvwItems->setUniformRowHeights(true);
    tvwItems->setSortingEnabled(true);
    tvwItems->sortByColumn(TCompareModel::colName, Qt::AscendingOrder);
    tvwItems->setSelectionMode(QAbstractItemView::SingleSelection);
    tvwItems->header()->setSectionResizeMode(TCompareModel::colName, QHeaderView::Stretch);
    tvwItems->header()->setStretchLastSection(false);
    connect(tvwItems->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdateButtons(); });
    connect(m_Model, &QAbstractItemModel::modelReset, this, [this] { UpdateButtons(); });
    connect(tvwItems, &QTreeView::doubleClicked, this, [this] { Guarded([this] { ViewSide(CurrentItem() && CurrentItem()->EntryB); }); });

    lblSummary = new QLabel(Local(TCompareReport(*m_Result, {}, {}).SummaryText()), this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(names);
    layout->addWidget(CreateFilterBar());
    layout->addWidget(tvwItems, 1);
    layout->addWidget(lblSummary);
    layout->addWidget(CreateButtonBar());
    layout->addWidget(lblStatus);
    resize(820, 600);
    UpdateButtons();
}

QWidget *TfrmCompare::CreateFilterBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Show:"), bar));
    for (size_t i = 0; i < CompareStateCount; ++i) {
        const auto state = TCompareState(i);
        chkStates[i] = new QCheckBox(QString::fromLatin1(CompareStateText(state)), bar);
        chkStates[i]->setChecked(true);
        connect(chkStates[i], &QCheckBox::toggled, this, [this, state](bool on) { m_Model->SetStateShown(state, on); });
        row->addWidget(chkStates[i]);
    }
    row->addStretch(1);
    chkTree = new QCheckBox(QStringLiteral("Folders as a tree"), bar);
    chkTree->setChecked(true);
    connect(chkTree, &QCheckBox::toggled, this, [this](bool tree) { m_Model->SetTree(tree); });
    row->addWidget(chkTree);
    return bar;
}

QWidget *TfrmCompare::CreateButtonBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    btnViewA = new QPushButton(QStringLiteral("View A"), bar);
    btnViewB = new QPushButton(QStringLiteral("View B"), bar);
    btnHex = new QPushButton(QStringLiteral("Hex side by side"), bar);
    btnExtract = new QPushButton(QStringLiteral("Extract added and changed..."), bar);
    btnSave = new QPushButton(QStringLiteral("Save report..."), bar);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), bar);
    btnCancel->setVisible(false);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (m_Job)
            m_Job->Cancel();
    });
    connect(btnViewA, &QPushButton::clicked, this, [this] { Guarded([this] { ViewSide(false); }); });
    connect(btnViewB, &QPushButton::clicked, this, [this] { Guarded([this] { ViewSide(true); }); });
    connect(btnHex, &QPushButton::clicked, this, [this] { Guarded([this] { ShowHexSideBySide(); }); });
    connect(btnExtract, &QPushButton::clicked, this, [this] { Guarded([this] { btnExtractClick(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { Guarded([this] { btnSaveClick(); }); });
    for (QPushButton *button : {btnViewA, btnViewB, btnHex})
        row->addWidget(button);
    row->addStretch(1);
    row->addWidget(btnExtract);
    row->addWidget(btnCancel);
    row->addWidget(btnSave);
    return bar;
}

const TCompareItem *TfrmCompare::CurrentItem() const
{
    return m_Model->ItemAt(tvwItems->currentIndex());
}

void TfrmCompare::UpdateButtons()
{
    const TCompareItem *item = CurrentItem();
    const bool file = item && !item->IsFolder;
    btnViewA->setEnabled(file && item->EntryA != 0);
    btnViewB->setEnabled(file && item->EntryB != 0);
    btnHex->setEnabled(file && item->EntryA != 0 && item->EntryB != 0);
    btnExtract->setEnabled(m_Result->Summary.FilesIn(TCompareState::OnlyInB) + m_Result->Summary.FilesIn(TCompareState::Changed) > 0);
}

void TfrmCompare::Guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        if (m_Hooks.ShowError)
            m_Hooks.ShowError(QString::fromUtf8(e.what()));
        else
            QMessageBox::critical(this, QStringLiteral("VornViewer"), QString::fromUtf8(e.what()));
    }
}

void TfrmCompare::ViewSide(bool sideB)
{
    const TCompareItem *item = CurrentItem();
    const TEntryOffset entry = item && !item->IsFolder ? (sideB ? item->EntryB : item->EntryA) : 0;
    if (entry == 0)
        return;
    const TVornFile &vorn = sideB ? *m_B : *m_A;
    TFileBuffer buffer = vorn.ReadFile(entry);
    try {
        ViewFile(std::move(buffer), Local(AnsiToUtf8(item->Name)), m_MainWindow);
    } catch (...) {
        // The viewers fail silently; the buffer is freed with the exception.
    }
}

void TfrmCompare::ShowHexSideBySide()
{
    const TCompareItem *item = CurrentItem();
    if (!item || item->IsFolder || item->EntryA == 0 || item->EntryB == 0)
        return;
    TFileBuffer bytesA = m_A->ReadFile(item->EntryA);
    TFileBuffer bytesB = m_B->ReadFile(item->EntryB);
    auto *viewer = new TfrmCompareHex(this);
    viewer->SetData(std::move(bytesA), std::move(bytesB), Local(TCompareReport::DisplayPath(*m_Result, size_t(item - m_Result->Items.data()))));
    CentreOver(viewer, this);
    viewer->show();
}

TExtractResult TfrmCompare::ExtractPatch(const QString &target)
{
    TExtractSelection selection;
    for (const TCompareItem &item : m_Result->Items)
        if (!item.IsFolder && (item.State == TCompareState::OnlyInB || item.State == TCompareState::Changed))
            selection.Selected.push_back(item.EntryB);
    TGuiExtractFeedback feedback(this);
    IOverwriteQuestion &question = m_Hooks.Question ? *m_Hooks.Question : feedback;
    IExtractReport &report = m_Hooks.Report ? *m_Hooks.Report : feedback;
    TExtractEngine engine(*m_B, std::move(selection), question, report);
    TJob job;
    engine.SetJob(job);
    // Pending events run before each file, so the progress shows and Cancel
    // can be clicked; everything else that could start work waits.
    engine.SetBeforeEntryCallback([this] {
        ShowProgress();
        QCoreApplication::processEvents();
    });
    m_Job = &job;
    for (QWidget *control : {static_cast<QWidget *>(tvwItems), static_cast<QWidget *>(btnExtract),
                             static_cast<QWidget *>(btnSave)})
        control->setEnabled(false);
    btnCancel->setVisible(true);
    const auto finished = [this] {
        m_Job = nullptr;
        btnCancel->setVisible(false);
        tvwItems->setEnabled(true);
        btnSave->setEnabled(true);
        UpdateButtons();
    };
    TExtractResult result;
    try {
        const TWaitCursor wait;
        result = engine.ExtractEntries(target.toStdString(), {fnFullPath, owAsk, esSelected});
    } catch (...) {
        finished();
        throw;
    }
    finished();
    lblStatus->setText(QStringLiteral("%1%2 files extracted to %3, %4 skipped, %5 failed")
                           .arg(result.Cancelled ? QStringLiteral("Cancelled: ") : QString())
                           .arg(result.Written)
                           .arg(target)
                           .arg(result.Skipped)
                           .arg(result.Failed));
    return result;
}

void TfrmCompare::ShowProgress()
{
    const TJobProgress progress = m_Job->Progress();
    lblStatus->setText(QStringLiteral("Extracting %1 of %2 files (%3 of %4 bytes)")
                           .arg(progress.EntriesDone + 1)
                           .arg(progress.EntriesTotal)
                           .arg(progress.BytesDone)
                           .arg(progress.BytesTotal));
}

void TfrmCompare::closeEvent(QCloseEvent *event)
{
    if (m_Job)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TfrmCompare::btnExtractClick()
{
    const QString target = m_Hooks.ChooseTargetFolder
                               ? m_Hooks.ChooseTargetFolder()
                               : QFileDialog::getExistingDirectory(this, QStringLiteral("Extract added and changed files to"));
    if (!target.isEmpty())
        ExtractPatch(target);
}

void TfrmCompare::SaveReport(const QString &fileName)
{
    const TCompareReport report(*m_Result, m_A->FileName(), m_B->FileName());
    const bool csv = fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const std::string text = csv ? report.Csv(m_Model->ShownStates()) : report.Text(m_Model->ShownStates());
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.flush())
        throw Exception(FormatStr("Cannot write %s: %s", fileName.toStdString().c_str(),
                                  file.errorString().toStdString().c_str()));
}

void TfrmCompare::btnSaveClick()
{
    const QString fileName =
        m_Hooks.ChooseReportFile
            ? m_Hooks.ChooseReportFile()
            : QFileDialog::getSaveFileName(this, QStringLiteral("Save report"), QString(),
                                           QStringLiteral("Text report (*.txt);;CSV table (*.csv)"));
    if (!fileName.isEmpty())
        SaveReport(fileName);
}
