#include "link/sim_pin.h"

#include "link/at_error_texts.h"
#include "link/command_text.h"

namespace pelmar {

namespace {

struct SimError {
    int code;          // "+CME ERROR: n"
    const char* text;  // the same error in words (AT+CMEE=2)
    SimPinState state;
};

// The SIM errors of 27.007 §9.2 that answer "AT+CPIN?" instead of a state.
constexpr SimError kSimErrors[] = {
    {10, "SIM not inserted", SimPinState::NotInserted},
    {11, "SIM PIN required", SimPinState::PinRequired},
    {12, "SIM PUK required", SimPinState::PukRequired},
    {13, "SIM failure", SimPinState::Failure},
    {15, "SIM wrong", SimPinState::Failure},
};

struct SimCode {
    const char* code;
    SimPinState state;
};

// The codes of "+CPIN: <code>" this program acts on; any other is a lock of the handset's own.
// PIN2 and PUK2 guard only a few features (fixed dialling), not messages or phonebooks.
constexpr SimCode kSimCodes[] = {
    {"READY", SimPinState::Ready},         {"SIM PIN", SimPinState::PinRequired},
    {"SIM PUK", SimPinState::PukRequired}, {"SIM PIN2", SimPinState::Ready},
    {"SIM PUK2", SimPinState::Ready},
};

constexpr int kShortestPin = 4;
constexpr int kLongestPin = 8;

QByteArray unquoted(QByteArray text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        text = text.mid(1, text.size() - 2).trimmed();
    return text;
}

// The value after a "+CPIN:" / "+CPINR:" label, or nothing when the line has another.
std::optional<QByteArray> valueAfter(const QByteArray& line, QByteArrayView label) {
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.toUpper().startsWith(label))
        return std::nullopt;
    return trimmed.mid(label.size()).trimmed();
}

SimPinState stateOfError(const AtReply& reply) {
    const QByteArray detail = reply.resultLine.mid(reply.resultLine.indexOf(':') + 1).trimmed();
    for (const SimError& e : kSimErrors) {
        if (reply.errorCode() == e.code || detail.compare(e.text, Qt::CaseInsensitive) == 0)
            return e.state;
    }
    return SimPinState::Unknown;
}

QString attemptsSentence(std::optional<int> attempts, bool blocked) {
    if (blocked)
        return QStringLiteral("No attempts are left: the SIM card now asks for its PUK.");
    if (!attempts)
        return QStringLiteral("The PIN is not tried again on its own.");
    return (*attempts == 1 ? QStringLiteral("1 attempt is left")
                           : QStringLiteral("%1 attempts are left").arg(*attempts)) +
           QStringLiteral("; the PIN is not tried again on its own.");
}

// What stops the operation for a SIM that is not ready and asks for no PIN; nothing when the
// operation may go on.
std::optional<Outcome> refusalFor(const SimPinStatus& status) {
    switch (status.state) {
        case SimPinState::Ready:
        case SimPinState::PinRequired:
            return std::nullopt;
        case SimPinState::PukRequired:
            return Outcome::handsetError(QStringLiteral(
                "The SIM card is blocked after three wrong PINs and asks for its PUK. Unblock it "
                "with the PUK from the network operator in a handset; this program does not send "
                "a PUK."));
        case SimPinState::NotInserted:
            return Outcome::handsetError(
                QStringLiteral("The handset has no SIM card. Put one in, then try again."));
        case SimPinState::Failure:
            return Outcome::handsetError(QStringLiteral(
                "The handset cannot use its SIM card (SIM failure). Check that the card sits "
                "right, or try another one."));
        case SimPinState::Unknown:
            // A handset without AT+CPIN, or one that cannot tell yet: the operation finds out.
            if (status.code.isEmpty())
                return std::nullopt;
            return Outcome::handsetError(
                QStringLiteral(
                    "The handset waits for its \"%1\" code before it works; enter it on the "
                    "handset, then try again.")
                    .arg(escapedBytes(status.code)));
    }
    return std::nullopt;
}

std::optional<Outcome> unlock(AtChannel& channel) {
    const SimPinStatus status = QuerySimPin(channel);
    if (const std::optional<Outcome> refusal = refusalFor(status))
        return refusal;
    if (status.state != SimPinState::PinRequired) {
        channel.setSimReady();
        return Outcome::done();
    }
    const std::optional<int> attempts = QueryPinAttempts(channel);
    const std::optional<QString> pin =
        channel.pinProvider() ? channel.pinProvider()(attempts) : std::nullopt;
    // A Cancel pressed while the PIN was asked for is the user's answer too.
    if (!pin && channel.stopToken().stop_requested())
        return Outcome::cancelled();
    if (!pin) {
        return Outcome::inputRefused(
            QStringLiteral("The SIM card asks for its PIN, and none was given; nothing was done."));
    }
    if (const std::optional<QString> problem = pinProblem(*pin))
        return Outcome::inputRefused(*problem);
    const AtReply answer =
        channel.SendAndWait(QByteArrayLiteral("at+cpin=\"") + pin->toLatin1() + '"');
    if (answer.isOk()) {
        channel.setSimReady();
        return Outcome::done();
    }
    const std::optional<int> left = QueryPinAttempts(channel);
    const bool blocked =
        left == 0 || (!left && QuerySimPin(channel).state == SimPinState::PukRequired);
    return Outcome::handsetError(
        QStringLiteral("The SIM card refused the PIN: the handset answered %1. %2")
            .arg(answerText(answer), attemptsSentence(left, blocked)));
}

}  // namespace

