#include "smart/picture_message.h"

#include "base/hex_text.h"
#include "smart/smart_framing.h"
#include "sms/message_input.h"

namespace pelmar {
namespace {

constexpr quint8 kVersion = 0x30;
constexpr quint8 kItemTextLatin = 0x00;
constexpr quint8 kItemTextUcs2 = 0x01;
constexpr quint8 kItemImage = 0x02;
constexpr quint8 kImageInfo = 0x00;
constexpr quint8 kDepth = 0x01;
constexpr int kImageItemLength = 4 + kPictureHeight * kBitmapRowOctets;  // 256

int pictureLimit(PictureCoding coding) {
    return coding == PictureCoding::Ucs2 ? kMaxPictureTextUcs2 : kMaxPictureTextStandard;
}

// The Standard text item is one octet per character, read by the receiver as 7-bit ASCII.
bool isStandardPictureChar(QChar c) {
    return c.unicode() < 0x80;
}

QByteArray standardText(const QString& text) {
    if (text.size() > kMaxPictureTextStandard) {
        throw ESmartMessage(
            QStringLiteral("The picture message text has %1 characters; Standard coding holds %2.")
                .arg(text.size())
                .arg(kMaxPictureTextStandard));
    }
    QByteArray hex;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isStandardPictureChar(text.at(i))) {
            throw ESmartMessage(
                QStringLiteral("%1 can not be sent in Standard coding; choose UCS2.")
                    .arg(describeChar(text, i)));
        }
        hex += ByteToHex(static_cast<quint8>(text.at(i).unicode()));
    }
    return hex;
}

QByteArray ucs2Text(const QString& text) {
    if (text.size() > kMaxPictureTextUcs2) {
        throw ESmartMessage(
            QStringLiteral("The picture message text has %1 characters; UCS2 coding holds %2.")
                .arg(text.size())
                .arg(kMaxPictureTextUcs2));
    }
    return EncodeUcs2(text, false);
}

}  // namespace

int pictureSymbolsLeft(const QString& text, PictureCoding coding) {
    return pictureLimit(coding) - static_cast<int>(text.size());
}

FilteredText filterPictureText(const QString& text, PictureCoding coding) {
    FilteredText out;
    if (coding == PictureCoding::Standard)
        out = FilterCharacters(text, [](char32_t c) { return c < 0x80; });
    else
        out.kept = text;
    qsizetype end = qMin<qsizetype>(out.kept.size(), pictureLimit(coding));
    if (end > 0 && end < out.kept.size() && out.kept.at(end - 1).isHighSurrogate())
        --end;
    out.kept.truncate(end);
    return out;
}

QString fitPictureText(const QString& text, PictureCoding coding) {
    return filterPictureText(text, coding).kept;
}

QString pictureSymbolsLeftText(const QString& text, PictureCoding coding,
                               const QStringList& removed) {
    return SymbolsLeftLine(pictureSymbolsLeft(text, coding), 1, removed);
}

QString PictureFormatMessage() {
    return QStringLiteral("The image format should be 1bit per pixel (2 colors), 72 x 28 pixels.");
}

quint8 FlagsToByte(const std::array<bool, 8>& flags) {
    quint8 out = 0;
    for (size_t i = 0; i < flags.size(); ++i) {
        if (flags[i])
            out |= static_cast<quint8>(1U << i);
    }
    return out;
}

QByteArray BitmapToBits(const MonoBitmap& bitmap, int rows) {
    QByteArray out;
    out.reserve(qMax(0, rows) * kBitmapRowOctets);
    for (int y = 0; y < rows; ++y) {
        for (int j = 0; j < kBitmapRowOctets; ++j) {
            std::array<bool, 8> flags{};
            for (int k = 0; k < 8; ++k)
                flags[static_cast<size_t>(7 - k)] = bitmap.pixel(8 * j + k, y);
            out += static_cast<char>(FlagsToByte(flags));
        }
    }
    return out;
}

QByteArray BuildPictureText(const QString& text, PictureCoding coding) {
    const bool ucs2 = coding == PictureCoding::Ucs2;
    const QByteArray textHex = ucs2 ? ucs2Text(text) : standardText(text);
    return ByteToHex(kVersion) + ByteToHex(ucs2 ? kItemTextUcs2 : kItemTextLatin) +
           WordToHex(static_cast<quint16>(textHex.size() / 2)) + textHex;
}

QByteArray BuildPictureImage(const MonoBitmap& picture) {
    if (picture.width() != kPictureWidth || picture.height() != kPictureHeight) {
        throw EBitmap(EBitmap::Reason::WrongFormat, PictureFormatMessage());
    }
    return ByteToHex(kItemImage) + WordToHex(kImageItemLength) + ByteToHex(kImageInfo) +
           ByteToHex(kPictureWidth) + ByteToHex(kPictureHeight) + ByteToHex(kDepth) +
           BytesToHex(BitmapToBits(picture, kPictureHeight));
}

QByteArray BuildPictureBody(const QString& text, PictureCoding coding, const MonoBitmap& picture) {
    return BuildPictureText(text, coding) + BuildPictureImage(picture);
}

QList<QByteArray> CutPictureBody(QByteArrayView bodyHex) {
    return SplitSmartContent(SmartKind::Picture, bodyHex);
}

QList<WrittenPdu> BuildPicturePdus(const QString& number, const QString& text, PictureCoding coding,
                                   const MonoBitmap& picture, int reference, SmscField smsc) {
    if (text.isEmpty())
        throw EInput(InputField::PictureText, QStringLiteral("Please enter message text."));
    throwIf(numberProblem(number));
    const QByteArray body =
        inField(InputField::PictureText, [&] { return BuildPictureText(text, coding); }) +
        inField(InputField::PictureImage, [&] { return BuildPictureImage(picture); });
    return BuildSmartPdus(number, SmartKind::Picture, body, reference, smsc);
}

MonoBitmap LoadPictureBitmap(const QString& fileName) {
    return LoadMonoBitmap(fileName, kPictureWidth, kPictureHeight, PictureFormatMessage());
}

MonoBitmap BuiltInPicture() {
    return LoadPictureBitmap(QStringLiteral(":/pelmar/smart/picture-72x28.bmp"));
}

}  // namespace pelmar
