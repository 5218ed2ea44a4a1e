#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>

#include "smart/bitmap.h"
#include "sms/message_input.h"
#include "sms/submit_pdu.h"

// Picture messages: a 72 × 28 black-and-white picture and a short text, sent to port 0x158A as a
// concatenated smart message. The pixel packing also serves the operator logo.
namespace pelmar {

enum class PictureCoding { Standard, Ucs2 };

constexpr int kPictureWidth = 72;
constexpr int kPictureHeight = 28;
constexpr int kBitmapRowOctets = 9;  // 72 pixels, eight to an octet
constexpr int kMaxPictureTextStandard = 121;
constexpr int kMaxPictureTextUcs2 = 60;

// The picture text's characters still free: 121 (Standard) or 60 (UCS2) minus those typed.
int pictureSymbolsLeft(const QString& text, PictureCoding coding);

// What the picture text field keeps: in Standard only codes below 128, the octets the text item
// carries (the others named in `removed`); then at most as many characters as the coding holds.
FilteredText filterPictureText(const QString& text, PictureCoding coding);
QString fitPictureText(const QString& text, PictureCoding coding);

// The picture text's counter line: "Symbols Left: " n, and the characters the filter removed
// (SymbolsLeftLine).
QString pictureSymbolsLeftText(const QString& text, PictureCoding coding,
                               const QStringList& removed = {});

// Shown when a loaded file is not a 1-bit 72 × 28 bitmap.
QString PictureFormatMessage();

// One octet in which flag i, counted from 0, sets bit i.
quint8 FlagsToByte(const std::array<bool, 8>& flags);

// `rows` × 9 octets: row after row from the top, each from the left, the leftmost pixel of an
// octet in its most significant bit, a set (black) pixel as 1. Pixels outside the bitmap are 0.
QByteArray BitmapToBits(const MonoBitmap& bitmap, int rows);

// The version octet and the text item, as hex text. Standard: one octet per character, codes
// below 128 only, at most 121 characters; UCS2: UTF-16 (a character beyond the Basic
// Multilingual Plane as its surrogate pair), at most 60 units. Throws ESmartMessage beyond that.
QByteArray BuildPictureText(const QString& text, PictureCoding coding);

// The image item for a 72 × 28 picture, as hex text. Throws EBitmap(WrongFormat) for any other
// size.
QByteArray BuildPictureImage(const MonoBitmap& picture);

// The whole message body: text item, then image item.
QByteArray BuildPictureBody(const QString& text, PictureCoding coding, const MonoBitmap& picture);

// The body cut into the 128-octet contents of its parts (the last carries the rest).
QList<QByteArray> CutPictureBody(QByteArrayView bodyHex);

// Every PDU of one picture message, in the order they are sent. `reference` is the current
// ConcatReference value; the sender advances it once all parts went out. Checks in the order the
// page asks: the text (empty: "Please enter message text."), the number, then what the coding
// and the picture can carry; throws EInput naming the field.
QList<WrittenPdu> BuildPicturePdus(const QString& number, const QString& text, PictureCoding coding,
                                   const MonoBitmap& picture, int reference,
                                   SmscField smsc = SmscField::DefaultSmsc);

// Loads a picture file; throws EBitmap (WrongFormat with PictureFormatMessage()).
MonoBitmap LoadPictureBitmap(const QString& fileName);

// The picture that the program starts with.
MonoBitmap BuiltInPicture();

}  // namespace pelmar
