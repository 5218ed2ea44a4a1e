// The handset operations over a real pseudo-terminal through the serial port code: the
// simulated handset serves the device in a thread, TComPort opens it as it would a cable.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <thread>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/serial/t_com_port.h"
#include "phonebook/phonebook_transfer.h"
#include "sim/handset_sim.h"
#include "sim/pty_server.h"
#include "smart/smart_send.h"
#include "sms/message_operations.h"
#include "support/qt_application.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new test::QtApplication);

const QString kNumber = QStringLiteral("+12025550199");

simulator::HandsetState load(const char* name) {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(name));
}

class PtyOperationsTest : public testing::Test {
  protected:
    void serve(simulator::HandsetState state, simulator::SimOptions options = {},
               std::chrono::milliseconds lineTimeout = 3s) {
        m_sim = std::make_unique<simulator::HandsetSim>(std::move(state), std::move(options));
        m_server = std::make_unique<simulator::PtyServer>(*m_sim);
        m_thread = std::thread([this] { m_server->run(); });
        m_port = std::make_unique<TComPort>(m_server->devicePath());
        m_channel = std::make_unique<AtChannel>(*m_port, lineTimeout);
    }
    void TearDown() override {
        m_channel.reset();
        m_port.reset();
        if (m_server) {
            m_server->stop();
            m_thread.join();
        }
    }

    std::unique_ptr<simulator::HandsetSim> m_sim;
    std::unique_ptr<simulator::PtyServer> m_server;
    std::thread m_thread;
    std::unique_ptr<TComPort> m_port;
    std::unique_ptr<AtChannel> m_channel;
};

TEST_F(PtyOperationsTest, SendsATextMessage) {
    serve(load("sim-basic.json"));
    const SubmitResult result =
        SendOrStoreSMS(*m_channel, {kNumber, QStringLiteral("abc")}, SubmitAction::Send);
    EXPECT_EQ(result.outcome.text, QStringLiteral("Done."));
    ASSERT_EQ(m_sim->state().sent.size(), 1);
    EXPECT_EQ(result.reference, m_sim->state().sent.first().reference);
    // no SMSC of its own, SUBMIT with a relative validity, +12025550199, "abc" in 7 bits
    EXPECT_TRUE(m_sim->log().contains("PDU 0011000B912120550591F90000A70361F118"))
        << m_sim->log().join(" / ").constData();
    EXPECT_FALSE(m_port->isOpen());
}

TEST_F(PtyOperationsTest, ListsThirtyMessagesArrivingOneByteAtATime) {
    simulator::SimOptions options;
    options.chunkSize = 1;
    serve(load("sim-30-messages.json"), options);
    ProgressStep lastProgress;
    const MessageListing listing =
        ReadMessages(*m_channel, [&](const ProgressStep& step) { lastProgress = step; });
    ASSERT_TRUE(listing.outcome.isDone()) << listing.outcome.text.toStdString();
    ASSERT_TRUE(listing.messages.has_value());
    ASSERT_EQ(listing.messages->size(), 30);
    EXPECT_EQ(listing.unreadable, 0);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(listing.messages->at(i).Index, static_cast<quint32>(i + 1));
        EXPECT_FALSE(listing.messages->at(i).Text.isEmpty());
    }
    EXPECT_EQ(lastProgress, (ProgressStep{QStringLiteral("Reading message 30 from 30"), 30, 30}));
}

TEST_F(PtyOperationsTest, PhonebookReadAndWrittenBackUnchanged) {
    const simulator::HandsetState state = load("sim-phonebook-200.json");
    serve(state);
    const PhoneBookReadResult read = ReadPhoneBook(*m_channel, PhoneBookKind::SM);
    ASSERT_TRUE(read.outcome.isDone()) << read.outcome.text.toStdString();
    ASSERT_EQ(read.store->count(), 200);
    EXPECT_EQ(read.slotCount, 250);

    // Every slot already holds what the store puts there: nothing to write.
    const PhoneBookWriteResult unchanged =
        WritePhoneBook(*m_channel, PhoneBookKind::SM, *read.store);
    EXPECT_TRUE(unchanged.outcome.isDone()) << unchanged.outcome.text.toStdString();
    EXPECT_EQ(unchanged.written, 200);
    EXPECT_FALSE(m_sim->log().join('\n').contains("CMD at+cpbw"));

    const PhoneBookWriteResult written =
        OverwritePhoneBook(*m_channel, PhoneBookKind::SM, *read.store);
    EXPECT_TRUE(written.outcome.isDone()) << written.outcome.text.toStdString();
    EXPECT_EQ(written.written, 200);
    // The entries were packed from slot 1 on, in the order read: where they were is where
    // they are again only because the handset held them without gaps.
    EXPECT_EQ(m_sim->state().phonebooks.value("SM"), state.phonebooks.value("SM"));
    EXPECT_TRUE(m_sim->log().contains("CMD at+cpbw=250"));  // the standard way to empty a slot
}

