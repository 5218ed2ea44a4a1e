#pragma once

#include <QWidget>

#include "gui/common/page_seam.h"

namespace Ui {
class SendLogoPage;
}

namespace pelmar {

struct Workspace;

// The "Send Logo" tab: a 72 × 14 operator logo for the network chosen by name, sent to the
// shared recipient number as a smart message.
class SendLogoPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendLogoPage(Workspace& workspace, QWidget* parent = nullptr);
    ~SendLogoPage() override;

  signals:
    // The picker button was pressed: the window offers the phonebooks.
    void pickNumberRequested();

  private:
    void SendLogoBtnClick();
    void LoadlogoBtnClick();

    Ui::SendLogoPage* ui;
    Workspace& m_workspace;
    PageSeam m_seam;
};

}  // namespace pelmar
