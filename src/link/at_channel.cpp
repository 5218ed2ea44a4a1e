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

ReadTimeout::ReadTimeout(const QString& portName)
    : Error(QStringLiteral("Read timeout. Possibly %1 is not a valid port for Dovrel.")
                .arg(portName)) {}

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
              .arg(QString::fromLatin1(command), portName, QString::fromLatin1(stray))) {}

Cancelled::Cancelled() : Error(QStringLiteral("Cancelled.")) {}

AtChannel::AtChannel(Transport& transport, std::chrono::milliseconds lineTimeout)
    : transport_(transport), lineTimeout_(lineTimeout) {}

void AtChannel::SetPortName(const QString& name) {
    portName_ = name;
}

QString AtChannel::PortName() const {
    return portName_.isEmpty() ? transport_.portName() : portName_;
}

void AtChannel::OpenPort() {
    if (!portName_.isEmpty()) {
        transport_.setPortName(portName_);
    }
    lastReply_ = AtReply();
    if (transport_.isOpen()) {
        return;
    }
    parser_.clear();
    typed_.clear();
    transport_.open();
}

void AtChannel::TogglePort() {
    if (transport_.isOpen()) {
        ClosePort();
    } else {
        OpenPort();
    }
}

void AtChannel::ClosePort() {
    if (transport_.isOpen()) {
        transport_.close();
    }
}

bool AtChannel::isOpen() const {
    return transport_.isOpen();
}

void AtChannel::SendCommand(QByteArrayView text, bool appendCR) {
    if (appendCR) {
        if (const auto problem = commandLineProblem(text))
            throw Error(*problem);
        throwIfStopped();
    }
    QByteArray bytes = text.toByteArray();
    typed_ += bytes;
    if (appendCR) {
        dropUnanswered();
        bytes += '\r';
        parser_.startCommand(typed_);
        command_ = typed_;
        typed_.clear();
    }
    write(bytes);
}

void AtChannel::write(QByteArrayView bytes) {
    transport_.write(bytes);
    writtenAt_ = Clock::now();
    waitedSinceWrite_ = false;
}

void AtChannel::dropUnanswered() {
    if (!transport_.isOpen()) {
        return;  // the write reports the closed line
    }
    // Bounded, in case a device talks faster than it can be read.
    for (qsizetype taken = 0; taken <= kMaxReplySize;) {
        const QByteArray bytes = transport_.read(milliseconds::zero());
        if (bytes.isEmpty()) {
            break;
        }
        parser_.feed(bytes);
        taken += bytes.size();
    }
    parser_.discardUnanswered();
}

AtReply AtChannel::WaitReply(const LineObserver& onLine, int expectedEntries) {
    // A second wait after one write counts from now.
    const Clock::time_point start = waitedSinceWrite_ ? Clock::now() : writtenAt_;
    waitedSinceWrite_ = true;
    const bool listing = expectedEntries >= 0;
    const int entries = listing ? std::min(expectedEntries, kMaxListingEntries) : 0;
    const Clock::time_point end =
        start + lineTimeout_ +
        (listing ? entries * allowance_.perEntry + allowance_.margin : milliseconds::zero());
    const qsizetype cap = kMaxReplySize + qsizetype(entries) * kEntryBytes;
    Clock::time_point idleEnd = start + lineTimeout_;
    for (;;) {
        const quint64 progressBefore = parser_.progressLines();
        if (std::optional<AtReply> reply = parser_.takeReply(onLine)) {
            if (reply->raw.size() > cap) {
                throw ReplyTooLong(PortName(), cap);
            }
            lastReply_ = *reply;
            return std::move(*reply);
        }
        if (parser_.progressLines() != progressBefore) {
            idleEnd = Clock::now() + lineTimeout_;
        }
        if (parser_.pendingBytes() > cap) {
            parser_.clear();
            throw ReplyTooLong(PortName(), cap);
        }
        throwIfStopped();
        const auto left = std::chrono::ceil<milliseconds>(std::min(idleEnd, end) - Clock::now());
        if (left <= milliseconds::zero()) {
            throwNoReply();
        }
        parser_.feed(transport_.read(std::min(left, kCancelSlice)));
    }
}

void AtChannel::throwNoReply() const {
    if (!parser_.strayLine().isEmpty()) {
        throw ReplyMismatch(PortName(), command_, parser_.strayLine());
    }
    throw ReadTimeout(PortName());
}

void AtChannel::throwIfStopped() const {
    if (stop_.stop_requested()) {
        throw Cancelled();
    }
}

AtReply AtChannel::SendCtrlZ() {
    // The PDU typed since the prompt is what an echoing handset repeats.
    parser_.expectEcho(typed_);
    typed_.clear();
    write(QByteArrayView(&kCtrlZ, 1));
    return WaitReply();
}

AtReply AtChannel::command(QByteArrayView text, const LineObserver& onLine, int expectedEntries) {
    SendCommand(text, true);
    return WaitReply(onLine, expectedEntries);
}

AtReply AtChannel::submitPdu(QByteArrayView text, QByteArrayView pduHex) {
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
        lastReply_ = reply;
        return reply;
    }
    SendCommand(pduHex, false);
    return SendCtrlZ();
}

void AtChannel::writeEscape() noexcept {
    // Best effort on a line that already failed: the first error is the one worth reporting.
    try {
        if (transport_.isOpen()) {
            transport_.write(QByteArrayView(&kEscape, 1));
        }
    } catch (const std::exception&) {
    }
    typed_.clear();
}

QString AtChannel::IdentifyPhone() {
    if (!phoneIdentity_.isEmpty()) {
        return phoneIdentity_;
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

    const AtReply maker = command("at+cgmi");
    if (!maker.isOk()) {
        return phoneIdentity_;
    }
    const AtReply model = command("at+cgmm");
    if (!model.isOk()) {
        return phoneIdentity_;
    }
    QStringList parts{identityLineOf(maker), identityLineOf(model)};
    parts.removeAll(QString());
    phoneIdentity_ = parts.join(QLatin1Char(' '));
    return phoneIdentity_;
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
