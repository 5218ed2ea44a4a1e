#include "sim/handset_sim.h"

#include <QMutexLocker>
#include <algorithm>

#include "base/error.h"
#include "link/command_text.h"

namespace pelmar::simulator {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
// Longer input is cut: no command line or PDU comes near these sizes.
constexpr qsizetype kMaxLine = 4096;
constexpr qsizetype kMaxPdu = 1024;
constexpr int kMaxRandomChunk = 16;

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// A call that rings twice and is given up before anyone answers.
const QList<QByteArray> kRingingCall = {"RING", "RING", "NO CARRIER"};

// What modems of several makers report on their own while they work: data flow, signal,
// start-up, network mode, readiness, indicators and registration.
const QList<QByteArray> kVendorStatus = {
    "^DSFLOWRPT:0000012C,00000000,00000000,0000000000000FA2,0000000000000A8C,0003E800,0003E800",
    "^HCSQ:\"LTE\",46,43,146,27",
    "^RSSI:14",
    "^BOOT:20925013,0,0,0,72",
    "^MODE:5,4",
    "*EMRDY: 1",
    "+CIEV: 2,3",
    "+CREG: 1,\"00C3\",\"0010\",2",
};

bool isPromptCommand(const QByteArray& key) {
    return key == "CMGS" || key == "CMGW";
}

}  // namespace

HandsetSim::HandsetSim(HandsetState state, SimOptions options)
    : m_options(std::move(options)),
      m_model(std::move(state), m_options.dialect, m_options.card),
      m_nextChatter(Clock::now() + m_options.chatterEvery),
      m_random(m_options.seed) {}

void HandsetSim::receive(QByteArrayView bytes, Clock::time_point now) {
    QMutexLocker lock(&m_mutex);
    if (m_hungUp)
        return;
    for (const char c : bytes)
        receiveByte(c, now);
}

void HandsetSim::receiveByte(char c, Clock::time_point now) {
    if (m_model.awaitingPdu()) {
        if (c == kCtrlZ || c == kEsc) {
            pduEnd(c == kCtrlZ, now);
        } else if (c != '\r' && c != '\n' && c != ' ' && c != '\t' && m_pdu.size() < kMaxPdu) {
            m_pdu += c;
        }
        return;
    }
    switch (c) {
        case '\r': {
            const QByteArray line = m_line;
            m_line.clear();
            commandLine(line, now);
            break;
        }
        case '\n':
        case kCtrlZ:
        case kEsc:
            break;
        case '\b':
        case 0x7F:
            m_line.chop(1);
            break;
        default:
            if (m_line.size() < kMaxLine)
                m_line += c;
    }
}

void HandsetSim::commandLine(const QByteArray& line, Clock::time_point now) {
    const AtCommandLine parsed = parseAtCommandLine(line);
    if (!parsed.hasPrefix) {
        // Modems ignore what does not start with "AT"; they only echo it.
        if (m_model.echo())
            send(line + '\r', now);
        return;
    }
    // The log is a file a tester may pass on: the SIM's PIN stays out of it.
    addLog(QByteArrayLiteral("CMD ") + maskedCommandLine(line));
    QByteArray echo = m_model.echo() ? line : QByteArray();
    for (const AtCommand& cmd : parsed.commands) {
        if (m_options.silent.contains(cmd.key))
            return;
        echo = m_options.echoAs.value(cmd.key, echo);
    }
    if (!echo.isEmpty())
        send(echo + '\r', now);
    const Clock::time_point ready = now + m_options.think;
    if (!parsed.valid) {
        answer({}, QByteArrayLiteral("ERROR"), false, ready);
        return;
    }

    QList<QByteArray> lines;
    QByteArray final = QByteArrayLiteral("OK");
    for (const AtCommand& cmd : parsed.commands) {
        const auto override = m_options.replies.constFind(cmd.key);
        const bool overridden = override != m_options.replies.cend();
        // Without its prompt, a submission's override answers the command itself, as a handset
        // that refuses at once ("+CMS ERROR: 322", memory full) and takes no PDU.
        if (overridden && (!isPromptCommand(cmd.key) || m_options.noPrompt.contains(cmd.key))) {
            final = *override;
            break;
        }
        const Answer r = m_model.execute(cmd);
        lines += r.lines;
        if (r.prompt) {
            // A submission's override is its result after the PDU, so the prompt still comes.
            m_hasPendingOverride = overridden;
            m_pendingOverride = overridden ? *override : QByteArray();
            if (!m_options.noPrompt.contains(cmd.key))
                answer(lines, {}, true, ready);
            return;
        }
        if (overridden) {
            final = *override;
            break;
        }
        if (!r.ok()) {
            final = r.final;
            break;
        }
    }
    answer(lines, final, false, ready);
    for (const AtCommand& cmd : parsed.commands) {
        if (const auto extra = m_options.surplus.constFind(cmd.key);
            extra != m_options.surplus.cend())
            send(kCrLf + *extra + kCrLf, ready);
    }
}

void HandsetSim::pduEnd(bool submit, Clock::time_point now) {
    const QByteArray pdu = m_pdu;
    m_pdu.clear();
    const Clock::time_point ready = now + m_options.think;
    const bool overridden = m_hasPendingOverride;
    m_hasPendingOverride = false;
    if (!submit) {
        addLog(QByteArrayLiteral("CANCEL"));
        m_model.cancelPdu();
        answer({}, QByteArrayLiteral("OK"), false, ready);
        return;
    }
    addLog(QByteArrayLiteral("PDU ") + pdu);
    if (m_model.echo())
        send(pdu, now);
    if (overridden) {
        m_model.cancelPdu();
        answer({}, m_pendingOverride, false, ready);
        return;
    }
    const Answer r = m_model.SendPdu(pdu);
    answer(r.lines, r.final, false, ready);
}

