#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>

#include "link/operation_frame.h"
#include "link/progress_step.h"
#include "session/handset_connection.h"
#include "session/session_log.h"

namespace pelmar {

// One handset operation with its inputs bound, run on the worker thread. The job hands the
// stop token (the user's Cancel) to the operation, whose frame watches it.
using Job =
    std::function<Outcome(AtChannel& channel, const Progress& progress, std::stop_token stop)>;

// Runs handset operations, one at a time, on one long-lived worker thread that owns the
// connection to the handset: the serial port is opened, used and closed on that thread only,
// and the caller's thread never blocks on the line. Everything the runner reports (progress,
// identity, the result) arrives on the thread that created it, through its event loop.
class OperationRunner : public QObject {
    Q_OBJECT

  public:
    // Makes the connection for a port name, on the worker thread; may throw pelmar::Error.
    using ConnectionFactory = std::function<std::unique_ptr<HandsetConnection>(
        const QString& portName, std::chrono::milliseconds lineTimeout)>;
    // Progress steps closer together than this are merged into the latest one.
    static constexpr std::chrono::milliseconds kStepInterval{50};

    // The connection is made when the first job runs, by `factory` (HandsetConnection's own
    // constructor when empty).
    explicit OperationRunner(const QString& portName,
                             std::chrono::milliseconds lineTimeout = AtChannel::kDefaultLineTimeout,
                             ConnectionFactory factory = {}, QObject* parent = nullptr);
    // Cancels a running job and waits for it; its result is not delivered.
    ~OperationRunner() override;

    template <class F>
    using ResultOf = std::invoke_result_t<F&, AtChannel&, const Progress&, std::stop_token>;

    // Starts `job` on the worker and hands its result to `done` on this thread. The result is
    // an Outcome or a struct with an `outcome` member (MessageListing, SubmitResult, ...);
    // when the job could not run (no connection, cancelled before it started) `done` gets a
    // default result with the failed or cancelled outcome. Refused (false, nothing queued) while
    // busy.
    template <class F>
    bool run(F job, std::function<void(ResultOf<F>)> done = {});

    bool isBusy() const { return m_busy; }
    // Asks the running job to stop; it ends with the cancelled outcome before its next command
    // or at its next wait, and a job that has not opened the port yet does not open it.
    void cancel();
    // Take effect from the next job on; a new port name means a new connection.
    void SetPortName(const QString& portName);

    // Asks the user for the SIM's PIN when the handset wants it (`attemptsLeft` when the handset
    // tells): called on this object's thread while the job waits for the answer; nothing when
    // the user gives none. A Cancel of the job ends the wait.
    using PinAsker = std::function<std::optional<QString>(std::optional<int> attemptsLeft)>;
    void setPinAsker(PinAsker asker) { m_pinAsker = std::move(asker); }

    // The wire log of every connection the runner made (the PIN never in it).
    SessionLog& log() { return m_log; }
    void setLineTimeout(std::chrono::milliseconds timeout);

  signals:
    void busyChanged(bool busy);
    void progress(const pelmar::ProgressStep& step);
    // Maker and model once identified; empty again after the port changed.
    void phoneIdentityChanged(const QString& identity);
    void finished(const pelmar::Outcome& outcome);

  private:
    using Deliver = std::function<void(const Outcome&)>;
    struct Line;

    bool start(Job job, Deliver deliver);
    void work(const Job& job, std::stop_token stop, const Deliver& deliver);
    void noteIdentity(const QString& identity);
    void takeStep(const ProgressStep& step);
    void emitPendingStep();
    void jobDone(const Outcome& outcome, const Deliver& deliver);

    std::optional<QString> askPin(std::optional<int> attemptsLeft, std::stop_token stop);

    SessionLog m_log;
    PinAsker m_pinAsker;
    std::unique_ptr<Line> m_line;  // touched on the worker thread only
    QThread m_thread;
    std::stop_source m_stop;
    bool m_busy = false;
    std::optional<ProgressStep> m_pendingStep;
    QElapsedTimer m_sinceStep;
    QTimer m_stepTimer;
};

template <class F>
bool OperationRunner::run(F job, std::function<void(ResultOf<F>)> done) {
    using R = ResultOf<F>;
    // Written on the worker before the result is posted, read on this thread after.
    auto result = std::make_shared<std::optional<R>>();
    return start(
        [job = std::move(job), result](AtChannel& channel, const Progress& progress,
                                       std::stop_token stop) mutable {
            result->emplace(job(channel, progress, stop));
            return outcomeOf(**result);
        },
        [done = std::move(done), result](const Outcome& outcome) {
            if (!*result) {
                result->emplace();
                outcomeOf(**result) = outcome;
            }
            if (done)
                done(std::move(**result));
        });
}

}  // namespace pelmar
