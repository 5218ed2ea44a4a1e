#pragma once

#include <QWidget>

namespace Ui {
class PhoneBookPage;
}

namespace pelmar {

struct PageContext;

// The "TabSheet6" tab of the main window; its controls join with the page's own work.
class PhoneBookPage : public QWidget {
    Q_OBJECT

  public:
    explicit PhoneBookPage(PageContext& context, QWidget* parent = nullptr);
    ~PhoneBookPage() override;

  private:
    Ui::PhoneBookPage* ui;
};

}  // namespace pelmar
