#include "sms/long_message.h"

#include "base/input_problem.h"
#include "sms/gsm_alphabet.h"
#include "sms/message_input.h"

namespace pelmar {
namespace {

int partLimit(SmsMode mode) {
    switch (mode) {
        case SmsMode::Standard:
            return kPartSeptets;
        case SmsMode::Ucs2:
            return kPartUcs2Units;
        case SmsMode::Flash:
            return kPartFlashUnits;
    }
    return kPartUcs2Units;
}

// Septets (Standard) or UTF-16 units (UCS2, flash) of the character that starts at `i`, and how
// many QChars it spans: a surrogate pair is one character of two units.
struct CharUnits {
    int units;
    qsizetype length;
};

CharUnits charAt(const QString& text, qsizetype i, SmsMode mode) {
    const bool pair =
        text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    const qsizetype length = pair ? 2 : 1;
    if (mode == SmsMode::Standard)
        return {pair ? 0 : GsmSeptetsOf(text.at(i)), length};
    return {static_cast<int>(length), length};
}

int unitsOf(const QString& text, SmsMode mode) {
    return mode == SmsMode::Standard ? GsmSeptetCount(text) : static_cast<int>(text.size());
}

}  // namespace

QStringList SplitLongText(const QString& text, SmsMode mode) {
    if (unitsOf(text, mode) <= singleMessageLimit(mode))
        return {text};
    const int limit = partLimit(mode);
    QStringList parts;
    qsizetype start = 0;
    int used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const CharUnits c = charAt(text, i, mode);
        if (used + c.units > limit) {
            parts.append(text.sliced(start, i - start));
            start = i;
            used = 0;
        }
        used += c.units;
        i += c.length;
    }
    parts.append(text.sliced(start));
    return parts;
}

LongTextUsage longTextUsage(const QString& text, SmsMode mode) {
    const QStringList parts = SplitLongText(text, mode);
    const int limit = parts.size() == 1 ? singleMessageLimit(mode) : partLimit(mode);
    return {static_cast<int>(parts.size()), limit - unitsOf(parts.last(), mode)};
}

QList<QByteArray> BuildLongSubmitPdus(const QString& number, const QString& text, SmsMode mode,
                                      int reference) {
    const QStringList parts = SplitLongText(text, mode);
    if (parts.size() > kMaxLongParts) {
        throw EInput(InputField::MessageText, QStringLiteral("The text takes %1 messages; a long "
                                                             "message goes in at most %2 parts")
                                                  .arg(parts.size())
                                                  .arg(kMaxLongParts));
    }
    if (parts.size() == 1)
        return {BuildSubmitPdu(number, text, mode)};
    QList<QByteArray> pdus;
    const int total = static_cast<int>(parts.size());
    for (int n = 1; n <= total; ++n)
        pdus.append(BuildSubmitPartPdu(number, parts.at(n - 1), mode, {reference, total, n}));
    return pdus;
}

}  // namespace pelmar
