#include "app/banner.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include "app/app_icon.h"

namespace pelmar {

namespace {

constexpr QSize kSize(500, 170);

// `font` made smaller, if need be, until every line of `text` fits into `width`.
QFont fitted(QFont font, const QString& text, qreal width) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    while (font.pixelSize() > 6) {
        const QFontMetricsF metrics(font);
        qreal widest = 0;
        for (const QString& l : lines)
            widest = qMax(widest, metrics.horizontalAdvance(l));
        if (widest <= width)
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
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
    drawHandsetMark(p, QRectF(area.left() + area.width() * 0.06, area.top() + area.height() * 0.17,
                              h * 1.1, h));

    // The name and the jobs, sized from the banner's own height so they scale with it.
    QFont title = font();
    title.setPixelSize(qMax(12, int(area.height() * 0.24)));
    title.setBold(true);
    QFont line = font();
    line.setPixelSize(qMax(8, int(area.height() * 0.085)));
    const QRectF text(area.left() + area.width() * 0.42, area.top(), area.width() * 0.55,
                      area.height());
    const QString name = QStringLiteral("Pelmar");
    const QString jobs = QStringLiteral("Text messages · Phonebooks\nRingtones · Pictures · Logos");
    p.setPen(Qt::white);
    p.setFont(fitted(title, name, text.width()));
    p.drawText(text.adjusted(0, 0, 0, -area.height() * 0.45), Qt::AlignLeft | Qt::AlignBottom,
               name);
    p.setFont(fitted(line, jobs, text.width()));
    p.setPen(QColor(0xd6, 0xea, 0xf8));
    p.drawText(text.adjusted(0, area.height() * 0.58, 0, 0), Qt::AlignLeft | Qt::AlignTop, jobs);
}

}  // namespace pelmar
