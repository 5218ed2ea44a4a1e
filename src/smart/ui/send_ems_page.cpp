#include "smart/ui/send_ems_page.h"

#include <QKeyEvent>

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "session/identified_job.h"
#include "session/operation_runner.h"
#include "smart/ringtone.h"
#include "smart/smart_send.h"
#include "sms/recipient_number.h"
#include "sms/ui/recipient_field.h"
#include "ui_send_ems_page.h"

namespace pelmar {

namespace {

const QString kBitmapFilter = QStringLiteral("Bitmaps (*.bmp)");

}  // namespace

QString sampleRingtone() {
    return QStringLiteral("Pelmar:d=4,o=5,b=125:8g,8a,8b,c6,8b,8a,g,8e,8g,a,8p,8c6,8b,8a,2g");
}

SendEmsPage::SendEmsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), ui(new Ui::SendEmsPage), m_context(context) {
    ui->setupUi(this);
    bindRecipientField(ui->PhoneNumberRingTone, m_context.recipient);
    setUpPickerButton(ui->PickUpRTTLPhone);
    bindRecipientField(ui->PhoneNumberPicMsg, m_context.recipient);
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

void SendEmsPage::refuse(const InputProblem& problem, QWidget* number) {
    m_context.dialogs.showError(window(), problem.text);
    QWidget* field = number;
    switch (problem.field) {
        case InputField::RingtoneText:
            field = ui->RingtoneDataEdit;
            break;
        case InputField::PictureText:
        case InputField::MessageText:
            field = ui->pmText;
            break;
        case InputField::PictureImage:
            field = ui->LoadPictureButton;
            break;
        default:
            break;
    }
    field->setFocus(Qt::OtherFocusReason);
}

// Checked here, before the line is opened; the operation checks again on its own.
void SendEmsPage::SendRngToneBtnClick() {
    const QString number = m_context.recipient.number();
    const QString rtttl = ui->RingtoneDataEdit->toPlainText();
    const SmscField smsc = smscFieldFor(m_context.dialect());
    try {
        BuildRingtonePdus(number, rtttl, smsc);
    } catch (const EInput& e) {
        return refuse(e.problem(), ui->PhoneNumberRingTone);
    }
    const auto job = [number, rtttl, smsc](AtChannel& channel, const Progress& progress,
                                           std::stop_token stop) {
        return SendRingtone(channel, number, rtttl, smsc, progress, std::move(stop));
    };
    m_context.runner.run(identifiedJob(job), [this](const SmartSendResult& result) {
        if (result.outcome.kind == Outcome::Kind::InputRefused)
            refuse({result.outcome.field.value_or(InputField::RingtoneText), result.outcome.text},
                   ui->PhoneNumberRingTone);
    });
}

void SendEmsPage::pmTextChange() {
    const PictureCoding current = coding();
    rewriteKeepingCaret(ui->pmText,
                        [current](const QString& text) { return fitPictureText(text, current); });
    UpdateSymbolsLeftPicMsg();
}

void SendEmsPage::EmsEncodingComboChange() {
    pmTextChange();
}

void SendEmsPage::UpdateSymbolsLeftPicMsg() {
    ui->SymbolsLeftPicMsg->setText(
        QStringLiteral("Symbols Left: %1")
            .arg(pictureSymbolsLeft(ui->pmText->toPlainText(), coding())));
}

void SendEmsPage::LoadPictureButtonClick() {
    const QString file = m_context.dialogs.openFileName(window(), kBitmapFilter);
    if (file.isEmpty())
        return;
    try {
        ui->Image1->setBitmap(LoadPictureBitmap(file));
    } catch (const EBitmap& e) {
        // A file that is no bitmap at all is said so too, rather than left without a word.
        m_context.dialogs.showError(window(), e.message());
    }
}

void SendEmsPage::SendPicMsgButtonClick() {
    const QString number = m_context.recipient.number();
    const QString text = ui->pmText->toPlainText();
    const PictureCoding pictureCoding = coding();
    const MonoBitmap picture = ui->Image1->bitmap();
    const ConcatReference reference = m_context.concatReference;
    const SmscField smsc = smscFieldFor(m_context.dialect());
    try {
        BuildPicturePdus(number, text, pictureCoding, picture, reference.value(), smsc);
    } catch (const EInput& e) {
        return refuse(e.problem(), ui->PhoneNumberPicMsg);
    }
    const auto job = [=](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return SendPictureMessage(channel, number, text, pictureCoding, picture, reference, smsc,
                                  progress, std::move(stop));
    };
    m_context.runner.run(identifiedJob(job), [this](const SmartSendResult& result) {
        if (result.outcome.kind == Outcome::Kind::InputRefused)
            return refuse(
                {result.outcome.field.value_or(InputField::PictureText), result.outcome.text},
                ui->PhoneNumberPicMsg);
        // Only a send that got under way says which reference comes next; it advanced only if
        // every part went out.
        if (result.partsTotal > 0)
            m_context.concatReference = result.nextReference;
    });
}

}  // namespace pelmar
