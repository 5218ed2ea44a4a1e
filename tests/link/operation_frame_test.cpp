#include "link/operation_frame.h"

#include <gtest/gtest.h>

#include <stop_token>

#include "link/scripted_transport.h"
#include "phonebook/phonebook_transfer.h"
#include "sms/message_operations.h"
#include "support/sim_line.h"
#include "support/table.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using test::ScriptedTransport;
using Kind = Outcome::Kind;

struct FrameCase {
    const char* label;
    QByteArray command;
    QByteArrayList answers;  // none: the handset stays silent
    Kind kind;
    const char* text;
};

class FrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameTest, JudgesTheLastReplyAndClosesThePort) {
    const FrameCase& c = GetParam();
    ScriptedTransport line;
    line.answer("\r\nOK\r\n");
    for (const QByteArray& answer : c.answers) {
        line.answer(answer);
    }
    AtChannel channel(line, 200ms);
    const Outcome outcome = RunOperation(channel, [&]() -> std::optional<Outcome> {
        if (!channel.SendAndWait("at+cmgf=0").isOk()) {
            return std::nullopt;
        }
        if (c.command.startsWith("at+cmgs")) {
            channel.SendPdu(c.command, "0011");
        } else {
            channel.SendAndWait(c.command);
        }
        return std::nullopt;
    });
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.text, QString::fromLatin1(c.text));
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.opens, 1);
    EXPECT_EQ(line.closes, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Outcomes, FrameTest,
    testing::Values(
        FrameCase{"Ok", "at+cmgd=1", {"\r\nOK\r\n"}, Kind::Done, "Done."},
        FrameCase{"SubmissionAccepted", "at+cmgs=17", {"\r\n> ", "\r\n+CMGS: 5\r\n\r\nOK\r\n"}, Kind::Done, "Done."},
        FrameCase{"PhoneFailure300", "at+cmss=1", {"\r\n+CMS ERROR: 300\r\n"}, Kind::PhoneRefused, "Can not connect to phone."},
        FrameCase{"OtherCmsError", "at+cmss=1", {"\r\n+CMS ERROR: 500\r\n"}, Kind::HandsetError, "The handset answered \"+CMS ERROR: 500\" (unknown error)."},
        FrameCase{"CmsMemoryFull", "at+cmgw=17", {"\r\n+CMS ERROR: 322\r\n"}, Kind::HandsetError, "The handset answered \"+CMS ERROR: 322\" (memory full)."},
        FrameCase{"CmsError3001IsNot300", "at+cmss=1", {"\r\n+CMS ERROR: 3001\r\n"}, Kind::HandsetError, "The handset answered \"+CMS ERROR: 3001\"."},
        FrameCase{"CmeError", "at+cpbr=1,250", {"\r\n+CME ERROR: 10\r\n"}, Kind::HandsetError, "The handset answered \"+CME ERROR: 10\" (SIM not inserted)."},
        FrameCase{"PlainError", "at+cpbs=\"LD\"", {"\r\nERROR\r\n"}, Kind::HandsetError, "The handset answered \"ERROR\"."},
        FrameCase{"NotSupported", "at+cpbs?", {"\r\nCOMMAND NOT SUPPORT\r\n"}, Kind::HandsetError, "The handset answered \"COMMAND NOT SUPPORT\"."},
        FrameCase{"MissingPrompt", "at+cmgs=17", {"\r\nOK\r\n"}, Kind::HandsetError, "The handset did not ask for the message; it answered \"OK\"."},
        FrameCase{"Silence", "at+cmgd=1", {}, Kind::Failed, "Read timeout. Possibly COM3 is not a valid port for Dovrel."}),
    test::ByLabel());
// clang-format on

