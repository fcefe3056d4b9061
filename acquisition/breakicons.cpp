#include "breakicons.h"

#include "resource.h"

#include <QPainter>

namespace nuv {

QPixmap BreakIconPixmap(int id)
{
    QColor fill(160, 160, 160);
    if (id == IDB_BREAK_BROKEN)
        fill = QColor(230, 30, 30);
    else if (id == IDB_BREAK_OK)
        fill = QColor(30, 200, 60);
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6, 6), 9);
    g.setColorAt(0, fill.lighter(150));
    g.setColorAt(1, fill);
    p.setBrush(g);
    p.setPen(QPen(fill.darker(160), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pm;
}

} // namespace nuv
