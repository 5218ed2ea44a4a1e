#include "session/operation_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <thread>

#include "session/identified_job.h"
#include "sim/sim_state.h"
#include "sms/message_operations.h"
#include "support/qt_application.h"
#include "support/table.h"

// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pelmar {

void PrintTo(const ProgressStep& step, std::ostream* out) {
    *out << '"' << step.text.toStdString() << "\" " << step.done << '/' << step.total;
}

namespace {

using namespace std::chrono_literals;

const testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new test::QtApplication);

// The 30 messages arrive in pieces of 64 bytes at this speed: the listing takes about a second.
constexpr int kBaud = 38400;

// Runs this thread's events until `done` holds; false when `timeout` passed first.
template <class Condition>
bool waitUntil(Condition done, std::chrono::milliseconds timeout = 10s) {
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

QList<ProgressStep> stepsOf(const QSignalSpy& spy) {
    QList<ProgressStep> steps;
    for (const QList<QVariant>& args : spy)
        steps.append(args.at(0).value<ProgressStep>());
    return steps;
}

// As the message page lists: the identification first, then the listing.
const auto listMessages =
    identifiedJob([](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return ReadMessages(channel, progress, std::move(stop));
    });

class RunnerTest : public testing::Test {
  protected:
    // Builds the paced handset on the worker; waits there while `holdWorker` is set.
    OperationRunner::ConnectionFactory factory() {
        return [this](const QString& portName, std::chrono::milliseconds timeout) {
            const QDeadlineTimer deadline(10s);
            while (holdWorker && !deadline.hasExpired())
                std::this_thread::yield();
            simulator::SimOptions options;
            options.baud = kBaud;
            options.chunkSize = 64;
            auto sim = std::make_unique<simulator::HandsetSim>(
                simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json")),
                options);
            auto made = std::make_unique<HandsetConnection>(
                std::move(sim), simulator::SimTransport::Timing::Real, timeout);
            connection = made.get();
            lastPortName = portName;
            return made;
        };
    }

    std::atomic<bool> holdWorker{false};
    HandsetConnection* connection = nullptr;  // valid while the runner lives
    QString lastPortName;
};

enum class Interrupt { None, CancelBeforeStart, CancelMidListing, DestroyMidListing };

struct ListingRow {
    const char* label;
    Interrupt interrupt;
    Outcome::Kind kind;
    QString outcome;  // what the caller gets; empty: nothing is delivered
    int messages;     // listed messages delivered, -1: none (the caller keeps its table)
};

class ListingRun : public RunnerTest, public testing::WithParamInterface<ListingRow> {};

TEST_P(ListingRun, DeliversOneResultOnTheCallersThread) {
    const ListingRow& row = GetParam();
    holdWorker = row.interrupt == Interrupt::CancelBeforeStart;
    auto runner = std::make_unique<OperationRunner>(QStringLiteral("paced"), 2s, factory());
    QSignalSpy busy(runner.get(), &OperationRunner::busyChanged);
    QSignalSpy progress(runner.get(), &OperationRunner::progress);
    QSignalSpy finished(runner.get(), &OperationRunner::finished);
    std::optional<MessageListing> result;
    QThread* deliveredOn = nullptr;
    const auto keep = [&](MessageListing listing) {
        result = std::move(listing);
        deliveredOn = QThread::currentThread();
    };

    ASSERT_TRUE(runner->run(listMessages, keep));
    EXPECT_TRUE(runner->isBusy());
    EXPECT_FALSE(runner->run(listMessages, keep)) << "a second job while one runs";
    const auto stepsDone = [&] { return progress.isEmpty() ? 0 : stepsOf(progress).last().done; };
    switch (row.interrupt) {
        case Interrupt::None:
            break;
        case Interrupt::CancelBeforeStart:
            runner->cancel();
            holdWorker = false;
            break;
        case Interrupt::CancelMidListing:
            ASSERT_TRUE(waitUntil([&] { return stepsDone() >= 3; }));
            runner->cancel();
            break;
        case Interrupt::DestroyMidListing:
            ASSERT_TRUE(waitUntil([&] { return stepsDone() >= 3; }));
            runner.reset();
            break;
    }
    if (row.outcome.isEmpty()) {
        QCoreApplication::processEvents();
        EXPECT_FALSE(result.has_value());
        return;
    }

    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(deliveredOn, QThread::currentThread());
    EXPECT_EQ(result->outcome.kind, row.kind);
    EXPECT_TRUE(result->outcome.text.startsWith(row.outcome)) << qPrintable(result->outcome.text);
    EXPECT_EQ(result->messages ? result->messages->size() : -1, row.messages);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<Outcome>().text, result->outcome.text);
    ASSERT_EQ(busy.size(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
    EXPECT_FALSE(runner->isBusy());
    ASSERT_NE(connection, nullptr);
    EXPECT_FALSE(connection->channel().isOpen());
    if (row.interrupt == Interrupt::CancelBeforeStart) {
        EXPECT_TRUE(connection->sim()->log().isEmpty()) << "the port was used";
    }
    if (row.interrupt != Interrupt::None)
        return;

    // Counted steps in order, merged when they come faster than the interval, the last kept.
    const QList<ProgressStep> steps = stepsOf(progress);
    ASSERT_GE(steps.size(), 2);
    EXPECT_EQ(steps.first().total, 0) << steps.first().text.toStdString();
    EXPECT_LT(steps.size(), 30);
    for (qsizetype i = 2; i < steps.size(); ++i)
        EXPECT_LT(steps[i - 1].done, steps[i].done) << steps[i].text.toStdString();
    EXPECT_EQ(steps.last(), (ProgressStep{QStringLiteral("Reading message 30 from 30"), 30, 30}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Runner, ListingRun,
    testing::Values(
        ListingRow{"RunsToTheEnd", Interrupt::None, Outcome::Kind::Done, QStringLiteral("Done."), 30},
        ListingRow{"CancelledBeforeThePortOpens", Interrupt::CancelBeforeStart, Outcome::Kind::Cancelled, QStringLiteral("Cancelled."), -1},
        ListingRow{"CancelledMidListing", Interrupt::CancelMidListing, Outcome::Kind::Cancelled, QStringLiteral("Cancelled: "), -1},
        ListingRow{"RunnerDestroyedMidListing", Interrupt::DestroyMidListing, Outcome::Kind::Done, QString(), -1}),
    test::ByLabel());
// clang-format on

TEST_F(RunnerTest, TheLastOfStepsMergedTogetherComesBeforeTheResult) {
    OperationRunner runner(QStringLiteral("paced"), 2s, factory());
    QSignalSpy progress(&runner, &OperationRunner::progress);
    bool done = false;
    const auto burst = [](AtChannel&, const Progress& report, std::stop_token) {
        for (int i = 1; i <= 5; ++i)
            reportProgress(report, QStringLiteral("Deleting message %1 from 5").arg(i), i, 5);
        return Outcome::done();
    };
    ASSERT_TRUE(runner.run(burst, [&](const Outcome&) { done = true; }));
    ASSERT_TRUE(waitUntil([&] { return done; }));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(stepsOf(progress).first().done, 1);
    EXPECT_EQ(stepsOf(progress).last(),
              (ProgressStep{QStringLiteral("Deleting message 5 from 5"), 5, 5}));
}

TEST_F(RunnerTest, NewPortNameMeansNewConnectionAndForgetsTheIdentity) {
    OperationRunner runner(QStringLiteral("first"), 2s, factory());
    QSignalSpy identity(&runner, &OperationRunner::phoneIdentityChanged);
    bool done = false;
    const auto identify = [](AtChannel& channel, const Progress&, std::stop_token) {
        return IdentifyHandset(channel);
    };
    ASSERT_TRUE(runner.run(identify, [&](const Outcome&) { done = true; }));
    ASSERT_TRUE(waitUntil([&] { return done; }));
    ASSERT_TRUE(waitUntil([&] { return identity.size() == 1; }));
    const simulator::Identity sim = connection->sim()->state().identity;
    EXPECT_EQ(identity.at(0).at(0).toString(),
              QString::fromLatin1(sim.manufacturer + ' ' + sim.model));

    runner.SetPortName(QStringLiteral("second"));
    runner.setLineTimeout(700ms);
    ASSERT_TRUE(waitUntil([&] { return identity.size() == 2; }));
    EXPECT_EQ(identity.at(1).at(0).toString(), QString());
    done = false;
    std::chrono::milliseconds timeout{};
    ASSERT_TRUE(runner.run(
        [&](AtChannel& channel, const Progress&, std::stop_token) {
            timeout = channel.lineTimeout();
            return Outcome::done();
        },
        [&](const Outcome&) { done = true; }));
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_EQ(lastPortName, QStringLiteral("second"));
    EXPECT_EQ(timeout, 700ms);
}

struct PortRow {
    const char* label;
    QString port;
    bool simulated;
    int baud;  // of the simulated line
};

class ConnectionFor : public testing::TestWithParam<PortRow> {};

TEST_P(ConnectionFor, PicksTheTransportByName) {
    const PortRow& row = GetParam();
    HandsetConnection connection(row.port);
    EXPECT_EQ(HandsetConnection::isSimulatedPort(row.port), row.simulated);
    ASSERT_EQ(connection.sim() != nullptr, row.simulated);
    if (row.simulated) {
        EXPECT_EQ(connection.sim()->options().baud, row.baud);
    }
    EXPECT_FALSE(connection.channel().isOpen());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Runner, ConnectionFor,
    testing::Values(
        PortRow{"SerialDevice", QStringLiteral("/dev/ttyUSB7"), false, 0},
        PortRow{"InstantSim", QStringLiteral("sim"), true, 0},
        PortRow{"SimFromState", QStringLiteral("sim:" PELMAR_TEST_DATA "/sim-basic.json"), true, 0},
        PortRow{"DemoPacedLikeALine", HandsetConnection::kDemoPort, true, 9600},
        PortRow{"NameThatOnlyStartsLikeSim", QStringLiteral("simple"), false, 0}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
