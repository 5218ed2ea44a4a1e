#include "sim/at_command_line.h"

namespace pelmar::simulator {
namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Characters of an extended command's name after its prefix ("CMGS", "CGMI", "SYSINFO").
bool isNameChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '!' || c == '%' || c == '-';
}

// The text up to the next semicolon that is not inside quotes.
qsizetype endOfExtended(const QByteArray& s, qsizetype from) {
    bool inQuotes = false;
    for (qsizetype i = from; i < s.size(); ++i) {
        if (s[i] == '"')
            inQuotes = !inQuotes;
        if (s[i] == ';' && !inQuotes)
            return i;
    }
    return s.size();
}

qsizetype findPrefix(QByteArrayView line) {
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        if ((line[i] == 'A' || line[i] == 'a') && (line[i + 1] == 'T' || line[i + 1] == 't')) {
            return i;
        }
    }
    return -1;
}

AtCommand extendedCommand(const QByteArray& s) {
    AtCommand cmd;
    cmd.text = s;
    qsizetype i = 1;
    while (i < s.size() && isNameChar(s[i]))
        ++i;
    const QByteArray prefix = s[0] == '+' ? QByteArray() : QByteArray(1, s[0]);
    cmd.key = prefix + s.mid(1, i - 1).toUpper();
    const QByteArray rest = s.mid(i);
    if (rest.startsWith("=?")) {
        cmd.form = AtCommand::Form::Test;
        cmd.parameter = rest.mid(2);
    } else if (rest.startsWith("=")) {
        cmd.form = AtCommand::Form::Set;
        cmd.parameter = rest.mid(1);
    } else if (rest.startsWith("?")) {
        cmd.form = AtCommand::Form::Read;
        cmd.parameter = rest.mid(1);
    } else {
        cmd.parameter = rest;
    }
    return cmd;
}

}  // namespace

AtCommandLine parseAtCommandLine(QByteArrayView line) {
    AtCommandLine out;
    const qsizetype at = findPrefix(line);
    if (at < 0)
        return out;
    out.hasPrefix = true;
    const QByteArray s = line.toByteArray().mid(at + 2);
    qsizetype i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == ';') {
            ++i;
        } else if (c == '+' || c == '^' || c == '$' || c == '*' || c == '%') {
            const qsizetype end = endOfExtended(s, i);
            out.commands.append(extendedCommand(s.mid(i, end - i).trimmed()));
            i = end;
        } else if (c == 'D' || c == 'd') {
            // Dialling takes the rest of the line as its number.
            out.commands.append(
                {QByteArrayLiteral("D"), s.mid(i), AtCommand::Form::Action, s.mid(i + 1)});
            i = s.size();
        } else if (isLetter(c) || c == '&') {
            const qsizetype start = i;
            const qsizetype nameLength = c == '&' ? 2 : 1;
            if (start + nameLength > s.size() || !isLetter(s[start + nameLength - 1])) {
                out.valid = false;
                return out;
            }
            AtCommand cmd;
            cmd.key = s.mid(start, nameLength).toUpper();
            i += nameLength;
            while (i < s.size() && isDigit(s[i]))
                ++i;
            // S registers: "S0=1", "S3?".
            if (cmd.key == "S" && i < s.size() && (s[i] == '=' || s[i] == '?')) {
                cmd.form = s[i] == '=' ? AtCommand::Form::Set : AtCommand::Form::Read;
                ++i;
                while (i < s.size() && isDigit(s[i]))
                    ++i;
            }
            cmd.parameter = s.mid(start + nameLength, i - start - nameLength);
            cmd.text = s.mid(start, i - start);
            out.commands.append(cmd);
        } else {
            out.valid = false;
            return out;
        }
    }
    if (out.commands.isEmpty())
        out.commands.append(
            {QByteArray(), QByteArrayLiteral("AT"), AtCommand::Form::Action, QByteArray()});
    return out;
}

std::optional<QList<AtArgument>> splitAtArguments(QByteArrayView parameter) {
    QList<AtArgument> args;
    if (parameter.trimmed().isEmpty())
        return args;
    AtArgument current;
    bool inQuotes = false;
    for (const char c : parameter) {
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else {
                current.value += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            current.quoted = true;
        } else if (c == ',') {
            args.append(current);
            current = {};
        } else if (c != ' ') {
            current.value += c;
        }
    }
    if (inQuotes)
        return std::nullopt;
    args.append(current);
    return args;
}

QByteArray atCommandKey(QByteArrayView name) {
    QByteArray key = name.trimmed().toByteArray().toUpper();
    if (key.startsWith("AT"))
        key.remove(0, 2);
    if (key.startsWith('+'))
        key.remove(0, 1);
    return key;
}

}  // namespace pelmar::simulator
