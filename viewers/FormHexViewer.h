#pragma once
// TfrmViewerHex: the hex viewer window, the last resort of view dispatch. It
// owns the file's bytes and shows them 16 to a row with address, hex and
// character columns. Only the rows in view are formatted and painted, so a
// file of any size opens and scrolls at once.

#include "archive/FileBuffer.h"

#include <QColor>
#include <QWidget>
#include <cstdint>

class QFrame;
class QLabel;
class QScrollBar;
class THexPane;

class TfrmViewerHex : public QWidget {
    Q_OBJECT
public:
    explicit TfrmViewerHex(QWidget *parent = nullptr);

    // Takes the bytes to show (replacing any earlier ones), sets the title,
    // scrolls to the top and computes the scroll range for the current height.
    void SetData(TFileBuffer data, const QString &fileName);

    QColor Color1() const { return m_color1; }
    void SetColor1(const QColor &color);
    QColor Color2() const { return m_color2; }
    void SetColor2(const QColor &color);
    int64_t SelStart() const { return m_selStart; }
    void SetSelStart(int64_t start);
    int64_t SelLength() const { return m_selLength; }
    void SetSelLength(int64_t length);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void ApplyGeometry();
    void UpdateScrollBar();
    void UpdateHeaderBackground();
    void ScrollBy(int rows);

    TFileBuffer m_data;
    QColor m_color1{255, 255, 255};
    QColor m_color2{187, 255, 255};
    int64_t m_selStart = 0;
    int64_t m_selLength = 0;
    int m_wheelRemainder = 0;

    QFrame *pnlMain = nullptr;
    QLabel *lblHeader = nullptr;
    QFrame *shpTopLine = nullptr;
    THexPane *pbxHex = nullptr;
    QScrollBar *sbrMain = nullptr;
};

// Opens a hex viewer window for the bytes. The window has no owner (it does
// not keep the program running on its own), frees the bytes when it is
// closed, and is centred over mainWindow. Errors destroy the half-built window
// silently; the result is true in every case.
bool ViewAsHex(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow = nullptr);
