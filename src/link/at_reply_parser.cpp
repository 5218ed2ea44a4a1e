#include "link/at_reply_parser.h"

#include <utility>

namespace pelmar {

namespace {

// A line without the blanks and control bytes around it: the Ctrl-Z that some handsets echo
// after the PDU, or line noise before the echo.
QByteArrayView core(QByteArrayView line) {
    const auto isPadding = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!line.isEmpty() && isPadding(line.front())) {
        line = line.sliced(1);
    }
    while (!line.isEmpty() && isPadding(line.back())) {
        line.chop(1);
    }
    return line;
}

bool isPromptText(QByteArrayView text) {
    return text.size() <= 4 && text.trimmed() == ">";
}

qsizetype indexOfLineEnd(const QByteArray& bytes, qsizetype from) {
    for (qsizetype i = from; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            return i;
        }
    }
    return -1;
}

// Where the line ending at `end` is followed by the next one: CR LF is one line end, a lone CR
// or LF ends a line too.
qsizetype nextLineStart(const QByteArray& bytes, qsizetype end) {
    return bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? end + 2
                                                                                  : end + 1;
}

// A command line as a handset echoes it. The one-letter commands ("ATE0", "ATZ") read like
// words ("ATMEL"), so only the extended ones count unless the handset is known to echo.
bool looksLikeCommand(QByteArrayView line, bool echoOn) {
    const QByteArray name = commandNameOf(core(line));
    if (name.isEmpty()) {
        return false;
    }
    const char first = name.front();
    return echoOn || !((first >= 'A' && first <= 'Z') || (first >= '0' && first <= '9'));
}

// Commands after which the handset may echo or not as it was set up.
bool resetsEcho(QByteArrayView name) {
    return name == "E" || name == "Z" || name == "&F";
}

}  // namespace

void AtReplyParser::startCommand(QByteArrayView commandLine) {
    const QByteArray name = commandNameOf(commandLine);
    setPendingCommand(name, commandTakesPrompt(name));
    commandEcho_ = core(commandLine).toByteArray();
    echoSeen_ = false;
    stray_.clear();
}

void AtReplyParser::expectEcho(QByteArrayView text) {
    const QByteArrayView echo = core(text);
    if (!echo.isEmpty()) {
        echoes_.append(echo.toByteArray());
    }
}

void AtReplyParser::setPendingCommand(QByteArrayView name, bool takesPrompt) {
    command_ = name.toByteArray();
    promptExpected_ = takesPrompt;
}

void AtReplyParser::feed(QByteArrayView bytes) {
    buffer_.append(bytes);
}

void AtReplyParser::discardUnanswered() {
    qsizetype at = pos_;
    for (qsizetype end = indexOfLineEnd(buffer_, at); end >= 0; end = indexOfLineEnd(buffer_, at)) {
        const QByteArrayView text = QByteArrayView(buffer_).sliced(at, end - at).trimmed();
        at = nextLineStart(buffer_, end);
        if (text.isEmpty()) {
            continue;
        }
        if (unsolicitedContinues_ && finalResultOf(text) == AtResult::None) {
            reply_.unsolicited.last() += "\r\n" + text.toByteArray();
            unsolicitedContinues_ = false;
        } else if (isUnsolicited(text, {})) {
            takeUnsolicited(text);
        } else {
            unsolicitedContinues_ = false;
        }
    }
    // An unfinished line is dropped too, unless it is the PDU of a code still arriving.
    buffer_.remove(0, unsolicitedContinues_ ? at : buffer_.size());
    pos_ = 0;
    scanFrom_ = 0;
    AtReply kept;
    kept.unsolicited = std::move(reply_.unsolicited);
    reply_ = std::move(kept);
    echoes_.clear();
}

