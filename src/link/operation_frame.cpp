#include "link/operation_frame.h"

#include <exception>

#include "link/at_error_texts.h"

namespace pelmar {

namespace {

// Closes the port on every way out of the frame, exceptions the frame does not catch included.
class PortCloser {
  public:
    explicit PortCloser(AtChannel& channel) : m_channel(channel) {}
    ~PortCloser() { m_channel.ClosePort(); }
    PortCloser(const PortCloser&) = delete;
    PortCloser& operator=(const PortCloser&) = delete;

  private:
    AtChannel& m_channel;
};

// Hands the operation's stop token to the channel for the exchange, and takes it back.
class StopWatch {
  public:
    StopWatch(AtChannel& channel, std::stop_token stop)
        : m_channel(channel), m_before(channel.stopToken()) {
        m_channel.setStopToken(std::move(stop));
    }
    ~StopWatch() { m_channel.setStopToken(std::move(m_before)); }
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

  private:
    AtChannel& m_channel;
    std::stop_token m_before;
};

}  // namespace

Outcome judgeReply(const AtReply& reply) {
    // 300 is "ME failure": the handset's phone part did not take the command.
    if (reply.result == AtResult::CmsError && reply.errorCode() == 300) {
        return Outcome::phoneRefused();
    }
    if (reply.promptMissing) {
        return Outcome::handsetError(
            QStringLiteral("The handset did not ask for the message; it answered %1.")
                .arg(answerText(reply)));
    }
    if (reply.isError())
        return Outcome::handsetError(
            QStringLiteral("The handset answered %1.").arg(answerText(reply)));
    return Outcome::done();
}

Outcome RunOperation(AtChannel& channel, const Exchange& exchange, std::stop_token stop) {
    // A cancel that came before the port opened ends the operation before it starts.
    if (stop.stop_requested())
        return Outcome::cancelled();
    StopWatch watch(channel, std::move(stop));
    PortCloser closer(channel);
    std::optional<Outcome> verdict;
    try {
        channel.OpenPort();
        verdict = exchange();
    } catch (const Cancelled&) {
        return Outcome::cancelled();
    } catch (const Error& e) {
        return Outcome::failed(e.message());
    } catch (const std::exception& e) {
        // Not expected from the exchange, but a worker thread must not die of it.
        return Outcome::failed(QString::fromLocal8Bit(e.what()));
    }
    return verdict ? *verdict : judgeReply(channel.lastReply());
}

Outcome IdentifyHandset(AtChannel& channel, std::stop_token stop) {
    if (!channel.PhoneIdentity().isEmpty()) {
        return Outcome::done();
    }
    const auto exchange = [&channel]() -> std::optional<Outcome> {
        if (!channel.IdentifyPhone().isEmpty())
            return Outcome::done();
        const Outcome refusal = judgeReply(channel.lastReply());
        if (!refusal.isDone())
            return refusal;
        return Outcome::handsetError(
            QStringLiteral("The handset did not tell its maker and model."));
    };
    return RunOperation(channel, exchange, std::move(stop));
}

}  // namespace pelmar
