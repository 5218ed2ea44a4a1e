#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Hex text, semi-octets and bit text: the small conversions that every message path
// shares. Hex text is two upper-case digits per octet, no separators.
namespace pelmar {

// The octet denoted by the first two characters of `hex`. Lower-case digits are accepted too;
// anything else counts as 0 so that no caller can be made to read past its input.
quint8 HexToByte(QByteArrayView hex);

// One octet as two upper-case hex digits ("03", "A0").
QByteArray ByteToHex(quint8 value);

// A 16-bit value as four upper-case hex digits, high octet first ("1581", "0100").
QByteArray WordToHex(quint16 value);

// Every byte as two upper-case hex digits.
QByteArray BytesToHex(QByteArrayView bytes);

// Strict decoding of hex text to bytes; nothing when the length is odd or a character is not a
// hex digit.
std::optional<QByteArray> HexToBytes(QByteArrayView hex);

// "1234567890" -> "2143658709"; "12345" -> "2143F5"; "*", "#", "a", "b", "c" become "A" to "E".
QByteArray SemiOctetEncode(QByteArrayView number);

// "2143F5" -> "12345"; "A1" -> "1*", "CB" -> "#a" (semi-octets 0xA-0xE are "*#abc"). An odd
// last character is ignored.
QByteArray SemiOctetDecode(QByteArrayView hex);

// The lowest `bits` bits of `value` as "0"/"1" text, most significant first.
QByteArray IntToBin(quint32 value, int bits);

// The octet spelt by the first eight "0"/"1" characters, the first one being bit 7.
quint8 BinToByte(QByteArrayView bits);

}  // namespace pelmar
