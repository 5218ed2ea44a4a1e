#include "smart/ui/send_logo_page.h"

#include "link/ui/page_context.h"
#include "sms/ui/recipient_field.h"
#include "ui_send_logo_page.h"

namespace pelmar {

SendLogoPage::SendLogoPage(PageContext& context, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendLogoPage) {
    ui->setupUi(this);
    bindRecipientField(ui->PhoneNumberLogo, context.recipient);
    setUpPickerButton(ui->SpeedButton2);
}

SendLogoPage::~SendLogoPage() {
    delete ui;
}

}  // namespace pelmar
