#include "session/operation_runner.h"

#include <exception>
#include <future>

namespace pelmar {

// The worker's side: lives on the worker thread and is touched there only.
struct OperationRunner::Line {
    QObject context;  // the worker thread's receiver of posted work
    QString portName;
    std::chrono::milliseconds lineTimeout;
    ConnectionFactory factory;
    std::unique_ptr<HandsetConnection> connection;
    QString identity;
};

OperationRunner::OperationRunner(const QString& portName, std::chrono::milliseconds lineTimeout,
                                 ConnectionFactory factory, QObject* parent)
    : QObject(parent), m_line(std::make_unique<Line>()) {
    m_line->portName = portName;
    m_line->lineTimeout = lineTimeout;
    m_line->factory = factory ? std::move(factory) : [](const QString& name, auto timeout) {
        return std::make_unique<HandsetConnection>(name, timeout);
    };
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &OperationRunner::emitPendingStep);
    m_thread.setObjectName(QStringLiteral("handset line"));
    m_line->context.moveToThread(&m_thread);
    m_thread.start();
}

OperationRunner::~OperationRunner() {
    m_stop.request_stop();
    // Queued behind the running job: the connection closes on the thread that used it.
    QMetaObject::invokeMethod(
        &m_line->context,
        [this] {
            m_line->connection.reset();
            m_thread.quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    // What the worker posted to this object is dropped with it: no result reaches a caller
    // that is going away.
}

void OperationRunner::cancel() {
    if (m_busy)
        m_stop.request_stop();
}

void OperationRunner::SetPortName(const QString& portName) {
    QMetaObject::invokeMethod(
        &m_line->context,
        [this, portName] {
            if (portName == m_line->portName)
                return;
            m_line->portName = portName;
            m_line->connection.reset();
            noteIdentity(QString());
        },
        Qt::QueuedConnection);
}

void OperationRunner::setLineTimeout(std::chrono::milliseconds timeout) {
    QMetaObject::invokeMethod(
        &m_line->context,
        [this, timeout] {
            m_line->lineTimeout = timeout;
            if (m_line->connection)
                m_line->connection->channel().setLineTimeout(timeout);
        },
        Qt::QueuedConnection);
}

bool OperationRunner::start(Job job, Deliver deliver) {
    if (m_busy)
        return false;
    m_busy = true;
    m_stop = std::stop_source();
    m_sinceStep.invalidate();
    emit busyChanged(true);
    QMetaObject::invokeMethod(
        &m_line->context,
        [this, job = std::move(job), stop = m_stop.get_token(), deliver = std::move(deliver)] {
            work(job, stop, deliver);
        },
        Qt::QueuedConnection);
    return true;
}

void OperationRunner::work(const Job& job, std::stop_token stop, const Deliver& deliver) {
    const Progress progress = [this](const ProgressStep& s) {
        QMetaObject::invokeMethod(
            this, [this, s] { takeStep(s); }, Qt::QueuedConnection);
    };
    Outcome outcome;
    try {
        if (!m_line->connection) {
            m_line->connection = m_line->factory(m_line->portName, m_line->lineTimeout);
            m_line->connection->channel().setWaitingNotice(
                [progress](const QString& text) { reportProgress(progress, text); });
            m_line->connection->setWireLog(&m_log);
        }
        if (m_pinAsker) {
            m_line->connection->channel().setPinProvider(
                [this, stop](std::optional<int> attempts) { return askPin(attempts, stop); });
        }
        // A stop requested before the job starts is not lost: the job does not run.
        if (stop.stop_requested()) {
            outcome = Outcome::cancelled();
        } else {
            outcome = job(m_line->connection->channel(), progress, stop);
        }
    } catch (const Error& e) {
        outcome = Outcome::failed(e.message());
    } catch (const std::exception& e) {
        // Not expected from a job, but the worker thread must not die of it.
        outcome = Outcome::failed(QString::fromLocal8Bit(e.what()));
    }
    if (m_line->connection)
        noteIdentity(m_line->connection->channel().PhoneIdentity());
    QMetaObject::invokeMethod(
        this, [this, outcome, deliver] { jobDone(outcome, deliver); }, Qt::QueuedConnection);
}

std::optional<QString> OperationRunner::askPin(std::optional<int> attemptsLeft,
                                               std::stop_token stop) {
    // The dialog runs on this object's thread; the worker waits for it, and gives up when the
    // job is cancelled or the runner goes away (then the posted question is dropped with it).
    auto answer = std::make_shared<std::promise<std::optional<QString>>>();
    std::future<std::optional<QString>> future = answer->get_future();
    QMetaObject::invokeMethod(
        this, [this, answer, attemptsLeft] { answer->set_value(m_pinAsker(attemptsLeft)); },
        Qt::QueuedConnection);
    while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (stop.stop_requested())
            return std::nullopt;
    }
    return future.get();
}

void OperationRunner::noteIdentity(const QString& identity) {
    if (identity == m_line->identity)
        return;
    m_line->identity = identity;
    QMetaObject::invokeMethod(
        this, [this, identity] { emit phoneIdentityChanged(identity); }, Qt::QueuedConnection);
}

void OperationRunner::takeStep(const ProgressStep& step) {
    m_pendingStep = step;
    const auto interval = qint64(kStepInterval.count());
    if (!m_sinceStep.isValid() || m_sinceStep.elapsed() >= interval)
        emitPendingStep();
    else if (!m_stepTimer.isActive())
        m_stepTimer.start(int(interval - m_sinceStep.elapsed()));
}

void OperationRunner::emitPendingStep() {
    m_stepTimer.stop();
    if (!m_pendingStep)
        return;
    const ProgressStep step = std::move(*m_pendingStep);
    m_pendingStep.reset();
    m_sinceStep.start();
    emit progress(step);
}

void OperationRunner::jobDone(const Outcome& outcome, const Deliver& deliver) {
    emitPendingStep();  // the last step is shown before the result
    m_busy = false;
    emit busyChanged(false);
    emit finished(outcome);
    if (deliver)
        deliver(outcome);
}

}  // namespace pelmar
