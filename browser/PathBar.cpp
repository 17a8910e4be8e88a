#include "browser/PathBar.h"

#include "platform/ThemeColors.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TPathBar::TPathBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlOutlookBarBg"));
    setFixedHeight(30);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    m_Strip = new QFrame(this);
    m_Strip->setObjectName(QStringLiteral("pnlOutlookBar"));
    m_Strip->setFixedHeight(22);
    m_Strip->setAutoFillBackground(true);
    QPalette palette = m_Strip->palette();
    palette.setColor(QPalette::Window, AppWorkspaceColor(palette));
    palette.setColor(QPalette::WindowText, Qt::white);
    m_Strip->setPalette(palette);
    auto *barLayout = new QHBoxLayout(m_Strip);
    barLayout->setContentsMargins(6, 0, 6, 0);
    m_Label = new QLabel(m_Strip);
    m_Label->setObjectName(QStringLiteral("lblVornPath"));
    QFont bold = m_Label->font();
    bold.setBold(true);
    m_Label->setFont(bold);
    m_Label->setPalette(palette);
    barLayout->addWidget(m_Label);
    barLayout->addStretch();
    layout->addWidget(m_Strip);
}

void TPathBar::ShowSearchResults(bool showing)
{
    static const QString resultsText = QStringLiteral("Search results");
    if (showing) {
        m_TextBeforeResults = m_Label->text();
        m_Label->setText(resultsText);
    } else if (m_Label->text() == resultsText) {
        m_Label->setText(m_TextBeforeResults);
    }
}
