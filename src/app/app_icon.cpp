#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelmar {

void drawHandsetMark(QPainter& p, const QRectF& box) {
    const qreal u = box.height() / 10.0;
    const QRectF body(box.left(), box.top(), 5.2 * u, 10 * u);
    p.setPen(QPen(QColor(0x1d, 0x3b, 0x53), 0.25 * u));
    p.setBrush(QColor(0xf4, 0xf7, 0xfa));
    p.drawRoundedRect(body, 0.9 * u, 0.9 * u);
    p.setBrush(QColor(0x9f, 0xd3, 0xc7));
    p.drawRoundedRect(body.adjusted(0.6 * u, 1.0 * u, -0.6 * u, -4.6 * u), 0.3 * u, 0.3 * u);
    p.setBrush(QColor(0x1d, 0x3b, 0x53));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            p.drawEllipse(
                QPointF(body.left() + (1.3 + 1.3 * col) * u, body.top() + (6.3 + 1.1 * row) * u),
                0.3 * u, 0.3 * u);
        }
    }
    QPainterPath bubble;
    const QRectF cloud(body.right() + 0.8 * u, box.top() - 0.2 * u, 5.0 * u, 3.2 * u);
    bubble.addRoundedRect(cloud, 0.8 * u, 0.8 * u);
    bubble.moveTo(cloud.left() + 0.8 * u, cloud.bottom() - 0.1 * u);
    bubble.lineTo(body.right() - 0.2 * u, cloud.bottom() + 1.4 * u);
    bubble.lineTo(cloud.left() + 2.0 * u, cloud.bottom() - 0.1 * u);
    p.setBrush(Qt::white);
    p.drawPath(bubble.simplified());
    p.setPen(QPen(QColor(0x1d, 0x3b, 0x53), 0.3 * u, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 3; ++line) {
        const qreal y = cloud.top() + (0.8 + 0.8 * line) * u;
        p.drawLine(QPointF(cloud.left() + 0.7 * u, y),
                   QPointF(cloud.right() - (line == 2 ? 2.0 : 0.7) * u, y));
    }
}

QIcon appIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        // The SVG's view box: a square 11.4 units wide around the mark.
        const qreal u = side / 11.4;
        drawHandsetMark(p, QRectF(0.2 * u, 0.8 * u, 11 * u, 10 * u));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace pelmar
