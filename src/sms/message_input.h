#pragma once

#include <QString>
#include <optional>

#include "sms/submit_pdu.h"

// The checks of a text message the user typed, shared by the codec commands and the send and
// store operations. Each says what to fix, or nothing when the input can go.
namespace pelmar {

// Characters of one message: one PDU, no concatenation.
constexpr int kStandardSeptets = 160;
constexpr int kUcs2Chars = 70;
constexpr int kFlashChars = 69;  // the flash marker takes one UCS2 character
constexpr int kMaxNumberDigits = 20;

// A recipient number: digits and "+", at least one digit, at most 20.
std::optional<QString> numberProblem(const QString& number);

// A message text for its coding: not empty, within one message, every character codable.
std::optional<QString> textProblem(const QString& text, SmsMode mode);

// `"Ж" (U+0416) at position 3`, counting characters as the user sees them.
QString describeChar(const QString& text, qsizetype index);

}  // namespace pelmar
