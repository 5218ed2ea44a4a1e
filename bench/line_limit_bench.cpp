// pelmar-bench: the handset operations against the simulated handset on a line paced like
// 9600 baud with a fixed think time per command, each compared with the line's own limit: the
// time the bytes that crossed it take at 10 bits each, plus the handset's think time for every
// command it answered. A ratio near 1 means the program adds nothing of its own. Then the
// program's own work per operation on a line that answers at once, the longest stall of the
// event loop of the thread that owns the operation runner while it lists, and the phonebook
// write against a write of every slot.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "base/error.h"
#include "counting_transport.h"
#include "handset_line.h"
#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "own_work.h"
#include "phonebook/phonebook_transfer.h"
#include "sim/handset_sim.h"
#include "smart/smart_send.h"
#include "sms/message_operations.h"
#include "write_bench.h"

namespace pelmar {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

using bench::CountingTransport;
using bench::LineCount;
using bench::lineTime;

// Runs of each operation for the median of the program's own work.
constexpr int kOwnWorkRuns = 21;

// The parts of the bench, as --only names them.
const QStringList kParts = {QStringLiteral("line"), QStringLiteral("own"), QStringLiteral("stall"),
                            QStringLiteral("write")};

struct Settings {
    bool quick = false;  // no pacing, no think time: only proves that every step works
    bool pty = false;    // through a pseudo-terminal and the serial port code
    int baud = 9600;
    milliseconds think{20};
    QString dataDir = QStringLiteral(PELMAR_BENCH_DATA);
    QSet<QString> parts{kParts.begin(), kParts.end()};  // what to run
    int writeRuns = 3;                                  // for the medians of the write rows
};

bench::LineSetup lineSetup(const Settings& s) {
    return {s.pty, !s.quick, s.baud};
}

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

QList<Measured> measureOnLine(simulator::HandsetSim& sim, const Settings& s) {
    QList<Measured> rows;
    bench::withHandsetLine(sim, lineSetup(s), [&](AtChannel& channel, CountingTransport& counting) {
        rows = measure(channel, counting, sim);
    });
    return rows;
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
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("Run only these parts (comma-separated, or the option repeated): line "
                       "(operations against the line's limit), own (the program's own work), "
                       "stall (the runner's event loop), write (the phonebook write against a "
                       "write of every slot)."),
        QStringLiteral("parts"));
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Runs of each phonebook write for its median."),
                                  QStringLiteral("n"), QStringLiteral("3"));
    parser.addOptions({quick, pty, think, baud, data, only, runs});
    parser.process(app);

    Settings s;
    s.quick = parser.isSet(quick);
    s.pty = parser.isSet(pty);
    s.think = milliseconds(parser.value(think).toInt());
    s.baud = parser.value(baud).toInt();
    s.dataDir = parser.value(data);
    s.writeRuns = parser.value(runs).toInt();
    if (s.baud <= 0 || s.think.count() < 0 || s.writeRuns <= 0) {
        throw Error(
            QStringLiteral("--baud and --runs take a positive number, --think-ms zero or more."));
    }
    if (parser.isSet(only)) {
        s.parts.clear();
        for (const QString& value : parser.values(only)) {
            for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                if (!kParts.contains(part)) {
                    throw Error(QStringLiteral("--only takes %1, not \"%2\".")
                                    .arg(kParts.join(QStringLiteral(", ")), part));
                }
                s.parts.insert(part);
            }
        }
    }
    return s;
}

int run(const QCoreApplication& app) {
    const Settings s = parseSettings(app);
    simulator::SimOptions options;
    if (!s.quick) {
        options.baud = s.baud;
        options.think = s.think;
    }
    bool failed = false;
    if (s.parts.contains(QStringLiteral("line"))) {
        simulator::HandsetSim sim(benchState(s), options);
        const QList<Measured> rows = measureOnLine(sim, s);
        printTable(rows, s);
        failed = rows.isEmpty() || std::any_of(rows.begin(), rows.end(), [](const Measured& m) {
                     return !m.problem.isEmpty();
                 });
    }
    if (s.parts.contains(QStringLiteral("own")))
        failed = !bench::printOwnWork(benchState(s), s.quick ? 3 : kOwnWorkRuns) || failed;
    if (s.parts.contains(QStringLiteral("stall")))
        failed = !bench::printRunnerStall(benchState(s), !s.quick, s.think) || failed;
    if (s.parts.contains(QStringLiteral("write"))) {
        failed = !bench::printWriteComparison(lineSetup(s), s.think, s.quick ? 1 : s.writeRuns) ||
                 failed;
    }
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
