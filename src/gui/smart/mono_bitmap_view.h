#pragma once

#include <QImage>
#include <QWidget>

#include "smart/bitmap.h"

namespace pelmar {

// What Load picture and Load logo open: images of every kind Qt reads, 1-bit bitmaps first.
QString imageFileFilter();

// A picture or logo of `width` × `height` from a file: a 1-bit bitmap through the core's
// `loadBmp` as the handset gets it; any other image Qt reads (PNG, GIF, a 24-bit or 8-bit BMP…)
// of that size turned to black and white at a mid-grey threshold. Throws the core's EBitmap
// (wrong size, not an image) otherwise.
MonoBitmap loadMonoImage(const QString& file, MonoBitmap (*loadBmp)(const QString&), int width,
                         int height);

// `bitmap` enlarged `factor` times in each direction, every pixel a solid square: black for a
// set pixel, white for a clear one. No smoothing, so what is shown is what is sent.
QImage enlargedImage(const MonoBitmap& bitmap, int factor);

// Shows a black-and-white picture or logo at a whole-number scale inside a thin frame.
class MonoBitmapView : public QWidget {
    Q_OBJECT

  public:
    explicit MonoBitmapView(QWidget* parent = nullptr);

    const MonoBitmap& bitmap() const { return m_bitmap; }
    void setBitmap(const MonoBitmap& bitmap);
    int factor() const { return m_factor; }
    void setFactor(int factor);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    MonoBitmap m_bitmap;
    QImage m_image;
    int m_factor = 2;
};

}  // namespace pelmar
