#include "lineicons.h"

#include "resource.h"

#include <QPainter>
#include <QRadialGradient>

namespace nuv {

namespace {
QPixmap Lamp(const QColor& centre, const QColor& edge, const QColor& rim)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6.5, 6.0), 8.0);
    g.setColorAt(0.0, centre);
    g.setColorAt(1.0, edge);
    p.setBrush(g);
    p.setPen(QPen(rim, 1.0));
    p.drawEllipse(QRectF(1.5, 1.5, 13.0, 13.0));
    return pm;
}
} // namespace

QPixmap LineStateBitmap(int id)
{
    switch (id) {
    case IDB_LINE_INVALID: {
        // Grey lamp with a dash: the line has not been read.
        QPixmap pm = Lamp(QColor(225, 225, 225), QColor(150, 150, 150), QColor(110, 110, 110));
        QPainter p(&pm);
        p.setPen(QPen(QColor(90, 90, 90), 1.5));
        p.drawLine(QPointF(5.0, 8.0), QPointF(11.0, 8.0));
        return pm;
    }
    case IDB_LINE_HIGH:
        return Lamp(QColor(200, 255, 200), QColor(20, 190, 40), QColor(10, 110, 20));
    case IDB_LINE_LOW:
        return Lamp(QColor(70, 90, 70), QColor(20, 35, 20), QColor(10, 20, 10));
    default:
        return QPixmap();
    }
}

} // namespace nuv
