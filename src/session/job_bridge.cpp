#include "session/job_bridge.h"

#include <QRegularExpression>

namespace pelmar {

ProgressStep progressStepOf(const QString& text) {
    static const QRegularExpression count(QStringLiteral("(\\d+) from (\\d+)"));
    ProgressStep step{text};
    const QRegularExpressionMatch match = count.match(text);
    if (match.hasMatch()) {
        step.done = match.captured(1).toInt();
        step.total = match.captured(2).toInt();
    }
    return step;
}

Outcome RunJob(AtChannel& channel, const Job& job, std::stop_token stop, const StepSink& sink) {
    if (stop.stop_requested())
        return Outcome::failed(Cancelled().message());
    std::stop_callback onStop(stop, [&channel] { channel.requestCancel(); });
    // Opening the port clears the channel's cancel request: a stop that came in between is
    // requested again at the job's next step, so its next wait still ends.
    const Progress progress = [&](const QString& text) {
        if (stop.stop_requested())
            channel.requestCancel();
        if (sink)
            sink(progressStepOf(text));
    };
    return job(channel, progress, stop);
}

}  // namespace pelmar
