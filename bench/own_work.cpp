#include "own_work.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "counting_transport.h"
#include "link/at_channel.h"
#include "phonebook/phonebook_transfer.h"
#include "session/identified_job.h"
#include "session/operation_runner.h"
#include "sim/handset_sim.h"
#include "sim/sim_transport.h"
#include "smart/smart_send.h"
#include "sms/message_operations.h"

namespace pelmar::bench {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Timing = simulator::SimTransport::Timing;

const QString kNumber = QStringLiteral("+12025550100");

QString unexpected(const Outcome& outcome) {
    return outcome.isDone() ? QString() : outcome.text;
}

QString countProblem(qsizetype got, qsizetype wanted, const char* what) {
    if (got == wanted)
        return {};
    return QStringLiteral("%1 of %2 %3").arg(got).arg(wanted).arg(QLatin1StringView(what));
}

// One operation of the program on a fresh handset; returns what went wrong, or an empty text.
struct OwnWorkStep {
    const char* name;
    std::function<QString(AtChannel&, simulator::HandsetSim&)> run;
};

PhoneBookStore storeOf(const simulator::ContactList& contacts) {
    PhoneBookStore store;
    for (const simulator::Contact& c : contacts.entries)
        store.append(PhoneBookEntry(c.number, quint8(c.type), c.name));
    return store;
}

QList<OwnWorkStep> ownWorkSteps(const simulator::HandsetState& state) {
    const qsizetype messages = state.messages.size();
    const PhoneBookStore book = storeOf(state.phonebooks.value("SM"));
    const qsizetype entries = book.count();
    QList<quint32> twoStored;
    for (const auto index : state.messages.keys().mid(0, 2))
        twoStored.append(quint32(index));
    const TextMessage text{kNumber, QStringLiteral("Own work bench")};
    return {
        {"send message",
         [text](AtChannel& channel, simulator::HandsetSim& sim) {
             const SubmitResult r = SendOrStoreSMS(channel, text, SubmitAction::Send);
             return r.outcome.isDone() ? countProblem(sim.state().sent.size(), 1, "sent")
                                       : r.outcome.text;
         }},
        {"store message",
         [text](AtChannel& channel, simulator::HandsetSim&) {
             return unexpected(SendOrStoreSMS(channel, text, SubmitAction::Store).outcome);
         }},
        {"list messages",
         [messages](AtChannel& channel, simulator::HandsetSim&) {
             const MessageListing listing = ReadMessages(channel);
             return listing.outcome.isDone()
                        ? countProblem(listing.messages->size(), messages, "messages listed")
                        : listing.outcome.text;
         }},
        {"delete 2 messages",
         [twoStored](AtChannel& channel, simulator::HandsetSim&) {
             return unexpected(DeleteMessages(channel, twoStored).outcome);
         }},
        {"read phonebook",
         [entries](AtChannel& channel, simulator::HandsetSim&) {
             const PhoneBookReadResult read = ReadPhoneBook(channel, PhoneBookKind::SM);
             return read.outcome.isDone()
                        ? countProblem(read.store->count(), entries, "entries read")
                        : read.outcome.text;
         }},
        {"write phonebook",
         [book](AtChannel& channel, simulator::HandsetSim&) {
             return unexpected(WritePhoneBook(channel, PhoneBookKind::SM, book).outcome);
         }},
        {"send 3-part picture",
         [](AtChannel& channel, simulator::HandsetSim&) {
             return unexpected(SendPictureMessage(channel, kNumber, QStringLiteral("Own work"),
                                                  PictureCoding::Standard, BuiltInPicture(),
                                                  ConcatReference(7))
                                   .outcome);
         }},
    };
}

struct OwnWork {
    const char* name;
    QList<microseconds> runs;  // sorted
    LineCount line;            // of the last run
    QString problem;
};

OwnWork measureOwnWork(const OwnWorkStep& step, const simulator::HandsetState& state, int repeats) {
    OwnWork work{step.name, {}, {}, {}};
    for (int i = 0; i < repeats && work.problem.isEmpty(); ++i) {
        simulator::HandsetSim sim(state);
        simulator::SimTransport line(sim, Timing::Fast);
        CountingTransport counting(line, 0);
        AtChannel channel(counting);
        QElapsedTimer timer;
        timer.start();
        work.problem = step.run(channel, sim);
        work.runs.append(microseconds(timer.nsecsElapsed() / 1000));
        work.line = counting.take();
    }
    std::sort(work.runs.begin(), work.runs.end());
    return work;
}

double ms(microseconds t) {
    return t.count() / 1000.0;
}

microseconds median(const QList<microseconds>& sorted) {
    return sorted.isEmpty() ? microseconds(0) : sorted.at(sorted.size() / 2);
}

// The runner lists the messages as the message page does, its handset line on the worker
// thread; this thread's event loop runs a timer and notes the gaps between its ticks.
struct StallRun {
    microseconds wall{0};
    QList<microseconds> gaps;  // sorted
    int steps = 0;
    int messages = 0;
    // When the first entry of the listing began to arrive, and when the first row could be
    // shown (the first step that carries a message read whole); from the start.
    microseconds firstEntry{-1};
    microseconds firstRow{-1};
    QString problem;
};

constexpr int kRunnerBaud = 38400;
constexpr milliseconds kTick{10};

StallRun measureStall(const simulator::HandsetState& state, bool paced, milliseconds think) {
    OperationRunner runner(QStringLiteral("simulated handset"), AtChannel::kDefaultLineTimeout,
                           [state, paced, think](const QString&, milliseconds lineTimeout) {
                               simulator::SimOptions options;
                               options.chunkSize = 64;  // what a serial driver hands over at a time
                               if (paced) {
                                   options.baud = kRunnerBaud;
                                   options.think = think;
                               }
                               return std::make_unique<HandsetConnection>(
                                   std::make_unique<simulator::HandsetSim>(state, options),
                                   paced ? Timing::Real : Timing::Fast, lineTimeout);
                           });
    StallRun run;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTick);
    QElapsedTimer sinceTick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        run.gaps.append(microseconds(sinceTick.nsecsElapsed() / 1000));
        sinceTick.restart();
    });
    QElapsedTimer wall;
    QObject::connect(&runner, &OperationRunner::progress, [&](const ProgressStep& step) {
        ++run.steps;
        const microseconds now(wall.nsecsElapsed() / 1000);
        if (step.done >= 1 && run.firstEntry.count() < 0)
            run.firstEntry = now;
        if (run.firstRow.count() < 0 && !step.detail.value<QList<DecodedMessage>>().isEmpty())
            run.firstRow = now;
    });
    const auto list = [](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return ReadMessages(channel, progress, std::move(stop));
    };
    wall.start();
    sinceTick.start();
    tick.start();
    runner.run(identifiedJob(list), [&](MessageListing listing) {
        run.problem = unexpected(listing.outcome);
        if (listing.messages)
            run.messages = int(listing.messages->size());
        loop.quit();
    });
    loop.exec();
    run.wall = microseconds(wall.nsecsElapsed() / 1000);
    std::sort(run.gaps.begin(), run.gaps.end());
    return run;
}

}  // namespace

