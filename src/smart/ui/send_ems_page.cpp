#include "smart/ui/send_ems_page.h"

#include "link/ui/page_context.h"
#include "sms/ui/recipient_field.h"
#include "ui_send_ems_page.h"

namespace pelmar {

SendEmsPage::SendEmsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendEmsPage) {
    ui->setupUi(this);
    bindRecipientField(ui->PhoneNumberRingTone, context.recipient);
    setUpPickerButton(ui->PickUpRTTLPhone);
    bindRecipientField(ui->PhoneNumberPicMsg, context.recipient);
    setUpPickerButton(ui->PickUpPICPhone);
}

SendEmsPage::~SendEmsPage() {
    delete ui;
}

}  // namespace pelmar
