#pragma once

#include <QWidget>

namespace Ui {
class PhoneBookPage;
}

namespace pelmar {

// The "TabSheet6" tab of the main window; its controls join with the page's own work.
class PhoneBookPage : public QWidget {
    Q_OBJECT

  public:
    explicit PhoneBookPage(QWidget* parent = nullptr);
    ~PhoneBookPage() override;

  private:
    Ui::PhoneBookPage* ui;
};

}  // namespace pelmar
