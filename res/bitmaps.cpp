#include "res/bitmaps.h"

#include "res/resource.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

static void InitNuvResources() { Q_INIT_RESOURCE(nuv); }

namespace nuv {

namespace {

QPixmap Blank()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap Lamp(QColor fill)
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(6, 6), 9);
    g.setColorAt(0, fill.lighter(170));
    g.setColorAt(1, fill);
    p.setBrush(g);
    p.setPen(QPen(fill.darker(160), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pm;
}

QPixmap LineState(int id)
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    if (id == IDB_LINE_INVALID) {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(120, 120, 120), 2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    } else if (id == IDB_LINE_HIGH) {
        p.setBrush(QColor(230, 40, 40));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(8, 12), QPointF(8, 4));
        p.drawLine(QPointF(5, 7), QPointF(8, 4));
        p.drawLine(QPointF(11, 7), QPointF(8, 4));
    } else {
        p.setBrush(QColor(30, 140, 40));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(8, 4), QPointF(8, 12));
        p.drawLine(QPointF(5, 9), QPointF(8, 12));
        p.drawLine(QPointF(11, 9), QPointF(8, 12));
    }
    return pm;
}

// Window tabs: a waveform, a pair of switches, a document, a spare.
QPixmap WindowTab(int k)
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    static const QColor colors[4] = {QColor(30, 90, 200), QColor(20, 140, 60), QColor(200, 110, 20), QColor(120, 60, 160)};
    const QColor c = colors[k & 3];
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(QRectF(0.5, 1.5, 15, 13), 2, 2);
    p.setPen(QPen(c, 1.6));
    if (k == 0) {
        QPainterPath path(QPointF(2, 9));
        path.cubicTo(QPointF(5, 1), QPointF(7, 1), QPointF(8, 8));
        path.cubicTo(QPointF(9, 15), QPointF(11, 15), QPointF(14, 6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    } else if (k == 1) {
        p.setBrush(c);
        p.drawRect(QRectF(3, 4, 3, 8));
        p.drawRect(QRectF(10, 4, 3, 5));
    } else if (k == 2) {
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(3, y), QPointF(13, y));
    } else {
        p.setBrush(c);
        p.drawEllipse(QRectF(5, 5, 6, 6));
    }
    return pm;
}

// Bar tabs: a gear-like disc, a table, a chart, a spare.
QPixmap BarTab(int k)
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (k == 0) {
        p.setPen(QPen(QColor(70, 70, 90), 1));
        p.setBrush(QColor(160, 170, 200));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
    } else if (k == 1) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
        p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
        p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
    } else if (k == 2) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 120, 200));
        p.drawRect(QRectF(2, 8, 3, 6));
        p.drawRect(QRectF(7, 4, 3, 10));
        p.drawRect(QRectF(12, 10, 3, 4));
    } else {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(240, 220, 120));
        p.drawRect(QRectF(2.5, 4.5, 11, 8));
    }
    return pm;
}

QPixmap PaintedAppIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    p.setPen(QPen(QColor(20, 30, 80), 2));
    p.setBrush(QColor(30, 30, 70));
    p.drawRoundedRect(QRectF(3, 3, 42, 42), 7, 7);
    p.setPen(QPen(QColor(80, 220, 120), 2.5));
    QPainterPath wave(QPointF(8, 26));
    wave.cubicTo(QPointF(14, 6), QPointF(20, 6), QPointF(24, 24));
    wave.cubicTo(QPointF(28, 42), QPointF(34, 42), QPointF(40, 20));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return pm;
}

} // namespace

QPixmap LoadBitmap(int id)
{
    switch (id) {
    case IDB_BREAK_NA:
        return Lamp(QColor(150, 150, 150));
    case IDB_BREAK_BROKEN:
        return Lamp(QColor(220, 30, 30));
    case IDB_BREAK_OK:
        return Lamp(QColor(30, 170, 50));
    case IDB_LINE_INVALID:
    case IDB_LINE_HIGH:
    case IDB_LINE_LOW:
        return LineState(id);
    default:
        return {};
    }
}

QList<QPixmap> LoadImageStrip(int id)
{
    QList<QPixmap> strip;
    for (int k = 0; k < 4; ++k) {
        if (id == IDB_WINDOW_TABS)
            strip.append(WindowTab(k));
        else if (id == IDB_BAR_TABS)
            strip.append(BarTab(k));
    }
    return strip;
}

QIcon AppIcon()
{
    InitNuvResources();
    QIcon icon;
    const QString file = QStringLiteral(":/nuv/nuv-48.png");
    if (QFile::exists(file))
        icon.addFile(file, QSize(48, 48));
    icon.addPixmap(PaintedAppIcon(16));
    icon.addPixmap(PaintedAppIcon(32));
    if (icon.availableSizes().size() < 3)
        icon.addPixmap(PaintedAppIcon(48));
    return icon;
}

} // namespace nuv
