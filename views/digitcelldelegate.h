// The live table's cells drawn from glyphs looked up once per font.
#pragma once

#include <QApplication>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <QPalette>
#include <QRawFont>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <algorithm>
#include <cstring>
#include <iterator>

namespace nuv {

// Draws the list's cells as the usual delegate has the common styles draw them, without
// laying their text out each time: the glyphs of the characters the numbers are made of
// are looked up once per font, with their advances and the place of the baseline, and
// every two of them side by side are checked against the text layout (a pair the font
// kerns or joins, like "ff", is left to the layout). A cell is its text alone, placed as
// the style places it. Anything else (a selected row, the focus frame, text to be elided
// or with other characters, other styles, which may draw items their own way) goes to
// the usual delegate.
class CDigitCellDelegate : public QStyledItemDelegate {
public:
    CDigitCellDelegate(const QAbstractItemModel* rows, QObject* parent) : QStyledItemDelegate(parent), m_pRows(rows) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QWidget* widget = option.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        if (!CommonItems(style) || option.direction != Qt::LeftToRight ||
            (option.state & (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing))) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        if (index.model() == m_pRows) {
            // The list's own rows give a cell its text and alignment, nothing else.
            opt.index = index;
            opt.text = index.data(Qt::DisplayRole).toString();
            opt.displayAlignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
            opt.features = opt.text.isEmpty() ? QStyleOptionViewItem::None : QStyleOptionViewItem::HasDisplay;
        } else {
            initStyleOption(&opt, index);
        }
        const Glyphs& g = GlyphsOf(opt.font);
        bool plain = g.usable && opt.features == QStyleOptionViewItem::HasDisplay &&
                     (opt.displayAlignment & Qt::AlignLeft) && opt.backgroundBrush.style() == Qt::NoBrush;
        // Where the style puts the text: inside the focus frame's margins, centred as a
        // line of the font is high.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
        const int n = int(opt.text.size());
        QList<quint32> ids(n);
        QList<QPointF> at(n);
        if (plain) {
            const qreal baseline = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                                       QSize(1, g.height), textRect).top() + g.ascent;
            qreal x = 0;
            int before = -1;
            for (int i = 0; i < n && plain; ++i) {
                const ushort c = opt.text[i].unicode();
                const int k = c < 128 ? g.slot[c] : -1;
                plain = k >= 0 && (before < 0 || g.pair[before][k]);
                if (plain) {
                    ids[i] = g.id[k];
                    at[i] = QPointF(textRect.x() + x, baseline);
                    x += g.advance[k];
                    before = k;
                }
            }
            plain = plain && x <= textRect.width();
        }
        if (!plain) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QPalette::ColorGroup cg = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
            cg = QPalette::Inactive;
        p->save();
        if (p->hasClipping())
            p->setClipRegion(p->clipRegion() & opt.rect);
        else
            p->setClipRect(opt.rect);
        p->setPen(opt.palette.color(cg, QPalette::Text));
        QGlyphRun run;
        run.setRawFont(g.raw);
        run.setGlyphIndexes(ids);
        run.setPositions(at);
        p->drawGlyphRun(QPointF(0, 0), run);
        p->restore();
    }

private:
    // The characters the list's numbers are made of (the time column's too).
    static constexpr char kChars[] = "0123456789abcdef.-:";
    static constexpr int kCount = int(sizeof kChars) - 1;
    struct Glyphs {
        QFont font;
        bool built = false;
        bool usable = false;
        QRawFont raw;
        int8_t slot[128];              // place of a character in kChars; -1: none
        quint32 id[kCount]{};
        qreal advance[kCount]{};
        bool pair[kCount][kCount]{};   // the two side by side as the layout places them
        qreal ascent = 0;              // the baseline below the top of a line of text
        int height = 0;                // the line's height as the style rounds it
        Glyphs() { std::fill(std::begin(slot), std::end(slot), int8_t(-1)); }
    };

    // Styles that draw an item as the common style does.
    static bool CommonItems(const QStyle* style)
    {
        const char* name = style->metaObject()->className();
        return std::strcmp(name, "QFusionStyle") == 0 || std::strcmp(name, "QWindowsStyle") == 0;
    }

    const Glyphs& GlyphsOf(const QFont& font) const
    {
        if (m_glyphs.built && m_glyphs.font == font)
            return m_glyphs;
        Glyphs g;
        g.font = font;
        g.built = true;
        g.usable = true;
        const QString chars = QString::fromLatin1(kChars);
        for (int i = 0; i < kCount && g.usable; ++i) {
            g.slot[chars[i].unicode()] = int8_t(i);
            for (int j = 0; j < kCount && g.usable; ++j) {
                QTextLayout layout(QString(chars[i]) + chars[j], font);
                QTextOption textOption;
                textOption.setWrapMode(QTextOption::ManualWrap);
                layout.setTextOption(textOption);
                layout.beginLayout();
                QTextLine line = layout.createLine();
                line.setLineWidth(1000);
                line.setPosition(QPointF(0, 0));
                layout.endLayout();
                const QList<QGlyphRun> runs = layout.glyphRuns();
                const int height = layout.boundingRect().size().toSize().height();
                if (runs.size() != 1 || runs[0].positions().isEmpty()) {
                    g.usable = false;
                    break;
                }
                const QList<quint32> ids = runs[0].glyphIndexes();
                const QList<QPointF> pos = runs[0].positions();
                if (!g.raw.isValid()) {
                    g.raw = runs[0].rawFont();
                    const QList<quint32> own = g.raw.glyphIndexesForString(chars);
                    const QList<QPointF> advances = g.raw.advancesForGlyphIndexes(own);
                    g.usable = own.size() == kCount && advances.size() == kCount && !own.contains(0);
                    for (int k = 0; k < kCount && g.usable; ++k) {
                        g.id[k] = own[k];
                        g.advance[k] = advances[k].x();
                    }
                    g.ascent = pos[0].y();
                    g.height = height;
                }
                g.pair[i][j] = g.usable && runs[0].rawFont() == g.raw && height == g.height && ids.size() == 2 &&
                               ids[0] == g.id[i] && ids[1] == g.id[j] && pos[0] == QPointF(0, g.ascent) &&
                               pos[1] == QPointF(g.advance[i], g.ascent);
            }
        }
        m_glyphs = g;
        return m_glyphs;
    }

    const QAbstractItemModel* m_pRows;
    mutable Glyphs m_glyphs;
};

} // namespace nuv
