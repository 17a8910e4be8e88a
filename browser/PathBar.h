#pragma once
// TPathBar: the bar above the tree and the list, pnlOutlookBarBg, whose
// coloured strip pnlOutlookBar shows the listed folder's path in bold
// (lblVornPath), or "Search results" while the list shows them.

#include <QWidget>

class QFrame;
class QLabel;

class TPathBar : public QWidget {
    Q_OBJECT

public:
    explicit TPathBar(QWidget *parent = nullptr);

    QFrame *Strip() const { return m_Strip; }
    QLabel *Label() const { return m_Label; }
    // "Search results" while they are shown; then the text from before,
    // unless another folder was listed meanwhile.
    void ShowSearchResults(bool showing);

private:
    QFrame *m_Strip = nullptr;
    QLabel *m_Label = nullptr;
    QString m_TextBeforeResults;
};
