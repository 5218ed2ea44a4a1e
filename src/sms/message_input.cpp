#include "sms/message_input.h"

#include <QList>

#include "sms/gsm_alphabet.h"
#include "sms/long_message.h"

namespace pelmar {

namespace {

bool hasSurrogates(const QString& text) {
    for (const QChar c : text) {
        if (c.isSurrogate())
            return true;
    }
    return false;
}

// The longest beginning of `text` that keeps within `fits`, never ending inside a surrogate pair.
template <class Fits>
QString longestFitting(const QString& text, const Fits& fits) {
    if (fits(text))
        return text;
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low + 1 < high) {  // fits(first(low)) holds, fits(first(high)) does not
        const qsizetype mid = (low + high) / 2;
        (fits(text.first(mid)) ? low : high) = mid;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    return text.first(low);
}

// A removed character as the counter line names it; one the label cannot show by its code.
QString removedName(const QString& character) {
    const char32_t code = character.toUcs4().value(0);
    if (QChar::isPrint(code) && code != U' ')
        return character;
    return QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

int singleMessageLimit(SmsMode mode) {
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
    return singleMessageLimit(mode) - static_cast<int>(used);
}

FilteredText FilterCharacters(const QString& text, const std::function<bool(char32_t)>& carried) {
    FilteredText out;
    out.kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.sliced(i, pair ? 2 : 1);
        i += character.size();
        if (carried(character.toUcs4().value(0))) {
            out.kept += character;
        } else if (!out.removed.contains(character)) {
            out.removed.append(character);
        }
    }
    return out;
}

FilteredText filterSmsText(const QString& text, SmsMode mode, bool longMessage) {
    FilteredText out;
    if (mode == SmsMode::Standard) {
        out = FilterCharacters(text, [](char32_t c) {
            return c <= 0xFFFF && GsmSeptetsOf(QChar(static_cast<char16_t>(c))) > 0;
        });
    } else {
        out.kept = text;
    }
    out.kept = longestFitting(out.kept, [mode, longMessage](const QString& t) {
        return longMessage ? longTextUsage(t, mode).messages <= kMaxLongParts
                           : symbolsLeft(t, mode) >= 0;
    });
    return out;
}

QString fitSmsText(const QString& text, SmsMode mode, bool longMessage) {
    return filterSmsText(text, mode, longMessage).kept;
}

QString SymbolsLeftLine(int left, int messages, const QStringList& removed) {
    QString line = QStringLiteral("Symbols Left: %1").arg(left);
    if (messages > 1)
        line += QStringLiteral(" (%1 messages)").arg(messages);
    if (!removed.isEmpty()) {
        QStringList names;
        for (const QString& c : removed)
            names.append(QStringLiteral("“%1”").arg(removedName(c)));
        line += QStringLiteral(" — removed %1: choose UCS2 to keep %2")
                    .arg(names.join(QStringLiteral(", ")),
                         removed.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    }
    return line;
}

QString symbolsLeftText(const QString& text, SmsMode mode, bool longMessage,
                        const QStringList& removed) {
    if (!longMessage)
        return SymbolsLeftLine(symbolsLeft(text, mode), 1, removed);
    const LongTextUsage usage = longTextUsage(text, mode);
    return SymbolsLeftLine(usage.left, usage.messages, removed);
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

std::optional<InputProblem> textProblem(const QString& text, SmsMode mode, bool longMessage) {
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
    }
    if (longMessage) {
        if (const int messages = longTextUsage(text, mode).messages; messages > kMaxLongParts) {
            return problem(QStringLiteral("The text takes %1 messages; a long message goes in at "
                                          "most %2 parts")
                               .arg(messages)
                               .arg(kMaxLongParts));
        }
        return std::nullopt;
    }
    if (mode == SmsMode::Standard) {
        const int septets = GsmSeptetCount(text);
        if (septets > kMaxSeptets) {
            return problem(QStringLiteral("The text takes %1 septets; one Standard message holds "
                                          "%2 (\"[]{}\\^~|€\" and form feed take two each)")
                               .arg(septets)
                               .arg(kMaxSeptets));
        }
        return std::nullopt;
    }
    if (const int limit = singleMessageLimit(mode); text.size() > limit) {
        const QString coding =
            mode == SmsMode::Flash ? QStringLiteral("flash") : QStringLiteral("UCS2");
        if (hasSurrogates(text)) {
            return problem(QStringLiteral("The text takes %1 UTF-16 units (a character beyond the "
                                          "Basic Multilingual Plane, such as an emoji, takes two); "
                                          "one %2 message holds %3")
                               .arg(text.size())
                               .arg(coding)
                               .arg(limit));
        }
        return problem(QStringLiteral("The text has %1 characters; one %2 message holds %3")
                           .arg(text.size())
                           .arg(coding)
                           .arg(limit));
    }
    return std::nullopt;
}

}  // namespace pelmar
