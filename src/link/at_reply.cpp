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
    ResultText{"BUSY", true, AtResult::Busy},
    ResultText{"NO ANSWER", true, AtResult::NoAnswer},
    ResultText{"NO DIALTONE", true, AtResult::NoDialtone},
};

// The results that end a call; a final result only of the commands that make or take one.
constexpr std::array kCallResults{AtResult::NoCarrier, AtResult::Busy, AtResult::NoAnswer,
                                  AtResult::NoDialtone};
// Dial, answer, and return to a call in progress.
constexpr std::array<QByteArrayView, 3> kCallCommands{"D", "A", "O"};

// Standard codes a handset may send on its own at any time: incoming messages and status
// reports, calls, network registration, indicators. Vendor codes are told by their sign.
constexpr std::array<QByteArrayView, 23> kUnsolicitedNames{
    "RING",  "+CRING", "+CLIP", "+CCWA",  "+CMTI",  "+CDSI",   "+CBMI",  "+CMT",
    "+CBM",  "+CDS",   "+CREG", "+CGREG", "+CEREG", "+C5GREG", "+CIEV",  "+CUSD",
    "+CSSI", "+CSSU",  "+CTZV", "+CTZE",  "+CGEV",  "+CPIN",   "+PACSP",
};

// The signs that start a vendor's own codes ("^HCSQ", "*EMRDY", "$QCSIMSTAT", "%CSQ").
constexpr QByteArrayView kVendorSigns = "^*$%";

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

// A vendor's status code: its sign, a letter, then letters and digits ("^DSFLOWRPT",
// "*EMRDY"). A service code such as "*100#" is not one.
bool isVendorCode(QByteArrayView name) {
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.size() < 2 || !kVendorSigns.contains(name.front()) || !isLetter(name[1]))
        return false;
    return std::all_of(name.begin() + 1, name.end(), isCommandNameChar);
}

bool endsACall(QByteArrayView line) {
    const AtResult result = finalResultOf(line);
    return std::find(kCallResults.begin(), kCallResults.end(), result) != kCallResults.end();
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
    if (endsACall(line))
        return !listed(kCallCommands, pendingCommand);
    const QByteArrayView name = nameOfLine(line);
    return name != pendingCommand && (listed(kUnsolicitedNames, name) || isVendorCode(name));
}

bool unsolicitedTakesNextLine(QByteArrayView line) {
    return listed(kUnsolicitedWithNextLine, nameOfLine(line));
}

bool commandTakesPrompt(QByteArrayView commandName) {
    return listed(kPromptCommands, commandName);
}

}  // namespace pelmar
