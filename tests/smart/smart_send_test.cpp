#include "smart/smart_send.h"

#include <gtest/gtest.h>

#include "support/sim_line.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Kind = Outcome::Kind;

simulator::HandsetState basicState() {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

const QString kNumber = QStringLiteral("+12345678901");

struct PictureCase {
    const char* label;
    void (*configure)(simulator::SimOptions&);
    int startReference;
    Kind kind;
    int partsSent;
    int nextReference;
    QList<ProgressStep> progress;
};

const QList<ProgressStep> kAllParts = {{QStringLiteral("Sending part 1 from 3"), 1, 3},
                                       {QStringLiteral("Sending part 2 from 3"), 2, 3},
                                       {QStringLiteral("Sending part 3 from 3"), 3, 3}};

class PictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureTest, ReferenceAdvancesOnlyWhenEveryPartWasAccepted) {
    const PictureCase& c = GetParam();
    simulator::SimOptions options;
    c.configure(options);
    test::SimLine line(basicState(), options);
    const SmartSendResult r = SendPictureMessage(
        line.channel, kNumber, QStringLiteral("Hi"), PictureCoding::Standard, BuiltInPicture(),
        ConcatReference(c.startReference), SmscField::DefaultSmsc, line.progress());
    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    EXPECT_EQ(r.partsSent, c.partsSent);
    EXPECT_EQ(r.partsTotal, 3);
    EXPECT_EQ(r.nextReference.value(), c.nextReference);
    EXPECT_EQ(line.steps, c.progress);
    // A cut-off line may hide the handset's acceptance of the last part, never invent one.
    EXPECT_GE(line.sim.state().sent.size(), c.partsSent);
    EXPECT_FALSE(line.channel.isOpen());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, PictureTest,
    testing::Values(
        PictureCase{"AllThreeParts", [](simulator::SimOptions&) {}, 7, Kind::Done, 3, 8, kAllParts},
        PictureCase{"ReferenceWrapsAfter254", [](simulator::SimOptions&) {}, 254, Kind::Done, 3, 1, kAllParts},
        PictureCase{"OneByteAtATime", [](simulator::SimOptions& o) { o.chunkSize = 1; }, 7, Kind::Done, 3, 8, kAllParts},
        PictureCase{"FirstPartRefusedStopsTheSend", [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGS=+CMS ERROR: 500");}, 7, Kind::HandsetError, 0, 7, {kAllParts.first()}},
        PictureCase{"PhoneFailure", [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGS=+CMS ERROR: 300");}, 7, Kind::PhoneRefused, 0, 7, {kAllParts.first()}},
        PictureCase{"CutOffInTheSecondPart", [](simulator::SimOptions& o) { o.hangupAfter = 500; }, 7, Kind::Failed, 1, 7, {kAllParts[0], kAllParts[1]}},
        PictureCase{"SilentAfterThePdu", [](simulator::SimOptions& o) { o.silent.insert("CMGS"); }, 7, Kind::Failed, 0, 7, {kAllParts.first()}}),
    test::ByLabel());
// clang-format on

TEST(PictureTest, PartsCarryOneReferenceInOrder) {
    test::SimLine line(basicState());
    SendPictureMessage(line.channel, kNumber, QStringLiteral("Hi"), PictureCoding::Standard,
                       BuiltInPicture(), ConcatReference(42));
    const QList<simulator::SentMessage> sent = line.sim.state().sent;
    ASSERT_EQ(sent.size(), 3);
    for (int n = 1; n <= 3; ++n) {
        // The concatenation element closes the user-data header: reference, total, number.
        const QByteArray element = "00032A03" + QByteArray::number(n).rightJustified(2, '0');
        EXPECT_TRUE(sent[n - 1].tpdu.contains(element)) << n;
    }
}

struct SingleCase {
    const char* label;
    SmartSendResult (*send)(AtChannel&, const Progress&);
    Kind kind;
    const char* progressOrRefusal;
    const char* portOctets;  // destination port in the sent user-data header; empty when refused
};

class SingleTest : public testing::TestWithParam<SingleCase> {};

TEST_P(SingleTest, OnePduOrRefusedBeforeThePort) {
    const SingleCase& c = GetParam();
    test::SimLine line(basicState());
    const SmartSendResult r = c.send(line.channel, line.progress());
    EXPECT_EQ(r.outcome.kind, c.kind) << r.outcome.text.toStdString();
    const QList<simulator::SentMessage> sent = line.sim.state().sent;
    if (c.kind == Kind::Done) {
        EXPECT_EQ(line.texts, QStringList{QLatin1StringView(c.progressOrRefusal)});
        ASSERT_EQ(sent.size(), 1);
        EXPECT_TRUE(sent.first().tpdu.contains(QByteArray("0504") + c.portOctets + "0000"));
    } else {
        EXPECT_EQ(r.outcome.text, QLatin1StringView(c.progressOrRefusal));
        EXPECT_TRUE(line.sim.log().isEmpty());
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Kinds, SingleTest,
    testing::Values(
        SingleCase{"Ringtone", [](AtChannel& ch, const Progress& p) {return SendRingtone(ch, kNumber, QStringLiteral("Test:d=4,o=5,b=100:c,8d."), SmscField::DefaultSmsc, p);}, Kind::Done, "Sending ringtone...", "1581"},
        SingleCase{"RingtoneTooBig", [](AtChannel& ch, const Progress& p) {return SendRingtone(ch, kNumber, QStringLiteral("x:") + QStringLiteral("c,").repeated(100), SmscField::DefaultSmsc, p);}, Kind::InputRefused, "The Ringtone is too big to send.", ""},
        SingleCase{"EmptyRingtone", [](AtChannel& ch, const Progress& p) {return SendRingtone(ch, kNumber, {}, SmscField::DefaultSmsc, p);}, Kind::InputRefused, "Please enter ringtone (in RTTL format).", ""},
        SingleCase{"Logo", [](AtChannel& ch, const Progress& p) {return SendOperatorLogo(ch, kNumber, ParseNetworkCode(QStringLiteral("202 01")), BuiltInLogo(), SmscField::DefaultSmsc, p);}, Kind::Done, "Sending logo...", "1582"},
        SingleCase{"LogoWithoutNumber", [](AtChannel& ch, const Progress& p) {return SendOperatorLogo(ch, {}, ParseNetworkCode(QStringLiteral("202 01")), BuiltInLogo(), SmscField::DefaultSmsc, p);}, Kind::InputRefused, "Please enter the recipient's phone number (with \"+\" if needed).", ""}),
    test::ByLabel());
// clang-format on

TEST(PictureTest, EmptyTextIsRefusedAndKeepsTheReference) {
    test::SimLine line(basicState());
    const SmartSendResult r = SendPictureMessage(line.channel, kNumber, {}, PictureCoding::Standard,
                                                 BuiltInPicture(), ConcatReference(9));
    EXPECT_EQ(r.outcome.kind, Kind::InputRefused);
    EXPECT_EQ(r.nextReference.value(), 9);
    EXPECT_TRUE(line.sim.log().isEmpty());
}

}  // namespace
}  // namespace pelmar
