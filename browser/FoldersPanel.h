#pragma once
// TFoldersPanel: the framed panel left of the file list, pnlFolders: the
// header "Folders" with its hide button above the folder tree.

#include <QFrame>

class QLabel;
class QToolButton;
class TFolderTree;

class TFoldersPanel : public QFrame {
    Q_OBJECT

public:
    explicit TFoldersPanel(QWidget *parent = nullptr);

    TFolderTree *Tree() const { return m_Tree; }
    QLabel *Header() const { return m_Header; }
    QToolButton *HideButton() const { return m_HideButton; }

private:
    TFolderTree *m_Tree = nullptr;
    QLabel *m_Header = nullptr;
    QToolButton *m_HideButton = nullptr;
};
