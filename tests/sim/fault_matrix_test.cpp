// Every handset operation against every fault of the simulated handset that can hit it: the
// outcome, the line time-outs it waited out, that nothing the caller holds is lost, and that the
// port is closed.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/at_channel.h"
#include "link/forwarding_transport.h"
#include "link/operation_frame.h"
#include "phonebook/phonebook_transfer.h"
#include "sim/handset_sim.h"
#include "sim/sim_transport.h"
#include "smart/smart_send.h"
#include "sms/message_operations.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Kind = Outcome::Kind;
using Timing = simulator::SimTransport::Timing;

constexpr std::chrono::milliseconds kLineTimeout = 300ms;
constexpr std::chrono::milliseconds kThink = 100ms;  // a slow handset, still within the time-out
// Silence this long is a line time-out waited out, not a slow handset thinking.
constexpr std::chrono::milliseconds kWaitedOut = (kThink + kLineTimeout) / 2;
constexpr quint32 kStoredUnsent = 31;
const QString kNumber = QStringLiteral("+12025550199");

// 30 received messages and one stored unsent (room for 9 more), and the small phonebooks.
simulator::HandsetState matrixState() {
    simulator::HandsetState state =
        simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json"));
    const simulator::HandsetState basic =
        simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
    state.identity = basic.identity;
    state.phonebooks = basic.phonebooks;
    state.messageSlots = 40;
    state.messages.insert(kStoredUnsent, basic.messages.value(3));
    return state;
}

// Between the channel and the simulator's line: keeps what the program wrote, counts what it
// read and the line time-outs it waited out (the read time-outs of a silent stretch add up).
class Tap final : public ForwardingTransport {
  public:
    using ForwardingTransport::ForwardingTransport;

    QByteArray written;
    qint64 bytesRead = 0;
    int timeoutsWaited = 0;

  protected:
    void sending(QByteArrayView bytes) override {
        written += bytes;
        m_silence = 0ms;
    }
    void received(QByteArrayView bytes, std::chrono::milliseconds timeout) override {
        bytesRead += bytes.size();
        if (!bytes.isEmpty()) {
            m_silence = 0ms;
            return;
        }
        if (m_silence < kWaitedOut && m_silence + timeout >= kWaitedOut)
            ++timeoutsWaited;
        m_silence += timeout;
    }

  private:
    std::chrono::milliseconds m_silence{0};
};

// What the program holds besides the handset. Each operation's result reaches it only on
// success, as in the program's own pages.
struct Caller {
    QList<DecodedMessage> table;
    PhoneBookStore phonebook;
    ConcatReference reference{7};
    QString identity;
};

Caller initialCaller() {
    Caller caller;
    DecodedMessage kept;
    kept.Index = 99;
    kept.Text = QStringLiteral("kept from the last listing");
    caller.table = {kept};
    caller.phonebook.append(PhoneBookEntry("5550100", 129, "Kept"));
    return caller;
}

QStringList tableRows(const QList<DecodedMessage>& table) {
    QStringList rows;
    for (const DecodedMessage& m : table)
        rows.append(QStringLiteral("%1 %2 %3").arg(m.Index).arg(m.Number, m.Text));
    return rows;
}

PhoneBookStore bookToWrite() {
    return PhoneBookStore({PhoneBookEntry("+12025550111", 145, "Ann"),
                           PhoneBookEntry("5550112", 129, "Bob"),
                           PhoneBookEntry("+12025550113", 145, "\xC8\xE2\xE0\xED")});
}

struct Operation {
    const char* label;
    QByteArray command;  // the command the faults aim at
    bool submits;        // answered with the "> " prompt
    Outcome (*run)(AtChannel&, Caller&);
    // What a successful run left on the handset and with the caller.
    void (*checkEffect)(const simulator::HandsetState& before, const simulator::HandsetState& after,
                        const Caller&);
};

