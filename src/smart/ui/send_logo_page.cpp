#include "smart/ui/send_logo_page.h"

#include "ui_send_logo_page.h"

namespace pelmar {

SendLogoPage::SendLogoPage(QWidget* parent) : QWidget(parent), ui(new Ui::SendLogoPage) {
    ui->setupUi(this);
}

SendLogoPage::~SendLogoPage() {
    delete ui;
}

}  // namespace pelmar
