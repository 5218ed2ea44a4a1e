#include "smart/ui/send_ems_page.h"

#include "ui_send_ems_page.h"

namespace pelmar {

SendEmsPage::SendEmsPage(QWidget* parent) : QWidget(parent), ui(new Ui::SendEmsPage) {
    ui->setupUi(this);
}

SendEmsPage::~SendEmsPage() {
    delete ui;
}

}  // namespace pelmar