SimPinStatus simPinStatusOf(const AtReply& reply) {
    if (reply.isError())
        return {stateOfError(reply), {}};
    for (const QByteArray& line : reply.lines) {
        const std::optional<QByteArray> value = valueAfter(line, "+CPIN:");
        if (!value)
            continue;
        const QByteArray code = unquoted(*value);
        for (const SimCode& known : kSimCodes) {
            if (code.compare(known.code, Qt::CaseInsensitive) == 0)
                return {known.state, code};
        }
        return {SimPinState::Unknown, code};
    }
    return {};
}

std::optional<int> pinAttemptsOf(const AtReply& reply) {
    if (!reply.isOk())
        return std::nullopt;
    for (const QByteArray& line : reply.lines) {
        const std::optional<QByteArray> value = valueAfter(line, "+CPINR:");
        if (!value)
            continue;
        const QByteArrayList fields = value->split(',');
        if (fields.size() < 2 || unquoted(fields[0]).compare("SIM PIN", Qt::CaseInsensitive) != 0)
            continue;
        bool good = false;
        const int attempts = fields[1].trimmed().toInt(&good);
        if (good && attempts >= 0)
            return attempts;
    }
    return std::nullopt;
}

std::optional<QString> pinProblem(const QString& pin) {
    bool digits = pin.size() >= kShortestPin && pin.size() <= kLongestPin;
    for (const QChar c : pin)
        digits = digits && c >= u'0' && c <= u'9';
    if (digits)
        return std::nullopt;
    return QStringLiteral(
               "A SIM PIN is %1 to %2 digits, and the PIN given is not; it was not sent.")
        .arg(kShortestPin)
        .arg(kLongestPin);
}

SimPinStatus QuerySimPin(AtChannel& channel) {
    const AtReply reply = channel.SendAndWait("at+cpin?");
    if (reply.result != AtResult::Error)
        return simPinStatusOf(reply);
    if (!channel.SendAndWait("at+cmee=1").isOk())
        return {};
    return simPinStatusOf(channel.SendAndWait("at+cpin?"));
}

std::optional<int> QueryPinAttempts(AtChannel& channel) {
    return pinAttemptsOf(channel.SendAndWait("at+cpinr=\"SIM PIN\""));
}

Outcome UnlockSim(AtChannel& channel, std::stop_token stop) {
    if (channel.simReady())
        return Outcome::done();
    return RunOperation(
        channel, [&channel] { return unlock(channel); }, std::move(stop));
}

}  // namespace pelmar
