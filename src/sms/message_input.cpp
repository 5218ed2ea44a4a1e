#include "sms/message_input.h"

#include <QList>

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
            return kMaxSeptets;
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
        if (septets > kMaxSeptets)
            return kept.first(i);
    }
    return kept;
}

std::optional<InputProblem> numberProblem(const QString& number) {
    const auto problem = [](const QString& text) {
        return InputProblem{InputField::RecipientNumber, text};
    };
    if (number.isEmpty())
        return problem(
            QStringLiteral("Please enter the recipient's phone number (with \"+\" if needed)."));
    if (const auto bad = addressProblem(number))
        return problem(*bad);
    if (number.count(QLatin1Char('+')) == number.size())
        return problem(QStringLiteral("The number \"%1\" has no digits").arg(number));
    return std::nullopt;
}

std::optional<InputProblem> textProblem(const QString& text, SmsMode mode) {
    const auto problem = [](const QString& why) {
        return InputProblem{InputField::MessageText, why};
    };
    if (text.isEmpty())
        return problem(QStringLiteral("Enter message text."));
    if (mode == SmsMode::Standard) {
        if (const qsizetype i = FirstNonGsmChar(text); i >= 0) {
            return problem(
                QStringLiteral("%1 is not in the GSM 7-bit alphabet; send it in UCS2 coding")
                    .arg(describeChar(text, i)));
        }
        const int septets = GsmSeptetCount(text);
        if (septets > kMaxSeptets) {
            return problem(QStringLiteral("The text takes %1 septets; one Standard message holds "
                                          "%2 (\"[]{}\\^~|€\" and form feed take two each)")
                               .arg(septets)
                               .arg(kMaxSeptets));
        }
        return std::nullopt;
    }
    if (const qsizetype i = firstNonBmpChar(text); i >= 0) {
        return problem(
            QStringLiteral("%1 is outside the Basic Multilingual Plane; no SMS coding carries it")
                .arg(describeChar(text, i)));
    }
    if (const int limit = limitOf(mode); text.size() > limit) {
        return problem(
            QStringLiteral("The text has %1 characters; one %2 message holds %3")
                .arg(text.size())
                .arg(mode == SmsMode::Flash ? QStringLiteral("flash") : QStringLiteral("UCS2"))
                .arg(limit));
    }
    return std::nullopt;
}

}  // namespace pelmar
