#include "base/hex_text.h"

namespace pelmar {
namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The characters of an address's semi-octets 0x0-0xE (TS 23.040 9.1.2.3); 0xF is the filler.
constexpr QByteArrayView kSemiOctetCharacters = "0123456789*#abc";

}  // namespace

quint8 HexToByte(QByteArrayView hex) {
    if (hex.size() < 2)
        return 0;
    const int hi = hexDigitValue(hex[0]);
    const int lo = hexDigitValue(hex[1]);
    if (hi < 0 || lo < 0)
        return 0;
    return static_cast<quint8>(hi * 16 + lo);
}

QByteArray ByteToHex(quint8 value) {
    QByteArray out(2, '0');
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0F];
    return out;
}

QByteArray WordToHex(quint16 value) {
    return ByteToHex(static_cast<quint8>(value >> 8)) + ByteToHex(static_cast<quint8>(value));
}

QByteArray BytesToHex(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (const char b : bytes)
        out += ByteToHex(static_cast<quint8>(b));
    return out;
}

std::optional<QByteArray> HexToBytes(QByteArrayView hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray out;
    out.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigitValue(hex[i]);
        const int lo = hexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

QByteArray SemiOctetEncode(QByteArrayView number) {
    QByteArray digits(number.data(), number.size());
    if (digits.size() % 2 != 0)
        digits += 'F';
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        std::swap(digits[i], digits[i + 1]);
    for (char& c : digits) {
        const qsizetype value = kSemiOctetCharacters.indexOf(c);
        if (value >= 10)
            c = kHexDigits[value];
    }
    return digits;
}

QByteArray SemiOctetDecode(QByteArrayView hex) {
    QByteArray out;
    out.reserve(hex.size());
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        for (const char c : {hex[i + 1], hex[i]}) {
            const int value = hexDigitValue(c);
            if (value < 0)
                out += c;
            else if (value < 0x0F)
                out += kSemiOctetCharacters[value];
        }
    }
    return out;
}

QByteArray IntToBin(quint32 value, int bits) {
    QByteArray out;
    out.reserve(bits);
    for (int bit = bits - 1; bit >= 0; --bit)
        out += (bit < 32 && ((value >> bit) & 1U)) ? '1' : '0';
    return out;
}

quint8 BinToByte(QByteArrayView bits) {
    quint8 value = 0;
    for (qsizetype i = 0; i < 8; ++i) {
        const bool set = i < bits.size() && bits[i] == '1';
        value = static_cast<quint8>(value << 1 | (set ? 1 : 0));
    }
    return value;
}

}  // namespace pelmar
