#pragma once

#include <QWidget>

namespace Ui {
class ReadSmsPage;
}

namespace pelmar {

struct PageContext;

// The "TabSheet5" tab of the main window; its controls join with the page's own work.
class ReadSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReadSmsPage(PageContext& context, QWidget* parent = nullptr);
    ~ReadSmsPage() override;

  private:
    Ui::ReadSmsPage* ui;
};

}  // namespace pelmar
