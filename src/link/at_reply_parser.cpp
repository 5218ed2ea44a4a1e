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

}  // namespace

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

std::optional<AtReply> AtReplyParser::takeReply(const LineObserver& onLine) {
    for (;;) {
        const qsizetype end = indexOfLineEnd(buffer_, scanFrom_);
        if (end < 0) {
            scanFrom_ = buffer_.size();
            break;
        }
        const QByteArray line = buffer_.sliced(pos_, end - pos_);
        pos_ = end + 1;
        // CR LF is one line end; a lone CR or LF ends a line too
        if (buffer_[end] == '\r' && pos_ < buffer_.size() && buffer_[pos_] == '\n') {
            ++pos_;
        }
        scanFrom_ = pos_;
        if (takeLine(line, onLine)) {
            return finishReply();
        }
    }
    // The prompt comes without a line end: it is the unfinished last line.
    if (promptExpected_ && isPromptText(QByteArrayView(buffer_).sliced(pos_))) {
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
    ++linesTaken_;
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
    if (result != AtResult::None) {
        reply_.result = result;
        reply_.resultLine = text.toByteArray();
        return true;
    }
    if (promptExpected_ && isPromptText(text)) {
        reply_.prompt = true;
        return true;
    }
    if (isUnsolicited(text, command_)) {
        reply_.unsolicited.append(text.toByteArray());
        unsolicitedContinues_ = unsolicitedTakesNextLine(text);
        return false;
    }
    reply_.lines.append(line);
    if (onLine) {
        onLine(line);
    }
    return false;
}

bool AtReplyParser::takeEcho(QByteArrayView line) {
    const QByteArrayView text = core(line);
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
    command_.clear();
    promptExpected_ = false;
    unsolicitedContinues_ = false;
}

}  // namespace pelmar
