#include "viewers/HexPane.h"

#include "platform/ThemeColors.h"

#include "viewers/HexLayout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

namespace {

constexpr int kFontPixelHeight = 13;
// Rows are as high as the font's character height, closer than the font's own
// line spacing, so that a full window shows as many rows as intended. Digits
// and capitals are centred in the row; descenders may be cut off.
constexpr int kLineHeight = 13;

} // namespace

THexPane::THexPane(QWidget *parent)
    : QWidget(parent)
{
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_font.setPixelSize(kFontPixelHeight);
    m_font.setStyleHint(QFont::Monospace);
    setFont(m_font);
    const QFontMetricsF metrics(m_font);
    m_charWidth = QFontMetrics(m_font).horizontalAdvance(u'W');
    m_lineHeight = kLineHeight;
    m_baseline = qRound((kLineHeight + metrics.capHeight()) / 2);
    PrepareGlyphs();
}

void THexPane::PrepareGlyphs()
{
    m_rawFont = QRawFont::fromFont(m_font);
    if (!m_rawFont.isValid())
        return;
    QString ascii;
    for (char16_t ch = 0; ch < 128; ++ch)
        ascii.append(QChar(ch < 32 ? u' ' : ch));
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(ascii);
    if (glyphs.size() != 128) {
        m_rawFont = QRawFont();
        return;
    }
    std::copy(glyphs.begin(), glyphs.end(), m_glyphOfChar.begin());
    for (int i = 0; i < THexLayout::RowLength; ++i)
        m_cellPositions.append(QPointF(i * m_charWidth, 0));
}

void THexPane::SetData(const uint8_t *data, int64_t size)
{
    m_data = data;
    m_size = data ? size : 0;
    update();
}

void THexPane::SetFirstRow(int row)
{
    if (row == m_firstRow)
        return;
    m_firstRow = row;
    update();
}

void THexPane::SetColors(const QColor &evenRows, const QColor &oddRows)
{
    m_evenColor = evenRows;
    m_oddColor = oddRows;
    update();
}

void THexPane::SetSelection(int64_t start, int64_t length)
{
    m_selStart = start;
    m_selLength = length;
    update();
}

void THexPane::SetMarks(TRowMarks marks, const QColor &color)
{
    m_marks = std::move(marks);
    m_markColor = color;
    update();
}

int THexPane::VisibleRows() const
{
    return THexLayout::VisibleRows(height(), m_lineHeight);
}

void THexPane::paintEvent(QPaintEvent *)
{
    if (m_size <= 0)
        return;
    QPainter painter(this);
    painter.setFont(m_font);
    painter.setPen(palette().color(QPalette::WindowText));
    const int rows = VisibleRows();
    for (int line = 0; line <= rows; ++line)
        PaintRow(painter, int64_t(m_firstRow) + line, line * m_lineHeight);
}

void THexPane::PaintRow(QPainter &painter, int64_t row, int y)
{
    const QColor &background = THexLayout::IsOddRow(row) ? m_oddColor : m_evenColor;
    painter.fillRect(QRect(0, y, width(), m_lineHeight), background);
    if (m_marks)
        PaintRowMarks(painter, row, y);
    painter.setPen(ReadableOn(palette().color(QPalette::WindowText), background));
    DrawRowText(painter, THexLayout::RowText(m_data, m_size, row), y);
    InvertRowSelection(painter, row, y);
}

void THexPane::DrawRowText(QPainter &painter, const std::string &text, int y)
{
    if (!m_rawFont.isValid()) {
        painter.drawText(0, y + m_baseline, QString::fromLatin1(text.data(), qsizetype(text.size())));
        return;
    }
    QList<quint32> glyphs(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i)
        glyphs[qsizetype(i)] = m_glyphOfChar[static_cast<unsigned char>(text[i]) & 0x7F];
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(m_cellPositions);
    painter.drawGlyphRun(QPointF(0, y + m_baseline), run);
}

void THexPane::PaintRowMarks(QPainter &painter, int64_t row, int y)
{
    const uint16_t marks = m_marks(row);
    for (int column = 0; column < THexLayout::BytesPerRow;) {
        if (!(marks & (1u << column))) {
            ++column;
            continue;
        }
        int end = column;
        while (end < THexLayout::BytesPerRow && (marks & (1u << end)))
            ++end;
        const THexLayout::TCellSpan hex = THexLayout::HexCells({column, end - column});
        const THexLayout::TCellSpan chars = THexLayout::CharCells({column, end - column});
        painter.fillRect(QRect(hex.first * m_charWidth, y, hex.count * m_charWidth, m_lineHeight), m_markColor);
        painter.fillRect(QRect(chars.first * m_charWidth, y, chars.count * m_charWidth, m_lineHeight), m_markColor);
        column = end;
    }
}

void THexPane::InvertRowSelection(QPainter &painter, int64_t row, int y)
{
    const THexLayout::TColumnSpan columns =
        THexLayout::SelectedColumns(m_selStart, m_selLength, row);
    if (columns.empty())
        return;
    const THexLayout::TCellSpan hex = THexLayout::HexCells(columns);
    const THexLayout::TCellSpan chars = THexLayout::CharCells(columns);
    InvertCells(painter, hex.first, hex.count, y);
    InvertCells(painter, chars.first, chars.count, y);
}

void THexPane::InvertCells(QPainter &painter, int first, int count, int y)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(QRect(first * m_charWidth, y, count * m_charWidth, m_lineHeight), Qt::black);
    painter.restore();
}