// clang-format off
const Operation kOperations[] = {
    {"Send", "CMGS", true, [](AtChannel& ch, Caller&) {return SendOrStoreSMS(ch, {kNumber, QStringLiteral("Fault matrix")}, SubmitAction::Send) .outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState& after, const Caller&) { EXPECT_EQ(after.sent.size(), before.sent.size() + 1); }},
    {"Store", "CMGW", true, [](AtChannel& ch, Caller&) {return SendOrStoreSMS(ch, {kNumber, QStringLiteral("Fault matrix")}, SubmitAction::Store) .outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState& after, const Caller&) {EXPECT_EQ(after.messages.size(), before.messages.size() + 1); EXPECT_TRUE(after.sent.isEmpty());}},
    {"List", "CMGL", false, [](AtChannel& ch, Caller& caller) {MessageListing listing = ReadMessages(ch); EXPECT_EQ(listing.messages.has_value(), listing.outcome.isDone()); if (listing.messages) caller.table = *listing.messages; return listing.outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState&, const Caller& caller) {QList<int> listed; for (const DecodedMessage& m : caller.table) listed.append(static_cast<int>(m.Index)); EXPECT_EQ(listed, before.messages.keys()); for (const DecodedMessage& m : caller.table) EXPECT_FALSE(m.Text.isEmpty()) << "message " << m.Index << " lost its text";}},
    {"SendStored", "CMSS", false, [](AtChannel& ch, Caller&) { return SendStoredMessage(ch, kStoredUnsent, kNumber).outcome; }, [](const simulator::HandsetState&, const simulator::HandsetState& after, const Caller&) {ASSERT_EQ(after.sent.size(), 1); EXPECT_EQ(after.sent.first().destination, kNumber.toLatin1());}},
    {"Delete", "CMGD", false, [](AtChannel& ch, Caller&) {const DeleteResult result = DeleteMessages(ch, {4, 5}); EXPECT_EQ(result.deleted.size() + result.failed.size(), 2); return result.outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState& after, const Caller&) {EXPECT_EQ(after.messages.size(), before.messages.size() - 2); EXPECT_FALSE(after.messages.contains(4) || after.messages.contains(5));}},
    {"PhonebookRead", "CPBR", false, [](AtChannel& ch, Caller& caller) {PhoneBookReadResult read = ReadPhoneBook(ch, PhoneBookKind::SM); EXPECT_EQ(read.store.has_value(), read.outcome.isDone()); if (read.store) caller.phonebook = *read.store; return read.outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState&, const Caller& caller) {const simulator::ContactList& book = before.phonebooks.value("SM"); ASSERT_EQ(caller.phonebook.count(), book.entries.size()); EXPECT_EQ(caller.phonebook.at(1).Name(), book.entries.last().name);}},
    {"PhonebookWrite", "CPBW", false, [](AtChannel& ch, Caller&) {return WritePhoneBook(ch, PhoneBookKind::SM, bookToWrite()).outcome;}, [](const simulator::HandsetState&, const simulator::HandsetState& after, const Caller&) {const simulator::ContactList& book = after.phonebooks.value("SM"); ASSERT_EQ(book.entries.keys(), QList<int>({1, 2, 3})); EXPECT_EQ(book.entries.value(3).name, QByteArray("\xC8\xE2\xE0\xED"));}},
    {"Picture", "CMGS", true, [](AtChannel& ch, Caller& caller) {const SmartSendResult result = SendPictureMessage(ch, kNumber, QStringLiteral("Fault matrix"), PictureCoding::Standard, BuiltInPicture(), caller.reference); caller.reference = result.nextReference; return result.outcome;}, [](const simulator::HandsetState& before, const simulator::HandsetState& after, const Caller& caller) {EXPECT_EQ(after.sent.size(), before.sent.size() + 3); EXPECT_EQ(caller.reference.value(), 8);}},
    {"Identify", "CGMI", false, [](AtChannel& ch, Caller& caller) {const Outcome outcome = IdentifyHandset(ch); caller.identity = ch.PhoneIdentity(); return outcome;}, [](const simulator::HandsetState&, const simulator::HandsetState&, const Caller& caller) {EXPECT_EQ(caller.identity, QStringLiteral("TESTCO T-100"));}},
};
// clang-format on

// What one run showed, for the checks of its fault.
struct Observed {
    const Operation& op;
    simulator::HandsetState before;
    simulator::HandsetState after;
    QList<QByteArray> log;
    QByteArray written;
    Caller caller;
    Outcome outcome;
    Clock::duration elapsed;
};

