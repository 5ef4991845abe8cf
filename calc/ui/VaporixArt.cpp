#include "calc/ui/VaporixArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Tile(0x12, 0x4e, 0x5a);
const QColor Glass(0xf4, 0xf8, 0xfb);
const QColor Liquid(0x2f, 0x9c, 0xe0);
const QColor Vapor(0xd8, 0xee, 0xf6);

// The flask on a 64 x 64 grid: neck, round body, liquid with bubbles, and two
// wisps of vapor over the mouth.
void DrawFlask(QPainter& p) {
    QPainterPath glass;
    glass.addRoundedRect(QRectF(27, 16, 10, 18), 2, 2);
    glass.addEllipse(QPointF(32, 42), 16, 16);
    glass.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(Glass);
    p.drawPath(glass.simplified());
    p.drawRoundedRect(QRectF(24, 13, 16, 5), 2, 2);

    QPainterPath liquid;
    liquid.addEllipse(QPointF(32, 42), 13, 13);
    QPainterPath below;
    below.addRect(QRectF(14, 40, 36, 20));
    p.setBrush(Liquid);
    p.drawPath(liquid.intersected(below));

    p.setBrush(Glass);
    p.drawEllipse(QPointF(27, 48), 2.2, 2.2);
    p.drawEllipse(QPointF(36, 45), 1.6, 1.6);
    p.drawEllipse(QPointF(33, 51), 1.3, 1.3);

    QPen wisp(Vapor, 2.4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wisp);
    p.setBrush(Qt::NoBrush);
    for (double x : {28.0, 36.0}) {
        QPainterPath path(QPointF(x, 11));
        path.cubicTo(QPointF(x - 4, 8), QPointF(x + 4, 6), QPointF(x, 2.5));
        p.drawPath(path);
    }
}

} // namespace

QPixmap DrawVaporixIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Tile);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    DrawFlask(p);
    return pixmap;
}

QIcon CreateVaporixIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawVaporixIcon(size));
    return icon;
}

QPixmap CreateVaporixBanner() {
    const QSize size(400, 72);
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), 0);
    sky.setColorAt(0, Tile);
    sky.setColorAt(1, QColor(0x2a, 0x8f, 0xa8));
    p.fillRect(pixmap.rect(), sky);

    p.save();
    p.translate(10, 4);
    DrawFlask(p);
    p.restore();

    QFont title = p.font();
    title.setPixelSize(28);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Glass);
    p.drawText(QRect(84, 6, size.width() - 90, 36), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vaporix"));
    QFont subtitle = p.font();
    subtitle.setPixelSize(13);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(Vapor);
    p.drawText(QRect(86, 42, size.width() - 90, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Boiling temperature from vapor pressure"));
    return pixmap;
}
