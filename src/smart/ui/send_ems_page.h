#pragma once

#include <QWidget>

namespace Ui {
class SendEmsPage;
}

namespace pelmar {

// The "TabSheet1" tab of the main window; its controls join with the page's own work.
class SendEmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendEmsPage(QWidget* parent = nullptr);
    ~SendEmsPage() override;

  private:
    Ui::SendEmsPage* ui;
};

}  // namespace pelmar
