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
    m_commandEcho = core(commandLine).toByteArray();
    m_echoSeen = false;
    m_stray.clear();
}

void AtReplyParser::expectEcho(QByteArrayView text) {
    const QByteArrayView echo = core(text);
    if (!echo.isEmpty()) {
        m_echoes.append(echo.toByteArray());
    }
}

void AtReplyParser::setPendingCommand(QByteArrayView name, bool takesPrompt) {
    m_command = name.toByteArray();
    m_promptExpected = takesPrompt;
}

void AtReplyParser::feed(QByteArrayView bytes) {
    m_buffer.append(bytes);
}

void AtReplyParser::discardUnanswered() {
    qsizetype at = m_pos;
    for (qsizetype end = indexOfLineEnd(m_buffer, at); end >= 0;
         end = indexOfLineEnd(m_buffer, at)) {
        const QByteArrayView text = QByteArrayView(m_buffer).sliced(at, end - at).trimmed();
        at = nextLineStart(m_buffer, end);
        if (text.isEmpty()) {
            continue;
        }
        if (m_unsolicitedContinues && finalResultOf(text) == AtResult::None) {
            m_reply.unsolicited.last() += "\r\n" + text.toByteArray();
            m_unsolicitedContinues = false;
        } else if (isUnsolicited(text, {})) {
            takeUnsolicited(text);
        } else {
            m_unsolicitedContinues = false;
        }
    }
    // An unfinished line is dropped too, unless it is the PDU of a code still arriving.
    m_buffer.remove(0, m_unsolicitedContinues ? at : m_buffer.size());
    m_pos = 0;
    m_scanFrom = 0;
    AtReply kept;
    kept.unsolicited = std::move(m_reply.unsolicited);
    m_reply = std::move(kept);
    m_echoes.clear();
}

std::optional<AtReply> AtReplyParser::takeReply(const LineObserver& onLine) {
    for (;;) {
        const qsizetype end = indexOfLineEnd(m_buffer, m_scanFrom);
        if (end < 0) {
            m_scanFrom = m_buffer.size();
            break;
        }
        const QByteArray line = m_buffer.sliced(m_pos, end - m_pos);
        m_pos = nextLineStart(m_buffer, end);
        m_scanFrom = m_pos;
        if (takeLine(line, onLine)) {
            return finishReply();
        }
    }
    // The prompt comes without a line end: it is the unfinished last line.
    if (m_promptExpected && !echoAwaited() &&
        isPromptText(QByteArrayView(m_buffer).sliced(m_pos))) {
        m_pos = m_buffer.size();
        m_reply.prompt = true;
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
    if (m_unsolicitedContinues && result == AtResult::None) {
        m_reply.unsolicited.last() += "\r\n" + text.toByteArray();
        m_unsolicitedContinues = false;
        return false;
    }
    m_unsolicitedContinues = false;
    if (takeEcho(text)) {
        return false;
    }
    if (isUnsolicited(text, m_command)) {
        takeUnsolicited(text);
        return false;
    }
    if (!belongsToCommand(text)) {
        if (m_stray.isEmpty()) {
            m_stray = text.toByteArray();
        }
        m_reply.lines.clear();
        return false;
    }
    if (result != AtResult::None) {
        m_reply.result = result;
        m_reply.resultLine = text.toByteArray();
        return true;
    }
    if (m_promptExpected && isPromptText(text)) {
        m_reply.prompt = true;
        return true;
    }
    m_reply.lines.append(line);
    ++m_progressLines;
    if (onLine) {
        onLine(line);
    }
    return false;
}

void AtReplyParser::takeUnsolicited(QByteArrayView text) {
    m_reply.unsolicited.append(text.toByteArray());
    m_unsolicitedContinues = unsolicitedTakesNextLine(text);
}

bool AtReplyParser::belongsToCommand(QByteArrayView line) {
    if (m_commandEcho.isEmpty() || m_echoSeen) {
        return true;
    }
    if (looksLikeCommand(line, m_echoOn)) {
        m_echoOn = true;  // the echo of a command we did not write: it answers that one
        return false;
    }
    return !m_echoOn;
}

bool AtReplyParser::takeEcho(QByteArrayView line) {
    const QByteArrayView text = core(line);
    if (!m_echoSeen && !m_commandEcho.isEmpty() &&
        text.compare(m_commandEcho, Qt::CaseInsensitive) == 0) {
        m_echoSeen = true;
        m_echoOn = true;
        m_reply.lines.clear();  // what came before the echo answered something else
        return true;
    }
    for (qsizetype i = 0; i < m_echoes.size(); ++i) {
        if (text.compare(m_echoes[i], Qt::CaseInsensitive) == 0) {
            m_echoes.remove(i);
            return true;
        }
    }
    return false;
}

AtReply AtReplyParser::finishReply() {
    AtReply reply = std::exchange(m_reply, AtReply());
    reply.raw = m_buffer.first(m_pos);
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    m_scanFrom = 0;
    m_echoes.clear();
    m_commandEcho.clear();
    m_echoSeen = false;
    m_stray.clear();
    if (resetsEcho(m_command)) {
        m_echoOn = false;  // not known again until the next echo
    }
    m_promptExpected = false;
    m_unsolicitedContinues = false;
    return reply;
}

void AtReplyParser::clear() {
    m_buffer.clear();
    m_pos = 0;
    m_scanFrom = 0;
    m_reply = AtReply();
    m_echoes.clear();
    m_commandEcho.clear();
    m_command.clear();
    m_stray.clear();
    m_echoSeen = false;
    m_echoOn = false;
    m_promptExpected = false;
    m_unsolicitedContinues = false;
}

}  // namespace pelmar
