#pragma once

#include <QWidget>

namespace Ui {
class SendLogoPage;
}

namespace pelmar {

// The "TabSheet2" tab of the main window; its controls join with the page's own work.
class SendLogoPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendLogoPage(QWidget* parent = nullptr);
    ~SendLogoPage() override;

  private:
    Ui::SendLogoPage* ui;
};

}  // namespace pelmar
