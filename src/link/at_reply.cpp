#include "link/at_reply.h"

#include <algorithm>
#include <array>

namespace pelmar {

namespace {

struct ResultText {
    QByteArrayView text;
    bool wholeLine;  // false: the text starts the line and a cause follows
    AtResult result;
};

constexpr std::array kFinalResults{
    ResultText{"OK", true, AtResult::Ok},
    ResultText{"ERROR", true, AtResult::Error},
    ResultText{"+CMS ERROR", false, AtResult::CmsError},
    ResultText{"+CME ERROR", false, AtResult::CmeError},
    ResultText{"COMMAND NOT SUPPORT", true, AtResult::NotSupported},
    ResultText{"NO CARRIER", true, AtResult::NoCarrier},
};

// Codes a handset may send on its own at any time: incoming messages and status reports, calls,
// network registration, indicators, and the usual vendor status lines.
constexpr std::array<QByteArrayView, 27> kUnsolicitedNames{
    "RING",  "+CRING", "+CLIP",  "+CCWA",  "+CMTI", "+CDSI", "+CBMI", "+CMT",   "+CDS",
    "+CBM",  "+CREG",  "+CGREG", "+CEREG", "+CIEV", "+CUSD", "+CSSI", "+CSSU",  "+CTZV",
    "+CTZE", "+CGEV",  "+CPIN",  "+PACSP", "^RSSI", "^BOOT", "^MODE", "^SRVST", "^SIMST",
};

constexpr std::array<QByteArrayView, 3> kUnsolicitedWithNextLine{"+CMT", "+CDS", "+CBM"};

constexpr std::array<QByteArrayView, 3> kPromptCommands{"+CMGS", "+CMGW", "+CMGC"};

template <std::size_t N>
bool listed(const std::array<QByteArrayView, N>& names, QByteArrayView name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "+CMTI" of "+CMTI: \"SM\",3"; the whole line when it has no colon ("RING").
QByteArrayView nameOfLine(QByteArrayView line) {
    line = line.trimmed();
    const qsizetype colon = line.indexOf(':');
    return colon < 0 ? line : line.first(colon).trimmed();
}

bool isCommandNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

bool AtReply::isError() const {
    return promptMissing || (result != AtResult::None && result != AtResult::Ok);
}

int AtReply::errorCode() const {
    if (result != AtResult::CmsError && result != AtResult::CmeError) {
        return -1;
    }
    const qsizetype colon = resultLine.indexOf(':');
    if (colon < 0) {
        return -1;
    }
    bool ok = false;
    const int code = resultLine.mid(colon + 1).trimmed().toInt(&ok);
    return ok ? code : -1;
}

QByteArray AtReply::text() const {
    QByteArray out;
    for (const QByteArray& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

QByteArray AtReply::lineStartingWith(QByteArrayView prefix) const {
    for (const QByteArray& line : lines) {
        if (line.trimmed().startsWith(prefix)) {
            return line;
        }
    }
    return {};
}

AtResult finalResultOf(QByteArrayView line) {
    line = line.trimmed();
    for (const ResultText& r : kFinalResults) {
        if (r.wholeLine ? line == r.text : line.startsWith(r.text)) {
            return r.result;
        }
    }
    return AtResult::None;
}

QByteArray commandNameOf(QByteArrayView commandLine) {
    commandLine = commandLine.trimmed();
    if (commandLine.size() < 3 || qstrnicmp(commandLine.data(), 2, "AT", 2) != 0) {
        return {};
    }
    QByteArrayView rest = commandLine.sliced(2);
    qsizetype end = 1;  // a basic command is one letter ("E" of "ATE0")
    if (!isCommandNameChar(rest.front())) {
        // extended command: a sign ("+", "^", "*", "$", "%", "&") and its name
        while (end < rest.size() && isCommandNameChar(rest[end])) {
            ++end;
        }
    }
    return rest.first(end).toByteArray().toUpper();
}

bool isUnsolicited(QByteArrayView line, QByteArrayView pendingCommand) {
    const QByteArrayView name = nameOfLine(line);
    return name != pendingCommand && listed(kUnsolicitedNames, name);
}

bool unsolicitedTakesNextLine(QByteArrayView line) {
    return listed(kUnsolicitedWithNextLine, nameOfLine(line));
}

bool commandTakesPrompt(QByteArrayView commandName) {
    return listed(kPromptCommands, commandName);
}

}  // namespace pelmar
