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

SimState load(const char* name) {
    return loadSimState(QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(name));
}

class PtyOperationsTest : public testing::Test {
  protected:
    void serve(SimState state, SimOptions options = {},
               std::chrono::milliseconds lineTimeout = 3s) {
        sim_ = std::make_unique<HandsetSim>(std::move(state), std::move(options));
        server_ = std::make_unique<PtyServer>(*sim_);
        thread_ = std::thread([this] { server_->run(); });
        port_ = std::make_unique<TComPort>(server_->devicePath());
        channel_ = std::make_unique<AtChannel>(*port_, lineTimeout);
    }
    void TearDown() override {
        channel_.reset();
        port_.reset();
        if (server_) {
            server_->stop();
            thread_.join();
        }
    }

    std::unique_ptr<HandsetSim> sim_;
    std::unique_ptr<PtyServer> server_;
    std::thread thread_;
    std::unique_ptr<TComPort> port_;
    std::unique_ptr<AtChannel> channel_;
};

TEST_F(PtyOperationsTest, SendsATextMessage) {
    serve(load("sim-basic.json"));
    const SubmitResult result =
        SendOrStoreSMS(*channel_, {kNumber, QStringLiteral("abc")}, SubmitAction::Send);
    EXPECT_EQ(result.outcome.text, QStringLiteral("Done."));
    ASSERT_EQ(sim_->state().sent.size(), 1);
    EXPECT_EQ(result.reference, sim_->state().sent.first().reference);
    // no SMSC of its own, SUBMIT with a relative validity, +12025550199, "abc" in 7 bits
    EXPECT_TRUE(sim_->log().contains("PDU 0011000B912120550591F90000A70361F118"))
        << sim_->log().join(" / ").constData();
    EXPECT_FALSE(port_->isOpen());
}

TEST_F(PtyOperationsTest, ListsThirtyMessagesArrivingOneByteAtATime) {
    SimOptions options;
    options.chunkSize = 1;
    serve(load("sim-30-messages.json"), options);
    ProgressStep lastProgress;
    const MessageListing listing =
        ReadMessages(*channel_, [&](const ProgressStep& step) { lastProgress = step; });
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
    const SimState state = load("sim-phonebook-200.json");
    serve(state);
    const PhoneBookReadResult read = ReadPhoneBook(*channel_, PhoneBookKind::SM);
    ASSERT_TRUE(read.outcome.isDone()) << read.outcome.text.toStdString();
    ASSERT_EQ(read.store->count(), 200);
    EXPECT_EQ(read.slotCount, 250);

    const PhoneBookWriteResult written = WritePhoneBook(*channel_, PhoneBookKind::SM, *read.store);
    EXPECT_TRUE(written.outcome.isDone()) << written.outcome.text.toStdString();
    EXPECT_EQ(written.written, 200);
    // The entries were packed from slot 1 on, in the order read: where they were is where
    // they are again only because the handset held them without gaps.
    EXPECT_EQ(sim_->state().phonebooks.value("SM"), state.phonebooks.value("SM"));
    EXPECT_TRUE(sim_->log().contains("CMD at+cpbw=250"));  // the standard way to empty a slot
}

TEST_F(PtyOperationsTest, SendsAThreePartPicture) {
    serve(load("sim-basic.json"));
    QList<ProgressStep> progress;
    const SmartSendResult result = SendPictureMessage(
        *channel_, kNumber, QStringLiteral("Over the line"), PictureCoding::Standard,
        BuiltInPicture(), ConcatReference(42), SmscField::DefaultSmsc,
        [&](const ProgressStep& step) { progress.append(step); });
    EXPECT_TRUE(result.outcome.isDone()) << result.outcome.text.toStdString();
    EXPECT_EQ(result.partsSent, 3);
    EXPECT_EQ(result.nextReference.value(), 43);
    const QList<SimSentMessage> sent = sim_->state().sent;
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
    SimOptions options;
    options.hangupAfter = 1500;  // the listing is about 3700 bytes
    serve(load("sim-30-messages.json"), options, 5s);
    const Clock::time_point start = Clock::now();
    const MessageListing listing = ReadMessages(*channel_);
    EXPECT_EQ(listing.outcome.kind, Outcome::Kind::Failed) << listing.outcome.text.toStdString();
    EXPECT_FALSE(listing.messages.has_value());
    EXPECT_LT(Clock::now() - start, 2s);  // the line's end, not the 5 s time-out
    EXPECT_FALSE(port_->isOpen());
}

TEST_F(PtyOperationsTest, SilentHandsetTimesOutOnce) {
    SimOptions options;
    options.silent.insert("CPBS");
    serve(load("sim-basic.json"), options, 400ms);
    const Clock::time_point start = Clock::now();
    const PhoneBookReadResult read = ReadPhoneBook(*channel_, PhoneBookKind::SM);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(read.outcome.kind, Outcome::Kind::Failed);
    EXPECT_EQ(read.outcome.text, QStringLiteral("Read timeout. Possibly %1 is not a valid port "
                                                "for Dovrel.")
                                     .arg(server_->devicePath()));
    EXPECT_FALSE(read.store.has_value());
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(elapsed, 1s);
    EXPECT_FALSE(port_->isOpen());
}

}  // namespace
}  // namespace pelmar
