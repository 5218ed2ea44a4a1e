#pragma once

#include <QWidget>

#include "link/input_problem.h"

namespace Ui {
class SendLogoPage;
}

namespace pelmar {

struct PageContext;

// The "Send Logo" tab: a 72 × 14 operator logo for the network chosen by name, sent to the
// shared recipient number as a smart message.
class SendLogoPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendLogoPage(PageContext& context, QWidget* parent = nullptr);
    ~SendLogoPage() override;

  signals:
    // The picker button was pressed: the window offers the phonebooks.
    void pickNumberRequested();

  private:
    void SendLogoBtnClick();
    void LoadlogoBtnClick();
    void refuse(const InputProblem& problem);

    Ui::SendLogoPage* ui;
    PageContext& m_context;
};

}  // namespace pelmar
