#include "link/operation_frame.h"

#include <exception>

#include "link/at_error_texts.h"

namespace pelmar {

namespace {

// Closes the port on every way out of the frame, exceptions the frame does not catch included.
class PortCloser {
  public:
    explicit PortCloser(AtChannel& channel) : channel_(channel) {}
    ~PortCloser() { channel_.ClosePort(); }
    PortCloser(const PortCloser&) = delete;
    PortCloser& operator=(const PortCloser&) = delete;

  private:
    AtChannel& channel_;
};

}  // namespace

Outcome judgeReply(const AtReply& reply) {
    // 300 is "ME failure": the handset's phone part did not take the command.
    if (reply.result == AtResult::CmsError && reply.errorCode() == 300) {
        return Outcome::phoneRefused();
    }
    const QString answer = QString::fromLatin1(reply.resultLine);
    if (reply.promptMissing) {
        return Outcome::handsetError(
            QStringLiteral("The handset did not ask for the message (it answered \"%1\").")
                .arg(answer));
    }
    if (reply.isError()) {
        const QString meaning = errorMeaningOf(reply);
        return Outcome::handsetError(
            meaning.isEmpty()
                ? QStringLiteral("The handset answered \"%1\".").arg(answer)
                : QStringLiteral("The handset answered \"%1\" (%2).").arg(answer, meaning));
    }
    return Outcome::done();
}

Outcome RunOperation(AtChannel& channel, const Exchange& exchange) {
    channel.clearLastReply();
    PortCloser closer(channel);
    try {
        channel.OpenPort();
        exchange();
    } catch (const Error& e) {
        return Outcome::failed(e.message());
    } catch (const std::exception& e) {
        // Not expected from the exchange, but a worker thread must not die of it.
        return Outcome::failed(QString::fromLocal8Bit(e.what()));
    }
    return judgeReply(channel.lastReply());
}

Outcome IdentifyHandset(AtChannel& channel) {
    if (!channel.PhoneIdentity().isEmpty()) {
        return Outcome::done();
    }
    Outcome outcome = RunOperation(channel, [&channel] { channel.IdentifyPhone(); });
    if (outcome.isDone() && channel.PhoneIdentity().isEmpty()) {
        return Outcome::handsetError(
            QStringLiteral("The handset did not tell its maker and model."));
    }
    return outcome;
}

}  // namespace pelmar
