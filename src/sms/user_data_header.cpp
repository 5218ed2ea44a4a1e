#include "sms/user_data_header.h"

#include "base/hex_text.h"

namespace pelmar {
namespace {

constexpr quint8 kIeConcat8 = 0x00;
constexpr quint8 kIeConcat16 = 0x08;

}  // namespace

QByteArray ConcatElementHex(const ConcatPart& part) {
    return ByteToHex(kIeConcat8) + ByteToHex(0x03) +
           ByteToHex(static_cast<quint8>(part.reference)) +
           ByteToHex(static_cast<quint8>(part.total)) + ByteToHex(static_cast<quint8>(part.number));
}

std::optional<ConcatPart> FindConcatPart(QByteArrayView header) {
    const auto octet = [&header](qsizetype i) { return static_cast<quint8>(header[i]); };
    std::optional<ConcatPart> found;
    // Each element is identifier, length, value; the last concatenation element counts.
    for (qsizetype i = 0; i + 1 < header.size(); i += 2 + octet(i + 1)) {
        const quint8 id = octet(i);
        const qsizetype length = octet(i + 1);
        if (i + 2 + length > header.size())
            break;
        const qsizetype v = i + 2;
        ConcatPart part;
        if (id == kIeConcat8 && length == 3) {
            part = {octet(v), octet(v + 1), octet(v + 2)};
        } else if (id == kIeConcat16 && length == 4) {
            part = {octet(v) << 8 | octet(v + 1), octet(v + 2), octet(v + 3)};
        } else {
            continue;
        }
        if (part.total >= 1 && part.number >= 1 && part.number <= part.total)
            found = part;
        else
            found.reset();
    }
    return found;
}

}  // namespace pelmar
