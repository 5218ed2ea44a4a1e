#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "smart/bitmap.h"
#include "sms/submit_pdu.h"

// Operator logos: a 72 × 14 black-and-white logo for one network (MCC and MNC), sent to port
// 0x1582 in one smart message. The receiving handset keeps it only for that network.
namespace pelmar {

constexpr int kLogoWidth = 72;
constexpr int kLogoHeight = 14;

// A network's codes as the logo carries them: three MCC digits, two MNC digits.
struct NetworkCode {
    QByteArray mcc;
    QByteArray mnc;
    bool operator==(const NetworkCode&) const = default;
};

// Shown when a loaded file is not a 1-bit 72 × 14 bitmap.
QString LogoFormatMessage();

// "202 01" (blanks or tabs between, around allowed) → {"202", "01"}. Throws ESmartMessage for
// anything but a 3-digit MCC and a 2-digit MNC, the only codes the logo has room for.
NetworkCode ParseNetworkCode(const QString& text);

// The width, height and depth octets and the 126 packed octets of the logo, as hex text.
// Throws EBitmap(WrongFormat) unless the logo is 72 × 14.
QByteArray BuildLogoBitmap(const MonoBitmap& logo);

// The 133 content octets: MCC, MNC, info field, then BuildLogoBitmap. Throws ESmartMessage for a
// network code of the wrong form.
QByteArray BuildLogoContent(const NetworkCode& network, const MonoBitmap& logo);

// The one PDU of a logo message, as written to the handset. Checks the number first, then the
// logo and the network; throws EInput naming the field.
QList<WrittenPdu> BuildLogoPdus(const QString& number, const NetworkCode& network,
                                const MonoBitmap& logo, SmscField smsc = SmscField::DefaultSmsc);

// Loads a logo file; throws EBitmap (WrongFormat with LogoFormatMessage()).
MonoBitmap LoadLogoBitmap(const QString& fileName);

// The logo that the program starts with.
MonoBitmap BuiltInLogo();

}  // namespace pelmar
