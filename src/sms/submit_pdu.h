#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "link/handset_dialect.h"
#include "sms/concat_reference.h"

// The SMS-SUBMIT encoder: a recipient number and a text become the hex text of one TPDU
// (3GPP TS 23.040), and the PDU as written after "at+cmgs=" / "at+cmgw=".
namespace pelmar {

enum class SmsMode { Standard, Ucs2, Flash };

// What one message holds: TP-DA has room for 20 digits (10 octets of semi-octets), the user
// data for 140 octets, that is 160 septets.
constexpr int kMaxAddressDigits = 20;
constexpr int kMaxUserDataOctets = 140;
constexpr int kMaxSeptets = 160;
// TP-VP of every message this program submits (relative format): 24 hours.
constexpr quint8 kValidity24Hours = 0xA7;

// Why `number` cannot be written as an address: a character other than the digits 0-9 and "+",
// or more than 20 digits. A number without digits ("+") is written with an empty address.
std::optional<QString> addressProblem(const QString& number);

// TP-DA of text and smart messages: the digit count (every "+" left out), the type of address
// ("91" when the number holds a "+" anywhere, else "81") and the semi-octet digits. Throws EInput
// naming the recipient number for what addressProblem refuses.
QByteArray EncodeAddressField(const QString& number);

// Whether the written PDU starts with an SMSC address field. Handsets that follow TS 27.005 read
// the first octet as the SMSC length, so the default is "00" (the handset's own service centre);
// `None` is for handsets that take the bare TPDU.
enum class SmscField { DefaultSmsc, None };

// Older handsets are the ones that take the bare TPDU.
constexpr SmscField smscFieldFor(HandsetDialect dialect) {
    return dialect == HandsetDialect::Older ? SmscField::None : SmscField::DefaultSmsc;
}

// GSM 7-bit default alphabet (with ESC + extension-table characters), packed LSB first, as hex
// text without a length octet. Characters outside both tables are skipped: callers filter first.
QByteArray PackSeptets(const QString& text);

// The text as UTF-16 (a character beyond the Basic Multilingual Plane as its surrogate pair),
// four hex digits a unit; "0001" in front for flash.
QByteArray EncodeUcs2(const QString& text, bool flash);

// The header from the first octet to TP-UDL inclusive. `septetCount` is the TP-UDL of a
// Standard message; `userDataOctets` that of UCS2 and flash.
QByteArray BuildSubmitHeader(const QString& number, int septetCount, SmsMode mode,
                             int userDataOctets);

// Octets of a hex text: the value announced after "at+cmgs=".
int SubmitPduLength(QByteArrayView submitPdu);

// Header and user data of one text message (the `SubmitPdu`).
QByteArray BuildSubmitPdu(const QString& number, const QString& text, SmsMode mode);

// One part of a long message: TP-UDHI set and the user data led by a header that holds the
// concatenation element of `part` (8-bit reference), then the part's text. Throws EInput when the
// text does not fit one part.
QByteArray BuildSubmitPartPdu(const QString& number, const QString& text, SmsMode mode,
                              const ConcatPart& part);

// What goes to the handset for one TPDU: the length for "at+cmgs="/"at+cmgw=" (TPDU octets
// only) and the hex text to write before Ctrl-Z.
struct WrittenPdu {
    int length = 0;
    QByteArray hex;
};
WrittenPdu PduForWriting(QByteArrayView submitPdu, SmscField smsc = SmscField::DefaultSmsc);

}  // namespace pelmar