std::optional<AtReply> AtReplyParser::takeReply(const LineObserver& onLine) {
    for (;;) {
        const qsizetype end = indexOfLineEnd(buffer_, scanFrom_);
        if (end < 0) {
            scanFrom_ = buffer_.size();
            break;
        }
        const QByteArray line = buffer_.sliced(pos_, end - pos_);
        pos_ = nextLineStart(buffer_, end);
        scanFrom_ = pos_;
        if (takeLine(line, onLine)) {
            return finishReply();
        }
    }
    // The prompt comes without a line end: it is the unfinished last line.
    if (promptExpected_ && !echoAwaited() && isPromptText(QByteArrayView(buffer_).sliced(pos_))) {
        pos_ = buffer_.size();
        reply_.prompt = true;
        return finishReply();
    }
    return std::nullopt;
}

bool AtReplyParser::takeLine(const QByteArray& line, const LineObserver& onLine) {
    const QByteArrayView text = QByteArrayView(line).trimmed();
    if (text.isEmpty()) {
        return false;
    }
    const AtResult result = finalResultOf(text);
    if (unsolicitedContinues_ && result == AtResult::None) {
        reply_.unsolicited.last() += "\r\n" + text.toByteArray();
        unsolicitedContinues_ = false;
        return false;
    }
    unsolicitedContinues_ = false;
    if (takeEcho(text)) {
        return false;
    }
    if (isUnsolicited(text, command_)) {
        takeUnsolicited(text);
        return false;
    }
    if (!belongsToCommand(text)) {
        if (stray_.isEmpty()) {
            stray_ = text.toByteArray();
        }
        reply_.lines.clear();
        return false;
    }
    if (result != AtResult::None) {
        reply_.result = result;
        reply_.resultLine = text.toByteArray();
        return true;
    }
    if (promptExpected_ && isPromptText(text)) {
        reply_.prompt = true;
        return true;
    }
    reply_.lines.append(line);
    ++progressLines_;
    if (onLine) {
        onLine(line);
    }
    return false;
}

void AtReplyParser::takeUnsolicited(QByteArrayView text) {
    reply_.unsolicited.append(text.toByteArray());
    unsolicitedContinues_ = unsolicitedTakesNextLine(text);
}

bool AtReplyParser::belongsToCommand(QByteArrayView line) {
    if (commandEcho_.isEmpty() || echoSeen_) {
        return true;
    }
    if (looksLikeCommand(line, echoOn_)) {
        echoOn_ = true;  // the echo of a command we did not write: it answers that one
        return false;
    }
    return !echoOn_;
}

bool AtReplyParser::takeEcho(QByteArrayView line) {
    const QByteArrayView text = core(line);
    if (!echoSeen_ && !commandEcho_.isEmpty() &&
        text.compare(commandEcho_, Qt::CaseInsensitive) == 0) {
        echoSeen_ = true;
        echoOn_ = true;
        reply_.lines.clear();  // what came before the echo answered something else
        return true;
    }
    for (qsizetype i = 0; i < echoes_.size(); ++i) {
        if (text.compare(echoes_[i], Qt::CaseInsensitive) == 0) {
            echoes_.remove(i);
            return true;
        }
    }
    return false;
}

AtReply AtReplyParser::finishReply() {
    AtReply reply = std::exchange(reply_, AtReply());
    reply.raw = buffer_.first(pos_);
    buffer_.remove(0, pos_);
    pos_ = 0;
    scanFrom_ = 0;
    echoes_.clear();
    commandEcho_.clear();
    echoSeen_ = false;
    stray_.clear();
    if (resetsEcho(command_)) {
        echoOn_ = false;  // not known again until the next echo
    }
    promptExpected_ = false;
    unsolicitedContinues_ = false;
    return reply;
}

void AtReplyParser::clear() {
    buffer_.clear();
    pos_ = 0;
    scanFrom_ = 0;
    reply_ = AtReply();
    echoes_.clear();
    commandEcho_.clear();
    command_.clear();
    stray_.clear();
    echoSeen_ = false;
    echoOn_ = false;
    promptExpected_ = false;
    unsolicitedContinues_ = false;
}

}  // namespace pelmar
