#pragma once
// THexPane: the data pane of the hex viewer. It paints the rows in view and
// nothing else: the rows from the first row shown down to the one cut off at
// the bottom, in alternating colours by row number, with the selection
// inverted. Every column is a multiple of the measured character width.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class THexPane : public QWidget {
    Q_OBJECT
public:
    explicit THexPane(QWidget *parent = nullptr);

    // The pane does not own the bytes; they must outlive it or be replaced.
    void SetData(const uint8_t *data, int64_t size);
    void SetFirstRow(int row);
    void SetColors(const QColor &evenRows, const QColor &oddRows);
    void SetSelection(int64_t start, int64_t length);
    // Byte columns of a row to mark (bit c for column c), painted in `color`
    // behind the text; an empty function marks nothing.
    using TRowMarks = std::function<uint16_t(int64_t row)>;
    void SetMarks(TRowMarks marks, const QColor &color);

    const QFont &DumpFont() const { return m_font; }
    int CharWidth() const { return m_charWidth; }
    int LineHeight() const { return m_lineHeight; }
    // L: the whole rows that fit in the pane's current height.
    int VisibleRows() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PrepareGlyphs();
    void PaintRow(QPainter &painter, int64_t row, int y);
    void DrawRowText(QPainter &painter, const std::string &text, int y);
    void InvertRowSelection(QPainter &painter, int64_t row, int y);
    void PaintRowMarks(QPainter &painter, int64_t row, int y);
    void InvertCells(QPainter &painter, int first, int count, int y);

    const uint8_t *m_data = nullptr;
    int64_t m_size = 0;
    int m_firstRow = 0;
    QColor m_evenColor = Qt::white;
    QColor m_oddColor = Qt::white;
    int64_t m_selStart = 0;
    int64_t m_selLength = 0;
    TRowMarks m_marks;
    QColor m_markColor;

    QFont m_font;
    int m_charWidth = 0;
    int m_lineHeight = 0;
    int m_baseline = 0; // from the top of a row
    // Glyphs of the ASCII characters, placed cell by cell, so that a row is
    // drawn in one call without any text layout.
    QRawFont m_rawFont;
    std::array<quint32, 128> m_glyphOfChar{};
    QList<QPointF> m_cellPositions;
};
