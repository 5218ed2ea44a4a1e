#include <gtest/gtest.h>

#include <memory>

#include "sim/handset_sim.h"
#include "support/table.h"

namespace pelmar {
namespace {

// A handset loaded from the basic sample: two stored messages (index 1 unread, index 3 stored
// unsent), SIM phonebook of 10 slots with entries 1 and 4.
simulator::HandsetState basicState() {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

QByteArray talk(simulator::HandsetSim& sim, QByteArrayView input) {
    sim.receive(input);
    QByteArray out;
    while (auto piece = sim.takeOutput())
        out += piece->bytes;
    return out;
}

// Echo off, so that each row shows the answer alone.
std::unique_ptr<simulator::HandsetSim> quietSim(simulator::SimOptions options = {}) {
    auto sim = std::make_unique<simulator::HandsetSim>(basicState(), std::move(options));
    talk(*sim, "ATE0\r");
    return sim;
}

const QByteArray kDeliver = QByteArrayLiteral("040B912120550521F300006210203040500005C8329BFD06");
const QByteArray kStored = QByteArrayLiteral("11000B912120550521F30000A70653FA5B5E2603");
const QByteArray kSmsc = QByteArrayLiteral("07912120550501F0");
// "abc" to +1234567890, as the program writes it.
const QByteArray kSubmit = QByteArrayLiteral("11000A9121436587090000A70361F118");

struct CommandCase {
    const char* label;
    QByteArray command;
    QByteArray reply;
};

class CommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandTest, AnswersAsAHandset) {
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    EXPECT_EQ(talk(sim, GetParam().command + '\r'), GetParam().reply);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    testing::Values(
        CommandCase{"BareAttention", "AT", "\r\nOK\r\n"},
        CommandCase{"Manufacturer", "at+cgmi", "\r\nTESTCO\r\n\r\nOK\r\n"},
        CommandCase{"Model", "at+cgmm", "\r\nT-100\r\n\r\nOK\r\n"},
        CommandCase{"PduMode", "at+cmgf=0", "\r\nOK\r\n"},
        CommandCase{"TextModeRefused", "at+cmgf=1", "\r\nERROR\r\n"},
        CommandCase{"SelectSimStorage", "at+cpms=\"SM\"", "\r\n+CPMS: 2,5,2,5,2,5\r\n\r\nOK\r\n"},
        CommandCase{"OtherStorageRefused", "at+cpms=\"ME\"", "\r\n+CMS ERROR: 302\r\n"},
        CommandCase{"StorageQuery", "AT+CPMS?", "\r\n+CPMS: \"SM\",2,5,\"SM\",2,5,\"SM\",2,5\r\n\r\nOK\r\n"},
        CommandCase{"ListAllWithSmscField", "at+cmgl=4", "\r\n+CMGL: 1,0,,24\r\n" + kSmsc + kDeliver + "\r\n+CMGL: 3,2,,20\r\n00" + kStored + "\r\n\r\nOK\r\n"},
        CommandCase{"ListUnreadOnly", "at+cmgl=0", "\r\n+CMGL: 1,0,,24\r\n" + kSmsc + kDeliver + "\r\n\r\nOK\r\n"},
        CommandCase{"ListFilterOutOfRange", "at+cmgl=5", "\r\n+CMS ERROR: 302\r\n"},
        CommandCase{"ReadOne", "at+cmgr=3", "\r\n+CMGR: 2,,20\r\n00" + kStored + "\r\n\r\nOK\r\n"},
        CommandCase{"ReadEmptySlot", "at+cmgr=2", "\r\n+CMS ERROR: 321\r\n"},
        CommandCase{"DeleteEmptySlot", "at+cmgd=2", "\r\nOK\r\n"},
        CommandCase{"DeleteBeyondStore", "at+cmgd=6", "\r\n+CMS ERROR: 321\r\n"},
        CommandCase{"SendFromStorage", "at+cmss=3,\"+12025550123\"", "\r\n+CMSS: 7\r\n\r\nOK\r\n"},
        CommandCase{"SendReceivedMessageRefused", "at+cmss=1", "\r\n+CMS ERROR: 302\r\n"},
        CommandCase{"PhonebookSelect", "at+cpbs=\"ME\"", "\r\nOK\r\n"},
        CommandCase{"PhonebookUnknown", "at+cpbs=\"XX\"", "\r\nERROR\r\n"},
        CommandCase{"PhonebookQuery", "at+cpbs?", "\r\n+CPBS: \"SM\",2,10\r\n\r\nOK\r\n"},
        CommandCase{"PhonebookRangeSkipsEmptySlots", "at+cpbr=1,10", "\r\n+CPBR: 1,\"+12025550123\",145,\"Alice\"\r\n" "+CPBR: 4,\"5550199\",129,\"\xC8\xE2\xE0\xED\"\r\n\r\nOK\r\n"},
        CommandCase{"PhonebookSizes", "at+cpbr=?", "\r\n+CPBR: (1-10),20,14\r\n\r\nOK\r\n"},
        CommandCase{"PhonebookBeyondSlots", "at+cmee=1;+cpbr=1,11", "\r\n+CME ERROR: 21\r\n"},
        CommandCase{"VerboseErrors", "at+cmee=2;+cpbr=0", "\r\n+CME ERROR: invalid index\r\n"},
        CommandCase{"ChainedCommands", "at+cmgf=0;+csq", "\r\n+CSQ: 21,99\r\n\r\nOK\r\n"},
        CommandCase{"UnknownCommand", "at+cxyz", "\r\nERROR\r\n"},
        CommandCase{"SyntaxError", "at#", "\r\nERROR\r\n"},
        CommandCase{"NoPrefixIgnored", "hello", ""},
        CommandCase{"Registration", "at+creg?", "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
        CommandCase{"PinReady", "at+cpin?", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
        CommandCase{"ServiceCentre", "at+csca?", "\r\n+CSCA: \"+12025550100\",145\r\n\r\nOK\r\n"}),
    test::ByLabel());
// clang-format on

struct SimCardCase {
    const char* label;
    simulator::SimCard card;
    QByteArrayList commands;  // the answer to the last one is checked
    QByteArray reply;
};

class SimCardTest : public testing::TestWithParam<SimCardCase> {};

TEST_P(SimCardTest, LocksAsASimDoes) {
    simulator::SimOptions options;
    options.card = GetParam().card;
    auto quiet = quietSim(options);
    QByteArray last;
    for (const QByteArray& command : GetParam().commands)
        last = talk(*quiet, command + '\r');
    EXPECT_EQ(last, GetParam().reply);
}

const simulator::SimCard kPin{"1234", false, false};
const simulator::SimCard kPuk{{}, true, false};
const simulator::SimCard kNoSim{{}, false, true};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cards, SimCardTest,
    testing::Values(
        SimCardCase{"AsksForItsPin", kPin, {"at+cpin?"}, "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"},
        SimCardCase{"LockedStoreRefused", kPin, {"at+cmgl=4"}, "\r\n+CMS ERROR: 311\r\n"},
        SimCardCase{"LockedPhonebookRefused", kPin, {"at+cmee=1;+cpbr=1,10"}, "\r\n+CME ERROR: 11\r\n"},
        SimCardCase{"IdentityWithoutPin", kPin, {"at+cgmi"}, "\r\nTESTCO\r\n\r\nOK\r\n"},
        SimCardCase{"WrongPinCountsDown", kPin, {"at+cpin=\"4321\"", "at+cpinr=\"SIM PIN\""}, "\r\n+CPINR: SIM PIN,2,3\r\n\r\nOK\r\n"},
        SimCardCase{"WrongPinRefused", kPin, {"at+cmee=2", "at+cpin=\"4321\""}, "\r\n+CME ERROR: incorrect password\r\n"},
        SimCardCase{"ThirdWrongPinBlocks", kPin, {"at+cpin=\"1\"", "at+cpin=\"2\"", "at+cpin=\"3\"", "at+cpin=\"1234\"", "at+cpin?"}, "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"},
        SimCardCase{"RightPinUnlocks", kPin, {"at+cpin=\"1234\"", "at+cpms=\"SM\""}, "\r\n+CPMS: 2,5,2,5,2,5\r\n\r\nOK\r\n"},
        SimCardCase{"EveryCounter", kPin, {"at+cpinr"}, "\r\n+CPINR: SIM PIN,3,3\r\n+CPINR: SIM PUK,10,10\r\n\r\nOK\r\n"},
        SimCardCase{"BlockedAsksForPuk", kPuk, {"at+cpin?"}, "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"},
        SimCardCase{"NoSimPlainError", kNoSim, {"at+cpin?"}, "\r\nERROR\r\n"},
        SimCardCase{"NoSimNumbered", kNoSim, {"at+cmee=1;+cpin?"}, "\r\n+CME ERROR: 10\r\n"},
        SimCardCase{"NoSimNoStore", kNoSim, {"at+cpms=\"SM\""}, "\r\n+CMS ERROR: 310\r\n"}),
    test::ByLabel());
// clang-format on

TEST(EchoTest, EchoesUntilTurnedOffAndAgainAfterReset) {
    simulator::HandsetSim sim(basicState());
    EXPECT_EQ(talk(sim, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_EQ(talk(sim, "ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
    EXPECT_EQ(talk(sim, "at+cgmi\r"), QByteArray("\r\nTESTCO\r\n\r\nOK\r\n"));
    EXPECT_EQ(talk(sim, "ATZ\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(talk(sim, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
}

TEST(ListingTest, ReadingAnUnreadMessageMarksItRead) {
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    talk(sim, "at+cmgl=4\r");
    EXPECT_EQ(sim.state().messages.value(1).status, 1);
    EXPECT_EQ(talk(sim, "at+cmgl=0\r"), QByteArray("\r\nOK\r\n"));
}

struct SubmitCase {
    const char* label;
    QByteArray command;
    QByteArray pdu;
    QByteArray result;
};

class SubmitTest : public testing::TestWithParam<SubmitCase> {};

TEST_P(SubmitTest, PromptsThenJudgesThePdu) {
    const SubmitCase& c = GetParam();
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    EXPECT_EQ(talk(sim, c.command + '\r'), QByteArray("\r\n> "));
    EXPECT_EQ(talk(sim, c.pdu + '\x1A'), c.result);
    EXPECT_TRUE(sim.log().contains("PDU " + c.pdu));
    // After the submission the handset takes commands again.
    EXPECT_EQ(talk(sim, "AT\r"), QByteArray("\r\nOK\r\n"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Submissions, SubmitTest,
    testing::Values(
        SubmitCase{"SendWithEmptySmscField", "at+cmgs=16", "00" + kSubmit, "\r\n+CMGS: 7\r\n\r\nOK\r\n"},
        SubmitCase{"SendWithSmscAddress", "at+cmgs=16", kSmsc + kSubmit, "\r\n+CMGS: 7\r\n\r\nOK\r\n"},
        SubmitCase{"AnnouncedLengthCountsTheSmscField", "at+cmgs=17", "00" + kSubmit, "\r\n+CMS ERROR: 304\r\n"},
        SubmitCase{"SmscFieldMissing", "at+cmgs=16", kSubmit, "\r\n+CMS ERROR: 304\r\n"},
        SubmitCase{"UserDataLengthBeyondData", "at+cmgs=16", "0011000A9121436587090000A70461F118", "\r\n+CMS ERROR: 304\r\n"},
        SubmitCase{"NotHex", "at+cmgs=2", "00ZZ11", "\r\n+CMS ERROR: 304\r\n"},
        SubmitCase{"DeliverCannotBeSent", "at+cmgs=24", "00" + kDeliver, "\r\n+CMS ERROR: 304\r\n"},
        SubmitCase{"StoreTakesFirstFreeSlot", "at+cmgw=16", "00" + kSubmit, "\r\n+CMGW: 2\r\n\r\nOK\r\n"},
        SubmitCase{"StoreReceivedMessage", "at+cmgw=24,1", "00" + kDeliver, "\r\n+CMGW: 2\r\n\r\nOK\r\n"}),
    test::ByLabel());
// clang-format on

TEST(SubmitTest, SentMessageIsRecordedWithItsReference) {
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    talk(sim, "at+cmgs=16\r00" + kSubmit + '\x1A');
    talk(sim, "at+cmgs=16\r00" + kSubmit + '\x1A');
    const simulator::HandsetState s = sim.state();
    ASSERT_EQ(s.sent.size(), 2);
    EXPECT_EQ(s.sent[0], (simulator::SentMessage{7, kSubmit, {}}));
    EXPECT_EQ(s.sent[1].reference, 8);
}

TEST(SubmitTest, EscapeCancelsTheMessage) {
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    talk(sim, "at+cmgw=16\r");
    EXPECT_EQ(talk(sim, "00" + kSubmit + '\x1B'), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.state().messages.size(), 2);
    EXPECT_TRUE(sim.log().contains("CANCEL"));
}

TEST(SubmitTest, EchoRepeatsThePduButNotCtrlZ) {
    simulator::HandsetSim sim(basicState());
    EXPECT_EQ(talk(sim, "at+cmgs=16\r"), QByteArray("at+cmgs=16\r\r\n> "));
    EXPECT_EQ(talk(sim, "00" + kSubmit + '\x1A'), "00" + kSubmit + "\r\n+CMGS: 7\r\n\r\nOK\r\n");
}

TEST(SubmitTest, StoredMessageIsListedAsUnsent) {
    auto quiet = quietSim();
    simulator::HandsetSim& sim = *quiet;
    talk(sim, "at+cmgw=16\r00" + kSubmit + '\x1A');
    EXPECT_EQ(talk(sim, "at+cmgl=2\r"), "\r\n+CMGL: 2,2,,16\r\n00" + kSubmit +
                                            "\r\n+CMGL: 3,2,,20\r\n00" + kStored +
                                            "\r\n\r\nOK\r\n");
}

TEST(SubmitTest, FullStoreRefusesToStore) {
    simulator::HandsetSim sim(
        simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json")));
    talk(sim, "ATE0\r");
    EXPECT_EQ(talk(sim, "at+cmgw=16\r00" + kSubmit + '\x1A'),
              QByteArray("\r\n> \r\n+CMS ERROR: 322\r\n"));
}

TEST(SubmitTest, LegacyModeListsAndTakesBareTpdus) {
    simulator::SimOptions legacy;
    legacy.dialect = HandsetDialect::Older;
    auto quiet = quietSim(legacy);
    simulator::HandsetSim& sim = *quiet;
    EXPECT_EQ(talk(sim, "at+cmgs=16\r" + kSubmit + '\x1A'), "\r\n> \r\n+CMGS: 7\r\n\r\nOK\r\n");
    EXPECT_EQ(talk(sim, "at+cmgr=1\r"), "\r\n+CMGR: 0,,24\r\n" + kDeliver + "\r\n\r\nOK\r\n");
}

struct PhonebookCase {
    const char* label;
    QByteArray write;
    QByteArray writeReply;
    QByteArray read;
    QByteArray readReply;
    HandsetDialect dialect = HandsetDialect::Standard;
};

class PhonebookWriteTest : public testing::TestWithParam<PhonebookCase> {};

TEST_P(PhonebookWriteTest, WritesThenReadsBack) {
    const PhonebookCase& c = GetParam();
    simulator::SimOptions options;
    options.dialect = c.dialect;
    auto quiet = quietSim(options);
    simulator::HandsetSim& sim = *quiet;
    EXPECT_EQ(talk(sim, c.write + '\r'), c.writeReply);
    EXPECT_EQ(talk(sim, c.read + '\r'), c.readReply);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Entries, PhonebookWriteTest,
    testing::Values(
        PhonebookCase{"Standard", "at+cpbw=2,\"+1555\",145,\"Bob\"", "\r\nOK\r\n", "at+cpbr=2", "\r\n+CPBR: 2,\"+1555\",145,\"Bob\"\r\n\r\nOK\r\n"},
        /* A standard handset reads the older form's 1 as the number: then a text stands where */ /* the type belongs, and "k,1" stores the number 1. */ PhonebookCase{"OlderFormRefusedByStandardHandset", "at+cpbw=3,1,\"555\",129,\"Eve\"", "\r\nERROR\r\n", "at+cpbr=3", "\r\nOK\r\n"},
        PhonebookCase{"OlderEmptyingStoresNumberOne", "at+cpbw=1,1", "\r\nOK\r\n", "at+cpbr=1", "\r\n+CPBR: 1,\"1\",129,\"\"\r\n\r\nOK\r\n"},
        PhonebookCase{"OlderHandsetMarkerAfterIndex", "at+cpbw=3,1,\"555\",129,\"Eve\"", "\r\nOK\r\n", "at+cpbr=3", "\r\n+CPBR: 3,\"555\",129,\"Eve\"\r\n\r\nOK\r\n", HandsetDialect::Older},
        PhonebookCase{"OlderHandsetMarkerAloneEmptiesSlot", "at+cpbw=1,1", "\r\nOK\r\n", "at+cpbs?", "\r\n+CPBS: \"SM\",1,10\r\n\r\nOK\r\n", HandsetDialect::Older},
        PhonebookCase{"IndexAloneEmptiesSlot", "at+cpbw=4", "\r\nOK\r\n", "at+cpbr=4", "\r\nOK\r\n"},
        PhonebookCase{"NoIndexTakesFirstFree", "at+cpbw=,\"777\",,\"Free\"", "\r\nOK\r\n", "at+cpbr=2", "\r\n+CPBR: 2,\"777\",129,\"Free\"\r\n\r\nOK\r\n"},
        PhonebookCase{"NameBytesKept", "at+cpbw=5,\"1\",129,\"\xCF\xE5\xF2\xFF\"", "\r\nOK\r\n", "at+cpbr=5", "\r\n+CPBR: 5,\"1\",129,\"\xCF\xE5\xF2\xFF\"\r\n\r\nOK\r\n"},
        PhonebookCase{"NameTooLong", "at+cmee=1;+cpbw=5,\"1\",129,\"ABCDEFGHIJKLMNO\"", "\r\n+CME ERROR: 24\r\n", "at+cpbr=5", "\r\nOK\r\n"},
        PhonebookCase{"LetterInNumberRefused", "at+cmee=1;+cpbw=5,\"1x\",129,\"A\"", "\r\n+CME ERROR: 27\r\n", "at+cpbr=5", "\r\nOK\r\n"},
        PhonebookCase{"SlotBeyondPhonebook", "at+cmee=1;+cpbw=11,\"1\",129,\"A\"", "\r\n+CME ERROR: 21\r\n", "at+cpbs?", "\r\n+CPBS: \"SM\",2,10\r\n\r\nOK\r\n"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
