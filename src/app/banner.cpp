#include "app/banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace pelmar {

namespace {

constexpr QSize kSize(500, 170);

// A handset outline with a screen and a speech bubble, in a box `h` units tall.
void drawHandset(QPainter& p, const QRectF& box) {
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

}  // namespace

Banner::Banner(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(QStringLiteral("Pelmar banner"));
    setAccessibleDescription(QStringLiteral("A handset with a message"));
}

QSize Banner::sizeHint() const {
    return kSize;
}

QSize Banner::minimumSizeHint() const {
    return kSize * 0.8;
}

void Banner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0.0, QColor(0x2a, 0x6f, 0x97));
    sky.setColorAt(1.0, QColor(0x01, 0x2a, 0x4a));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(area, 6, 6);

    const qreal h = area.height() * 0.7;
    drawHandset(p, QRectF(area.left() + area.width() * 0.06, area.top() + area.height() * 0.17,
                          h * 1.1, h));

    // The name and the jobs, sized from the banner's own height so they scale with it.
    QFont title = font();
    title.setPixelSize(qMax(12, int(area.height() * 0.24)));
    title.setBold(true);
    QFont line = font();
    line.setPixelSize(qMax(8, int(area.height() * 0.085)));
    const QRectF text(area.left() + area.width() * 0.42, area.top(), area.width() * 0.55,
                      area.height());
    p.setPen(Qt::white);
    p.setFont(title);
    p.drawText(text.adjusted(0, 0, 0, -area.height() * 0.45), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("Pelmar"));
    p.setFont(line);
    p.setPen(QColor(0xd6, 0xea, 0xf8));
    p.drawText(text.adjusted(0, area.height() * 0.58, 0, 0), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Text messages · Phonebooks\nRingtones · Pictures · Logos"));
}

}  // namespace pelmar
