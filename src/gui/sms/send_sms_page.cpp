#include "gui/sms/send_sms_page.h"

#include "gui/common/dialogs.h"
#include "gui/common/recipient_field.h"
#include "gui/common/workspace.h"
#include "sms/message_input.h"
#include "sms/recipient_number.h"
#include "ui_send_sms_page.h"

namespace pelmar {

namespace {

enum Coding { Standard = 0, Ucs2 = 1 };

}  // namespace

SendSmsPage::SendSmsPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendSmsPage), m_workspace(workspace), m_seam(this, workspace) {
    ui->setupUi(this);
    m_seam.setFields(ui->SMSText, {{InputField::RecipientNumber, ui->PhoneNumberSMS}});
    bindRecipientField(ui->PhoneNumberSMS, m_workspace.recipient);
    setUpPickerButton(ui->PickUpSMSPhone);
    ui->SymbolsLeftLabel->setRole(QStringLiteral("Symbols left"));
    ui->EncodingCombo->setCurrentIndex(Standard);

    connect(ui->SMSText, &QPlainTextEdit::textChanged, this, &SendSmsPage::SMSTextChange);
    connect(ui->EncodingCombo, &QComboBox::currentIndexChanged, this,
            &SendSmsPage::EncodingComboChange);
    connect(ui->FlashSMSCheck, &QCheckBox::toggled, this, &SendSmsPage::FlashSMSCheckClick);
    connect(ui->SendSMSButton, &QPushButton::clicked, this, &SendSmsPage::SendSMSButtonClick);
    connect(ui->StoreSMBtn, &QPushButton::clicked, this, &SendSmsPage::StoreSMBtnClick);
    connect(ui->PickUpSMSPhone, &QToolButton::clicked, this, &SendSmsPage::pickNumberRequested);
    UpdateSymbolsLeft();
}

SendSmsPage::~SendSmsPage() {
    delete ui;
}

SmsMode SendSmsPage::mode() const {
    if (ui->FlashSMSCheck->isChecked())
        return SmsMode::Flash;
    return ui->EncodingCombo->currentIndex() == Ucs2 ? SmsMode::Ucs2 : SmsMode::Standard;
}

void SendSmsPage::keepFitting() {
    const SmsMode current = mode();
    rewriteKeepingCaret(ui->SMSText,
                        [current](const QString& text) { return fitSmsText(text, current); });
}

// Typed or pasted text keeps only what its coding carries, within one message.
void SendSmsPage::SMSTextChange() {
    keepFitting();
    UpdateSymbolsLeft();
}

void SendSmsPage::EncodingComboChange() {
    keepFitting();
    UpdateSymbolsLeft();
}

// Flash goes as UCS2 only, so the coding is fixed while it is checked.
void SendSmsPage::FlashSMSCheckClick(bool checked) {
    if (checked) {
        const QSignalBlocker quiet(ui->EncodingCombo);
        ui->EncodingCombo->setCurrentIndex(Ucs2);
    }
    ui->EncodingCombo->setEnabled(!checked);
    keepFitting();
    UpdateSymbolsLeft();
}

void SendSmsPage::UpdateSymbolsLeft() {
    ui->SymbolsLeftLabel->setFullText(
        QStringLiteral("Symbols Left: %1").arg(symbolsLeft(ui->SMSText->toPlainText(), mode())));
}

void SendSmsPage::SendSMSButtonClick() {
    submit(SubmitAction::Send);
}

void SendSmsPage::StoreSMBtnClick() {
    submit(SubmitAction::Store);
}

void SendSmsPage::submit(SubmitAction action) {
    const TextMessage message{m_workspace.recipient.number(), ui->SMSText->toPlainText(), mode(),
                              smscFieldFor(m_workspace.dialect)};
    // The text is asked for first, then the number, as the boxes tell the user.
    if (const auto problem = textProblem(message.text, message.mode))
        return m_seam.refuse(*problem);
    if (const auto problem = numberProblem(message.number))
        return m_seam.refuse(*problem);
    m_seam.runOperation(Identify::First, nullptr, &SendOrStoreSMS, message, action);
}

}  // namespace pelmar
