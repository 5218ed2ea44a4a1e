#pragma once

#include <QWidget>

namespace Ui {
class SendSmsPage;
}

namespace pelmar {

// The "TabSheet3" tab of the main window; its controls join with the page's own work.
class SendSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendSmsPage(QWidget* parent = nullptr);
    ~SendSmsPage() override;

  private:
    Ui::SendSmsPage* ui;
};

}  // namespace pelmar
