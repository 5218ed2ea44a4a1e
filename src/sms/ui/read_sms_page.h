#pragma once

#include <QWidget>

namespace Ui {
class ReadSmsPage;
}

namespace pelmar {

// The "TabSheet5" tab of the main window; its controls join with the page's own work.
class ReadSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReadSmsPage(QWidget* parent = nullptr);
    ~ReadSmsPage() override;

  private:
    Ui::ReadSmsPage* ui;
};

}  // namespace pelmar