// A call rings twice and is given up (NO CARRIER) inside every reply: no command's answer.
TEST_F(PtyOperationsTest, MissedCallsAnswerNoCommand) {
    simulator::SimOptions options;
    options.ringingCall = true;
    serve(load("sim-basic.json"), options);
    const MessageListing listing = ReadMessages(*m_channel);
    EXPECT_EQ(listing.outcome.text, QStringLiteral("Done."));
    EXPECT_EQ(listing.messages.value_or(QList<DecodedMessage>()).size(), 2);

    const DeleteResult deletion = DeleteMessages(*m_channel, {1, 3});
    EXPECT_EQ(deletion.outcome.text, QStringLiteral("Done."));
    EXPECT_EQ(deletion.deleted, (QList<quint32>{1, 3}));

    const PhoneBookStore book({PhoneBookEntry("5550101", 129, "Ann")});
    const PhoneBookWriteResult written = WritePhoneBook(*m_channel, PhoneBookKind::SM, book);
    EXPECT_EQ(written.outcome.text, QStringLiteral("Done."));
    EXPECT_TRUE(written.refused.isEmpty() && written.notEmptied.isEmpty());
    EXPECT_TRUE(m_sim->state().messages.isEmpty());
    EXPECT_EQ(m_sim->state().phonebooks.value("SM").entries.size(), 1);
}

// Vendor status lines between the entries; one name holds double quotes.
TEST_F(PtyOperationsTest, PhonebookReadPassesVendorStatusLines) {
    simulator::SimOptions options;
    options.vendorStatus = true;
    serve(load("sim-phonebook-quoted-name.json"), options);
    const PhoneBookReadResult read = ReadPhoneBook(*m_channel, PhoneBookKind::SM);
    EXPECT_EQ(read.outcome.text, QStringLiteral("Done."));
    ASSERT_TRUE(read.store.has_value());
    EXPECT_EQ(read.store->entries(),
              (QList<PhoneBookEntry>{PhoneBookEntry("5550101", 129, "Ann"),
                                     PhoneBookEntry("+2", 145, "Bob \"the boss\" Lee"),
                                     PhoneBookEntry("5550103", 129, "Cy")}));
}

TEST_F(PtyOperationsTest, SendsAThreePartPicture) {
    serve(load("sim-basic.json"));
    QList<ProgressStep> progress;
    const SmartSendResult result = SendPictureMessage(
        *m_channel, kNumber, QStringLiteral("Over the line"), PictureCoding::Standard,
        BuiltInPicture(), ConcatReference(42), SmscField::DefaultSmsc,
        [&](const ProgressStep& step) { progress.append(step); });
    EXPECT_TRUE(result.outcome.isDone()) << result.outcome.text.toStdString();
    EXPECT_EQ(result.partsSent, 3);
    EXPECT_EQ(result.nextReference.value(), 43);
    const QList<simulator::SentMessage> sent = m_sim->state().sent;
    ASSERT_EQ(sent.size(), 3);
    for (int part = 1; part <= 3; ++part) {
        // user-data header: ports 158A, then concatenation reference 42 (2A), 3 parts, part n
        EXPECT_TRUE(sent[part - 1].tpdu.contains("0003" + QByteArray("2A03") + '0' +
                                                 QByteArray::number(part)))
            << sent[part - 1].tpdu.constData();
    }
    EXPECT_TRUE(progress.contains(ProgressStep{QStringLiteral("Sending part 3 from 3"), 3, 3}));
}

TEST_F(PtyOperationsTest, HandsetHangingUpMidListingFailsAtOnce) {
    simulator::SimOptions options;
    options.hangupAfter = 1500;  // the listing is about 3700 bytes
    serve(load("sim-30-messages.json"), options, 5s);
    const MessageListing listing = ReadMessages(*m_channel);
    EXPECT_EQ(listing.outcome.kind, Outcome::Kind::Failed) << listing.outcome.text.toStdString();
    // the line's end (a read error on the device), not the 5 s time-out
    EXPECT_TRUE(listing.outcome.text.startsWith(QStringLiteral("ReadFile function failed")))
        << listing.outcome.text.toStdString();
    EXPECT_FALSE(listing.messages.has_value());
    EXPECT_FALSE(m_port->isOpen());
}

TEST_F(PtyOperationsTest, SilentHandsetTimesOutOnce) {
    simulator::SimOptions options;
    options.silent.insert("CPBS");
    serve(load("sim-basic.json"), options, 400ms);
    const Clock::time_point start = Clock::now();
    const PhoneBookReadResult read = ReadPhoneBook(*m_channel, PhoneBookKind::SM);
    EXPECT_GE(Clock::now() - start, 400ms);
    EXPECT_EQ(read.outcome.kind, Outcome::Kind::Failed);
    EXPECT_EQ(read.outcome.text,
              QStringLiteral("Read timeout. Possibly %1 is not a valid port for Dovrel. The phone "
                             "may be switched off, not in modem mode, or on another port: \"Find "
                             "phone\" in the window or pelmar-cli ports --probe looks for it on "
                             "every port.")
                  .arg(m_server->devicePath()));
    EXPECT_FALSE(read.store.has_value());
    // The unanswered command was the last one, sent once: nothing waited a second time.
    QList<QByteArray> commands = m_sim->log();
    commands.removeIf([](const QByteArray& line) { return !line.startsWith("CMD "); });
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.last(), "CMD at+cpbs=\"SM\"");
    EXPECT_EQ(commands.count(commands.last()), 1);
    EXPECT_FALSE(m_port->isOpen());
}

}  // namespace
}  // namespace pelmar
