#include "sms/message_input.h"

#include <QList>
#include <QStringView>

#include "sms/gsm_alphabet.h"

namespace pelmar {

namespace {

qsizetype firstNonBmpChar(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isSurrogate())
            return i;
    }
    return -1;
}

int limitOf(SmsMode mode) {
    switch (mode) {
        case SmsMode::Standard:
            return kStandardSeptets;
        case SmsMode::Ucs2:
            return kUcs2Chars;
        case SmsMode::Flash:
            return kFlashChars;
    }
    return kUcs2Chars;
}

}  // namespace

QString FilterPhoneNumber(const QString& text) {
    QString number;
    number.reserve(text.size());
    for (const QChar c : text) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+'))
            number += c;
    }
    return number;
}

int symbolsLeft(const QString& text, SmsMode mode) {
    const qsizetype used = mode == SmsMode::Standard ? GsmSeptetCount(text) : text.size();
    return limitOf(mode) - static_cast<int>(used);
}

QString fitSmsText(const QString& text, SmsMode mode) {
    if (mode != SmsMode::Standard) {
        qsizetype end = qMin<qsizetype>(text.size(), limitOf(mode));
        if (end > 0 && end < text.size() && text.at(end - 1).isHighSurrogate())
            --end;
        return text.first(end);
    }
    QString kept = StripNonGsmChars(text);
    int septets = 0;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        septets += GsmSeptetsOf(kept.at(i));
        if (septets > kStandardSeptets)
            return kept.first(i);
    }
    return kept;
}

QString describeChar(const QString& text, qsizetype index) {
    const char32_t code = text.at(index).isHighSurrogate() && index + 1 < text.size()
                              ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
                              : text.at(index).unicode();
    const qsizetype position =
        QStringView(text).first(index).toUcs4().size() + 1;  // a surrogate pair is one character
    const QString shown = code < 0x20 ? QString() : QString::fromUcs4(&code, 1);
    const QString hex = QString::number(static_cast<uint>(code), 16).toUpper();
    return QStringLiteral("\"%1\" (U+%2) at position %3")
        .arg(shown, hex.rightJustified(4, QLatin1Char('0')))
        .arg(position);
}

std::optional<QString> numberProblem(const QString& number) {
    if (number.isEmpty()) {
        return QStringLiteral("Please enter the recipient's phone number (with \"+\" if needed).");
    }
    int digits = 0;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number.at(i);
        if (c.isDigit() && c.unicode() < 0x80) {
            ++digits;
        } else if (c != QLatin1Char('+')) {
            return QStringLiteral("the number may hold only digits and \"+\": %1")
                .arg(describeChar(number, i));
        }
    }
    if (digits == 0)
        return QStringLiteral("the number \"%1\" has no digits").arg(number);
    if (digits > kMaxNumberDigits) {
        return QStringLiteral("the number has %1 digits; an SMS address holds at most %2")
            .arg(digits)
            .arg(kMaxNumberDigits);
    }
    return std::nullopt;
}

std::optional<QString> textProblem(const QString& text, SmsMode mode) {
    if (text.isEmpty())
        return QStringLiteral("the message text is empty");
    if (mode == SmsMode::Standard) {
        if (const qsizetype i = FirstNonGsmChar(text); i >= 0) {
            return QStringLiteral("%1 is not in the GSM 7-bit alphabet; send it in UCS2 coding")
                .arg(describeChar(text, i));
        }
        const int septets = GsmSeptetCount(text);
        if (septets > kStandardSeptets) {
            return QStringLiteral(
                       "the text takes %1 septets; one Standard message holds %2 "
                       "(\"[]{}\\^~|€\" and form feed take two each)")
                .arg(septets)
                .arg(kStandardSeptets);
        }
        return std::nullopt;
    }
    if (const qsizetype i = firstNonBmpChar(text); i >= 0) {
        return QStringLiteral(
                   "%1 is outside the Basic Multilingual Plane; no SMS coding carries it")
            .arg(describeChar(text, i));
    }
    const int limit = mode == SmsMode::Flash ? kFlashChars : kUcs2Chars;
    if (text.size() > limit) {
        return QStringLiteral("the text has %1 characters; one %2 message holds %3")
            .arg(text.size())
            .arg(mode == SmsMode::Flash ? QStringLiteral("flash") : QStringLiteral("UCS2"))
            .arg(limit);
    }
    return std::nullopt;
}

}  // namespace pelmar
