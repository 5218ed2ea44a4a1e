#include "sms/ui/read_sms_page.h"

#include "ui_read_sms_page.h"

namespace pelmar {

ReadSmsPage::ReadSmsPage(PageContext&, QWidget* parent) : QWidget(parent), ui(new Ui::ReadSmsPage) {
    ui->setupUi(this);
}

ReadSmsPage::~ReadSmsPage() {
    delete ui;
}

}  // namespace pelmar
