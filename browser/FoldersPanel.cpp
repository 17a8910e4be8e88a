#include "browser/FoldersPanel.h"

#include "browser/FolderTree.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

TFoldersPanel::TFoldersPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlFolders"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    auto *header = new QWidget(this);
    header->setFixedHeight(21);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 2, 0);
    m_Header = new QLabel(QStringLiteral("  Folders"), header);
    m_Header->setObjectName(QStringLiteral("pnlFoldersHeader"));
    m_Header->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_HideButton = new QToolButton(header);
    m_HideButton->setObjectName(QStringLiteral("btnHideFilderView"));
    m_HideButton->setAutoRaise(true);
    m_HideButton->setFixedSize(18, 16);
    m_HideButton->setText(QStringLiteral("x"));
    m_HideButton->setToolTip(QStringLiteral("Hide the folder tree"));
    headerLayout->addWidget(m_Header, 1);
    headerLayout->addWidget(m_HideButton);
    layout->addWidget(header);

    m_Tree = new TFolderTree(this);
    layout->addWidget(m_Tree);
}
