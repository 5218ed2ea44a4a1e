#include "link/at_channel.h"

#include <algorithm>

#include "link/command_text.h"

namespace pelmar {

namespace {

using Clock = std::chrono::steady_clock;

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

ReplyTooLong::ReplyTooLong(const QString& portName)
    : Error(QStringLiteral(
                "The device on %1 sent more than 1 MiB without ending its reply; it is probably "
                "not a handset.")
                .arg(portName)) {}

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
    if (transport_.isOpen()) {
        return;
    }
    parser_.clear();
    typed_.clear();
    cancelRequested_ = false;
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
    }
    QByteArray bytes = text.toByteArray();
    typed_ += bytes;
    if (appendCR) {
        bytes += '\r';
        const QByteArray name = commandNameOf(typed_);
        parser_.setPendingCommand(name, commandTakesPrompt(name));
        parser_.expectEcho(typed_);
        typed_.clear();
    }
    transport_.write(bytes);
}

AtReply AtChannel::WaitReply(const LineObserver& onLine) {
    auto deadline = Clock::now() + lineTimeout_;
    for (;;) {
        const quint64 linesBefore = parser_.linesTaken();
        if (std::optional<AtReply> reply = parser_.takeReply(onLine)) {
            if (reply->raw.size() > kMaxReplySize) {
                throw ReplyTooLong(PortName());
            }
            lastReply_ = *reply;
            return std::move(*reply);
        }
        if (parser_.linesTaken() != linesBefore) {
            deadline = Clock::now() + lineTimeout_;
        }
        if (parser_.pendingBytes() > kMaxReplySize) {
            parser_.clear();
            throw ReplyTooLong(PortName());
        }
        if (cancelRequested_) {
            throw Cancelled();
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            throw ReadTimeout(PortName());
        }
        parser_.feed(transport_.read(std::min(left, kCancelSlice)));
    }
}

AtReply AtChannel::SendCtrlZ() {
    // The PDU typed since the prompt is what an echoing handset repeats.
    parser_.expectEcho(typed_);
    typed_.clear();
    transport_.write(QByteArrayView(&kCtrlZ, 1));
    return WaitReply();
}

AtReply AtChannel::command(QByteArrayView text, const LineObserver& onLine) {
    SendCommand(text, true);
    return WaitReply(onLine);
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
