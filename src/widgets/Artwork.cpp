#include "Artwork.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {

// A rounded speech bubble with a "P", the program's mark.
void paintMark(QPainter& p, const QRectF& box, const QColor& bubble, const QColor& letter) {
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath path;
    const QRectF body(box.left() + w * 0.08, box.top() + h * 0.1, w * 0.84, h * 0.66);
    path.addRoundedRect(body, w * 0.16, h * 0.16);
    QPolygonF tail;
    tail << QPointF(box.left() + w * 0.28, body.bottom() - 1)
         << QPointF(box.left() + w * 0.22, box.top() + h * 0.94)
         << QPointF(box.left() + w * 0.48, body.bottom() - 1);
    path.addPolygon(tail);
    path.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(bubble);
    p.drawPath(path.simplified());

    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(qMax(6, int(h * 0.5)));
    p.setFont(font);
    p.setPen(letter);
    p.drawText(body, Qt::AlignCenter, QStringLiteral("P"));
}

} // namespace

namespace Artwork {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(BannerBlue);
        p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
        paintMark(p, QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8), Qt::white, BannerBlue);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap bannerPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(BannerBlue);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paintMark(p, QRectF(0, 0, size, size), Qt::white, BannerBlue);
    return pixmap;
}

QPixmap backgroundPicture() {
    const int width = 360;
    const int height = 150;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor faint(255, 255, 255, 150);
    paintMark(p, QRectF(0, 10, 130, 130), faint, QColor(120, 132, 150));
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(64);
    p.setFont(font);
    p.setPen(faint);
    p.drawText(QRectF(140, 0, width - 140, height), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Parlex"));
    return pixmap;
}

QPixmap informationPicture(int size) {
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size);
}

QPixmap hourglassPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor frame(90, 60, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRect(QRectF(s * 0.2, s * 0.06, s * 0.6, s * 0.08));
    p.drawRect(QRectF(s * 0.2, s * 0.86, s * 0.6, s * 0.08));
    QPolygonF glass;
    glass << QPointF(s * 0.28, s * 0.14) << QPointF(s * 0.72, s * 0.14)
          << QPointF(s * 0.52, s * 0.5) << QPointF(s * 0.72, s * 0.86)
          << QPointF(s * 0.28, s * 0.86) << QPointF(s * 0.48, s * 0.5);
    p.setPen(QPen(frame, qMax(1.0, s * 0.04)));
    p.setBrush(QColor(235, 245, 255));
    p.drawPolygon(glass);
    QPolygonF sand;
    sand << QPointF(s * 0.36, s * 0.84) << QPointF(s * 0.64, s * 0.84)
         << QPointF(s * 0.5, s * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(222, 170, 60));
    p.drawPolygon(sand);
    return pixmap;
}

} // namespace Artwork
