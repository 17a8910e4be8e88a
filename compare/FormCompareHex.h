#pragma once
// TfrmCompareHex: two files side by side in hex, A on the left and B on the
// right, scrolled together, the differing bytes marked on both sides. "Next
// difference" selects the next differing byte and scrolls it into view. The
// window owns both files' bytes and destroys itself when closed.

#include "archive/FileBuffer.h"
#include "compare/HexDiff.h"

#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class THexPane;

class TfrmCompareHex : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCompareHex(QWidget *parent = nullptr);

    void SetData(TFileBuffer a, TFileBuffer b, const QString &title);
    // Selects the next difference after the selected one (from the start
    // when none is); false when there is none.
    bool NextDifference();
    int64_t SelectedOffset() const { return m_Selected; }
    int FirstRow() const;

    THexPane *pbxA = nullptr;
    THexPane *pbxB = nullptr;
    QScrollBar *sbrMain = nullptr;
    QPushButton *btnNext = nullptr;
    QLabel *lblPosition = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *CreateSide(const QString &caption, THexPane *&pane);
    void UpdateScrollBar();

    TFileBuffer m_A;
    TFileBuffer m_B;
    std::unique_ptr<THexDiff> m_Diff;
    int64_t m_Selected = -1;
};
