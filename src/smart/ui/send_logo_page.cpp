#include "smart/ui/send_logo_page.h"

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "session/identified_job.h"
#include "session/operation_runner.h"
#include "smart/operator_table.h"
#include "smart/smart_send.h"
#include "sms/recipient_number.h"
#include "sms/ui/recipient_field.h"
#include "ui_send_logo_page.h"

namespace pelmar {

SendLogoPage::SendLogoPage(PageContext& context, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendLogoPage), m_context(context) {
    ui->setupUi(this);
    bindRecipientField(ui->PhoneNumberLogo, m_context.recipient);
    setUpPickerButton(ui->SpeedButton2);
    ui->ProviderCombo->addItems(OperatorItems());
    ui->ProviderCombo->setCurrentIndex(0);
    ui->LogoImage->setFactor(3);
    ui->LogoImage->setBitmap(BuiltInLogo());
    ui->LogoImage->setToolTip(QStringLiteral("The logo to send, 72 × 14 pixels"));

    connect(ui->SpeedButton2, &QToolButton::clicked, this, &SendLogoPage::pickNumberRequested);
    connect(ui->Button1, &QPushButton::clicked, this, &SendLogoPage::SendLogoBtnClick);
    connect(ui->Button2, &QPushButton::clicked, this, &SendLogoPage::LoadlogoBtnClick);
}

SendLogoPage::~SendLogoPage() {
    delete ui;
}

void SendLogoPage::refuse(const InputProblem& problem) {
    m_context.dialogs.showError(window(), problem.text);
    QWidget* field = ui->PhoneNumberLogo;
    if (problem.field == InputField::LogoImage)
        field = ui->Button2;
    else if (problem.field == InputField::LogoNetwork)
        field = ui->ProviderCombo;
    field->setFocus(Qt::OtherFocusReason);
}

void SendLogoPage::LoadlogoBtnClick() {
    const QString file =
        m_context.dialogs.openFileName(window(), QStringLiteral("Bitmaps (*.bmp)"));
    if (file.isEmpty())
        return;
    try {
        ui->LogoImage->setBitmap(LoadLogoBitmap(file));
    } catch (const EBitmap& e) {
        // A file that is no bitmap at all is said so too, rather than left without a word.
        m_context.dialogs.showError(window(), e.message());
    }
}

// The number and the logo are checked before the handset is even asked who it is.
void SendLogoPage::SendLogoBtnClick() {
    const QString number = m_context.recipient.number();
    // No selection (an empty list) gives no network code, which the check refuses.
    const NetworkCode network =
        networkCodeAt(ui->ProviderCombo->currentIndex()).value_or(NetworkCode{});
    const MonoBitmap logo = ui->LogoImage->bitmap();
    const SmscField smsc = smscFieldFor(m_context.dialect());
    try {
        BuildLogoPdus(number, network, logo, smsc);
    } catch (const EInput& e) {
        return refuse(e.problem());
    }
    const auto job = [=](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return SendOperatorLogo(channel, number, network, logo, smsc, progress, std::move(stop));
    };
    m_context.runner.run(identifiedJob(job), [this](const SmartSendResult& result) {
        if (result.outcome.kind == Outcome::Kind::InputRefused)
            refuse({result.outcome.field.value_or(InputField::LogoImage), result.outcome.text});
    });
}

}  // namespace pelmar
