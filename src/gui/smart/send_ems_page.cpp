#include "gui/smart/send_ems_page.h"

#include <QKeyEvent>

#include "gui/common/dialogs.h"
#include "gui/common/recipient_field.h"
#include "gui/common/workspace.h"
#include "gui/smart/mono_bitmap_view.h"
#include "smart/ringtone.h"
#include "smart/smart_send.h"
#include "sms/recipient_number.h"
#include "ui_send_ems_page.h"

namespace pelmar {

QString sampleRingtone() {
    return QStringLiteral("Pelmar:d=4,o=5,b=125:8g,8a,8b,c6,8b,8a,g,8e,8g,a,8p,8c6,8b,8a,2g");
}

SendEmsPage::SendEmsPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent),
      ui(new Ui::SendEmsPage),
      m_workspace(workspace),
      m_ringtone(this, workspace),
      m_picture(this, workspace) {
    ui->setupUi(this);
    m_ringtone.setFields(ui->PhoneNumberRingTone,
                         {{InputField::RingtoneText, ui->RingtoneDataEdit}});
    m_picture.setFields(ui->PhoneNumberPicMsg, {{InputField::PictureText, ui->pmText},
                                                {InputField::MessageText, ui->pmText},
                                                {InputField::PictureImage, ui->LoadPictureButton}});
    bindRecipientField(ui->PhoneNumberRingTone, m_workspace.recipient);
    setUpPickerButton(ui->PickUpRTTLPhone);
    bindRecipientField(ui->PhoneNumberPicMsg, m_workspace.recipient);
    setUpPickerButton(ui->PickUpPICPhone);
    ui->RingtoneDataEdit->setPlainText(sampleRingtone());
    ui->RingtoneDataEdit->installEventFilter(this);
    ui->EmsEncodingCombo->setCurrentIndex(0);
    ui->Image1->setFactor(2);
    ui->Image1->setBitmap(BuiltInPicture());
    ui->Image1->setToolTip(QStringLiteral("The picture to send, 72 × 28 pixels"));

    connect(ui->PickUpRTTLPhone, &QToolButton::clicked, this, &SendEmsPage::pickNumberRequested);
    connect(ui->PickUpPICPhone, &QToolButton::clicked, this, &SendEmsPage::pickNumberRequested);
    connect(ui->SendRngToneBtn, &QPushButton::clicked, this, &SendEmsPage::SendRngToneBtnClick);
    connect(ui->pmText, &QPlainTextEdit::textChanged, this, &SendEmsPage::pmTextChange);
    connect(ui->EmsEncodingCombo, &QComboBox::currentIndexChanged, this,
            &SendEmsPage::EmsEncodingComboChange);
    connect(ui->LoadPictureButton, &QPushButton::clicked, this,
            &SendEmsPage::LoadPictureButtonClick);
    connect(ui->SendPicMsgButton, &QPushButton::clicked, this, &SendEmsPage::SendPicMsgButtonClick);
}

SendEmsPage::~SendEmsPage() {
    delete ui;
}

PictureCoding SendEmsPage::coding() const {
    return ui->EmsEncodingCombo->currentIndex() == 1 ? PictureCoding::Ucs2
                                                     : PictureCoding::Standard;
}

// The ringtone is one line of text: Enter does not break it.
bool SendEmsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->RingtoneDataEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The ringtone is built, and so checked, before the handset is even asked who it is.
void SendEmsPage::SendRngToneBtnClick() {
    const auto pdus = m_ringtone.build([&] {
        return BuildRingtonePdus(m_workspace.recipient.number(),
                                 ui->RingtoneDataEdit->toPlainText(),
                                 smscFieldFor(m_workspace.dialect));
    });
    if (pdus)
        m_ringtone.runOperation(Identify::First, nullptr, &SendSmartPdus, *pdus, &ringtoneStep);
}

void SendEmsPage::pmTextChange() {
    const PictureCoding current = coding();
    const QString text = ui->pmText->toPlainText();
    // What Standard took out is named beside the count, as on the Send SMS page.
    for (const QString& removed : filterPictureText(text, current).removed) {
        if (!m_removed.contains(removed))
            m_removed.append(removed);
    }
    if (text.isEmpty() || current != PictureCoding::Standard)
        m_removed.clear();
    rewriteKeepingCaret(ui->pmText,
                        [current](const QString& typed) { return fitPictureText(typed, current); });
    UpdateSymbolsLeftPicMsg();
}

void SendEmsPage::EmsEncodingComboChange() {
    pmTextChange();
}

void SendEmsPage::UpdateSymbolsLeftPicMsg() {
    ui->SymbolsLeftPicMsg->setFullText(
        pictureSymbolsLeftText(ui->pmText->toPlainText(), coding(), m_removed));
}

void SendEmsPage::LoadPictureButtonClick() {
    const QString file = m_workspace.dialogs.openFileName(window(), imageFileFilter());
    if (file.isEmpty())
        return;
    try {
        ui->Image1->setBitmap(
            loadMonoImage(file, &LoadPictureBitmap, kPictureWidth, kPictureHeight));
    } catch (const EBitmap& e) {
        // A file that is no bitmap at all is said so too, rather than left without a word.
        m_workspace.dialogs.showError(window(), e.message());
    }
}

void SendEmsPage::SendPicMsgButtonClick() {
    const ConcatReference reference = m_workspace.concatReference;
    const auto pdus = m_picture.build([&] {
        return BuildPicturePdus(m_workspace.recipient.number(), ui->pmText->toPlainText(), coding(),
                                ui->Image1->bitmap(), reference.value(),
                                smscFieldFor(m_workspace.dialect));
    });
    if (!pdus)
        return;
    const auto sent = [this, reference](const SmartSendResult& result) {
        // Only a send that got under way says which reference comes next.
        if (result.partsTotal > 0)
            m_workspace.concatReference = referenceAfter(reference, result);
    };
    m_picture.runOperation(Identify::First, sent, &SendSmartPdus, *pdus, &pictureStep);
}

}  // namespace pelmar
