#include "link/at_channel.h"

#include <algorithm>

#include "link/command_text.h"

namespace pelmar {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr char kCtrlZ = 0x1A;
constexpr char kEscape = 0x1B;

// A wait is cut into slices no longer than this so that a cancel request is seen in time; a
// slice ends as soon as bytes arrive, so this costs nothing while the handset talks.
constexpr std::chrono::milliseconds kCancelSlice{200};

QString unquoted(QString text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        text = text.mid(1, text.size() - 2).trimmed();
    }
    return text;
}

}  // namespace

ReadTimeout::ReadTimeout(const QString& portName, bool serialDevice)
    : Error(QStringLiteral("Read timeout. Possibly %1 is not a valid port for Dovrel.")
                .arg(portName) +
            (serialDevice
                 ? QStringLiteral(" The phone may be switched off, not in modem mode, or on "
                                  "another port: \"Find phone\" in the window or pelmar-cli ports "
                                  "--probe looks for it on every port.")
                 : QString())) {}

ReplyTooLong::ReplyTooLong(const QString& portName, qsizetype cap)
    : Error(QStringLiteral(
                "The device on %1 sent more than %2 MiB without ending its reply; it is probably "
                "not a handset.")
                .arg(portName, QString::number(double(cap) / (1024 * 1024), 'g', 4))) {}

ReplyMismatch::ReplyMismatch(const QString& portName, const QByteArray& command,
                             const QByteArray& stray)
    : Error(
          QStringLiteral("No answer to \"%1\" came from %2: the handset sent \"%3\", which answers "
                         "another command.")
              .arg(QString::fromLatin1(maskedCommandLine(command)), portName,
                   QString::fromLatin1(maskedCommandLine(stray)))) {}

Cancelled::Cancelled() : Error(QStringLiteral("Cancelled.")) {}

AtChannel::AtChannel(Transport& transport, std::chrono::milliseconds lineTimeout)
    : m_transport(transport), m_lineTimeout(lineTimeout) {}

void AtChannel::SetPortName(const QString& name) {
    m_portName = name;
}

QString AtChannel::PortName() const {
    return m_portName.isEmpty() ? m_transport.deviceName() : m_portName;
}

void AtChannel::OpenPort() {
    if (!m_portName.isEmpty()) {
        m_transport.setDeviceName(m_portName);
    }
    m_lastReply = AtReply();
    if (m_transport.isOpen()) {
        return;
    }
    m_parser.clear();
    m_typed.clear();
    m_transport.open();
}

void AtChannel::ClosePort() {
    if (m_transport.isOpen()) {
        m_transport.close();
    }
}

bool AtChannel::isOpen() const {
    return m_transport.isOpen();
}

void AtChannel::SendCommand(QByteArrayView text, bool appendCR) {
    if (appendCR) {
        if (const auto problem = commandLineProblem(text))
            throw Error(*problem);
        throwIfStopped();
    }
    QByteArray bytes = text.toByteArray();
    m_typed += bytes;
    if (appendCR) {
        dropUnanswered();
        bytes += '\r';
        m_parser.startCommand(m_typed);
        m_command = maskedCommandLine(m_typed);
        m_typed.clear();
    }
    write(bytes);
}

void AtChannel::write(QByteArrayView bytes) {
    m_transport.write(bytes);
    m_writtenAt = Clock::now();
    m_waitedSinceWrite = false;
}

void AtChannel::dropUnanswered() {
    if (!m_transport.isOpen()) {
        return;  // the write reports the closed line
    }
    // Bounded, in case a device talks faster than it can be read.
    for (qsizetype taken = 0; taken <= kMaxReplySize;) {
        const QByteArray bytes = m_transport.read(milliseconds::zero());
        if (bytes.isEmpty()) {
            break;
        }
        m_parser.feed(bytes);
        taken += bytes.size();
    }
    m_parser.discardUnanswered();
}

