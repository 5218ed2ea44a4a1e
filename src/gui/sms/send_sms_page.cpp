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
    connect(ui->LongMessageCheck, &QCheckBox::toggled, this, &SendSmsPage::EncodingComboChange);
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

QCheckBox* SendSmsPage::longMessageCheck() const {
    return ui->LongMessageCheck;
}

void SendSmsPage::keepFitting() {
    const SmsMode current = mode();
    const bool parts = ui->LongMessageCheck->isChecked();
    const QString text = ui->SMSText->toPlainText();
    // What this edit took out is named beside the count until the text is empty or another
    // coding keeps everything.
    for (const QString& removed : filterSmsText(text, current, parts).removed) {
        if (!m_removed.contains(removed))
            m_removed.append(removed);
    }
    if (text.isEmpty() || current != SmsMode::Standard)
        m_removed.clear();
    rewriteKeepingCaret(ui->SMSText, [current, parts](const QString& typed) {
        return fitSmsText(typed, current, parts);
    });
}

// Typed or pasted text keeps only what its coding carries, within one message (or the parts
// of a long one).
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
    ui->SymbolsLeftLabel->setFullText(symbolsLeftText(
        ui->SMSText->toPlainText(), mode(), ui->LongMessageCheck->isChecked(), m_removed));
}

void SendSmsPage::SendSMSButtonClick() {
    submit(SubmitAction::Send);
}

void SendSmsPage::StoreSMBtnClick() {
    submit(SubmitAction::Store);
}

void SendSmsPage::submit(SubmitAction action) {
    const TextMessage message{m_workspace.recipient.number(),
                              ui->SMSText->toPlainText(),
                              mode(),
                              smscFieldFor(m_workspace.dialect),
                              ui->LongMessageCheck->isChecked(),
                              m_workspace.concatReference};
    // Built, and so checked (the text first, then the number), before the line is touched.
    const auto pdus = m_seam.build([&] { return BuildTextMessagePdus(message); });
    if (!pdus)
        return;
    const auto submitted = [this](const SubmitResult& result) {
        // A long message took the shared reference; the next one takes the one after it.
        if (result.partsTotal > 1)
            m_workspace.concatReference = result.nextReference;
    };
    m_seam.runOperation(Identify::First, submitted, &SubmitTextMessage, *pdus, action,
                        message.reference);
}

}  // namespace pelmar
