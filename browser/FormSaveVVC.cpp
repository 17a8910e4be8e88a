#include "browser/FormSaveVVC.h"

#include "browser/Collection.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSaveVVC::TfrmSaveVVC(QWidget *parent)
    : QDialog(parent),
      CheckListBox1(new QListWidget(this)),
      Button2(new QPushButton(QStringLiteral("&Ok"), this)),
      Button1(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("frmSaveVVC"));
    setWindowTitle(QStringLiteral("Save VornViewer Collection"));
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setFixedSize(363, 240);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton *button : {Button2, Button1}) {
        button->setFixedSize(75, 25);
        button->setAutoDefault(false);
    }
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(CheckListBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmSaveVVC::SetArchivePaths(const QStringList &paths)
{
    CheckListBox1->clear();
    for (const QString &path : paths) {
        auto *item = new QListWidgetItem(path, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

QStringList TfrmSaveVVC::CheckedPaths() const
{
    QStringList paths;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i)->checkState() == Qt::Checked)
            paths.append(CheckListBox1->item(i)->text());
    return paths;
}

bool TfrmSaveVVC::Execute(const QString &fileName, const QStringList &openPaths)
{
    SetArchivePaths(openPaths);
    if (exec() != QDialog::Accepted)
        return false;
    WriteCollection(fileName, CheckedPaths());
    return true;
}

QString CollectionSaveFilter()
{
    return QStringLiteral("*.vvc (*.vvc);;All Files (*)");
}

QString CollectionDefaultSuffix()
{
    return QStringLiteral("vvc");
}