AtReply AtChannel::WaitReply(const LineObserver& onLine, int expectedEntries) {
    // A second wait after one write counts from now.
    const Clock::time_point start = m_waitedSinceWrite ? Clock::now() : m_writtenAt;
    m_waitedSinceWrite = true;
    const bool listing = expectedEntries >= 0;
    const int entries = listing ? std::min(expectedEntries, kMaxListingEntries) : 0;
    const Clock::time_point end =
        start + m_lineTimeout +
        (listing ? entries * m_allowance.perEntry + m_allowance.margin : milliseconds::zero());
    const qsizetype cap = kMaxReplySize + qsizetype(entries) * kEntryBytes;
    Clock::time_point idleEnd = start + m_lineTimeout;
    bool heard = false;
    bool noticed = false;
    for (;;) {
        const quint64 progressBefore = m_parser.progressLines();
        if (std::optional<AtReply> reply = m_parser.takeReply(onLine)) {
            if (reply->raw.size() > cap) {
                throw ReplyTooLong(PortName(), cap);
            }
            m_lastReply = *reply;
            return std::move(*reply);
        }
        if (m_parser.progressLines() != progressBefore) {
            idleEnd = Clock::now() + m_lineTimeout;
        }
        if (m_parser.pendingBytes() > cap) {
            m_parser.clear();
            throw ReplyTooLong(PortName(), cap);
        }
        throwIfStopped();
        const auto left = std::chrono::ceil<milliseconds>(std::min(idleEnd, end) - Clock::now());
        if (left <= milliseconds::zero()) {
            throwNoReply();
        }
        if (!heard && !noticed && m_waitingNotice && Clock::now() - start >= kWaitingNoticeAfter) {
            noticed = true;
            m_waitingNotice(QStringLiteral("Waiting for the phone on %1…").arg(PortName()));
        }
        const QByteArray bytes = m_transport.read(std::min(left, kCancelSlice));
        heard = heard || !bytes.isEmpty();
        m_parser.feed(bytes);
    }
}

void AtChannel::throwNoReply() const {
    if (!m_parser.strayLine().isEmpty()) {
        throw ReplyMismatch(PortName(), m_command, m_parser.strayLine());
    }
    throw ReadTimeout(PortName(), m_transport.isSerialDevice());
}

void AtChannel::throwIfStopped() const {
    if (m_stop.stop_requested()) {
        throw Cancelled();
    }
}

AtReply AtChannel::SendCtrlZ() {
    // The PDU typed since the prompt is what an echoing handset repeats.
    m_parser.expectEcho(m_typed);
    m_typed.clear();
    write(QByteArrayView(&kCtrlZ, 1));
    return WaitReply();
}

AtReply AtChannel::SendAndWait(QByteArrayView text, const LineObserver& onLine,
                               int expectedEntries) {
    SendCommand(text, true);
    return WaitReply(onLine, expectedEntries);
}

AtReply AtChannel::SendPdu(QByteArrayView text, QByteArrayView pduHex) {
    SendCommand(text, true);
    AtReply reply;
    try {
        reply = WaitReply();
    } catch (const Error&) {
        writeEscape();
        throw;
    }
    if (!reply.prompt) {
        writeEscape();
        reply.promptMissing = true;
        m_lastReply = reply;
        return reply;
    }
    SendCommand(pduHex, false);
    return SendCtrlZ();
}

void AtChannel::writeEscape() noexcept {
    // Best effort on a line that already failed: the first error is the one worth reporting.
    try {
        if (m_transport.isOpen()) {
            m_transport.write(QByteArrayView(&kEscape, 1));
        }
    } catch (const std::exception&) {
    }
    m_typed.clear();
}

QString AtChannel::IdentifyPhone() {
    if (!m_phoneIdentity.isEmpty()) {
        return m_phoneIdentity;
    }
    const bool openedHere = !isOpen();
    OpenPort();
    struct CloseAfter {
        AtChannel* channel;
        ~CloseAfter() {
            if (channel) {
                channel->ClosePort();
            }
        }
    } closeAfter{openedHere ? this : nullptr};

    const AtReply maker = SendAndWait("at+cgmi");
    if (!maker.isOk()) {
        return m_phoneIdentity;
    }
    const AtReply model = SendAndWait("at+cgmm");
    if (!model.isOk()) {
        return m_phoneIdentity;
    }
    QStringList parts{identityLineOf(maker), identityLineOf(model)};
    parts.removeAll(QString());
    m_phoneIdentity = parts.join(QLatin1Char(' '));
    return m_phoneIdentity;
}

QString identityLineOf(const AtReply& reply) {
    if (!reply.isOk() || reply.lines.isEmpty()) {
        return {};
    }
    QString line = QString::fromLatin1(reply.firstLine()).trimmed();
    static const QLatin1StringView kLabels[] = {QLatin1StringView("+CGMI:"),
                                                QLatin1StringView("+CGMM:")};
    for (QLatin1StringView label : kLabels) {
        if (line.startsWith(label, Qt::CaseInsensitive)) {
            line = line.mid(label.size());
        }
    }
    return unquoted(line);
}

}  // namespace pelmar
