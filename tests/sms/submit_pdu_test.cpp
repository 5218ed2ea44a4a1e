#include "sms/submit_pdu.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/table.h"

namespace pelmar {
namespace {

struct PackCase {
    const char* label;
    const char16_t* text;
    const char* userData;
};

class PackSeptetsTest : public testing::TestWithParam<PackCase> {};

TEST_P(PackSeptetsTest, PacksLeastSignificantBitFirst) {
    EXPECT_EQ(PackSeptets(QString::fromUtf16(GetParam().text)), QByteArray(GetParam().userData));
}

INSTANTIATE_TEST_SUITE_P(
    Septets, PackSeptetsTest,
    testing::Values(PackCase{"Abc", u"abc", "61F118"}, PackCase{"Hi", u"hi", "E834"},
                    PackCase{"HelloHello", u"hellohello", "E8329BFD4697D9EC37"},
                    PackCase{"SevenCharsEndInTopBitOnly", u"1234567", "31D98C56B3DD00"},
                    PackCase{"EightCharsFillSevenOctets", u"12345678", "31D98C56B3DD70"},
                    PackCase{"Empty", u"", ""}, PackCase{"AtIsSeptetZero", u"@", "00"},
                    PackCase{"DollarUnderscoreFromGsmTable", u"$_", "8208"},
                    PackCase{"EuroIsEscapePlusCode", u"€", "9B32"}),
    test::ByLabel());

struct Ucs2Case {
    const char* label;
    const char16_t* text;
    bool flash;
    const char* userData;
};

class EncodeUcs2Test : public testing::TestWithParam<Ucs2Case> {};

TEST_P(EncodeUcs2Test, WritesEveryUtf16Unit) {
    EXPECT_EQ(EncodeUcs2(QString::fromUtf16(GetParam().text), GetParam().flash),
              QByteArray(GetParam().userData));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ucs2, EncodeUcs2Test,
    testing::Values(
        Ucs2Case{"Cyrillic", u"Пр", false, "041F0440"},
        Ucs2Case{"FlashMarkerFirst", u"Пр", true, "0001041F0440"},
        Ucs2Case{"UkrainianGheIsU0490", u"Ґґ", false, "04900491"},
        Ucs2Case{"UkrainianIAndYiKept", u"Іїі", false, "040604570456"},
        Ucs2Case{"QuotesNumeroEuroKept", u"«№€»", false, "00AB211620AC00BB"},
        Ucs2Case{"OutsideBmpAsSurrogatePair", u"a\U0001F600b", false, "0061D83DDE000062"}),
    test::ByLabel());
// clang-format on

struct PduCase {
    const char* label;
    const char16_t* number;
    QString text;
    SmsMode mode;
    const char* pdu;
};

class BuildSubmitPduTest : public testing::TestWithParam<PduCase> {};

TEST_P(BuildSubmitPduTest, BuildsHeaderAndUserData) {
    const PduCase& c = GetParam();
    const QByteArray pdu = BuildSubmitPdu(QString::fromUtf16(c.number), c.text, c.mode);
    EXPECT_EQ(pdu, QByteArray(c.pdu));
    EXPECT_EQ(SubmitPduLength(pdu), pdu.size() / 2);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Pdus, BuildSubmitPduTest,
    testing::Values(
        PduCase{"StandardInternational", u"+1234567890", QStringLiteral("abc"), SmsMode::Standard, "11000A9121436587090000A70361F118"},
        PduCase{"Ucs2National", u"1234567890", QStringLiteral("Пр"), SmsMode::Ucs2, "11000A8121436587090008A704041F0440"},
        PduCase{"FlashIsUcs2Class0", u"+1234567890", QStringLiteral("Пр"), SmsMode::Flash, "11000A9121436587090018A7060001041F0440"},
        PduCase{"OddDigitCountGetsFFill", u"12345", QStringLiteral("hi"), SmsMode::Standard, "110005812143F50000A702E834"},
        PduCase{"PlusAnywhereMeansInternational", u"12+34", QStringLiteral("hi"), SmsMode::Standard, "1100049121430000A702E834"},
        PduCase{"PlusOnlyGivesEmptyAddress", u"+", QStringLiteral("hi"), SmsMode::Standard, "110000910000A702E834"},
        PduCase{"ExtensionCharsCountTwoSeptets", u"1", QStringLiteral("[a]"), SmsMode::Standard, "11000181F10000A7051B5E78E303"}),
    test::ByLabel());
// clang-format on

struct LimitCase {
    const char* label;
    QString text;
    SmsMode mode;
    const char* udl;
    int userDataOctets;
};

class SubmitLimitTest : public testing::TestWithParam<LimitCase> {};

TEST_P(SubmitLimitTest, FullMessageFitsExactly) {
    const LimitCase& c = GetParam();
    const QByteArray pdu = BuildSubmitPdu(QStringLiteral("+1234567890"), c.text, c.mode);
    EXPECT_EQ(pdu.mid(24, 2), QByteArray(c.udl));
    EXPECT_EQ(pdu.size() / 2 - 13, c.userDataOctets);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SubmitLimitTest,
    testing::Values(
        LimitCase{"Standard160", QString(160, QLatin1Char('x')), SmsMode::Standard, "A0", 140},
        LimitCase{"Euro80IsStandard160", QString(80, QChar(0x20AC)), SmsMode::Standard, "A0", 140},
        LimitCase{"Ucs2Seventy", QString(70, QChar(0x0416)), SmsMode::Ucs2, "8C", 140},
        LimitCase{"FlashSixtyNine", QString(69, QChar(0x0416)), SmsMode::Flash, "8C", 140}),
    test::ByLabel());

TEST(BuildSubmitHeaderTest, RefusesWhatOneMessageCannotHold) {
    EXPECT_THROW(
        BuildSubmitPdu(QStringLiteral("1"), QString(161, QLatin1Char('x')), SmsMode::Standard),
        Error);
    EXPECT_THROW(BuildSubmitPdu(QStringLiteral("1"), QString(81, QChar(0x20AC)), SmsMode::Standard),
                 Error);
    EXPECT_THROW(BuildSubmitPdu(QStringLiteral("1"), QString(70, QLatin1Char('x')), SmsMode::Flash),
                 Error);
    EXPECT_THROW(BuildSubmitPdu(QString(21, QLatin1Char('1')), QStringLiteral("a"), SmsMode::Ucs2),
                 Error);
}

TEST(PduForWritingTest, SmscFieldIsNotCounted) {
    const QByteArray tpdu = "11000A9121436587090000A70361F118";
    const WrittenPdu withSmsc = PduForWriting(tpdu);
    EXPECT_EQ(withSmsc.length, 16);
    EXPECT_EQ(withSmsc.hex, "00" + tpdu);
    const WrittenPdu bare = PduForWriting(tpdu, SmscField::None);
    EXPECT_EQ(bare.length, 16);
    EXPECT_EQ(bare.hex, tpdu);
}

}  // namespace
}  // namespace pelmar
