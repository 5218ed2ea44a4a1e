#include "sms/ui/send_sms_page.h"

#include "ui_send_sms_page.h"

namespace pelmar {

SendSmsPage::SendSmsPage(QWidget* parent) : QWidget(parent), ui(new Ui::SendSmsPage) {
    ui->setupUi(this);
}

SendSmsPage::~SendSmsPage() {
    delete ui;
}

}  // namespace pelmar
