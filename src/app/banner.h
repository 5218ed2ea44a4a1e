#pragma once

#include <QWidget>

namespace pelmar {

// The picture on the Settings tab, drawn rather than loaded so it stays sharp at any scale.
class Banner : public QWidget {
    Q_OBJECT

  public:
    explicit Banner(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace pelmar