TEST(FrameTest, SubmissionResultIsJudged) {
    ScriptedTransport line;
    line.answer("\r\n> ");
    line.answer("\r\n+CMS ERROR: 300\r\n");
    AtChannel channel(line, 200ms);
    const Outcome outcome = RunOperation(channel, [&] {
        channel.SendPdu("at+cmgs=2", "0011");
        return std::nullopt;
    });
    EXPECT_EQ(outcome.kind, Kind::PhoneRefused);
    EXPECT_EQ(line.written, "at+cmgs=2\r0011\x1A");
}

TEST(FrameTest, FailuresCloseThePortAndNameTheError) {
    ScriptedTransport line;
    line.answer("\r\nOK\r\n");
    AtChannel channel(line, 200ms);
    Outcome outcome = RunOperation(channel, [&]() -> std::optional<Outcome> {
        channel.SendAndWait("at");
        throw Error(QStringLiteral("bad number"));
    });
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.text, QStringLiteral("bad number"));
    EXPECT_FALSE(line.isOpen());

    line.hangUpAtEnd();
    outcome = RunOperation(channel, [&] {
        channel.SendAndWait("at");
        return std::nullopt;
    });
    EXPECT_EQ(outcome.text, QStringLiteral("line gone"));
    EXPECT_FALSE(line.isOpen());

    ScriptedTransport missing;
    missing.refuseOpen();
    AtChannel nowhere(missing, 200ms);
    outcome = RunOperation(nowhere, []() -> std::optional<Outcome> {
        ADD_FAILURE() << "exchange ran without a port";
        return std::nullopt;
    });
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.text, QStringLiteral("no such port"));
}

TEST(FrameTest, LastReplyOfAnEarlierOperationIsNotJudgedAgain) {
    ScriptedTransport line;
    line.answer("\r\n+CMS ERROR: 300\r\n");
    AtChannel channel(line, 200ms);
    EXPECT_EQ(RunOperation(channel,
                           [&] {
                               channel.SendAndWait("at+cmss=1");
                               return std::nullopt;
                           })
                  .kind,
              Kind::PhoneRefused);
    EXPECT_EQ(RunOperation(channel, [] { return std::nullopt; }).kind, Kind::Done);
}

// What an operation that was stopped gave back: its outcome, and whether it handed the caller
// anything to replace its own copy with (a listing, a phonebook).
struct Stopped {
    Outcome outcome;
    bool handedBack;
};
using Stoppable = Stopped (*)(AtChannel&, const Progress&, std::stop_token);

Stopped listing(AtChannel& channel, const Progress& progress, std::stop_token stop) {
    const MessageListing r = ReadMessages(channel, progress, std::move(stop));
    return {r.outcome, r.messages.has_value()};
}

Stopped phonebookRead(AtChannel& channel, const Progress& progress, std::stop_token stop) {
    const PhoneBookReadResult r =
        ReadPhoneBook(channel, PhoneBookKind::SM, progress, std::move(stop));
    return {r.outcome, r.store || r.partial};
}

Stopped phonebookWrite(AtChannel& channel, const Progress& progress, std::stop_token stop) {
    PhoneBookStore store;
    store.append(PhoneBookEntry("5550100", 129, "first"));
    return {WritePhoneBook(channel, PhoneBookKind::SM, store, HandsetDialect::Standard, progress,
                           std::move(stop))
                .outcome,
            false};
}

struct CancelCase {
    const char* label;
    const char* stateFile;
    Stoppable run;
    int stopAtStep;  // the stop is requested as this step (counted from 1) is reported
    int commands;    // command lines the handset received
    const char16_t* text = u"Cancelled.";
};

class CancelTest : public testing::TestWithParam<CancelCase> {};

