#include "sms/ui/send_sms_page.h"

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "session/identified_job.h"
#include "session/operation_runner.h"
#include "sms/message_input.h"
#include "sms/recipient_number.h"
#include "sms/ui/recipient_field.h"
#include "ui_send_sms_page.h"

namespace pelmar {

namespace {

enum Coding { Standard = 0, Ucs2 = 1 };

}  // namespace

SendSmsPage::SendSmsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendSmsPage), m_context(context) {
    ui->setupUi(this);
    bindRecipientField(ui->PhoneNumberSMS, m_context.recipient);
    setUpPickerButton(ui->PickUpSMSPhone);
    ui->SymbolsLeftLabel->setAccessibleName(QStringLiteral("Symbols left"));
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
    ui->SymbolsLeftLabel->setText(
        QStringLiteral("Symbols Left: %1").arg(symbolsLeft(ui->SMSText->toPlainText(), mode())));
}

void SendSmsPage::SendSMSButtonClick() {
    SendOrStoreSMS(SubmitAction::Send);
}

void SendSmsPage::StoreSMBtnClick() {
    SendOrStoreSMS(SubmitAction::Store);
}

void SendSmsPage::refuse(const InputProblem& problem) {
    m_context.dialogs.showError(window(), problem.text);
    QWidget* field = problem.field == InputField::RecipientNumber
                         ? static_cast<QWidget*>(ui->PhoneNumberSMS)
                         : ui->SMSText;
    field->setFocus(Qt::OtherFocusReason);
}

void SendSmsPage::SendOrStoreSMS(SubmitAction action) {
    const TextMessage message{m_context.recipient.number(), ui->SMSText->toPlainText(), mode(),
                              smscFieldFor(m_context.dialect())};
    // The text is asked for first, then the number, as the boxes tell the user.
    if (const auto problem = textProblem(message.text, message.mode))
        return refuse(*problem);
    if (const auto problem = numberProblem(message.number))
        return refuse(*problem);

    const auto job = [message, action](AtChannel& channel, const Progress& progress,
                                       std::stop_token stop) {
        return pelmar::SendOrStoreSMS(channel, message, action, progress, std::move(stop));
    };
    m_context.runner.run(identifiedJob(job), [this](const SubmitResult& result) {
        if (result.outcome.kind == Outcome::Kind::InputRefused)
            refuse({result.outcome.field.value_or(InputField::MessageText), result.outcome.text});
    });
}

}  // namespace pelmar
