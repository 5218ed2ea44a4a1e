#include "write_bench.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "phonebook/phonebook_transfer.h"

namespace pelmar::bench {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kSlots = 250;

// A SIM phonebook of 250 slots holding `onHandset` entries in slots 1 on; the local copy holds
// the same entries with the last `changed` of them renamed.
struct WriteCase {
    const char* name;
    int onHandset;
    int changed;
    double target;  // the ratio the write should stay within
};

// clang-format off
constexpr WriteCase kCases[] = {
    {"write 250/10 one changed", 10, 1, 0.15},
    {"write 250/10 all changed", 10, 10, 0.25},
    {"write 250 full unchanged", 250, 0, 0.55},
    {"write 250 full all changed", 250, 250, 1.5},
};
// clang-format on

simulator::Contact contact(int slot, const char* label) {
    const QByteArray digits = QByteArray::number(slot).rightJustified(3, '0');
    return {"+12025560" + digits, 145, label + digits};
}

simulator::HandsetState handsetOf(const WriteCase& c) {
    simulator::HandsetState state = simulator::emptySimState();
    simulator::ContactList& book = state.phonebooks["SM"];
    book.capacity = kSlots;
    for (int slot = 1; slot <= c.onHandset; ++slot)
        book.entries.insert(slot, contact(slot, "Contact "));
    return state;
}

PhoneBookStore localCopyOf(const WriteCase& c) {
    PhoneBookStore store;
    for (int slot = 1; slot <= c.onHandset; ++slot) {
        const simulator::Contact e =
            contact(slot, slot > c.onHandset - c.changed ? "Changed " : "Contact ");
        store.append(PhoneBookEntry(e.number, quint8(e.type), e.name));
    }
    return store;
}

// What differs between the handset's phonebook and the local copy, or an empty text.
QString unlikeTheLocalCopy(const simulator::ContactList& book, const PhoneBookStore& local) {
    for (int slot = 1; slot <= book.capacity; ++slot) {
        const bool wanted = slot <= local.count();
        const bool same =
            wanted ? book.entries.value(slot) == simulator::Contact{local.at(slot - 1).Number(),
                                                                    local.at(slot - 1).NumberType(),
                                                                    local.at(slot - 1).Name()}
                   : !book.entries.contains(slot);
        if (!same)
            return QStringLiteral("slot %1 is unlike the local copy").arg(slot);
    }
    return {};
}

struct Run {
    microseconds wall{0};
    qint64 commands = 0;
    QString problem;
};

Run writeOnce(const WriteCase& c, bool everySlot, const LineSetup& line, milliseconds think) {
    simulator::SimOptions options;
    if (line.paced) {
        options.baud = line.baud;
        options.think = think;
    }
    simulator::HandsetSim sim(handsetOf(c), options);
    const PhoneBookStore local = localCopyOf(c);
    const auto write = everySlot ? &OverwritePhoneBook : &WritePhoneBook;
    Run run;
    withHandsetLine(sim, line, [&](AtChannel& channel, CountingTransport& counting) {
        QElapsedTimer timer;
        timer.start();
        const PhoneBookWriteResult result =
            write(channel, PhoneBookKind::SM, local, HandsetDialect::Standard, {}, {});
        run.wall = microseconds(timer.nsecsElapsed() / 1000);
        run.commands = counting.take().commands();
        run.problem = result.outcome.isDone() ? QString() : result.outcome.text;
    });
    if (run.problem.isEmpty())
        run.problem = unlikeTheLocalCopy(sim.state().phonebooks.value("SM"), local);
    return run;
}

microseconds median(QList<microseconds> runs) {
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

double ms(microseconds t) {
    return t.count() / 1000.0;
}

}  // namespace

bool printWriteComparison(const LineSetup& line, milliseconds think, int runs) {
    std::printf(
        "\npelmar-bench: the phonebook write against a write of every slot, %s, %s, think time "
        "%lld ms per command, median of %d runs each\n",
        line.pty ? "pseudo-terminal through the serial port code" : "in-memory line",
        line.paced ? qPrintable(QStringLiteral("%1 baud").arg(line.baud)) : "no pacing",
        static_cast<long long>(line.paced ? think.count() : 0), runs);
    std::printf("%-28s %9s %9s %6s %6s %8s %8s\n", "operation", "every ms", "write ms", "ratio",
                "target", "commands", "every");
    bool ok = true;
    for (const WriteCase& c : kCases) {
        QList<microseconds> every;
        QList<microseconds> differing;
        Run overwrite;
        Run write;
        // In turns, so that a change in the machine's load weighs on both alike.
        for (int i = 0; i < runs && overwrite.problem.isEmpty() && write.problem.isEmpty(); ++i) {
            overwrite = writeOnce(c, true, line, think);
            write = writeOnce(c, false, line, think);
            every.append(overwrite.wall);
            differing.append(write.wall);
        }
        const QString problem = !write.problem.isEmpty() ? write.problem : overwrite.problem;
        const double ratio = static_cast<double>(median(differing).count()) /
                             std::max<qint64>(1, median(every).count());
        std::printf("%-28s %9.1f %9.1f %6.3f %6.2f %8lld %8lld%s%s%s\n", c.name, ms(median(every)),
                    ms(median(differing)), ratio, c.target, static_cast<long long>(write.commands),
                    static_cast<long long>(overwrite.commands),
                    line.paced && ratio > c.target ? "  over the target" : "",
                    problem.isEmpty() ? "" : "  FAILED: ", qPrintable(problem));
        ok = ok && problem.isEmpty();
    }
    std::printf(
        "ratio: the write's median time over that of the write of every slot; commands: what "
        "each sent\n");
    std::fflush(stdout);
    return ok;
}

}  // namespace pelmar::bench
