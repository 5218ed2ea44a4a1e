#include "gui/smart/send_logo_page.h"

#include "gui/common/dialogs.h"
#include "gui/common/recipient_field.h"
#include "gui/common/workspace.h"
#include "gui/smart/mono_bitmap_view.h"
#include "smart/operator_table.h"
#include "smart/smart_send.h"
#include "sms/recipient_number.h"
#include "ui_send_logo_page.h"

namespace pelmar {

SendLogoPage::SendLogoPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendLogoPage), m_workspace(workspace), m_seam(this, workspace) {
    ui->setupUi(this);
    m_seam.setFields(ui->PhoneNumberLogo, {{InputField::LogoImage, ui->Button2},
                                           {InputField::LogoNetwork, ui->ProviderCombo}});
    bindRecipientField(ui->PhoneNumberLogo, m_workspace.recipient);
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

void SendLogoPage::LoadlogoBtnClick() {
    const QString file = m_workspace.dialogs.openFileName(window(), imageFileFilter());
    if (file.isEmpty())
        return;
    try {
        ui->LogoImage->setBitmap(loadMonoImage(file, &LoadLogoBitmap, kLogoWidth, kLogoHeight));
    } catch (const EBitmap& e) {
        // A file that is no bitmap at all is said so too, rather than left without a word.
        m_workspace.dialogs.showError(window(), e.message());
    }
}

// The logo is built, and so checked, before the handset is even asked who it is.
void SendLogoPage::SendLogoBtnClick() {
    // No selection (an empty list) gives no network code, which the builder refuses.
    const NetworkCode network =
        networkCodeAt(ui->ProviderCombo->currentIndex()).value_or(NetworkCode{});
    const auto pdus = m_seam.build([&] {
        return BuildLogoPdus(m_workspace.recipient.number(), network, ui->LogoImage->bitmap(),
                             smscFieldFor(m_workspace.dialect));
    });
    if (pdus)
        m_seam.runOperation(Identify::First, nullptr, &SendSmartPdus, *pdus, &logoStep);
}

}  // namespace pelmar
