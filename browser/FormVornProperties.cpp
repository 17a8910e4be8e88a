#include "browser/FormVornProperties.h"

#include "archive/VornInfo.h"
#include "archive/vmVornFile.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

QLineEdit *AddLabeledEdit(QVBoxLayout *layout, QWidget *parent, const QString &caption, const QString &name)
{
    auto *label = new QLabel(caption, parent);
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    return edit;
}

QString Utf8(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TfrmVornProperties::TfrmVornProperties(const TVornFile &vorn, QWidget *parent)
    : QDialog(parent),
      pcTabs(new QTabWidget(this)),
      TabSheet1(new QWidget),
      TabSheet2(new QWidget),
      btnClose(new QPushButton(QStringLiteral("&Close"), this))
{
    setObjectName(QStringLiteral("frmVornProperties"));
    setWindowTitle(QStringLiteral("Vorn Info"));
    pcTabs->setObjectName(QStringLiteral("pcTabs"));
    pcTabs->addTab(TabSheet1, QStringLiteral("&General"));
    pcTabs->addTab(TabSheet2, QStringLiteral("&Advanced"));
    BuildGeneralPage();
    BuildAdvancedPage();

    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(75, 25);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    // Esc closes the dialog whichever control has the focus.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(pcTabs);
    layout->addLayout(buttons);

    setFixedSize(385, 423);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Fill(vorn);
}

void TfrmVornProperties::BuildGeneralPage()
{
    auto *layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(8, 8, 8, 8);
    LabeledEdit1 = AddLabeledEdit(layout, TabSheet1, QStringLiteral("Title"), QStringLiteral("LabeledEdit1"));
    LabeledEdit2 = AddLabeledEdit(layout, TabSheet1, QStringLiteral("Copyright"), QStringLiteral("LabeledEdit2"));
    LabeledEdit3 = AddLabeledEdit(layout, TabSheet1, QStringLiteral("Author"), QStringLiteral("LabeledEdit3"));
    LabeledEdit4 = AddLabeledEdit(layout, TabSheet1, QStringLiteral("Build Info"), QStringLiteral("LabeledEdit4"));
    Memo1 = new QPlainTextEdit(TabSheet1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    auto *label = new QLabel(QStringLiteral("Description"), TabSheet1);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(Memo1);
    layout->addWidget(label);
    layout->addWidget(Memo1, 1);
}

void TfrmVornProperties::BuildAdvancedPage()
{
    ValueListEditor1 = new QTableWidget(0, 2, TabSheet2);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ValueListEditor1->setColumnWidth(0, 124);
    ValueListEditor1->setColumnWidth(1, 231);
    ValueListEditor1->setShowGrid(true);
    ValueListEditor1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(ValueListEditor1);
}

void TfrmVornProperties::Fill(const TVornFile &vorn)
{
    const TVornHeader &header = vorn.Header();
    LabeledEdit1->setText(QString::fromStdU16String(header.m_TitleText));
    LabeledEdit2->setText(QString::fromStdU16String(header.m_CopyrightText));
    LabeledEdit3->setText(QString::fromStdU16String(header.m_AuthorText));
    LabeledEdit4->setText(QString::fromStdU16String(header.m_BuildText));
    Memo1->setPlainText(QString::fromStdU16String(vorn.Description()));

    const std::vector<TInfoRow> rows = GetVornInfoRows(header);
    ValueListEditor1->setRowCount(0);
    ValueListEditor1->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        ValueListEditor1->setItem(i, 0, new QTableWidgetItem(Utf8(rows[size_t(i)].first)));
        ValueListEditor1->setItem(i, 1, new QTableWidgetItem(Utf8(rows[size_t(i)].second)));
    }
}

void TfrmVornProperties::ShowVornInfo(const TVornFile &vorn, QWidget *parent)
{
    const std::unique_ptr<TfrmVornProperties> dialog(new TfrmVornProperties(vorn, parent));
    dialog->exec();
}