TEST_P(CancelTest, EndsCancelledWithThePortClosedAndTheCallersCopyKept) {
    const CancelCase& c = GetParam();
    simulator::SimOptions options;
    options.think = 5ms;
    options.chunkSize = 64;  // a listing arrives in pieces, as over a line
    test::SimLine line(simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/") +
                                               QLatin1StringView(c.stateFile)),
                       options);
    test::StopAtStep cancel(c.stopAtStep);
    const Progress progress = cancel.progress();
    const Stopped stopped = c.run(line.channel, progress, cancel.token());
    EXPECT_EQ(stopped.outcome.kind, Kind::Cancelled) << stopped.outcome.text.toStdString();
    EXPECT_EQ(stopped.outcome.text, QString::fromUtf16(c.text));
    EXPECT_FALSE(stopped.handedBack);
    EXPECT_FALSE(line.channel.isOpen());
    EXPECT_EQ(line.commands().size(), c.commands) << line.commands().join(" / ").constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Stops, CancelTest,
    testing::Values(
        /* The first step is reported before the port opens: nothing reaches the handset. */ CancelCase{"ListingBeforeThePortOpens", "sim-30-messages.json", listing, 1, 0},
        /* Steps 2.. are "Reading message i from 30": the stop comes inside the listing's reply. */ CancelCase{"DuringAListing", "sim-30-messages.json", listing, 4, 3, u"Cancelled: 2 of 30 messages read."},
        CancelCase{"PhonebookReadBeforeThePortOpens", "sim-basic.json", phonebookRead, 1, 0},
        /* Slots 1 and 4 differ from the store; step 3 is "Writing phonebook (2 from 2)": slot 1 was written, 4 is not. */ CancelCase{"DuringAPhonebookWrite", "sim-basic.json", phonebookWrite, 3, 4, u"Cancelled. Wrote 1 of the 2 slots that differed from the local copy: slots 1–3 and 5–10 hold the local copy; slot 4 still holds the handset's old entry. Write again to finish the job."}),
    test::ByLabel());
// clang-format on

struct IdentityCase {
    const char* label;
    QByteArray maker;
    QByteArray model;
    const char* identity;
};

class IdentifyTest : public testing::TestWithParam<IdentityCase> {};

TEST_P(IdentifyTest, TakesTheInformationLines) {
    const IdentityCase& c = GetParam();
    ScriptedTransport line;
    line.answer(c.maker);
    line.answer(c.model);
    AtChannel channel(line, 200ms);
    EXPECT_TRUE(IdentifyHandset(channel).isDone());
    EXPECT_EQ(channel.PhoneIdentity(), QString::fromLatin1(c.identity));
    EXPECT_FALSE(line.isOpen());
    // known from now on: the port is not opened again
    EXPECT_TRUE(IdentifyHandset(channel).isDone());
    EXPECT_EQ(line.opens, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, IdentifyTest,
    testing::Values(
        IdentityCase{"EchoOn", "at+cgmi\r\r\nNokia\r\n\r\nOK\r\n", "at+cgmm\r\r\nNokia 6310i\r\n\r\nOK\r\n", "Nokia Nokia 6310i"},
        IdentityCase{"EchoOff", "\r\nSIEMENS\r\n\r\nOK\r\n", "\r\nS55\r\n\r\nOK\r\n", "SIEMENS S55"},
        IdentityCase{"LabelledQuotedWithUrc", "\r\n+CREG: 1\r\n\r\n+CGMI: \"Sony Ericsson\"\r\n\r\nOK\r\n", "\r\n+CGMM: \"T610\"\r\n\r\nRING\r\nOK\r\n", "Sony Ericsson T610"}),
    test::ByLabel());
// clang-format on

TEST(IdentifyTest, RefusalLeavesIdentityUnknown) {
    ScriptedTransport line;
    line.answer("\r\nERROR\r\n");
    AtChannel channel(line, 200ms);
    const Outcome outcome = IdentifyHandset(channel);
    EXPECT_EQ(outcome.kind, Kind::HandsetError);
    EXPECT_TRUE(channel.PhoneIdentity().isEmpty());
    EXPECT_EQ(line.written, "at+cgmi\r");
    EXPECT_FALSE(line.isOpen());
}

}  // namespace
}  // namespace pelmar
