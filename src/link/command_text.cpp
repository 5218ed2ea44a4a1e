#include "link/command_text.h"

#include <QByteArray>
#include <array>

namespace pelmar {

namespace {

constexpr char kQuote = '"';
constexpr uchar kDel = 0x7F;
constexpr uchar kHighBit = 0x80;

struct NamedByte {
    uchar byte;
    const char* name;
};

// The control bytes a handset gives a meaning to, by the names people know them by.
constexpr std::array kNamedBytes{
    NamedByte{0x00, "NUL"},       NamedByte{0x08, "backspace"}, NamedByte{0x09, "tab"},
    NamedByte{0x0A, "line feed"}, NamedByte{0x0D, "CR"},        NamedByte{0x1A, "Ctrl-Z"},
    NamedByte{0x1B, "ESC"},       NamedByte{kDel, "DEL"},
};

constexpr QByteArrayView kDialCharacters = "0123456789+*#pPwW,";

// The command that gives the SIM its secret, and what stands in for the secret.
constexpr QByteArrayView kSecretCommand = "+CPIN=";
constexpr QByteArrayView kHiddenSecret = "\"****\"";

bool isControl(uchar b) {
    return b < 0x20 || b == kDel;
}

// A byte that a handset reading only 7 bits takes for a control byte or a double quote.
bool readAsUnsafe(uchar b) {
    return (b & kHighBit) != 0 && (isControl(b & ~kHighBit) || (b & ~kHighBit) == kQuote);
}

QString hexOf(uchar b) {
    return QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, u'0');
}

// "backspace (\x08)", "a double quote", "\"a\"", "\xE0".
QString describeByte(uchar b) {
    if (b == kQuote)
        return QStringLiteral("a double quote");
    for (const NamedByte& named : kNamedBytes) {
        if (named.byte == b)
            return QStringLiteral("%1 (%2)").arg(QLatin1StringView(named.name), hexOf(b));
    }
    if (isControl(b))
        return QStringLiteral("the control byte %1").arg(hexOf(b));
    if (b >= kHighBit)
        return hexOf(b);
    return QStringLiteral("\"%1\"").arg(QLatin1Char(static_cast<char>(b)));
}

// Where, after `from`, the bytes read with the 8th bit dropped could start a command of their
// own: ";" chains one to the line, "AT" begins a new line. -1 when nowhere.
qsizetype commandStartAfter(QByteArrayView bytes, qsizetype from) {
    auto seven = [&](qsizetype i) { return static_cast<char>(bytes[i] & ~kHighBit); };
    for (qsizetype i = from + 1; i < bytes.size(); ++i) {
        if (seven(i) == ';')
            return i;
        if (i + 1 < bytes.size() && (seven(i) | 0x20) == 'a' && (seven(i + 1) | 0x20) == 't')
            return i;
    }
    return -1;
}

// The first byte of `bytes` that a handset's command line cannot take (a double quote too
// unless `quotesAllowed`), and why; nothing when all can go.
std::optional<QString> firstUnsafeByte(QByteArrayView bytes, bool quotesAllowed) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uchar>(bytes[i]);
        if (isControl(b) || (b == kQuote && !quotesAllowed)) {
            return QStringLiteral(
                       "holds %1 at position %2, which would change the command the "
                       "handset runs")
                .arg(describeByte(b))
                .arg(i + 1);
        }
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uchar>(bytes[i]);
        if (!readAsUnsafe(b))
            continue;
        if (const qsizetype at = commandStartAfter(bytes, i); at >= 0) {
            return QStringLiteral(
                       "holds %1 at position %2, which a handset that ignores the 8th bit reads "
                       "as %3, and then \"%4\" at position %5, which could start a command")
                .arg(hexOf(b))
                .arg(i + 1)
                .arg(describeByte(b & ~kHighBit), escapedBytes(bytes.sliced(at, 1)))
                .arg(at + 1);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> quotedFieldProblem(const QString& fieldName, QByteArrayView bytes) {
    if (const auto problem = firstUnsafeByte(bytes, false))
        return QStringLiteral("The %1 %2.").arg(fieldName, *problem);
    return std::nullopt;
}

std::optional<QString> dialStringProblem(const QString& fieldName, QByteArrayView number) {
    for (qsizetype i = 0; i < number.size(); ++i) {
        if (!kDialCharacters.contains(number[i])) {
            return QStringLiteral(
                       "The %1 holds %2 at position %3; a number may hold only digits, \"+\", "
                       "\"*\", \"#\" and the pauses \"p\", \"w\" and \",\".")
                .arg(fieldName, describeByte(static_cast<uchar>(number[i])))
                .arg(i + 1);
        }
    }
    return std::nullopt;
}

std::optional<QString> commandLineProblem(QByteArrayView line) {
    if (const auto problem = firstUnsafeByte(line, true)) {
        return QStringLiteral("The command \"%1\" %2; it was not sent.")
            .arg(escapedBytes(maskedCommandLine(line)), *problem);
    }
    return std::nullopt;
}

QByteArray SecretMask::masked(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const bool lineEnd = c == '\r' || c == '\n';
        if (lineEnd) {
            m_hiding = false;
            m_lineEnd.clear();
        }
        if (m_hiding)
            continue;
        out += c;
        if (lineEnd)
            continue;
        m_lineEnd += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (m_lineEnd.size() > kSecretCommand.size())
            m_lineEnd.remove(0, m_lineEnd.size() - kSecretCommand.size());
        if (m_lineEnd == kSecretCommand) {
            out += kHiddenSecret;
            m_hiding = true;
        }
    }
    return out;
}

QByteArray maskedCommandLine(QByteArrayView line) {
    return SecretMask().masked(line);
}

QString escapedBytes(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<uchar>(c);
        if (isControl(b) || b >= kHighBit)
            out += hexOf(b);
        else if (c == '\\')
            out += QStringLiteral("\\\\");  // so that "\x1B" in the text is not read as ESC
        else
            out += QLatin1Char(c);
    }
    return out;
}

QString escapedText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0)) {
            out += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        } else if ((u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069)) {
            out += QStringLiteral("\\u") + QString::number(u, 16).toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace pelmar
