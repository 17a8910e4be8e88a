#include "compare/FormCompareChoose.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

TfrmCompareChoose::TfrmCompareChoose(const QStringList &openArchives, const QString &first, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompareChoose"));
    setWindowTitle(QStringLiteral("Compare"));
    const QString a = first.isEmpty() ? openArchives.value(0) : first;
    QString b;
    for (const QString &path : openArchives)
        if (path != a && b.isEmpty())
            b = path;
    cmbA = CreateSide(openArchives, a);
    cmbB = CreateSide(openArchives, b);

    auto *form = new QFormLayout;
    for (auto [caption, side] : {std::pair{QStringLiteral("Archive A:"), cmbA}, {QStringLiteral("Archive B:"), cmbB}}) {
        auto *row = new QHBoxLayout;
        row->addWidget(side, 1);
        auto *browse = new QPushButton(QStringLiteral("Browse..."), this);
        connect(browse, &QPushButton::clicked, this, [this, side = side] { Browse(side); });
        row->addWidget(browse);
        form->addRow(caption, row);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOk = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
    UpdateOk();
}

QComboBox *TfrmCompareChoose::CreateSide(const QStringList &openArchives, const QString &current)
{
    auto *side = new QComboBox(this);
    side->setEditable(true);
    side->addItems(openArchives);
    side->setCurrentText(current);
    side->setMinimumContentsLength(40);
    connect(side, &QComboBox::currentTextChanged, this, [this] { UpdateOk(); });
    side->installEventFilter(this);
    return side;
}

// An editable box keeps Enter for itself (it may take another item or add
// the text to its list), so the dialog's default button never sees it.
// Enter accepts the dialog with the two paths as shown.
bool TfrmCompareChoose::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == cmbA || watched == cmbB) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (btnOk->isEnabled())
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCompareChoose::Browse(QComboBox *side)
{
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Choose an archive"), QFileInfo(side->currentText()).path(),
        QStringLiteral("Vorn files (*.vmres *.vmmap *.vmsave *.vmasave *.vmqsave *.vmparty);;All files (*)"));
    if (!path.isEmpty())
        side->setCurrentText(path);
}

QString TfrmCompareChoose::PathA() const
{
    return cmbA->currentText();
}

QString TfrmCompareChoose::PathB() const
{
    return cmbB->currentText();
}

void TfrmCompareChoose::UpdateOk()
{
    btnOk->setEnabled(!PathA().isEmpty() && !PathB().isEmpty());
}
