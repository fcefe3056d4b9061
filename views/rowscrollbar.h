// A scroll bar that repaints only what a change of its range or value changes.
#pragma once

#include <QEvent>
#include <QRect>
#include <QRegion>
#include <QScrollBar>
#include <QSize>
#include <QStyle>
#include <QStyleOptionSlider>

namespace nuv {

// A scroll bar (a list that grows at its bottom, a pane that pages through a recording).
// When the range or the value changes, only what changes is painted again: the slider where it was and where it is
// now (with a margin for what a style draws around it), and an end's arrow when that end
// is reached or left (some styles grey it out). Any other change of the bar's look (its
// size, the slider shown or not, style, palette) repaints it whole as usual.
// Between Hold() and Release(), with no events handled between them, the changes are
// gathered: a range that grows and the value that follows it to the end repaint only what
// differs from the start to the end.
class CRowScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    void Hold() { m_bHeld = true; }
    void Release()
    {
        if (m_bHeld) {
            m_bHeld = false;
            Changed(SliderValueChange);
        }
    }

protected:
    void sliderChange(SliderChange change) override
    {
        if (!m_bHeld || (change != SliderValueChange && change != SliderRangeChange))
            Changed(change);
    }
    void changeEvent(QEvent* e) override
    {
        m_look = Look();   // the look may change: the next change of range or value repaints it whole
        QScrollBar::changeEvent(e);
    }

private:
    struct Look {
        QSize size;
        QRect slider, subLine, addLine;
        bool enabled = false, atMin = false, atMax = false, empty = true;
        bool SameFrame(const Look& o) const
        {
            return !size.isEmpty() && size == o.size && enabled == o.enabled && empty == o.empty &&
                   subLine == o.subLine && addLine == o.addLine;
        }
    };

    void Changed(SliderChange change)
    {
        const Look was = m_look;
        m_look = Current();
        if ((change != SliderValueChange && change != SliderRangeChange) || !was.SameFrame(m_look)) {
            QScrollBar::sliderChange(change);
            return;
        }
        QRegion dirty;
        if (was.slider != m_look.slider) {
            const int m = 2;
            dirty += was.slider.adjusted(-m, -m, m, m);
            dirty += m_look.slider.adjusted(-m, -m, m, m);
        }
        if (was.atMin != m_look.atMin)
            dirty += m_look.subLine;
        if (was.atMax != m_look.atMax)
            dirty += m_look.addLine;
        if (!dirty.isEmpty())
            update(dirty & rect());
    }

    Look Current() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        const QStyle* s = style();
        Look l;
        l.size = size();
        l.slider = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
        l.subLine = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSubLine, this);
        l.addLine = s->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, this);
        l.enabled = isEnabled();
        l.atMin = value() <= minimum();
        l.atMax = value() >= maximum();
        l.empty = minimum() >= maximum();
        return l;
    }

    Look m_look;
    bool m_bHeld = false;
};

} // namespace nuv
