#include "app/ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// Drawn on a 64 x 64 grid and scaled, so every size has the same shape.
QPixmap DrawAppIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1d, 0x3a, 0x5f));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Glass: stem and bulb in one outline.
    QPainterPath glass;
    glass.addRoundedRect(QRectF(25, 7, 14, 40), 7, 7);
    glass.addEllipse(QPointF(32, 46), 11, 11);
    glass.setFillRule(Qt::WindingFill);
    p.setBrush(QColor(0xf2, 0xf6, 0xfa));
    p.drawPath(glass.simplified());

    // Column and bulb of cold liquid.
    const QColor frost(0x3c, 0xb4, 0xe6);
    p.setBrush(frost);
    p.drawEllipse(QPointF(32, 46), 7, 7);
    p.drawRect(QRectF(29, 30, 6, 12));

    // Scale marks.
    p.setPen(QPen(QColor(0x1d, 0x3a, 0x5f), 2));
    for (int y = 14; y <= 30; y += 8)
        p.drawLine(QLineF(39, y, 34, y));
    return pixmap;
}

QIcon CreateAppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawAppIcon(size));
    return icon;
}
