#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "sms/submit_pdu.h"

// Long text messages: a text beyond one message goes as up to 10 concatenated parts (3GPP TS
// 23.040, 9.2.3.24.1), each led by a user-data header with the concatenation element.
namespace pelmar {

constexpr int kMaxLongParts = 10;
// What one part carries next to its 6-octet header: 153 septets, 67 UTF-16 units, 66 in flash
// (whose marker U+0001 starts every part).
constexpr int kPartSeptets = 153;
constexpr int kPartUcs2Units = 67;
constexpr int kPartFlashUnits = 66;

// The texts of the parts, in order: the whole text when it fits one message, else cut where the
// next character would overrun a part. An extension character's escape pair and a surrogate pair
// are never cut. Characters Standard coding cannot carry count nothing (filter first). Gives any
// number of parts; the caller checks the count.
QStringList SplitLongText(const QString& text, SmsMode mode);

// How many messages a text takes and what is free in the last one, in septets (Standard) or
// UTF-16 units (UCS2, flash).
struct LongTextUsage {
    int messages = 1;
    int left = 0;
};
LongTextUsage longTextUsage(const QString& text, SmsMode mode);

// The SubmitPdus of a long message, in the order they go: one plain message when the text fits
// one (no header, as without the long setting), else one part each under `reference`. Throws
// EInput naming the text beyond 10 parts, and the number as EncodeAddressField does.
QList<QByteArray> BuildLongSubmitPdus(const QString& number, const QString& text, SmsMode mode,
                                      int reference);

}  // namespace pelmar