bool printOwnWork(simulator::HandsetState state, int repeats) {
    // Room for the stored message.
    state.messageSlots = std::max(state.messageSlots, int(state.messages.size()) + 1);
    std::printf(
        "\npelmar-bench: the program's own work, in-memory line answered at once, %d runs "
        "each\n",
        repeats);
    std::printf("%-22s %9s %9s %9s %9s %9s %8s\n", "operation", "median ms", "min ms", "max ms",
                "bytes out", "bytes in", "commands");
    bool ok = true;
    for (const OwnWorkStep& step : ownWorkSteps(state)) {
        const OwnWork w = measureOwnWork(step, state, repeats);
        std::printf("%-22s %9.2f %9.2f %9.2f %9lld %9lld %8lld%s%s\n", w.name, ms(median(w.runs)),
                    ms(w.runs.first()), ms(w.runs.last()), static_cast<long long>(w.line.bytesOut),
                    static_cast<long long>(w.line.bytesIn),
                    static_cast<long long>(w.line.commands()),
                    w.problem.isEmpty() ? "" : "  FAILED: ", qPrintable(w.problem));
        ok = ok && w.problem.isEmpty();
    }
    std::fflush(stdout);
    return ok;
}

bool printRunnerStall(const simulator::HandsetState& state, bool paced, milliseconds think) {
    const StallRun run = measureStall(state, paced, think);
    std::printf(
        "\npelmar-bench: the event loop of the runner's thread (a %lld ms timer) while the "
        "runner lists %lld messages, %s\n",
        static_cast<long long>(kTick.count()), static_cast<long long>(state.messages.size()),
        paced ? qPrintable(QStringLiteral("%1 baud, think time %2 ms per command")
                               .arg(kRunnerBaud)
                               .arg(think.count()))
              : "no pacing");
    std::printf("%-22s %9s %9s %9s %9s %8s %10s %10s\n", "operation", "wall ms", "ticks", "gap ms",
                "max gap", "steps", "1st entry", "1st row");
    const QString problem =
        run.problem.isEmpty() ? countProblem(run.messages, state.messages.size(), "messages listed")
                              : run.problem;
    std::printf("%-22s %9.1f %9lld %9.1f %9.1f %8d %10.1f %10.1f%s%s\n", "list messages (runner)",
                ms(run.wall), static_cast<long long>(run.gaps.size()), ms(median(run.gaps)),
                ms(run.gaps.isEmpty() ? microseconds(0) : run.gaps.last()), run.steps,
                ms(run.firstEntry), ms(run.firstRow),
                problem.isEmpty() ? "" : "  FAILED: ", qPrintable(problem));
    std::printf(
        "gap ms: the median time between two ticks; max gap: the longest, the longest "
        "stall of that thread; 1st entry / 1st row: ms from the start until the first entry "
        "of the listing arrived, and until the first message could be shown\n");
    std::fflush(stdout);
    return problem.isEmpty();
}

}  // namespace pelmar::bench
