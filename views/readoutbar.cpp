#include "views/readoutbar.h"

#include "views/curvepaint.h"

#include <QFontMetrics>
#include <QGlyphRun>
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
    m_raw = QRawFont::fromFont(m_font);
    const QString chars = QStringLiteral("0123456789.-+:s ");
    if (m_raw.isValid()) {
        const QList<quint32> idx = m_raw.glyphIndexesForString(chars);
        const QList<QPointF> adv = m_raw.advancesForGlyphIndexes(idx);
        for (qsizetype i = 0; i < chars.size() && i < idx.size() && i < adv.size(); ++i) {
            Glyph& g = m_glyph[chars[i].unicode()];
            g.index = idx[i];
            g.advance = adv[i].x();
            g.known = idx[i] != 0;
        }
    }
}

bool CReadoutBar::Simple(const QString& text) const
{
    for (const QChar ch : text)
        if (ch.unicode() >= 128 || !m_glyph[ch.unicode()].known)
            return false;
    return !text.isEmpty();
}

qreal CReadoutBar::Width(const QString& text)
{
    if (Simple(text)) {
        qreal w = 0.0;
        for (const QChar ch : text)
            w += m_glyph[ch.unicode()].advance;
        return w;
    }
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        if (m_texts.size() > 256)
            m_texts.clear();
        QStaticText t(text);
        t.setTextFormat(Qt::PlainText);
        t.prepare(QTransform(), m_font);
        it = m_texts.insert(text, t);
    }
    return it->size().width();
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
    qreal x = 8;
    for (int c = 0; c < r.columns; ++c) {
        qreal w = 0;
        for (int row = 0; row < r.rows; ++row)
            w = std::max(w, Width(r.cell[row][c]));
        const bool channel = c >= m_nFirstChannel;
        const QColor columnInk = channel ? QColor::fromRgb(m_columnColor[std::clamp(c - m_nFirstChannel, 0, 7)]) : kText;
        m_runIndexes.clear();
        m_runPositions.clear();
        for (int row = 0; row < r.rows; ++row) {
            const QString& text = r.cell[row][c];
            if (text.isEmpty())
                continue;
            const qreal base = kPad + row * m_nLine + fm.ascent() + 1;
            // numbers right-aligned in their column, the row names left-aligned
            const qreal tx = c == 0 ? x : x + w - Width(text);
            if (Simple(text) && row > 0) {
                qreal gx = tx;
                for (const QChar ch : text) {
                    const Glyph& g = m_glyph[ch.unicode()];
                    m_runIndexes.push_back(g.index);
                    m_runPositions.push_back(QPointF(gx, base));
                    gx += g.advance;
                }
                continue;
            }
            QColor ink = row == 0 ? kHeading : columnInk;
            if (c == 0 && (row == 1 || row == 2) && text != QStringLiteral("Δ"))
                ink = QColor::fromRgb(m_cursorColor[row - 1]);
            p.setPen(ink);
            Width(text);   // laid out once
            p.drawStaticText(QPointF(tx, base - fm.ascent()), m_texts.value(text));
        }
        if (!m_runIndexes.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(m_raw);
            run.setGlyphIndexes(m_runIndexes);
            run.setPositions(m_runPositions);
            p.setPen(columnInk);
            p.drawGlyphRun(QPointF(0, 0), run);
        }
        x += w + kColumnGap;
    }
}

} // namespace nuv
