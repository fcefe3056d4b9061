// The cursor read-out under the waveform plot: a small table of the readings under the
// cursors and their differences, each channel's column in its trace colour.
#pragma once

#include "views/curvemeasure.h"

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QRgb>
#include <QStaticText>
#include <QVector>
#include <QWidget>

namespace nuv {

class CReadoutBar : public QWidget {
    Q_OBJECT
public:
    explicit CReadoutBar(QWidget* parent = nullptr);

    // Shows `r`; channel column k (after the index and time columns) takes columnColors[k],
    // the cursor rows' names the cursor colours.
    void Show(const measure::Readout& r, int firstChannelColumn, const QRgb* columnColors, const QRgb* cursorColors);
    // Height that shows `rows` rows.
    int HeightFor(int rows) const;
    const measure::Readout& Current() const { return m_readout; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // The read-out changes with every cursor move: numbers are drawn from glyphs looked up
    // once, a column's numbers in one run; other texts (headings, names) are laid out once.
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0.0;
        bool known = false;
    };
    bool Simple(const QString& text) const;
    qreal Width(const QString& text);
    Glyph m_glyph[128];
    QRawFont m_raw;
    QHash<QString, QStaticText> m_texts;
    QVector<quint32> m_runIndexes;
    QVector<QPointF> m_runPositions;

    measure::Readout m_readout;
    int m_nFirstChannel = 3;
    QRgb m_columnColor[8]{};
    QRgb m_cursorColor[2]{};
    QFont m_font;
    int m_nLine = 16;
};

} // namespace nuv
