#include "gui/smart/mono_bitmap_view.h"

#include <QPainter>

namespace pelmar {

namespace {

constexpr int kFrame = 1;  // the framed panel around the picture

}  // namespace

QString imageFileFilter() {
    return QStringLiteral("Bitmaps (*.bmp);;Images (*.bmp *.png *.gif *.jpg *.jpeg *.pbm *.xbm)");
}

MonoBitmap loadMonoImage(const QString& file, MonoBitmap (*loadBmp)(const QString&), int width,
                         int height) {
    try {
        return loadBmp(file);
    } catch (const EBitmap& refused) {
        const QImage image(file);
        if (image.isNull() || image.width() != width || image.height() != height)
            throw;
        // Dark and opaque is black: the handset shows set pixels black.
        MonoBitmap bitmap(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb rgb = image.pixel(x, y);
                bitmap.setPixel(x, y, qAlpha(rgb) >= 128 && qGray(rgb) < 128);
            }
        }
        return bitmap;
    }
}

QImage enlargedImage(const MonoBitmap& bitmap, int factor) {
    factor = qMax(1, factor);
    QImage image(bitmap.width() * factor, bitmap.height() * factor, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, bitmap.pixel(x / factor, y / factor) ? 1 : 0);
    }
    return image;
}

MonoBitmapView::MonoBitmapView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void MonoBitmapView::setBitmap(const MonoBitmap& bitmap) {
    m_bitmap = bitmap;
    m_image = enlargedImage(m_bitmap, m_factor);
    updateGeometry();
    update();
}

void MonoBitmapView::setFactor(int factor) {
    m_factor = qMax(1, factor);
    setBitmap(m_bitmap);
}

QSize MonoBitmapView::sizeHint() const {
    return QSize(m_bitmap.width(), m_bitmap.height()) * m_factor + QSize(2 * kFrame, 2 * kFrame);
}

void MonoBitmapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // At a device scale above 1 the image still lands on whole device pixels: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(kFrame, kFrame), m_image);
}

}  // namespace pelmar
