#include "compare/FormCompareHex.h"

#include "viewers/HexLayout.h"
#include "viewers/HexPane.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QColor EvenRows(255, 255, 255);
const QColor OddRows(187, 255, 255);
const QColor MarkColor(255, 190, 120);

} // namespace

TfrmCompareHex::TfrmCompareHex(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCompareHex"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);

    btnNext = new QPushButton(QStringLiteral("Next difference"), this);
    btnNext->setShortcut(QKeySequence(Qt::Key_F3));
    connect(btnNext, &QPushButton::clicked, this, [this] { NextDifference(); });
    lblPosition = new QLabel(this);
    auto *top = new QHBoxLayout;
    top->addWidget(btnNext);
    top->addWidget(lblPosition, 1);

    sbrMain = new QScrollBar(Qt::Vertical, this);
    sbrMain->setRange(0, 0);
    auto *sides = new QHBoxLayout;
    sides->setSpacing(6);
    sides->addWidget(CreateSide(QStringLiteral("A"), pbxA));
    sides->addWidget(CreateSide(QStringLiteral("B"), pbxB));
    sides->addWidget(sbrMain);
    for (THexPane *pane : {pbxA, pbxB}) {
        connect(sbrMain, &QScrollBar::valueChanged, pane, &THexPane::SetFirstRow);
        pane->installEventFilter(this);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(sides, 1);
    resize(sizeHint().width(), 480);
}

QWidget *TfrmCompareHex::CreateSide(const QString &caption, THexPane *&pane)
{
    auto *side = new QWidget(this);
    pane = new THexPane(side);
    pane->SetColors(EvenRows, OddRows);
    pane->setFixedWidth(THexLayout::RowLength * pane->CharWidth() + 2);
    pane->setMinimumHeight(10 * pane->LineHeight());
    auto *header = new QLabel(caption + QStringLiteral(": ") + QString::fromStdString(THexLayout::HeaderText()), side);
    header->setFont(pane->DumpFont());
    auto *column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header);
    column->addWidget(pane, 1);
    return side;
}

void TfrmCompareHex::SetData(TFileBuffer a, TFileBuffer b, const QString &title)
{
    setWindowTitle(title + QStringLiteral(" - Hex A and B"));
    m_A = std::move(a);
    m_B = std::move(b);
    m_Diff = std::make_unique<THexDiff>(m_A.data(), m_A.size(), m_B.data(), m_B.size());
    const THexDiff *diff = m_Diff.get();
    pbxA->SetData(m_A.data(), m_A.size());
    pbxB->SetData(m_B.data(), m_B.size());
    for (THexPane *pane : {pbxA, pbxB})
        pane->SetMarks([diff](int64_t row) { return diff->DifferingColumns(row); }, MarkColor);
    m_Selected = -1;
    sbrMain->setValue(0);
    UpdateScrollBar();
    lblPosition->setText(m_Diff->NextDifference(0) < 0 ? QStringLiteral("The files are the same.")
                                                       : QStringLiteral("A: %1 bytes, B: %2 bytes").arg(m_A.size()).arg(m_B.size()));
}

int TfrmCompareHex::FirstRow() const
{
    return sbrMain->value();
}

bool TfrmCompareHex::NextDifference()
{
    if (!m_Diff)
        return false;
    const int64_t next = m_Diff->NextDifference(m_Selected + 1);
    if (next < 0) {
        lblPosition->setText(QStringLiteral("No more differences."));
        return false;
    }
    m_Selected = next;
    for (THexPane *pane : {pbxA, pbxB})
        pane->SetSelection(next, 1);
    const int64_t row = next / THexLayout::BytesPerRow;
    const int visible = std::max(1, pbxA->VisibleRows());
    if (row < sbrMain->value() || row >= int64_t(sbrMain->value()) + visible)
        sbrMain->setValue(int(std::max<int64_t>(0, row - visible / 2)));
    lblPosition->setText(QStringLiteral("Difference at offset %1 (%2)")
                             .arg(next)
                             .arg(QString::number(next, 16).toUpper().rightJustified(8, u'0')));
    return true;
}

void TfrmCompareHex::UpdateScrollBar()
{
    const THexLayout::TScrollRange range =
        THexLayout::ScrollRange(m_Diff ? m_Diff->LongerSize() : 0, pbxA->VisibleRows());
    sbrMain->setMaximum(range.maximum);
    sbrMain->setPageStep(range.pageStep);
    sbrMain->setEnabled(range.enabled);
}

bool TfrmCompareHex::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pbxA && event->type() == QEvent::Resize)
        UpdateScrollBar();
    if ((watched == pbxA || watched == pbxB) && event->type() == QEvent::Wheel)
        return QCoreApplication::sendEvent(sbrMain, event);
    return QWidget::eventFilter(watched, event);
}

void TfrmCompareHex::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
