#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

#include "sms/concat_reference.h"

// The user-data header elements of concatenated messages (3GPP TS 23.040, 9.2.3.24): written with
// an 8-bit reference, read with an 8- or 16-bit one.
namespace pelmar {

// Octets of the header that the parts of a long text carry: UDHL and one 8-bit concatenation
// element.
constexpr int kConcatHeaderOctets = 6;

// The concatenation element with an 8-bit reference (identifier 0x00, length 3, reference,
// parts, this part), as hex text.
QByteArray ConcatElementHex(const ConcatPart& part);

// The concatenation element of a user-data header (the octets after UDHL): identifier 0x00
// (8-bit reference) or 0x08 (16-bit). Nothing when the header has none, or only one that a
// receiver must ignore (no parts, or a part number outside 1..parts).
std::optional<ConcatPart> FindConcatPart(QByteArrayView header);

}  // namespace pelmar