void callerUntouched(const Observed& r) {
    const Caller kept = initialCaller();
    EXPECT_EQ(tableRows(r.caller.table), tableRows(kept.table));
    EXPECT_EQ(r.caller.phonebook, kept.phonebook);
    EXPECT_EQ(r.caller.reference.value(), kept.reference.value());
    EXPECT_TRUE(r.caller.identity.isEmpty());
}

void effectShows(const Observed& r) {
    r.op.checkEffect(r.before, r.after, r.caller);
}

void nothingChanged(const Observed& r) {
    callerUntouched(r);
    EXPECT_TRUE(r.after == r.before) << "the handset's state changed";
}

void promptCancelled(const Observed& r) {
    nothingChanged(r);
    EXPECT_TRUE(r.written.endsWith('\x1B')) << "no ESC after the missing prompt";
    for (const QByteArray& line : r.log)
        EXPECT_FALSE(line.startsWith("PDU ")) << "a PDU was written: " << line.constData();
}

void timedOut(const Observed& r) {
    // A delete or a phonebook write goes on to say what it left behind.
    EXPECT_TRUE(r.outcome.text.startsWith(
        QStringLiteral("Read timeout. Possibly simulated handset is not a valid port for "
                       "Dovrel.")))
        << r.outcome.text.toStdString();
    EXPECT_GE(r.elapsed, kLineTimeout);
    nothingChanged(r);
}

void answeredAnotherCommand(const Observed& r) {
    EXPECT_TRUE(r.outcome.text.contains(QStringLiteral("\"AT+XYZ\", which answers another")))
        << r.outcome.text.toStdString();
    callerUntouched(r);
}

void promptTimedOut(const Observed& r) {
    timedOut(r);
    promptCancelled(r);
    EXPECT_TRUE(r.log.contains("CANCEL")) << "the handset still waits for the PDU";
}

struct Fault {
    const char* label;
    // `cleanBytes`: what the handset sends for the operation when nothing goes wrong.
    void (*configure)(simulator::SimOptions&, const QByteArray& command, qint64 cleanBytes);
    Timing timing;
    Kind expected;
    void (*check)(const Observed&);
    int timeouts = 0;  // whole line time-outs the program has to wait through
    bool submissionsOnly = false;
};

void replyWith(simulator::SimOptions& o, const QByteArray& command, const char* text) {
    o.replies.insert(command, text);
}

