#pragma once

#include <QString>
#include <optional>

#include "base/input_problem.h"
#include "sms/submit_pdu.h"

// The checks of a message the user typed, shared by the codec commands, the text-message
// operations and the smart senders. Each names the field and says what to fix, or gives nothing
// when the input can go.
namespace pelmar {

// Characters of one message: one PDU, no concatenation.
constexpr int kUcs2Chars = 70;
constexpr int kFlashChars = 69;  // the flash marker takes one UCS2 character

// The recipient number of a text or smart message: not empty, digits and "+", at least one
// digit, at most 20.
std::optional<InputProblem> numberProblem(const QString& number);

// A message text for its coding: not empty, within one message, every character codable.
std::optional<InputProblem> textProblem(const QString& text, SmsMode mode);

// A recipient number as the number fields keep it: only the digits 0-9 and "+", wherever they
// stand ("+1 (234) 567-890" → "+1234567890").
QString FilterPhoneNumber(const QString& text);

// The characters still free in one message of `mode`: septets in Standard (an extension
// character takes two), characters in UCS2 and flash. Not clamped: a text over the limit gives
// a negative count.
int symbolsLeft(const QString& text, SmsMode mode);

// What the text field keeps for `mode`: in Standard only the characters the GSM alphabet and
// its extension table carry; then the longest beginning that fits one message (a surrogate pair
// is never split).
QString fitSmsText(const QString& text, SmsMode mode);

}  // namespace pelmar
