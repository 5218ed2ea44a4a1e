#include "sms/message_operations.h"

#include <gtest/gtest.h>

#include "support/sim_line.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Kind = Outcome::Kind;

simulator::HandsetState stateFrom(const char* file) {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(file));
}

// The SMS-SUBMIT of "abc" to +1234567890, as the handset keeps it.
const QByteArray kAbcTpdu = "11000A9121436587090000A70361F118";

struct SubmitCase {
    const char* label;
    SubmitAction action;
    void (*configure)(simulator::SimOptions&);
    Kind kind;
    std::optional<int> reference;
    const char* textPart;  // part of the outcome text
};

class SubmitTest : public testing::TestWithParam<SubmitCase> {};

TEST_P(SubmitTest, OutcomeAndWhatTheHandsetHolds) {
    const SubmitCase& c = GetParam();
    simulator::SimOptions options;
    c.configure(options);
    test::SimLine line(stateFrom("sim-basic.json"), options);
    const TextMessage message{QStringLiteral("+1234567890"), QStringLiteral("abc")};
    const SubmitResult r = SendOrStoreSMS(line.channel, message, c.action, line.progress());

    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    EXPECT_TRUE(r.outcome.text.contains(QLatin1StringView(c.textPart)))
        << r.outcome.text.toStdString();
    EXPECT_EQ(r.reference, c.reference);
    EXPECT_FALSE(line.channel.isOpen());
    const bool send = c.action == SubmitAction::Send;
    EXPECT_EQ(line.texts, QStringList{send ? QStringLiteral("Sending message...")
                                           : QStringLiteral("Storing message...")});
    const simulator::HandsetState after = line.sim.state();
    const bool taken = c.kind == Kind::Done;
    EXPECT_EQ(send && taken, !after.sent.isEmpty() && after.sent.last().tpdu == kAbcTpdu);
    EXPECT_EQ(!send && taken, after.messages.value(2).tpdu == kAbcTpdu);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, SubmitTest,
    testing::Values(
        SubmitCase{"SentWithItsReference", SubmitAction::Send, [](simulator::SimOptions&) {}, Kind::Done, 7, "Done."},
        SubmitCase{"StoredInFirstFreeSlot", SubmitAction::Store, [](simulator::SimOptions&) {}, Kind::Done, 2, "Done."},
        SubmitCase{"ByteByByte", SubmitAction::Send, [](simulator::SimOptions& o) { o.chunkSize = 1; }, Kind::Done, 7, "Done."},
        SubmitCase{"LegacyHandsetWithoutSmscField", SubmitAction::Send, [](simulator::SimOptions& o) { o.dialect = HandsetDialect::Older; }, Kind::HandsetError, std::nullopt, "+CMS ERROR: 304"},
        SubmitCase{"PhoneFailureIsCanNotConnect", SubmitAction::Send, [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGS=+CMS ERROR: 300");}, Kind::PhoneRefused, std::nullopt, "Can not connect to phone."},
        SubmitCase{"NetworkRefusalIsNoSuccess", SubmitAction::Send, [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGS=+CMS ERROR: 500");}, Kind::HandsetError, std::nullopt, "+CMS ERROR: 500"},
        SubmitCase{"MemoryFullOnStore", SubmitAction::Store, [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGW=+CMS ERROR: 322");}, Kind::HandsetError, std::nullopt, "+CMS ERROR: 322"},
        SubmitCase{"MissingPromptTimesOut", SubmitAction::Send, [](simulator::SimOptions& o) { o.noPrompt.insert("CMGS"); }, Kind::Failed, std::nullopt, "Read timeout"},
        SubmitCase{"PduModeRefused", SubmitAction::Send, [](simulator::SimOptions& o) { simulator::addReplyOverride(o, "CMGF=ERROR"); }, Kind::HandsetError, std::nullopt, "ERROR"},
        SubmitCase{"SilentHandsetTimesOut", SubmitAction::Send, [](simulator::SimOptions& o) { o.silent.insert("CMGS"); }, Kind::Failed, std::nullopt, "Read timeout"},
        SubmitCase{"UnsolicitedCodesInside", SubmitAction::Send, [](simulator::SimOptions& o) { o.urc = "+CMTI: \"SM\",4"; }, Kind::Done, 7, "Done."}),
    test::ByLabel());
// clang-format on

TEST(SubmitTest, BareTpduForTheLegacyHandset) {
    simulator::SimOptions options;
    options.dialect = HandsetDialect::Older;
    test::SimLine line(stateFrom("sim-basic.json"), options);
    const TextMessage message{QStringLiteral("+1234567890"), QStringLiteral("abc"),
                              SmsMode::Standard, SmscField::None};
    EXPECT_TRUE(SendOrStoreSMS(line.channel, message, SubmitAction::Send).outcome.isDone());
    EXPECT_TRUE(line.sim.log().contains("PDU " + kAbcTpdu));
}

TEST(SubmitTest, MissingPromptCancelsWithEscape) {
    simulator::SimOptions options;
    options.noPrompt.insert("CMGS");
    test::SimLine line(stateFrom("sim-basic.json"), options);
    SendOrStoreSMS(line.channel, {QStringLiteral("+1"), QStringLiteral("x")}, SubmitAction::Send);
    EXPECT_TRUE(line.sim.log().contains("CANCEL"));
    EXPECT_TRUE(line.sim.state().sent.isEmpty());
}

struct RefusedInputCase {
    const char* label;
    const char16_t* number;
    const char16_t* text;
    SmsMode mode;
};

class RefusedInputTest : public testing::TestWithParam<RefusedInputCase> {};

TEST_P(RefusedInputTest, PortIsNeverTouched) {
    test::SimLine line(stateFrom("sim-basic.json"));
    const TextMessage message{QString::fromUtf16(GetParam().number),
                              QString::fromUtf16(GetParam().text), GetParam().mode};
    const SubmitResult r = SendOrStoreSMS(line.channel, message, SubmitAction::Send);
    EXPECT_EQ(r.outcome.kind, Kind::InputRefused);
    EXPECT_FALSE(r.outcome.text.isEmpty());
    EXPECT_TRUE(line.sim.log().isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedInputTest,
    testing::Values(
        RefusedInputCase{"EmptyNumber", u"", u"abc", SmsMode::Standard},
        RefusedInputCase{"LetterInNumber", u"12a", u"abc", SmsMode::Standard},
        RefusedInputCase{"EmptyText", u"+1", u"", SmsMode::Standard},
        RefusedInputCase{"CyrillicInStandard", u"+1", u"Привет", SmsMode::Standard},
        RefusedInputCase{"FlashTooLong", u"+1", u"0123456789012345678901234567890123456789012345678901234567" u"890123456789", SmsMode::Flash}),
    test::ByLabel());
// clang-format on

struct ListingCase {
    const char* label;
    const char* stateFile;
    void (*configure)(simulator::SimOptions&);
    Kind kind;
    int messages;  // -1: no list comes back
    ProgressStep lastStep;
};

class ListingTest : public testing::TestWithParam<ListingCase> {};

TEST_P(ListingTest, WholeListingOrNone) {
    const ListingCase& c = GetParam();
    simulator::SimOptions options;
    c.configure(options);
    test::SimLine line(stateFrom(c.stateFile), options);
    const MessageListing listing = ReadMessages(line.channel, line.progress());

    EXPECT_EQ(listing.outcome.kind, c.kind) << listing.outcome.text.toStdString();
    EXPECT_EQ(listing.messages ? listing.messages->size() : -1, c.messages);
    EXPECT_EQ(listing.unreadable, 0);
    ASSERT_FALSE(line.steps.isEmpty());
    EXPECT_EQ(line.steps.first(), ProgressStep{QStringLiteral("Reading messages...")});
    for (qsizetype i = 1; i < line.steps.size(); ++i)
        EXPECT_EQ(line.steps[i].done, i) << line.texts[i].toStdString();
    EXPECT_EQ(line.steps.last(), c.lastStep) << line.texts.last().toStdString();
    EXPECT_FALSE(line.channel.isOpen());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, ListingTest,
    testing::Values(
        ListingCase{"ThirtyOneByteAtATime", "sim-30-messages.json", [](simulator::SimOptions& o) { o.chunkSize = 1; }, Kind::Done, 30, {QStringLiteral("Reading message 30 from 30"), 30, 30}},
        ListingCase{"RandomPiecesWithUnsolicitedCodes", "sim-30-messages.json", [](simulator::SimOptions& o) {o.randomChunks = true; o.urc = "+CMTI: \"SM\",7";}, Kind::Done, 30, {QStringLiteral("Reading message 30 from 30"), 30, 30}},
        ListingCase{"LegacyListingWithoutSmscField", "sim-basic.json", [](simulator::SimOptions& o) { o.dialect = HandsetDialect::Older; }, Kind::Done, 2, {QStringLiteral("Reading message 2 from 2"), 2, 2}},
        ListingCase{"StorageNotCountedStillLists", "sim-basic.json", [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CPMS=ERROR");}, Kind::Done, 2, {QStringLiteral("Reading message 2"), 2, 0}},
        ListingCase{"ListingRefused", "sim-basic.json", [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGL=+CMS ERROR: 500");}, Kind::HandsetError, -1, {QStringLiteral("Reading messages...")}},
        ListingCase{"CutOffMidListing", "sim-30-messages.json", [](simulator::SimOptions& o) { o.hangupAfter = 1500; }, Kind::Failed, -1, {QStringLiteral("Reading message 12 from 30"), 12, 30}},
        ListingCase{"SilentListing", "sim-basic.json", [](simulator::SimOptions& o) { o.silent.insert("CMGL"); }, Kind::Failed, -1, {QStringLiteral("Reading messages...")}}),
    test::ByLabel());
// clang-format on

TEST(ListingTest, MoreMessagesThanTheOldTableHeld) {
    simulator::HandsetState state = stateFrom("sim-30-messages.json");
    const simulator::StoredMessage sample = state.messages.first();
    state.messageSlots = 150;
    for (int index = 1; index <= 120; ++index)
        state.messages.insert(index, sample);
    test::SimLine line(state);
    const MessageListing listing = ReadMessages(line.channel, line.progress());
    ASSERT_TRUE(listing.messages);
    EXPECT_EQ(listing.messages->size(), 120);
    EXPECT_EQ(listing.messages->last().Index, 120u);
    EXPECT_EQ(line.texts.last(), QStringLiteral("Reading message 120 from 120"));
}

TEST(ListingTest, UnreadableEntryIsListedAndCounted) {
    simulator::HandsetState state = stateFrom("sim-basic.json");
    simulator::StoredMessage broken = state.messages.first();
    broken.tpdu = "040B9121";  // cut short inside the sender's number
    state.messages.insert(4, broken);
    test::SimLine line(state);
    const MessageListing listing = ReadMessages(line.channel, line.progress());
    EXPECT_TRUE(listing.outcome.isDone());
    ASSERT_TRUE(listing.messages);
    ASSERT_EQ(listing.messages->size(), 3);
    EXPECT_EQ(listing.unreadable, 1);
    EXPECT_EQ(listing.messages->last().Index, 4u);
    EXPECT_EQ(listing.messages->last().Text, DecodedMessage::UnreadableText);
}

struct LongSubmitCase {
    const char* label;
    SubmitAction action;
    int stopAtPart;  // stop requested as part n is announced; 0: never
    Kind kind;
    const char* text;  // how the outcome's text begins
    int partsDone;
};

class LongSubmitTest : public testing::TestWithParam<LongSubmitCase> {};

// Four parts to a handset with three free slots; the reference moves on only when all went.
TEST_P(LongSubmitTest, SaysWhichPartsWent) {
    const LongSubmitCase& c = GetParam();
    test::SimLine line(stateFrom("sim-basic.json"));
    std::stop_source stop;
    const auto progress = [&](const ProgressStep& step) {
        line.progress()(step);
        if (step.done == c.stopAtPart)
            stop.request_stop();
    };
    TextMessage message{QStringLiteral("+1234567890"), QString(500, u'x')};
    message.longMessage = true;
    message.reference = ConcatReference(42);
    const SubmitResult r =
        SendOrStoreSMS(line.channel, message, c.action, progress, stop.get_token());
    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    EXPECT_TRUE(r.outcome.text.startsWith(QString::fromUtf8(c.text)))
        << r.outcome.text.toStdString();
    EXPECT_EQ(r.partsDone, c.partsDone);
    EXPECT_EQ(r.nextReference.value(), c.kind == Kind::Done ? 43 : 42);
    const bool send = c.action == SubmitAction::Send;
    EXPECT_EQ(line.texts.first(), send ? u"Sending part 1 from 4" : u"Storing part 1 from 4");
    const simulator::HandsetState after = line.sim.state();
    EXPECT_EQ(send ? after.sent.size() : after.messages.size() - 2, c.partsDone);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Parts, LongSubmitTest,
    testing::Values(
        LongSubmitCase{"SentInFourParts", SubmitAction::Send, 0, Kind::Done, "Done.", 4},
        LongSubmitCase{"StoreRunsOutOfSlots", SubmitAction::Store, 0, Kind::HandsetError, "Stored parts 1–3 of 4; part 4 was not stored. The handset answered \"+CMS ERROR: 322\"", 3},
        LongSubmitCase{"CancelledAfterTheFirstPart", SubmitAction::Send, 2, Kind::Cancelled, "Sent part 1 of 4; parts 2–4 were not sent. ", 1}),
    test::ByLabel());
// clang-format on

TEST(LongSubmitTest, OutboxSendsEveryStoredPart) {
    test::SimLine line(stateFrom("sim-basic.json"));
    TextMessage message{QStringLiteral("+1234567890"), QString(200, u'x')};
    message.longMessage = true;
    ASSERT_TRUE(SendOrStoreSMS(line.channel, message, SubmitAction::Store).outcome.isDone());
    const SubmitResult r = SendStoredMessages(line.channel, {2, 4}, {}, line.progress());
    EXPECT_TRUE(r.outcome.isDone()) << r.outcome.text.toStdString();
    EXPECT_EQ(line.commands().mid(line.commands().size() - 2),
              QList<QByteArray>({"at+cmss=2", "at+cmss=4"}));
    EXPECT_EQ(line.texts.last(), QStringLiteral("Sending part 2 from 2"));
}

struct SendStoredCase {
    const char* label;
    quint32 index;
    const char16_t* number;
    Kind kind;
    const char* command;      // the at+cmss line sent; empty when none
    const char* destination;  // as the handset sent it
};

class SendStoredTest : public testing::TestWithParam<SendStoredCase> {};

TEST_P(SendStoredTest, NumberGoesAsGiven) {
    const SendStoredCase& c = GetParam();
    test::SimLine line(stateFrom("sim-basic.json"));
    const SubmitResult r = SendStoredMessage(line.channel, c.index, QString::fromUtf16(c.number));
    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    const QList<QByteArray> commands = line.commands();
    EXPECT_EQ(commands.isEmpty() ? QByteArray() : commands.last(), QByteArray(c.command));
    const simulator::HandsetState after = line.sim.state();
    if (c.kind == Kind::Done) {
        ASSERT_FALSE(after.sent.isEmpty());
        EXPECT_EQ(after.sent.last().destination, QByteArray(c.destination));
        EXPECT_EQ(after.messages.value(c.index).status, 3);
        EXPECT_EQ(r.reference, 7);
    } else {
        EXPECT_TRUE(after.sent.isEmpty());
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Numbers, SendStoredTest,
    testing::Values(
        SendStoredCase{"International", 3, u"+12025550123", Kind::Done, "at+cmss=3,\"+12025550123\"", "+12025550123"},
        SendStoredCase{"NationalGetsNoPlus", 3, u"5550199", Kind::Done, "at+cmss=3,\"5550199\"", "5550199"},
        SendStoredCase{"StoredDestination", 3, u"", Kind::Done, "at+cmss=3", ""},
        SendStoredCase{"ReceivedMessageCannotBeSent", 1, u"", Kind::HandsetError, "at+cmss=1", ""},
        SendStoredCase{"LetterRefusedBeforeThePort", 3, u"12a", Kind::InputRefused, "", ""},
        SendStoredCase{"InjectionRefusedBeforeThePort", 3, u"1\b\b\";+CMGD=1", Kind::InputRefused, "", ""},
        SendStoredCase{"OtherScriptDigitsRefused", 3, u"\u0661\u0662", Kind::InputRefused, "", ""}),
    test::ByLabel());
// clang-format on

struct DeleteCase {
    const char* label;
    QList<quint32> indexes;
    void (*configure)(simulator::SimOptions&);
    Kind kind;
    QList<quint32> deleted;
    QList<quint32> failed;
};

class DeleteTest : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteTest, OnlyConfirmedDeletionsCount) {
    const DeleteCase& c = GetParam();
    simulator::SimOptions options;
    c.configure(options);
    test::SimLine line(stateFrom("sim-basic.json"), options);
    const DeleteResult r = DeleteMessages(line.channel, c.indexes, line.progress());
    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    EXPECT_EQ(r.deleted, c.deleted);
    EXPECT_EQ(r.failed, c.failed);
    // "Deleting messages...", then message k of n as each command goes.
    for (qsizetype k = 1; k < line.steps.size(); ++k)
        EXPECT_EQ(line.steps[k],
                  (ProgressStep{
                      QStringLiteral("Deleting message %1 from %2").arg(k).arg(c.indexes.size()),
                      int(k), int(c.indexes.size())}));
    const simulator::HandsetState after = line.sim.state();
    for (const quint32 index : c.deleted)
        EXPECT_FALSE(after.messages.contains(index)) << index;
    EXPECT_FALSE(line.channel.isOpen());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, DeleteTest,
    testing::Values(
        DeleteCase{"AllConfirmed", {1, 3}, [](simulator::SimOptions&) {}, Kind::Done, {1, 3}, {}},
        DeleteCase{"RefusedOneDoesNotStopTheOthers", {99, 3}, [](simulator::SimOptions&) {}, Kind::HandsetError, {3}, {99}},
        DeleteCase{"PhoneFailure", {1}, [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGD=+CMS ERROR: 300");}, Kind::PhoneRefused, {}, {1}},
        DeleteCase{"SilentHandsetLeavesAllListed", {1, 3}, [](simulator::SimOptions& o) { o.silent.insert("CMGD"); }, Kind::Failed, {}, {1, 3}},
        DeleteCase{"NothingSelected", {}, [](simulator::SimOptions&) {}, Kind::InputRefused, {}, {}}),
    test::ByLabel());
// clang-format on

// A run cut short by a cancel or an error says what it deleted and what it left.
struct CutShortCase {
    const char* label;
    int stopAtStep;  // the stop is requested as this step (from 1) is reported; 0: never
    bool silent;     // the handset never answers "at+cmgd"
    const char16_t* text;
};

class CutShortDeleteTest : public testing::TestWithParam<CutShortCase> {};

TEST_P(CutShortDeleteTest, OutcomeNamesWhatWasDeleted) {
    const CutShortCase& c = GetParam();
    simulator::SimOptions options;
    if (c.silent)
        options.silent.insert("CMGD");
    test::SimLine line(stateFrom("sim-basic.json"), options);
    test::StopAtStep cancel(c.stopAtStep);
    const Progress progress = cancel.progress();
    const DeleteResult r = DeleteMessages(line.channel, {1, 3}, progress, cancel.token());
    EXPECT_EQ(r.outcome.text, QString::fromUtf16(c.text));
    for (const quint32 index : r.deleted)
        EXPECT_FALSE(line.sim.state().messages.contains(index)) << index;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Runs, CutShortDeleteTest,
    testing::Values(
        CutShortCase{"CancelledBeforeTheFirst", 1, false, u"Cancelled. No message was deleted."},
        CutShortCase{"CancelledBeforeTheSecond", 3, false, u"Cancelled. Deleted: 1. Not deleted: 3."},
        CutShortCase{"FirstAnswerNeverCame", 0, true, u"Read timeout. Possibly simulated handset is not a valid port for Dovrel. Not deleted: 3. Message 1 may or may not be deleted: its answer never came."}),
    test::ByLabel());
// clang-format on

TEST(DeleteTest, ReportsHowManyFailed) {
    test::SimLine line(stateFrom("sim-basic.json"));
    const DeleteResult r = DeleteMessages(line.channel, {1, 98, 99});
    EXPECT_EQ(r.outcome.text,
              QStringLiteral("2 of 3 messages could not be deleted; the handset answered "
                             "\"+CMS ERROR: 321\" (invalid memory index)."));
    EXPECT_EQ(line.texts, QStringList());
}

}  // namespace
}  // namespace pelmar
