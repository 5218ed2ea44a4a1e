#include "smart/operator_logo.h"

#include <QRegularExpression>

#include "base/hex_text.h"
#include "smart/picture_message.h"
#include "smart/smart_framing.h"
#include "sms/message_input.h"

namespace pelmar {
namespace {

constexpr quint8 kInfoField = 0x00;
constexpr quint8 kDepth = 0x01;
constexpr int kMccDigits = 3;
constexpr int kMncDigits = 2;

bool allDigits(QByteArrayView text, qsizetype count) {
    if (text.size() != count)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void checkNetwork(const NetworkCode& network, const QString& shown) {
    if (!allDigits(network.mcc, kMccDigits) || !allDigits(network.mnc, kMncDigits)) {
        throw ESmartMessage(QStringLiteral("The network \"%1\" is not a country code of 3 digits "
                                           "and a network code of 2 digits (such as \"202 01\").")
                                .arg(shown));
    }
}

// MCC, MNC and the info field.
QByteArray networkOctets(const NetworkCode& network) {
    checkNetwork(network, QString::fromLatin1(network.mcc + ' ' + network.mnc));
    return SemiOctetEncode(network.mcc) + SemiOctetEncode(network.mnc) + ByteToHex(kInfoField);
}

}  // namespace

QString LogoFormatMessage() {
    return QStringLiteral("The logo format should be 1bit per pixel (2 colors), 72 x 14 pixels.");
}

NetworkCode ParseNetworkCode(const QString& text) {
    const QStringList fields =
        text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    NetworkCode network;
    if (fields.size() == 2)
        network = {fields.at(0).toLatin1(), fields.at(1).toLatin1()};
    checkNetwork(network, text);
    return network;
}

QByteArray BuildLogoBitmap(const MonoBitmap& logo) {
    if (logo.width() != kLogoWidth || logo.height() != kLogoHeight) {
        throw EBitmap(EBitmap::Reason::WrongFormat, LogoFormatMessage());
    }
    return ByteToHex(kLogoWidth) + ByteToHex(kLogoHeight) + ByteToHex(kDepth) +
           BytesToHex(BitmapToBits(logo, kLogoHeight));
}

QByteArray BuildLogoContent(const NetworkCode& network, const MonoBitmap& logo) {
    return networkOctets(network) + BuildLogoBitmap(logo);
}

QList<WrittenPdu> BuildLogoPdus(const QString& number, const NetworkCode& network,
                                const MonoBitmap& logo, SmscField smsc) {
    throwIf(numberProblem(number));
    const QByteArray bitmap = inField(InputField::LogoImage, [&] { return BuildLogoBitmap(logo); });
    const QByteArray content =
        inField(InputField::LogoNetwork, [&] { return networkOctets(network); }) + bitmap;
    return BuildSmartPdus(number, SmartKind::Logo, content, ConcatReference::kFirst, smsc);
}

MonoBitmap LoadLogoBitmap(const QString& fileName) {
    return LoadMonoBitmap(fileName, kLogoWidth, kLogoHeight, LogoFormatMessage());
}

MonoBitmap BuiltInLogo() {
    return LoadLogoBitmap(QStringLiteral(":/pelmar/smart/logo-72x14.bmp"));
}

}  // namespace pelmar
