#include "sms/submit_pdu.h"

#include <array>

#include "base/hex_text.h"
#include "base/input_problem.h"
#include "sms/gsm_alphabet.h"
#include "sms/user_data_header.h"

namespace pelmar {
namespace {

struct ModeFields {
    SmsMode mode;
    const char* dcs;  // TP-DCS
};

// Standard: GSM 7-bit, no class; UCS2: no class; flash: UCS2, class 0.
constexpr std::array<ModeFields, 3> kModeFields = {{
    {SmsMode::Standard, "00"},
    {SmsMode::Ucs2, "08"},
    {SmsMode::Flash, "18"},
}};

QByteArrayView dcsOf(SmsMode mode) {
    for (const ModeFields& m : kModeFields) {
        if (m.mode == mode)
            return m.dcs;
    }
    return "00";
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Septet values packed least significant bit first, the first one after `fillBits` zero bits
// (what follows a user-data header up to the next septet boundary).
QByteArray packSeptets(QByteArrayView septets, int fillBits) {
    QByteArray octets((fillBits + septets.size() * 7 + 7) / 8, '\0');
    for (qsizetype n = 0; n < septets.size(); ++n) {
        const quint32 value = static_cast<quint8>(septets[n]) & 0x7F;
        const qsizetype bit = fillBits + n * 7;
        const qsizetype octet = bit / 8;
        const int shift = static_cast<int>(bit % 8);
        octets[octet] = static_cast<char>(static_cast<quint8>(octets[octet]) | (value << shift));
        if (shift > 1)
            octets[octet + 1] = static_cast<char>(value >> (8 - shift));
    }
    return octets;
}

// From the first octet to TP-UDL; `udhi` marks user data that starts with a header.
QByteArray submitHeader(const QString& number, int udl, SmsMode mode, bool udhi) {
    const int udlLimit = mode == SmsMode::Standard ? kMaxSeptets : kMaxUserDataOctets;
    if (udl < 0 || udl > udlLimit) {
        throw EInput(InputField::MessageText,
                     QStringLiteral("The message is too long for one SMS (%1 of at most %2 %3).")
                         .arg(udl)
                         .arg(udlLimit)
                         .arg(mode == SmsMode::Standard ? QStringLiteral("septets")
                                                        : QStringLiteral("octets")));
    }
    QByteArray header;
    header += udhi ? "51" : "11";  // SMS-SUBMIT, relative validity period, TP-UDHI
    header += "00";                // TP-MR: the handset assigns it
    header += EncodeAddressField(number);
    header += "00";  // TP-PID
    header.append(dcsOf(mode));
    header += ByteToHex(kValidity24Hours);
    header += ByteToHex(static_cast<quint8>(udl));
    return header;
}

}  // namespace

std::optional<QString> addressProblem(const QString& number) {
    int digits = 0;
    for (qsizetype i = 0; i < number.size(); ++i) {
        if (isAsciiDigit(number.at(i))) {
            ++digits;
        } else if (number.at(i) != QLatin1Char('+')) {
            return QStringLiteral("The number may hold only digits and \"+\": %1")
                .arg(describeChar(number, i));
        }
    }
    if (digits > kMaxAddressDigits) {
        return QStringLiteral("The number has %1 digits; an SMS address holds at most %2")
            .arg(digits)
            .arg(kMaxAddressDigits);
    }
    return std::nullopt;
}

QByteArray EncodeAddressField(const QString& number) {
    if (const auto problem = addressProblem(number))
        throw EInput(InputField::RecipientNumber, *problem);
    const QByteArray digits = number.toLatin1().replace("+", "");
    return ByteToHex(static_cast<quint8>(digits.size())) +
           (number.contains(QLatin1Char('+')) ? "91" : "81") + SemiOctetEncode(digits);
}

QByteArray PackSeptets(const QString& text) {
    return BytesToHex(packSeptets(TextToGsmSeptets(text), 0));
}

QByteArray EncodeUcs2(const QString& text, bool flash) {
    QByteArray hex;
    hex.reserve(text.size() * 4 + 4);
    if (flash)
        hex += "0001";
    // UTF-16: a character beyond the Basic Multilingual Plane goes as its surrogate pair.
    for (const QChar c : text)
        hex += WordToHex(c.unicode());
    return hex;
}

QByteArray BuildSubmitHeader(const QString& number, int septetCount, SmsMode mode,
                             int userDataOctets) {
    return submitHeader(number, mode == SmsMode::Standard ? septetCount : userDataOctets, mode,
                        false);
}

int SubmitPduLength(QByteArrayView submitPdu) {
    return static_cast<int>(submitPdu.size() / 2);
}

QByteArray BuildSubmitPdu(const QString& number, const QString& text, SmsMode mode) {
    const QByteArray userData =
        mode == SmsMode::Standard ? PackSeptets(text) : EncodeUcs2(text, mode == SmsMode::Flash);
    const int septets = mode == SmsMode::Standard ? GsmSeptetCount(text) : 0;
    return BuildSubmitHeader(number, septets, mode, SubmitPduLength(userData)) + userData;
}

QByteArray BuildSubmitPartPdu(const QString& number, const QString& text, SmsMode mode,
                              const ConcatPart& part) {
    const QByteArray header = ByteToHex(kConcatHeaderOctets - 1) + ConcatElementHex(part);
    if (mode == SmsMode::Standard) {
        // The text starts at the first septet boundary after the header.
        const int headerSeptets = (kConcatHeaderOctets * 8 + 6) / 7;
        const int fillBits = headerSeptets * 7 - kConcatHeaderOctets * 8;
        const QByteArray septets = TextToGsmSeptets(text);
        const QByteArray userData = header + BytesToHex(packSeptets(septets, fillBits));
        return submitHeader(number, headerSeptets + static_cast<int>(septets.size()), mode, true) +
               userData;
    }
    const QByteArray userData = header + EncodeUcs2(text, mode == SmsMode::Flash);
    return submitHeader(number, SubmitPduLength(userData), mode, true) + userData;
}

WrittenPdu PduForWriting(QByteArrayView submitPdu, SmscField smsc) {
    WrittenPdu written;
    written.length = SubmitPduLength(submitPdu);
    if (smsc == SmscField::DefaultSmsc)
        written.hex = "00";  // the handset's own service centre
    written.hex += submitPdu.toByteArray();
    return written;
}

}  // namespace pelmar
