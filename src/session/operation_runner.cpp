#include "session/operation_runner.h"

#include <exception>

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
    : QObject(parent), line_(std::make_unique<Line>()) {
    line_->portName = portName;
    line_->lineTimeout = lineTimeout;
    line_->factory = factory ? std::move(factory) : [](const QString& name, auto timeout) {
        return std::make_unique<HandsetConnection>(name, timeout);
    };
    stepTimer_.setSingleShot(true);
    connect(&stepTimer_, &QTimer::timeout, this, &OperationRunner::emitPendingStep);
    thread_.setObjectName(QStringLiteral("handset line"));
    line_->context.moveToThread(&thread_);
    thread_.start();
}

OperationRunner::~OperationRunner() {
    stop_.request_stop();
    // Queued behind the running job: the connection closes on the thread that used it.
    QMetaObject::invokeMethod(
        &line_->context,
        [this] {
            line_->connection.reset();
            thread_.quit();
        },
        Qt::QueuedConnection);
    thread_.wait();
    // What the worker posted to this object is dropped with it: no result reaches a caller
    // that is going away.
}

void OperationRunner::cancel() {
    if (busy_)
        stop_.request_stop();
}

void OperationRunner::setPortName(const QString& portName) {
    QMetaObject::invokeMethod(
        &line_->context,
        [this, portName] {
            if (portName == line_->portName)
                return;
            line_->portName = portName;
            line_->connection.reset();
            noteIdentity(QString());
        },
        Qt::QueuedConnection);
}

void OperationRunner::setLineTimeout(std::chrono::milliseconds timeout) {
    QMetaObject::invokeMethod(
        &line_->context,
        [this, timeout] {
            line_->lineTimeout = timeout;
            if (line_->connection)
                line_->connection->channel().setLineTimeout(timeout);
        },
        Qt::QueuedConnection);
}

bool OperationRunner::start(Job job, Deliver deliver) {
    if (busy_)
        return false;
    busy_ = true;
    stop_ = std::stop_source();
    sinceStep_.invalidate();
    emit busyChanged(true);
    QMetaObject::invokeMethod(
        &line_->context,
        [this, job = std::move(job), stop = stop_.get_token(), deliver = std::move(deliver)] {
            work(job, stop, deliver);
        },
        Qt::QueuedConnection);
    return true;
}

void OperationRunner::work(const Job& job, std::stop_token stop, const Deliver& deliver) {
    Outcome outcome;
    try {
        if (!line_->connection)
            line_->connection = line_->factory(line_->portName, line_->lineTimeout);
        outcome = RunJob(line_->connection->channel(), job, stop, [this](const ProgressStep& s) {
            QMetaObject::invokeMethod(
                this, [this, s] { takeStep(s); }, Qt::QueuedConnection);
        });
    } catch (const Error& e) {
        outcome = Outcome::failed(e.message());
    } catch (const std::exception& e) {
        // Not expected from a job, but the worker thread must not die of it.
        outcome = Outcome::failed(QString::fromLocal8Bit(e.what()));
    }
    if (line_->connection)
        noteIdentity(line_->connection->channel().PhoneIdentity());
    QMetaObject::invokeMethod(
        this, [this, outcome, deliver] { jobDone(outcome, deliver); }, Qt::QueuedConnection);
}

void OperationRunner::noteIdentity(const QString& identity) {
    if (identity == line_->identity)
        return;
    line_->identity = identity;
    QMetaObject::invokeMethod(
        this, [this, identity] { emit phoneIdentityChanged(identity); }, Qt::QueuedConnection);
}

void OperationRunner::takeStep(const ProgressStep& step) {
    pendingStep_ = step;
    const auto interval = qint64(kStepInterval.count());
    if (!sinceStep_.isValid() || sinceStep_.elapsed() >= interval)
        emitPendingStep();
    else if (!stepTimer_.isActive())
        stepTimer_.start(int(interval - sinceStep_.elapsed()));
}

void OperationRunner::emitPendingStep() {
    stepTimer_.stop();
    if (!pendingStep_)
        return;
    const ProgressStep step = std::move(*pendingStep_);
    pendingStep_.reset();
    sinceStep_.start();
    emit progress(step);
}

void OperationRunner::jobDone(const Outcome& outcome, const Deliver& deliver) {
    emitPendingStep();  // the last step is shown before the result
    busy_ = false;
    emit busyChanged(false);
    emit finished(outcome);
    if (deliver)
        deliver(outcome);
}

}  // namespace pelmar
