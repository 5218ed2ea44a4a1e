#pragma once

#include <QWidget>

namespace Ui {
class SendEmsPage;
}

namespace pelmar {

struct PageContext;

// The "TabSheet1" tab of the main window; for now only its recipient number fields, bound
// to the shared number; the senders join later.
class SendEmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendEmsPage(PageContext& context, QWidget* parent = nullptr);
    ~SendEmsPage() override;

  private:
    Ui::SendEmsPage* ui;
};

}  // namespace pelmar
