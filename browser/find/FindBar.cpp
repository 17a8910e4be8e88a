#include "browser/find/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TFindBar::TFindBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(4);
    m_Field = new QLineEdit(this);
    m_Field->setObjectName(QStringLiteral("edtFind"));
    m_Field->setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
    m_Field->setToolTip(QStringLiteral("Find names in the open archives: text, wildcards (*.bmp) or, in the Find "
                                       "dialog, a regular expression"));
    m_Field->setClearButtonEnabled(true);
    m_Field->setMinimumWidth(160);
    m_Field->installEventFilter(this);
    m_More = new QToolButton(this);
    m_More->setObjectName(QStringLiteral("btnFindDialog"));
    m_More->setText(QStringLiteral("..."));
    m_More->setToolTip(QStringLiteral("Find by name, type, size, format, date or content"));
    m_Status = new QLabel(this);
    m_Status->setObjectName(QStringLiteral("lblFindStatus"));
    m_Status->setFixedWidth(220); // the field stays put while the text changes
    layout->addWidget(m_Field);
    layout->addWidget(m_More);
    layout->addWidget(m_Status);
    connect(m_Field, &QLineEdit::textEdited, this, &TFindBar::textEdited);
    connect(m_More, &QToolButton::clicked, this, &TFindBar::dialogRequested);
}

QString TFindBar::Text() const
{
    return m_Field->text();
}

void TFindBar::FocusField()
{
    m_Field->setFocus(Qt::ShortcutFocusReason);
    m_Field->selectAll();
}

void TFindBar::ShowStatus(const QString &text, const QString &details)
{
    m_Error = false;
    m_Status->setStyleSheet(QString());
    m_Status->setText(text);
    m_Status->setToolTip(details.isEmpty() ? text : details); // the label may cut a long text short
}

void TFindBar::ShowError(const QString &message)
{
    m_Error = true;
    m_Status->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_Status->setText(message);
    m_Status->setToolTip(message);
}

bool TFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_Field && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        emit escapePressed();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
