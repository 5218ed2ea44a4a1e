#include "link/sim_pin.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "link/at_reply_parser.h"
#include "link/wire_log.h"
#include "support/sim_line.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Kind = Outcome::Kind;

AtReply replyOf(const QByteArray& text) {
    AtReplyParser parser;
    parser.startCommand("at+cpin?");
    parser.feed(text);
    return parser.takeReply().value_or(AtReply());
}

struct StateCase {
    const char* label;
    QByteArray reply;
    SimPinState state;
};

class SimPinStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(SimPinStateTest, ReadsTheAnswer) {
    EXPECT_EQ(simPinStatusOf(replyOf(GetParam().reply)).state, GetParam().state);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Answers, SimPinStateTest,
    testing::Values(
        StateCase{"Ready", "\r\n+CPIN: READY\r\n\r\nOK\r\n", SimPinState::Ready},
        StateCase{"Pin", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n", SimPinState::PinRequired},
        StateCase{"QuotedPin", "\r\n+CPIN: \"SIM PIN\"\r\n\r\nOK\r\n", SimPinState::PinRequired},
        StateCase{"Puk", "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n", SimPinState::PukRequired},
        StateCase{"Pin2GuardsFewFeatures", "\r\n+CPIN: SIM PIN2\r\n\r\nOK\r\n", SimPinState::Ready},
        StateCase{"HandsetLock", "\r\n+CPIN: PH-SIM PIN\r\n\r\nOK\r\n", SimPinState::Unknown},
        StateCase{"NotInserted", "\r\n+CME ERROR: 10\r\n", SimPinState::NotInserted},
        StateCase{"NotInsertedInWords", "\r\n+CME ERROR: SIM not inserted\r\n", SimPinState::NotInserted},
        StateCase{"PinAsError", "\r\n+CME ERROR: 11\r\n", SimPinState::PinRequired},
        StateCase{"Failure", "\r\n+CME ERROR: 13\r\n", SimPinState::Failure},
        StateCase{"Busy", "\r\n+CME ERROR: 14\r\n", SimPinState::Unknown},
        StateCase{"NotSupported", "\r\nERROR\r\n", SimPinState::Unknown}),
    test::ByLabel());
// clang-format on

TEST(SimPinStateTest, AttemptsFromEitherForm) {
    EXPECT_EQ(pinAttemptsOf(replyOf("\r\n+CPINR: SIM PIN,2,3\r\n\r\nOK\r\n")), 2);
    EXPECT_EQ(pinAttemptsOf(replyOf("\r\n+CPINR: \"SIM PUK\",10,10\r\n+CPINR: \"SIM PIN\",1,3\r\n"
                                    "\r\nOK\r\n")),
              1);
    EXPECT_EQ(pinAttemptsOf(replyOf("\r\nERROR\r\n")), std::nullopt);
}

struct UnlockCase {
    const char* label;
    simulator::SimCard card;
    const char* pin;  // what the user gives; nullptr: none
    Kind kind;
    const char* text;  // a part of the outcome's text
    bool ready;        // the SIM works afterwards
};

class UnlockSimTest : public testing::TestWithParam<UnlockCase> {};

// Against the simulated handset, through the wire log: the PIN reaches the SIM and nothing else.
TEST_P(UnlockSimTest, AsksOnceAndTellsWhy) {
    const UnlockCase& c = GetParam();
    simulator::SimOptions options;
    options.card = c.card;
    options.chunkSize = 3;  // the echo of the PIN comes back in pieces
    test::SimLine line(simulator::demoSimState(), options);
    QBuffer log;
    log.open(QIODevice::WriteOnly);
    WireLog wire(line.transport, &log);
    AtChannel channel(wire, test::SimLine::kTimeout);
    QList<std::optional<int>> asked;
    if (c.pin) {
        channel.setPinProvider([&](std::optional<int> attempts) {
            asked << attempts;
            return std::optional<QString>(QLatin1StringView(c.pin));
        });
    }
    const Outcome outcome = UnlockSim(channel);
    EXPECT_EQ(outcome.kind, c.kind) << outcome.text.toStdString();
    EXPECT_TRUE(outcome.text.contains(QLatin1StringView(c.text))) << outcome.text.toStdString();
    EXPECT_EQ(channel.simReady(), c.ready);
    EXPECT_LE(asked.size(), 1);
    if (c.pin && !asked.isEmpty()) {
        EXPECT_EQ(asked.first(), 3);
    }
    if (c.pin && *c.pin) {
        EXPECT_FALSE(log.data().contains(c.pin)) << log.data().constData();
        EXPECT_FALSE(outcome.text.contains(QLatin1StringView(c.pin)));
    }
    const qsizetype sent = c.kind == Kind::InputRefused ? 0 : asked.size();
    EXPECT_EQ(line.commands().count("at+cpin=\"****\""), sent);
    // Once ready, later operations do not ask again.
    const qsizetype commands = line.commands().size();
    if (c.ready) {
        EXPECT_TRUE(UnlockSim(channel).isDone());
        EXPECT_EQ(line.commands().size(), commands);
    }
}

const simulator::SimCard kReady{};
const simulator::SimCard kPin{"7531", false, false};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cards, UnlockSimTest,
    testing::Values(
        UnlockCase{"Ready", kReady, nullptr, Kind::Done, "Done.", true},
        UnlockCase{"RightPin", kPin, "7531", Kind::Done, "Done.", true},
        UnlockCase{"WrongPinTellsAttemptsLeft", kPin, "8642", Kind::HandsetError, "2 attempts are left; the PIN is not tried again", false},
        UnlockCase{"NoPinGiven", kPin, nullptr, Kind::InputRefused, "asks for its PIN, and none was given", false},
        UnlockCase{"NoPinNotSent", kPin, "75a1", Kind::InputRefused, "4 to 8 digits", false},
        UnlockCase{"Blocked", simulator::SimCard{{}, true, false}, "7531", Kind::HandsetError, "asks for its PUK", false},
        /* The handset answers a bare ERROR until numbered errors are on. */ UnlockCase{"NoSim", simulator::SimCard{{}, false, true}, "7531", Kind::HandsetError, "has no SIM card", false}),
    test::ByLabel());
// clang-format on

TEST(SecretMaskTest, HidesThePinInAnyPieces) {
    const QByteArray exchange = "AT+CPIN=\"7531\"\r\r\nOK\r\nat+cpin=\"7531\",\"0000\"\r";
    for (qsizetype size = 1; size <= exchange.size(); ++size) {
        SecretMask mask;
        QByteArray shown;
        for (qsizetype at = 0; at < exchange.size(); at += size)
            shown += mask.masked(exchange.mid(at, size));
        EXPECT_EQ(shown, "AT+CPIN=\"****\"\r\r\nOK\r\nat+cpin=\"****\"\r") << size;
    }
    EXPECT_EQ(maskedCommandLine("at+cpin?"), "at+cpin?");
}

}  // namespace
}  // namespace pelmar
