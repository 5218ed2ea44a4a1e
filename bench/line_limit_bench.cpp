// pelmar-bench: the handset operations against the simulated handset on a line paced like
// 9600 baud with a fixed think time per command, each compared with the line's own limit: the
// time the bytes that crossed it take at 10 bits each, plus the handset's think time for every
// command it answered. A ratio near 1 means the program adds nothing of its own. Then the
// program's own work per operation on a line that answers at once, and the longest stall of the
// event loop of the thread that owns the operation runner while it lists.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "base/error.h"
#include "counting_transport.h"
#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/serial/t_com_port.h"
#include "own_work.h"
#include "phonebook/phonebook_transfer.h"
#include "sim/handset_sim.h"
#include "sim/pty_server.h"
#include "sim/sim_transport.h"
#include "smart/smart_send.h"
#include "sms/message_operations.h"

namespace pelmar {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

using bench::CountingTransport;
using bench::LineCount;
using bench::lineTime;

// Runs of each operation for the median of the program's own work.
constexpr int kOwnWorkRuns = 21;

struct Settings {
    bool quick = false;  // no pacing, no think time: only proves that every step works
    bool pty = false;    // through a pseudo-terminal and the serial port code
    int baud = 9600;
    milliseconds think{20};
    QString dataDir = QStringLiteral(PELMAR_BENCH_DATA);
};

// One measured operation. `run` returns what went wrong, or an empty text.
struct BenchStep {
    const char* name;
    std::function<QString(AtChannel&)> run;
};

struct Measured {
    const char* name;
    microseconds wall;
    LineCount line;
    QString problem;
};

// 30 stored messages and a 250-slot SIM phonebook holding 200 entries.
simulator::HandsetState benchState(const Settings& s) {
    simulator::HandsetState state =
        simulator::loadSimState(s.dataDir + QStringLiteral("/sim-30-messages.json"));
    const simulator::HandsetState phonebook =
        simulator::loadSimState(s.dataDir + QStringLiteral("/sim-phonebook-200.json"));
    state.phonebooks.insert("SM", phonebook.phonebooks.value("SM"));
    return state;
}

QString unexpected(const Outcome& outcome) {
    return outcome.isDone() ? QString() : outcome.text;
}

// List the messages, read the phonebook, write it back, send a three-part picture message.
// What one step reads, the next may use: the steps share the phonebook and the reference.
QList<BenchStep> benchSteps(simulator::HandsetSim& sim, PhoneBookStore& book,
                            ConcatReference& reference) {
    const simulator::HandsetState start = sim.state();
    const int messages = static_cast<int>(start.messages.size());
    const int entries = static_cast<int>(start.phonebooks.value("SM").entries.size());
    return {
        {"list messages",
         [messages](AtChannel& channel) {
             const MessageListing listing = ReadMessages(channel);
             if (!listing.outcome.isDone())
                 return listing.outcome.text;
             if (listing.messages->size() != messages || listing.unreadable != 0)
                 return QStringLiteral("%1 of %2 messages listed")
                     .arg(listing.messages->size())
                     .arg(messages);
             return QString();
         }},
        {"read phonebook",
         [entries, &book](AtChannel& channel) {
             PhoneBookReadResult read = ReadPhoneBook(channel, PhoneBookKind::SM);
             if (!read.outcome.isDone())
                 return read.outcome.text;
             book = *read.store;
             if (book.count() != entries)
                 return QStringLiteral("%1 of %2 entries read").arg(book.count()).arg(entries);
             return QString();
         }},
        {"write phonebook back",
         [&book](AtChannel& channel) {
             return unexpected(WritePhoneBook(channel, PhoneBookKind::SM, book).outcome);
         }},
        {"send 3-part picture",
         [&sim, &reference](AtChannel& channel) {
             const qsizetype sentBefore = sim.state().sent.size();
             const SmartSendResult result = SendPictureMessage(
                 channel, QStringLiteral("+12025550100"), QStringLiteral("Line limit bench"),
                 PictureCoding::Standard, BuiltInPicture(), reference);
             reference = result.nextReference;
             if (!result.outcome.isDone())
                 return result.outcome.text;
             if (sim.state().sent.size() != sentBefore + 3)
                 return QStringLiteral("%1 parts sent").arg(sim.state().sent.size() - sentBefore);
             return QString();
         }},
    };
}

// The line's own limit: every byte at 10 bits, plus the think time of every command.
microseconds lineLimit(const LineCount& line, const Settings& s) {
    if (s.quick)
        return microseconds(0);
    return lineTime(line.bytesOut + line.bytesIn, s.baud) + line.commands() * s.think;
}

// The same with the handset's echo running while it thinks, as the simulated handset (and many
// real ones) do: per command the longer of the two counts, not their sum.
microseconds echoOverlapLimit(const LineCount& line, const Settings& s) {
    microseconds limit = lineLimit(line, s);
    if (s.quick)
        return limit;
    for (const qint64 typed : line.typed)
        limit -= std::min<microseconds>(lineTime(typed, s.baud), s.think);
    return limit;
}

QByteArray ratioText(microseconds wall, microseconds limit) {
    if (limit.count() <= 0)
        return QByteArrayLiteral("-");
    return QByteArray::number(static_cast<double>(wall.count()) / limit.count(), 'f', 3);
}

void printTable(const QList<Measured>& rows, const Settings& s) {
    std::printf("pelmar-bench: %s, %s, think time %lld ms per command\n",
                s.pty ? "pseudo-terminal through the serial port code"
                      : (s.quick ? "in-memory line" : "in-memory line (real timing)"),
                s.quick ? "no pacing" : qPrintable(QStringLiteral("%1 baud").arg(s.baud)),
                static_cast<long long>(s.quick ? 0 : s.think.count()));
    std::printf("%-22s %9s %9s %6s %9s %6s %9s %9s %8s\n", "operation", "wall ms", "limit ms",
                "ratio", "overlap", "ratio", "bytes out", "bytes in", "commands");
    for (const Measured& m : rows) {
        const microseconds limit = lineLimit(m.line, s);
        const microseconds overlapped = echoOverlapLimit(m.line, s);
        std::printf("%-22s %9.1f %9.1f %6s %9.1f %6s %9lld %9lld %8lld%s%s\n", m.name,
                    m.wall.count() / 1000.0, limit.count() / 1000.0,
                    ratioText(m.wall, limit).constData(), overlapped.count() / 1000.0,
                    ratioText(m.wall, overlapped).constData(),
                    static_cast<long long>(m.line.bytesOut), static_cast<long long>(m.line.bytesIn),
                    static_cast<long long>(m.line.commands()),
                    m.problem.isEmpty() ? "" : "  FAILED: ", qPrintable(m.problem));
    }
    std::printf(
        "limit: (bytes out + bytes in) x 10 / baud + commands x think time; overlap: the "
        "same with each command's echo sent during its think time\n");
    std::fflush(stdout);
}

QList<Measured> measure(AtChannel& channel, CountingTransport& counting,
                        simulator::HandsetSim& sim) {
    QList<Measured> rows;
    PhoneBookStore book;
    ConcatReference reference;
    for (const BenchStep& step : benchSteps(sim, book, reference)) {
        counting.take();
        QElapsedTimer timer;
        timer.start();
        QString problem = step.run(channel);
        const microseconds wall(timer.nsecsElapsed() / 1000);
        rows.append({step.name, wall, counting.take(), std::move(problem)});
    }
    return rows;
}

// The serial port wants a thread that Qt knows: this one, with the application object.
QList<Measured> measureOverPty(simulator::HandsetSim& sim, const Settings& s) {
    simulator::PtyServer server(sim);
    std::thread serving([&server] { server.run(); });
    struct StopServer {
        simulator::PtyServer& server;
        std::thread& thread;
        ~StopServer() {
            server.stop();
            thread.join();
        }
    } stopServer{server, serving};
    TComPort port(server.devicePath());
    CountingTransport counting(port, s.quick ? 0 : s.baud);
    AtChannel channel(counting);
    return measure(channel, counting, sim);
}

QList<Measured> measureInMemory(simulator::HandsetSim& sim, const Settings& s) {
    simulator::SimTransport line(sim, s.quick ? simulator::SimTransport::Timing::Fast
                                              : simulator::SimTransport::Timing::Real);
    CountingTransport counting(line, 0);
    AtChannel channel(counting);
    return measure(channel, counting, sim);
}

Settings parseSettings(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the handset operations against the simulated handset and compares each with the "
        "time the serial line itself needs for them."));
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"),
                                   QStringLiteral("No pacing and no think time (smoke run)."));
    const QCommandLineOption pty(
        QStringLiteral("pty"),
        QStringLiteral("Serve the handset on a pseudo-terminal and use the serial port code."));
    const QCommandLineOption think(QStringLiteral("think-ms"),
                                   QStringLiteral("The handset's think time per command."),
                                   QStringLiteral("ms"), QStringLiteral("20"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("The line's speed."),
                                  QStringLiteral("bits/s"), QStringLiteral("9600"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Folder of the simulator's state files."),
                                  QStringLiteral("dir"), QStringLiteral(PELMAR_BENCH_DATA));
    parser.addOptions({quick, pty, think, baud, data});
    parser.process(app);

    Settings s;
    s.quick = parser.isSet(quick);
    s.pty = parser.isSet(pty);
    s.think = milliseconds(parser.value(think).toInt());
    s.baud = parser.value(baud).toInt();
    s.dataDir = parser.value(data);
    if (s.baud <= 0 || s.think.count() < 0)
        throw Error(QStringLiteral("--baud takes a positive number, --think-ms zero or more."));
    return s;
}

int run(const QCoreApplication& app) {
    const Settings s = parseSettings(app);
    simulator::SimOptions options;
    if (!s.quick) {
        options.baud = s.baud;
        options.think = s.think;
    }
    simulator::HandsetSim sim(benchState(s), options);
    const QList<Measured> rows = s.pty ? measureOverPty(sim, s) : measureInMemory(sim, s);
    printTable(rows, s);
    bool failed = rows.isEmpty() || std::any_of(rows.begin(), rows.end(), [](const Measured& m) {
                      return !m.problem.isEmpty();
                  });
    failed = !bench::printOwnWork(benchState(s), s.quick ? 3 : kOwnWorkRuns) || failed;
    failed = !bench::printRunnerStall(benchState(s), !s.quick, s.think) || failed;
    return failed ? 1 : 0;
}

}  // namespace
}  // namespace pelmar

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return pelmar::run(app);
    } catch (const pelmar::Error& e) {
        std::fprintf(stderr, "pelmar-bench: %s\n", qPrintable(e.message()));
        return 2;
    }
}
