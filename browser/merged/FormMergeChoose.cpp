#include "browser/merged/FormMergeChoose.h"

#include "archive/vmFunctions.h"
#include "archive/vmVornFile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TfrmMergeChoose::TfrmMergeChoose(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Merged Archives"));
    auto *label = new QLabel(QStringLiteral("Archives the game view merges (the higher priority wins):"), this);
    lstArchives = new QListWidget(this);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lstArchives);
    layout->addLayout(buttons);
    resize(520, 320);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmMergeChoose::Fill(const std::vector<const TVornFile *> &open, const std::vector<const TVornFile *> &merged)
{
    m_Listed = open;
    lstArchives->clear();
    for (const TVornFile *vorn : open) {
        auto *item = new QListWidgetItem(QString::fromStdString(vorn->FileName()) + QStringLiteral("  (")
                                             + QString::fromStdString(PriorityToStr(vorn->Header().m_Priority))
                                             + QStringLiteral(")"),
                                         lstArchives);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        const bool isMerged = std::find(merged.begin(), merged.end(), vorn) != merged.end();
        item->setCheckState(isMerged ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<const TVornFile *> TfrmMergeChoose::Chosen() const
{
    std::vector<const TVornFile *> chosen;
    for (int i = 0; i < lstArchives->count(); ++i)
        if (lstArchives->item(i)->checkState() == Qt::Checked)
            chosen.push_back(m_Listed[size_t(i)]);
    return chosen;
}
