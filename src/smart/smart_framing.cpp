#include "smart/smart_framing.h"

#include "sms/hex_text.h"

namespace pelmar {
namespace {

// What tells the three kinds apart on the wire and how much content one of their PDUs carries.
struct KindInfo {
    quint16 port;
    int minContent;
    int maxContent;
    bool concatenated;
    const char* tooBig;
};

constexpr KindInfo kKinds[] = {
    {kRingtonePort, 1, kMaxSinglePduContent, false, "The Ringtone is too big to send."},
    {kPicturePort, 1, kPicturePartOctets, true, "The picture message is too long to send."},
    {kLogoPort, kMaxSinglePduContent, kMaxSinglePduContent, false,
     "An operator logo must be 133 octets long."},
};

const KindInfo& info(SmartKind kind) {
    return kKinds[static_cast<int>(kind)];
}

constexpr quint8 kFirstOctet = 0x51;  // SMS-SUBMIT, relative validity period, UDHI set
constexpr quint8 kDcs8BitClass1 = 0xF5;
constexpr quint8 kValidity24Hours = 0xA7;
constexpr quint8 kTypeInternational = 0x91;
constexpr quint8 kTypeUnknown = 0x81;
constexpr quint8 kIePorts16 = 0x05;
constexpr quint8 kIeConcat8 = 0x00;
constexpr int kPortElementOctets = 6;
constexpr int kConcatElementOctets = 5;
constexpr int kMaxAddressDigits = 20;  // TP-DA holds at most 10 octets of digits
constexpr int kMaxParts = 255;

QByteArray hexWord(quint16 value) {
    return ByteToHex(static_cast<quint8>(value >> 8)) + ByteToHex(static_cast<quint8>(value));
}

}  // namespace

ConcatReference::ConcatReference(int start) : m_value(start) {
    if (start < kFirst || start > kLast) {
        throw ESmartMessage(QStringLiteral("A concatenation reference must lie between %1 and %2.")
                                .arg(kFirst)
                                .arg(kLast));
    }
}

QByteArray BuildSmartHeader(const QString& number, int contentOctets, SmartKind kind,
                            const ConcatPart& part) {
    const KindInfo& k = info(kind);
    QByteArray digits = number.toLatin1();
    const bool international = digits.contains('+');
    digits.replace("+", "");

    const int udhl = kPortElementOctets + (k.concatenated ? kConcatElementOctets : 0);
    const int udl = 1 + udhl + contentOctets;

    QByteArray out = ByteToHex(kFirstOctet) + ByteToHex(0x00);
    out += ByteToHex(static_cast<quint8>(digits.size()));
    out += ByteToHex(international ? kTypeInternational : kTypeUnknown);
    out += SemiOctetEncode(digits);
    out += ByteToHex(0x00) + ByteToHex(kDcs8BitClass1) + ByteToHex(kValidity24Hours);
    out += ByteToHex(static_cast<quint8>(udl)) + ByteToHex(static_cast<quint8>(udhl));
    out += ByteToHex(kIePorts16) + ByteToHex(0x04) + hexWord(k.port) + hexWord(0x0000);
    if (k.concatenated) {
        out += ByteToHex(kIeConcat8) + ByteToHex(0x03);
        out += ByteToHex(static_cast<quint8>(part.reference));
        out += ByteToHex(static_cast<quint8>(part.total));
        out += ByteToHex(static_cast<quint8>(part.number));
    }
    return out;
}

void CheckSmartNumber(const QString& number) {
    int digits = 0;
    for (const QChar c : number) {
        if (c == QLatin1Char('+'))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            throw ESmartMessage(
                QStringLiteral(
                    "The recipient's phone number \"%1\" may hold only digits and \"+\".")
                    .arg(number));
        }
        ++digits;
    }
    if (digits == 0) {
        throw ESmartMessage(
            QStringLiteral("Please enter the recipient's phone number (with \"+\" if needed)."));
    }
    if (digits > kMaxAddressDigits) {
        throw ESmartMessage(
            QStringLiteral("The recipient's phone number \"%1\" has more than %2 digits.")
                .arg(number)
                .arg(kMaxAddressDigits));
    }
}

QList<QByteArray> SplitSmartContent(SmartKind kind, QByteArrayView contentHex) {
    if (contentHex.isEmpty())
        return {};
    if (!info(kind).concatenated)
        return {contentHex.toByteArray()};
    constexpr qsizetype kPartHex = 2 * kPicturePartOctets;
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < contentHex.size(); at += kPartHex) {
        pieces.append(contentHex.sliced(at, qMin(kPartHex, contentHex.size() - at)).toByteArray());
    }
    return pieces;
}

QList<WrittenPdu> BuildSmartPdus(const QString& number, SmartKind kind, QByteArrayView contentHex,
                                 int reference, SmscField smsc) {
    const KindInfo& k = info(kind);
    CheckSmartNumber(number);
    if (!HexToBytes(contentHex).has_value()) {
        throw ESmartMessage(QStringLiteral("Smart-message content must be hex text."));
    }
    const QList<QByteArray> pieces = SplitSmartContent(kind, contentHex);
    if (pieces.isEmpty())
        throw ESmartMessage(QStringLiteral("The smart message is empty."));
    if (k.concatenated) {
        if (pieces.size() > kMaxParts)
            throw ESmartMessage(QString::fromLatin1(k.tooBig));
        // Rejects 0 and 255, which the picture sender never uses.
        (void)ConcatReference(reference);
    }
    const int single = static_cast<int>(contentHex.size() / 2);
    if (!k.concatenated && (single < k.minContent || single > k.maxContent)) {
        throw ESmartMessage(QString::fromLatin1(k.tooBig));
    }

    QList<WrittenPdu> pdus;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const ConcatPart part{reference, static_cast<int>(pieces.size()), static_cast<int>(i + 1)};
        const QByteArray& piece = pieces.at(i);
        const QByteArray tpdu =
            BuildSmartHeader(number, static_cast<int>(piece.size() / 2), kind, part) + piece;
        pdus.append(PduForWriting(tpdu, smsc));
    }
    return pdus;
}

}  // namespace pelmar
