#pragma once

#include <QWidget>

namespace Ui {
class SendLogoPage;
}

namespace pelmar {

struct PageContext;

// The "TabSheet2" tab of the main window; for now only its recipient number fields, bound
// to the shared number; the senders join later.
class SendLogoPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendLogoPage(PageContext& context, QWidget* parent = nullptr);
    ~SendLogoPage() override;

  private:
    Ui::SendLogoPage* ui;
};

}  // namespace pelmar
