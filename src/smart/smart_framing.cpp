#include "smart/smart_framing.h"

#include "base/hex_text.h"
#include "sms/message_input.h"
#include "sms/user_data_header.h"

namespace pelmar {
namespace {

// What tells the three kinds apart on the wire and how much content one of their PDUs carries.
struct KindInfo {
    quint16 port;
    int minContent;
    int maxContent;
    bool concatenated;
    InputField content;  // where the user fixes content of the wrong size
    const char* tooBig;
};

constexpr KindInfo kKinds[] = {
    {kRingtonePort, 1, kMaxSinglePduContent, false, InputField::RingtoneText,
     "The Ringtone is too big to send."},
    {kPicturePort, 1, kPicturePartOctets, true, InputField::PictureText,
     "The picture message is too long to send."},
    {kLogoPort, kMaxSinglePduContent, kMaxSinglePduContent, false, InputField::LogoImage,
     "An operator logo must be 133 octets long."},
};

const KindInfo& info(SmartKind kind) {
    return kKinds[static_cast<int>(kind)];
}

constexpr quint8 kFirstOctet = 0x51;  // SMS-SUBMIT, relative validity period, UDHI set
constexpr quint8 kDcs8BitClass1 = 0xF5;
constexpr quint8 kIePorts16 = 0x05;
constexpr int kPortElementOctets = 6;
constexpr int kConcatElementOctets = 5;
constexpr int kMaxParts = 255;

}  // namespace

QByteArray BuildSmartHeader(const QString& number, int contentOctets, SmartKind kind,
                            const ConcatPart& part) {
    const KindInfo& k = info(kind);
    const int udhl = kPortElementOctets + (k.concatenated ? kConcatElementOctets : 0);
    const int udl = 1 + udhl + contentOctets;

    QByteArray out = ByteToHex(kFirstOctet) + ByteToHex(0x00);
    out += EncodeAddressField(number);
    out += ByteToHex(0x00) + ByteToHex(kDcs8BitClass1) + ByteToHex(kValidity24Hours);
    out += ByteToHex(static_cast<quint8>(udl)) + ByteToHex(static_cast<quint8>(udhl));
    out += ByteToHex(kIePorts16) + ByteToHex(0x04) + WordToHex(k.port) + WordToHex(0x0000);
    if (k.concatenated) {
        out += ConcatElementHex(part);
    }
    return out;
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
    throwIf(numberProblem(number));
    const auto refuse = [&k](const QString& text) { return EInput(k.content, text); };
    if (!HexToBytes(contentHex).has_value())
        throw refuse(QStringLiteral("Smart-message content must be hex text."));
    const QList<QByteArray> pieces = SplitSmartContent(kind, contentHex);
    if (pieces.isEmpty())
        throw refuse(QStringLiteral("The smart message is empty."));
    if (k.concatenated) {
        if (pieces.size() > kMaxParts)
            throw refuse(QString::fromLatin1(k.tooBig));
        // Rejects 0 and 255, which the picture sender never uses.
        (void)ConcatReference(reference);
    }
    const int single = static_cast<int>(contentHex.size() / 2);
    if (!k.concatenated && (single < k.minContent || single > k.maxContent))
        throw refuse(QString::fromLatin1(k.tooBig));

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
