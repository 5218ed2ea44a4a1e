#include "smart/smart_framing.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

QByteArray content(int octets) {
    return QByteArray(octets * 2, 'A');
}

struct HeaderCase {
    const char* label;
    const char* number;
    int contentOctets;
    SmartKind kind;
    ConcatPart part;
    const char* header;
    int announced;  // octets after "at+cmgs="
};

class SmartHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(SmartHeaderTest, WritesTheHeaderAndAnnouncesTheWholePdu) {
    const HeaderCase& c = GetParam();
    const QByteArray header =
        BuildSmartHeader(QString::fromLatin1(c.number), c.contentOctets, c.kind, c.part);
    EXPECT_EQ(header, QByteArray(c.header));
    const QList<WrittenPdu> pdus = BuildSmartPdus(QString::fromLatin1(c.number), c.kind,
                                                  content(c.contentOctets), c.part.reference);
    ASSERT_FALSE(pdus.isEmpty());
    EXPECT_EQ(pdus.first().length, c.announced);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Kinds, SmartHeaderTest,
    testing::Values(
        HeaderCase{"RingtoneInternational", "+12345678901", 50, SmartKind::Ringtone, {}, "51000B912143658709F100F5A73906050415810000", 71},
        HeaderCase{"RingtoneWithoutPlus", "12345678901", 50, SmartKind::Ringtone, {}, "51000B812143658709F100F5A73906050415810000", 71},
        HeaderCase{"PictureSecondOfThree", "+12345678901", 128, SmartKind::Picture, {7, 3, 2}, "51000B912143658709F100F5A78C0B0504158A00000003070302", 154},
        HeaderCase{"PictureToSixDigits", "123456", 128, SmartKind::Picture, {7, 3, 2}, "5100068121436500F5A78C0B0504158A00000003070302", 151},
        HeaderCase{"LogoToTenDigits", "1234567890", 133, SmartKind::Logo, {}, "51000A81214365870900F5A78C06050415820000", 153}),
    test::ByLabel());
// clang-format on

TEST(SmartPdusTest, SmscFieldSwitchChangesTheTextNotTheLength) {
    const auto withSmsc = BuildSmartPdus(QStringLiteral("+123"), SmartKind::Ringtone, "0102");
    const auto bare = BuildSmartPdus(QStringLiteral("+123"), SmartKind::Ringtone, "0102",
                                     ConcatReference::kFirst, SmscField::None);
    ASSERT_EQ(withSmsc.size(), 1);
    EXPECT_EQ(withSmsc.first().hex, "00" + bare.first().hex);
    EXPECT_EQ(withSmsc.first().length, bare.first().length);
    EXPECT_EQ(bare.first().length, bare.first().hex.size() / 2);
}

TEST(SmartPdusTest, PictureBodyIsCutInto128OctetParts) {
    const auto pdus =
        BuildSmartPdus(QStringLiteral("+12345678901"), SmartKind::Picture, content(265), 9);
    ASSERT_EQ(pdus.size(), 3);
    // TP-UDL sits after the SMSC field, the 17 header octets before it; then UDHL and elements.
    const QList<QByteArray> udl{"8C", "8C", "15"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pdus[i].hex.mid(2 + 2 * 13, 2), udl[i]) << i;
        EXPECT_EQ(pdus[i].hex.mid(2 + 2 * 21, 10), QByteArray("000309030") + char('1' + i)) << i;
    }
}

struct RefusalCase {
    const char* label;
    const char* number;
    SmartKind kind;
    int octets;
    InputField field;
    const char* message;
};

class SmartRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(SmartRefusalTest, NamesTheFieldAndWhatToFix) {
    const RefusalCase& c = GetParam();
    try {
        BuildSmartPdus(QString::fromLatin1(c.number), c.kind, content(c.octets));
        FAIL() << "accepted";
    } catch (const EInput& e) {
        EXPECT_EQ(e.problem(), (InputProblem{c.field, QString::fromUtf8(c.message)}));
    }
}

constexpr auto kNumberField = InputField::RecipientNumber;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Input, SmartRefusalTest,
    testing::Values(
        RefusalCase{"EmptyNumber", "", SmartKind::Ringtone, 10, kNumberField, "Please enter the recipient's phone number (with \"+\" if needed)."},
        RefusalCase{"OnlyPlus", "+", SmartKind::Ringtone, 10, kNumberField, "The number \"+\" has no digits"},
        RefusalCase{"LetterInNumber", "+12a4", SmartKind::Ringtone, 10, kNumberField, "The number may hold only digits and \"+\": \"a\" (U+0061) at position 4"},
        RefusalCase{"TwentyOneDigits", "123456789012345678901", SmartKind::Ringtone, 10, kNumberField, "The number has 21 digits; an SMS address holds at most 20"},
        RefusalCase{"Ringtone134Octets", "+1", SmartKind::Ringtone, 134, InputField::RingtoneText, "The Ringtone is too big to send."},
        RefusalCase{"ShortLogo", "+1", SmartKind::Logo, 132, InputField::LogoImage, "An operator logo must be 133 octets long."},
        RefusalCase{"EmptyContent", "+1", SmartKind::Picture, 0, InputField::PictureText, "The smart message is empty."}),
    test::ByLabel());
// clang-format on

TEST(ConcatReferenceTest, StartsAtOneAndCyclesFrom254ToOne) {
    ConcatReference ref;
    EXPECT_EQ(ref.value(), 1);
    ref.advance();
    EXPECT_EQ(ref.value(), 2);
    ConcatReference last(254);
    last.advance();
    EXPECT_EQ(last.value(), 1);
    EXPECT_THROW(ConcatReference(0), EConcatReference);
    EXPECT_THROW(ConcatReference(255), EConcatReference);
}

}  // namespace
}  // namespace pelmar
