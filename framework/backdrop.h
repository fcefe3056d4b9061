// Holder of a field that changes often (a reading's cold-junction temperature, the sample
// count). A field draws over what is behind it, so each of its repaints would draw its
// group box, tool bar and frames again. The holder is opaque: it paints a copy of what its
// surroundings draw in its place, taken once, so a repaint of the field stops there.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace nuv {

class CBackdrop : public QWidget {
public:
    // Lays `field` out to fill the holder, which takes the field's size policy.
    CBackdrop(QWidget* field, QWidget* parent);
    ~CBackdrop() override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject*, QEvent* e) override;

private:
    void TakeCopy(qreal dpr);

    QPixmap m_copy;
};

} // namespace nuv
