#include "browser/merged/FormMergeStack.h"

#include "archive/vmFunctions.h"
#include "browser/FileListModel.h"
#include "browser/GenFunctions.h"
#include "compare/FormCompareHex.h"
#include "engines/MergedView.h"
#include "viewers/WindowPlacement.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmMergeStack::TfrmMergeStack(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Properties"));
    lblPath = new QLabel(this);
    lblPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grdVersions = new QTableWidget(0, ColumnCount, this);
    grdVersions->setHorizontalHeaderLabels({QStringLiteral("Archive"), QStringLiteral("Priority"),
                                            QStringLiteral("Size"), QStringLiteral("CRC"), QStringLiteral("Version")});
    grdVersions->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdVersions->setSelectionMode(QAbstractItemView::SingleSelection);
    grdVersions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdVersions->verticalHeader()->hide();
    grdVersions->horizontalHeader()->setStretchLastSection(true);
    btnCompare = new QPushButton(QStringLiteral("Compare with overridden version"), this);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnCompare);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPath);
    layout->addWidget(grdVersions);
    layout->addLayout(buttons);
    resize(640, 300);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(grdVersions, &QTableWidget::itemSelectionChanged, this, &TfrmMergeStack::UpdateCompare);
    connect(btnCompare, &QPushButton::clicked, this, [this] {
        const int version = SelectedVersion();
        if (!m_View || version <= 0)
            return;
        accept(); // the comparison is a window of its own, not held up by this dialog
        CompareWithOverridden(parentWidget(), *m_View, m_Node, version);
    });
}

QString TfrmMergeStack::VersionText(const TMergeVersion &version)
{
    switch (version.State) {
    case TVersionState::Winner: return QStringLiteral("Wins");
    case TVersionState::Same: return QStringLiteral("Same bytes");
    case TVersionState::Different: return QStringLiteral("Different bytes");
    case TVersionState::Unsettled: return QStringLiteral("Not compared");
    case TVersionState::OtherKind:
        return version.IsFolder ? QStringLiteral("Folder hidden by a file") : QStringLiteral("File hidden by a folder");
    case TVersionState::Folder: return QStringLiteral("Folder, merged");
    }
    return QString();
}

void TfrmMergeStack::Fill(TMergedView &view, TMergeNodeId node)
{
    m_View = &view;
    m_Node = node;
    view.SettleVersions(node);
    lblPath->setText(QString::fromStdString(AnsiToUtf8(view.Path(node))));
    const auto versions = view.Versions(node);
    grdVersions->setRowCount(int(versions.size()));
    for (int row = 0; row < int(versions.size()); ++row) {
        const TMergeVersion &version = versions[size_t(row)];
        const TVornFile &vorn = view.Archive(version.Archive);
        const auto set = [&](int column, const QString &text) {
            grdVersions->setItem(row, column, new QTableWidgetItem(text));
        };
        set(ColArchive, QFileInfo(QString::fromStdString(vorn.FileName())).fileName());
        grdVersions->item(row, ColArchive)->setToolTip(QString::fromStdString(vorn.FileName()));
        set(ColPriority, QString::fromStdString(PriorityToStr(vorn.Header().m_Priority)));
        set(ColSize, version.IsFolder ? QString() : QString::number(vorn.GetSize(version.Entry)));
        set(ColCrc, version.IsFolder ? QString() : TFileListModel::CrcText(vorn.GetCrc32(version.Entry)));
        set(ColVersion, VersionText(version));
    }
    grdVersions->resizeColumnsToContents();
    const int first = FirstOverriddenFile(view, node);
    grdVersions->selectRow(first > 0 ? first : 0);
    UpdateCompare();
}

int TfrmMergeStack::SelectedVersion() const
{
    const QList<QTableWidgetItem *> selected = grdVersions->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

void TfrmMergeStack::UpdateCompare()
{
    const int version = SelectedVersion();
    btnCompare->setEnabled(m_View && version > 0 && !m_View->IsFolder(m_Node)
                           && !m_View->Versions(m_Node)[size_t(version)].IsFolder);
}

int FirstOverriddenFile(const TMergedView &view, TMergeNodeId node)
{
    if (view.IsFolder(node))
        return -1;
    const auto versions = view.Versions(node);
    for (size_t i = 1; i < versions.size(); ++i)
        if (!versions[i].IsFolder)
            return int(i);
    return -1;
}

QWidget *CompareWithOverridden(QWidget *parent, const TMergedView &view, TMergeNodeId node, int version)
{
    const TMergeVersion &winner = view.Winner(node);
    const TMergeVersion hidden = view.Versions(node)[size_t(version)];
    const TVornFile &a = view.Archive(winner.Archive);
    const TVornFile &b = view.Archive(hidden.Archive);
    TFileBuffer bytesA = a.ReadFile(winner.Entry);
    TFileBuffer bytesB = b.ReadFile(hidden.Entry);
    auto *window = new TfrmCompareHex(parent);
    const QString title = QString::fromStdString(AnsiToUtf8(view.Path(node))) + QStringLiteral(": ")
                          + QFileInfo(QString::fromStdString(a.FileName())).fileName() + QStringLiteral(" / ")
                          + QFileInfo(QString::fromStdString(b.FileName())).fileName();
    window->SetData(std::move(bytesA), std::move(bytesB), title);
    if (parent)
        CentreOver(window, parent);
    window->show();
    return window;
}