// clang-format off
const Fault kFaults[] = {
    {"OneByteChunks", [](simulator::SimOptions& o, const QByteArray&, qint64) { o.chunkSize = 1; }, Timing::Fast, Kind::Done, effectShows},
    {"RandomChunks", [](simulator::SimOptions& o, const QByteArray&, qint64) {o.randomChunks = true; o.seed = 11;}, Timing::Fast, Kind::Done, effectShows},
    {"SlowReplies", [](simulator::SimOptions& o, const QByteArray&, qint64) { o.think = kThink; }, Timing::Real, Kind::Done, effectShows},
    {"UrcInEveryReply", [](simulator::SimOptions& o, const QByteArray&, qint64) { o.urc = "+CMTI: \"SM\",3"; }, Timing::Fast, Kind::Done, effectShows},
    {"MissedCallInEveryReply", [](simulator::SimOptions& o, const QByteArray&, qint64) { o.ringingCall = true; }, Timing::Fast, Kind::Done, effectShows},
    {"VendorStatusInEveryReply", [](simulator::SimOptions& o, const QByteArray&, qint64) { o.vendorStatus = true; }, Timing::Fast, Kind::Done, effectShows},
    {"CmsError300", [](simulator::SimOptions& o, const QByteArray& c, qint64) {replyWith(o, c, "+CMS ERROR: 300");}, Timing::Fast, Kind::PhoneRefused, nothingChanged},
    {"CmsError500", [](simulator::SimOptions& o, const QByteArray& c, qint64) {replyWith(o, c, "+CMS ERROR: 500");}, Timing::Fast, Kind::HandsetError, nothingChanged},
    {"PlainError", [](simulator::SimOptions& o, const QByteArray& c, qint64) { replyWith(o, c, "ERROR"); }, Timing::Fast, Kind::HandsetError, nothingChanged},
    {"CmeError24", [](simulator::SimOptions& o, const QByteArray& c, qint64) {replyWith(o, c, "+CME ERROR: 24");}, Timing::Fast, Kind::HandsetError, nothingChanged},
    {"RefusedWithoutPrompt", [](simulator::SimOptions& o, const QByteArray& c, qint64) {o.noPrompt.insert(c); replyWith(o, c, "+CMS ERROR: 322");}, Timing::Fast, Kind::HandsetError, promptCancelled, 0, true},
    {"PromptNeverComes", [](simulator::SimOptions& o, const QByteArray& c, qint64) { o.noPrompt.insert(c); }, Timing::Fast, Kind::Failed, promptTimedOut, 1, true},
    {"Silent", [](simulator::SimOptions& o, const QByteArray& c, qint64) { o.silent.insert(c); }, Timing::Fast, Kind::Failed, timedOut, 1},
    {"RingWhileThinking", [](simulator::SimOptions& o, const QByteArray&, qint64) {o.think = kThink; o.chatter = "RING"; o.chatterEvery = 20ms;}, Timing::Real, Kind::Done, effectShows},
    /* a refusal after every answer: it must not answer the next command */ {"SurplusRefusal", [](simulator::SimOptions& o, const QByteArray& c, qint64) {o.surplus.insert(c, "+CMS ERROR: 321");}, Timing::Fast, Kind::Done, effectShows},
    {"ForeignEcho", [](simulator::SimOptions& o, const QByteArray& c, qint64) { o.echoAs.insert(c, "AT+XYZ"); }, Timing::Fast, Kind::Failed, answeredAnotherCommand, 1},
    {"HangUpMidTransfer", [](simulator::SimOptions& o, const QByteArray&, qint64 clean) { o.hangupAfter = clean / 2; }, Timing::Fast, Kind::Failed, callerUntouched},
};
// clang-format on

struct Row {
    const Fault* fault;
    const Operation* op;
    std::string label;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.label;
}

std::vector<Row> matrix() {
    std::vector<Row> rows;
    for (const Fault& fault : kFaults) {
        for (const Operation& op : kOperations) {
            if (fault.submissionsOnly && !op.submits)
                continue;
            rows.push_back({&fault, &op, std::string(fault.label) + '_' + op.label});
        }
    }
    return rows;
}

// The bytes the handset sends for `op` when nothing goes wrong.
qint64 cleanBytes(const Operation& op) {
    simulator::HandsetSim sim(matrixState());
    simulator::SimTransport line(sim);
    Tap tap(line);
    AtChannel channel(tap, kLineTimeout);
    Caller caller = initialCaller();
    EXPECT_TRUE(op.run(channel, caller).isDone());
    return tap.bytesRead;
}

class FaultMatrixTest : public testing::TestWithParam<Row> {};

TEST_P(FaultMatrixTest, OutcomeInTimeNothingLostPortClosed) {
    const Fault& fault = *GetParam().fault;
    const Operation& op = *GetParam().op;
    simulator::SimOptions options;
    fault.configure(options, op.command, cleanBytes(op));
    simulator::HandsetSim sim(matrixState(), options);
    simulator::SimTransport line(sim, fault.timing);
    Tap tap(line);
    AtChannel channel(tap, kLineTimeout);

    Observed run{op, sim.state(), {}, {}, {}, initialCaller(), {}, {}};
    const Clock::time_point start = Clock::now();
    run.outcome = op.run(channel, run.caller);
    run.elapsed = Clock::now() - start;
    run.after = sim.state();
    run.log = sim.log();
    run.written = tap.written;

    EXPECT_EQ(run.outcome.kind, fault.expected) << run.outcome.text.toStdString();
    EXPECT_FALSE(tap.isOpen()) << "the port was left open";
    // Only a silent handset makes the program wait out a line time-out, and only once; a slow
    // one costs its think time, never a time-out.
    EXPECT_EQ(tap.timeoutsWaited, fault.timeouts);
    fault.check(run);
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixTest, testing::ValuesIn(matrix()),
                         [](const testing::TestParamInfo<Row>& row) { return row.param.label; });

}  // namespace
}  // namespace pelmar
