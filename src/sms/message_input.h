#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "base/input_problem.h"
#include "sms/submit_pdu.h"

// The checks of a message the user typed, shared by the codec commands, the text-message
// operations and the smart senders. Each names the field and says what to fix, or gives nothing
// when the input can go.
namespace pelmar {

// Characters of one message: one PDU, no concatenation. UTF-16 units: a character beyond the
// Basic Multilingual Plane (an emoji) takes two.
constexpr int kUcs2Chars = 70;
constexpr int kFlashChars = 69;  // the flash marker takes one UCS2 character

// What one message of the coding holds: 160 septets, 70 UCS2 characters, 69 with flash.
int singleMessageLimit(SmsMode mode);

// The recipient number of a text or smart message: not empty, digits and "+", at least one
// digit, at most 20.
std::optional<InputProblem> numberProblem(const QString& number);

// A message text for its coding: not empty, every character codable, within one message (with
// `longMessage`, within the parts of a long message).
std::optional<InputProblem> textProblem(const QString& text, SmsMode mode,
                                        bool longMessage = false);

// A recipient number as the number fields keep it: only the digits 0-9 and "+", wherever they
// stand ("+1 (234) 567-890" → "+1234567890").
QString FilterPhoneNumber(const QString& text);

// The characters still free in one message of `mode`: septets in Standard (an extension
// character takes two), characters in UCS2 and flash. Not clamped: a text over the limit gives
// a negative count.
int symbolsLeft(const QString& text, SmsMode mode);

// A text as a field keeps it: the characters its coding carries, and those it took out, each
// named once in the order they first stood (a surrogate pair is one character).
struct FilteredText {
    QString kept;
    QStringList removed;
};

// Takes out every character (a code point) that `carried` refuses.
FilteredText FilterCharacters(const QString& text, const std::function<bool(char32_t)>& carried);

// What the text field keeps for `mode`: in Standard only the characters the GSM alphabet and
// its extension table carry; then the longest beginning that fits one message, or with
// `longMessage` the parts of a long message (a surrogate pair is never split).
FilteredText filterSmsText(const QString& text, SmsMode mode, bool longMessage = false);
QString fitSmsText(const QString& text, SmsMode mode, bool longMessage = false);

// The counter line of a text field: "Symbols Left: " n, then " (" k " messages)" when the text
// takes more than one, then " — removed “ï”, “ç”: choose UCS2 to keep them" when the field's
// filter took characters out.
QString SymbolsLeftLine(int left, int messages, const QStringList& removed);

// The Send SMS page's counter for its text, coding, flash and long settings; `removed` is what
// the page's filter took out of the text (filterSmsText). Without the long setting, or while the
// text fits one message, n is what symbolsLeft gives; beyond, what is free in the last part.
QString symbolsLeftText(const QString& text, SmsMode mode, bool longMessage,
                        const QStringList& removed = {});

}  // namespace pelmar
