#include "views/readoutbar.h"

#include "views/curvepaint.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace nuv {

namespace {
constexpr int kPad = 2;         // above the first and below the last row
constexpr int kColumnGap = 14;  // between columns
const QColor kHeading(160, 160, 160);
const QColor kText(220, 220, 220);
} // namespace

CReadoutBar::CReadoutBar(QWidget* parent) : QWidget(parent), m_font(CCurvePainter::LabelFont())
{
    m_nLine = QFontMetrics(m_font).height() + 2;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

int CReadoutBar::HeightFor(int rows) const { return rows * m_nLine + 2 * kPad; }

void CReadoutBar::Show(const measure::Readout& r, int firstChannelColumn, const QRgb* columnColors,
                       const QRgb* cursorColors)
{
    m_readout = r;
    m_nFirstChannel = firstChannelColumn;
    for (int k = 0; k < 8; ++k)
        m_columnColor[k] = columnColors != nullptr ? columnColors[k] : qRgb(220, 220, 220);
    for (int k = 0; k < 2; ++k)
        m_cursorColor[k] = cursorColors != nullptr ? cursorColors[k] : qRgb(220, 220, 220);
    update();
}

void CReadoutBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setPen(QColor(120, 120, 120));
    p.drawLine(0, 0, width(), 0);
    p.setFont(m_font);
    const QFontMetrics fm(m_font);
    const measure::Readout& r = m_readout;
    int x = 8;
    for (int c = 0; c < r.columns; ++c) {
        int w = 0;
        for (int row = 0; row < r.rows; ++row)
            w = std::max(w, fm.horizontalAdvance(r.cell[row][c]));
        const bool channel = c >= m_nFirstChannel;
        for (int row = 0; row < r.rows; ++row) {
            QColor color = row == 0 ? kHeading : kText;
            if (channel)
                color = QColor::fromRgb(m_columnColor[std::clamp(c - m_nFirstChannel, 0, 7)]);
            else if (c == 0 && (row == 1 || row == 2) && r.cell[row][0] != QStringLiteral("Δ"))
                color = QColor::fromRgb(m_cursorColor[row - 1]);
            p.setPen(color);
            const int base = kPad + row * m_nLine + fm.ascent() + 1;
            // numbers right-aligned in their column, the row names left-aligned
            const int tx = c == 0 ? x : x + w - fm.horizontalAdvance(r.cell[row][c]);
            p.drawText(tx, base, r.cell[row][c]);
        }
        x += w + kColumnGap;
    }
}

} // namespace nuv