void HandsetSim::answer(const QList<QByteArray>& lines, const QByteArray& final, bool prompt,
                        Clock::time_point ready) {
    QByteArray out = m_options.garbage;
    QList<QByteArray> unsolicited;
    if (!m_options.urc.isEmpty())
        unsolicited.append(m_options.urc);
    if (m_options.ringingCall)
        unsolicited += kRingingCall;
    if (m_options.vendorStatus)
        unsolicited += kVendorStatus;
    QByteArray urc;
    for (const QByteArray& line : unsolicited)
        urc += kCrLf + line + kCrLf;
    // The unsolicited lines go between two items of the information text, never inside one.
    const qsizetype split = urc.isEmpty() ? lines.size() : (lines.size() + 1) / 2;
    if (split > 0)
        out += kCrLf + lines.mid(0, split).join(kCrLf) + kCrLf;
    out += urc;
    if (split < lines.size())
        out += kCrLf + lines.mid(split).join(kCrLf) + kCrLf;
    out += prompt ? QByteArrayLiteral("\r\n> ") : kCrLf + final + kCrLf;
    send(out, ready);
}

void HandsetSim::send(QByteArray bytes, Clock::time_point ready) {
    qsizetype pos = 0;
    while (pos < bytes.size() && !m_hungUp) {
        qsizetype size = bytes.size() - pos;
        if (m_options.randomChunks) {
            size = std::min<qsizetype>(size, m_random.bounded(1, kMaxRandomChunk + 1));
        } else if (m_options.chunkSize > 0) {
            size = std::min<qsizetype>(size, m_options.chunkSize);
        }
        if (m_options.hangupAfter >= 0) {
            size = std::min<qsizetype>(size, m_options.hangupAfter - m_bytesSent);
        }
        if (size > 0) {
            const auto transfer =
                m_options.baud > 0
                    ? std::chrono::microseconds(size * 10 * 1'000'000LL / m_options.baud)
                    : std::chrono::microseconds(0);
            const Clock::time_point due = std::max(ready, m_lineFreeAt) + transfer;
            m_lineFreeAt = due;
            m_output.push_back({bytes.mid(pos, size), due});
            m_bytesSent += size;
            pos += size;
        }
        if (m_options.hangupAfter >= 0 && m_bytesSent >= m_options.hangupAfter)
            m_hungUp = true;
    }
}

bool HandsetSim::hasOutput() const {
    QMutexLocker lock(&m_mutex);
    return !m_output.empty();
}

// The chatter line when it goes before the queued answers: it is due first, and it would not
// cut into a line.
std::optional<HandsetSim::Piece> HandsetSim::chatterDue() const {
    if (m_options.chatter.isEmpty() || m_options.chatterEvery <= Clock::duration::zero() ||
        m_hungUp)
        return std::nullopt;
    if (!m_output.empty() && (!m_betweenLines || m_output.front().due <= m_nextChatter))
        return std::nullopt;
    return Piece{kCrLf + m_options.chatter + kCrLf, m_nextChatter, true};
}

std::optional<HandsetSim::Piece> HandsetSim::peekOutput() const {
    QMutexLocker lock(&m_mutex);
    if (auto chatter = chatterDue())
        return chatter;
    if (m_output.empty())
        return std::nullopt;
    return m_output.front();
}

std::optional<HandsetSim::Piece> HandsetSim::takeOutput() {
    QMutexLocker lock(&m_mutex);
    if (auto chatter = chatterDue()) {
        m_nextChatter = std::max(m_nextChatter, Clock::now()) + m_options.chatterEvery;
        return chatter;
    }
    if (m_output.empty())
        return std::nullopt;
    Piece piece = std::move(m_output.front());
    m_output.pop_front();
    m_betweenLines = piece.bytes.endsWith('\n');
    return piece;
}

bool HandsetSim::hungUp() const {
    QMutexLocker lock(&m_mutex);
    return m_hungUp;
}

void HandsetSim::dropLine() {
    QMutexLocker lock(&m_mutex);
    ++m_lineDrops;
    m_output.clear();
    m_line.clear();
    m_pdu.clear();
    m_lineFreeAt = {};
    m_betweenLines = true;
    m_nextChatter = Clock::now() + m_options.chatterEvery;
    if (m_model.awaitingPdu()) {
        // Not "CANCEL": a test can tell the program's ESC from a line that went away.
        addLog(QByteArrayLiteral("DROP"));
        m_model.cancelPdu();
    }
    m_hasPendingOverride = false;
}

int HandsetSim::lineDrops() const {
    QMutexLocker lock(&m_mutex);
    return m_lineDrops;
}

HandsetState HandsetSim::state() const {
    QMutexLocker lock(&m_mutex);
    return m_model.state();
}

QList<QByteArray> HandsetSim::log() const {
    QMutexLocker lock(&m_mutex);
    return m_log;
}

void HandsetSim::setLogFile(const QString& path) {
    QMutexLocker lock(&m_mutex);
    m_logFile.close();
    m_logFile.setFileName(path);
    if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw Error(
            QStringLiteral("Cannot write the log %1: %2").arg(path, m_logFile.errorString()));
    }
}

void HandsetSim::addLog(const QByteArray& line) {
    m_log.append(line);
    if (m_logFile.isOpen()) {
        m_logFile.write(line + '\n');
        m_logFile.flush();
    }
}

}  // namespace pelmar::simulator
