#include "sms/listing_decoder.h"

#include <gtest/gtest.h>

#include <QFile>

#include "sms/submit_pdu.h"
#include "support/table.h"

namespace pelmar {
namespace {

constexpr char kSmsc[] = "07919730071111F1";
constexpr char kAbc[] = "040B912143658709F10000622160819403000361F118";

// One listing entry as a handset writes it; the length counts the PDU without `smsc`.
QByteArray entry(const QByteArray& pdu, const QByteArray& smsc = {}, int status = 0,
                 const QByteArray& head = "+CMGL: 1,") {
    return "\r\n" + head + QByteArray::number(status) + ",," + QByteArray::number(pdu.size() / 2) +
           "\r\n" + smsc + pdu + "\r\n";
}

struct ListedCase {
    const char* label;
    QByteArray listing;
    int status;
    const char* date;
    const char16_t* number;
    const char16_t* text;
};

class DecodeListedMessageTest : public testing::TestWithParam<ListedCase> {};

TEST_P(DecodeListedMessageTest, FillsTheRecord) {
    const ListedCase& c = GetParam();
    const DecodedMessage m = DecodeListedMessage(c.listing);
    EXPECT_EQ(m.Status, messageStatusOf(c.status));
    EXPECT_EQ(m.Date, QString::fromLatin1(c.date));
    EXPECT_EQ(m.Number, QString::fromUtf16(c.number));
    EXPECT_EQ(m.Text, QString::fromUtf16(c.text));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Examples, DecodeListedMessageTest,
    testing::Values(
        ListedCase{"Deliver7Bit", entry(kAbc), 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"DeliverUcs2", entry("040B912143658709F1000862216081940300" "04041F0440"), 0, "06.12.26 18:49", u"+12345678901", u"Пр"},
        ListedCase{"StoredSubmit", entry("11000A9121436587090000A70361F118", {}, 3), 3, "", u"+1234567890", u"abc"},
        ListedCase{"StatusReportDelivered", entry("062A0B912143658709F16221608194030062216081950300" "00"), 0, "06.12.26 18:49", u"+12345678901", u"Доставлено 06.12.26 18:59"},
        ListedCase{"NationalOddDigitsNoPlus", entry("040B812143658709F10000622160819403000361F118"), 0, "06.12.26 18:49", u"12345678901", u"abc"},
        ListedCase{"FinalAtBeforeFfFiller", entry("040B912143658709F10000622160819403000831D98C56B3DD00FF"), 0, "06.12.26 18:49", u"+12345678901", u"1234567@"}),
    test::ByLabel());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    RealHandsets, DecodeListedMessageTest,
    testing::Values(
        ListedCase{"SmscFieldSkipped", entry(kAbc, kSmsc), 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"EmptySmscField", entry(kAbc, "00"), 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"QuotedAlphaField", "+CMGL: 7,0,\"\",22\r\n" + QByteArray(kAbc) + "\r\n", 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"ThreeDigitIndex", entry(kAbc, {}, 1, "+CMGL: 112,"), 1, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"FfInsideUserDataIsText", entry("040B912143658709F100006221608194030003FF7008"), 0, "06.12.26 18:49", u"+12345678901", u"àa!"},
        ListedCase{"SubmitWithoutValidityPeriod", entry("01000A91214365870900000361F118"), 0, "", u"+1234567890", u"abc"},
        ListedCase{"SubmitEnhancedValidityPeriod", entry("09000A9121436587090000420000000000000361F118"), 0, "", u"+1234567890", u"abc"},
        ListedCase{"SubmitAbsoluteValidityPeriod", entry("19000A9121436587090000725041810000000361F118"), 0, "", u"+1234567890", u"abc"},
        ListedCase{"UdhiSevenBitWithFillBits", entry("440B912143658709F1000062216081940300090500030A03019069"), 0, "06.12.26 18:49", u"+12345678901", u"Hi"},
        ListedCase{"UdhiUcs2", entry("440B912143658709F10008622160819403000A0500030A0302041F0440"), 0, "06.12.26 18:49", u"+12345678901", u"Пр"},
        ListedCase{"FlashClass0", entry("040B912143658709F10010622160819403000361F118"), 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"EightBitDescribed", entry("040B912143658709F100F56221608194030003010203"), 0, "06.12.26 18:49", u"+12345678901", u"[binary message, 3 bytes]"},
        ListedCase{"AlphanumericSender", entry("040ED0D637396C7EBBCB0000622160819403000361F118"), 0, "06.12.26 18:49", u"Vodafone", u"abc"},
        ListedCase{"StatusReportFailed", entry("062A0B912143658709F1622160819403006221608195030041"), 0, "06.12.26 18:49", u"+12345678901", u"Не доставлено 06.12.26 18:59"},
        ListedCase{"NumberCutToThirty", entry("0428" "91" + QByteArray(40, '1') + "0000622160819403000361F118"), 0, "06.12.26 18:49", u"+11111111111111111111111111111", u"abc"},
        ListedCase{"ServiceCodeSender", entry("040981BADCBE5AF10000622160819403000361F118"), 0, "06.12.26 18:49", u"*#abc#*51", u"abc"},
        ListedCase{"EmptySubmitWithUdhi", entry("51000A9121436587090000A700", "00", 2), 2, "", u"+1234567890", u""},
        ListedCase{"UnknownCodeBeforePdu", "+CMGL: 1,0,,22\r\n+CIEV: 2,3\r\n00\r\n" + QByteArray(kAbc) + "\r\n", 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"CrCrLfLineEnds", "+CMGL: 1,0,,22\r\r\n" + QByteArray(kAbc) + "\r\r\n", 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"StrayQuoteAfterPdu", "+CMGL: 1,0,,22\r\n" + QByteArray(kSmsc) + kAbc + "\"\r\n", 0, "06.12.26 18:49", u"+12345678901", u"abc"},
        ListedCase{"BareLfLineEnds", "+CMGL: 1,0,,22\n" + QByteArray(kAbc) + "\n", 0, "06.12.26 18:49", u"+12345678901", u"abc"}),
    test::ByLabel());
// clang-format on

struct StampCase {
    const char* label;
    QByteArray pdu;
    const char* iso;  // the time stamp with its offset; empty for none
};

class TimestampTest : public testing::TestWithParam<StampCase> {};

// The zone of the service-centre time stamp is kept, in quarters of an hour either way of UTC.
TEST_P(TimestampTest, KeepsTheOffset) {
    const DecodedMessage m = DecodeListedMessage(entry(GetParam().pdu));
    EXPECT_EQ(m.Timestamp.isValid() ? m.Timestamp.toString(Qt::ISODate) : QString(),
              QLatin1StringView(GetParam().iso));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Zones, TimestampTest,
    testing::Values(
        StampCase{"Utc", kAbc, "2026-12-06T18:49:30Z"},
        StampCase{"EastOfUtc", "040B912143658709F10000622160819403" "21" "0361F118", "2026-12-06T18:49:30+03:00"},
        StampCase{"WestOfUtc", "040B912143658709F10000622160819403" "0A" "0361F118", "2026-12-06T18:49:30-05:00"},
        StampCase{"QuarterHours", "040B912143658709F10000622160819403" "32" "0361F118", "2026-12-06T18:49:30+05:45"},
        StampCase{"NoSuchMonth", "040B912143658709F10000623160819403000361F118", ""},
        StampCase{"SubmitHasNone", "11000A9121436587090000A70361F118", ""}),
    test::ByLabel());
// clang-format on

TEST(DecodeListedMessageTest, TextWithoutListingLineGivesEmptyRecord) {
    const DecodedMessage m = DecodeListedMessage("\r\nOK\r\n");
    EXPECT_EQ(m.Index, 0u);
    EXPECT_EQ(m.Status, MessageStatus::None);
    EXPECT_EQ(m.Number, QStringLiteral("Unknown"));
    EXPECT_TRUE(m.Date.isEmpty() && m.Text.isEmpty());
}

TEST(DecodeListedMessageTest, BrokenPduIsAnError) {
    EXPECT_THROW(DecodeListedMessage("+CMGL: 1,0,,22\r\n040B912143658709F100\r\n"), EPduFormat);
    // The next entry's PDU is not taken for a missing one.
    EXPECT_THROW(DecodeListedMessage("+CMGL: 1,0,,22\r\n" + entry(kAbc, {}, 0, "+CMGL: 2,")),
                 EPduFormat);
    EXPECT_THROW(DecodeListedMessage("+CMGL: 1,0,,4\r\n040B9121\r\n"), EPduFormat);
    EXPECT_THROW(DecodeListedMessage("+CMGL: 1,0,,22\r\n" + QByteArray(kAbc) + "F\r\n"),
                 EPduFormat);
    // A header longer than the user data that holds it.
    EXPECT_THROW(DecodeListedMessage(entry("440B912143658709F10000622160819403000209FF")),
                 EPduFormat);
}

TEST(DecodeListingTest, ListsBrokenEntriesAsUnreadable) {
    const QByteArray reply = "at+cmgl=4\r" + entry(kAbc, kSmsc, 1, "+CMGL: 1,") +
                             "+CMGL: 2,1,,22\r\n040B9121\r\n" + entry(kAbc, {}, 0, "+CMGL: 300,") +
                             "\r\nOK\r\n";
    EXPECT_EQ(DecodeListedMessage(reply).Index, 1u);  // one entry: the first
    const DecodedListing listing = DecodeListing(reply);
    ASSERT_EQ(listing.messages.size(), 3);
    EXPECT_EQ(listing.unreadable, 1);
    EXPECT_EQ(listing.messages[0].Index, 1u);
    const DecodedMessage& broken = listing.messages[1];
    EXPECT_EQ(broken.Index, 2u);
    EXPECT_EQ(broken.Status, MessageStatus::ReceivedRead);
    EXPECT_EQ(broken.Number, QStringLiteral("Unknown"));
    EXPECT_EQ(broken.Text, DecodedMessage::UnreadableText);
    EXPECT_EQ(listing.messages[2].Index, 300u);
}

TEST(SeptetAndUcs2Test, DecodeUserDataHexText) {
    EXPECT_EQ(UnpackSeptets("0361F118"), QStringLiteral("abc"));
    EXPECT_EQ(UnpackSeptets("0AE8329BFD4697D9EC37FF"), QStringLiteral("hellohello"));
    EXPECT_EQ(UnpackSeptets("0A61F118"), QStringLiteral("abc"));  // shorter than TP-UDL
    EXPECT_EQ(DecodeUcs2("04041F0440"), QStringLiteral("Пр"));
    EXPECT_EQ(DecodeUcs2("0A041F"), QStringLiteral("П"));
}

struct FileCase {
    const char* label;
    const char* file;
    int unreadable;
    std::vector<const char16_t*> texts;
    std::vector<const char16_t*> numbers = {};  // not compared when empty
};

class ListingFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(ListingFileTest, DecodesEveryMessage) {
    QFile file(QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(GetParam().file));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const DecodedListing listing = DecodeListing(file.readAll());
    EXPECT_EQ(listing.unreadable, GetParam().unreadable);
    ASSERT_EQ(listing.messages.size(), static_cast<qsizetype>(GetParam().texts.size()));
    for (qsizetype i = 0; i < listing.messages.size(); ++i) {
        EXPECT_EQ(listing.messages[i].Text, QString::fromUtf16(GetParam().texts[i])) << i;
        if (!GetParam().numbers.empty()) {
            EXPECT_EQ(listing.messages[i].Number, QString::fromUtf16(GetParam().numbers[i])) << i;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Samples, ListingFileTest,
    testing::Values(
        FileCase{"SmscField", "listing-smsc-field.txt", 0, {u"abc", u"Пр"}},
        FileCase{"QuotedAlpha", "listing-quoted-alpha.txt", 0, {u"hello"}},
        FileCase{"Alphanumeric", "listing-alphanumeric-sender.txt", 0, {u"Your balance is 4.20 €. Top up: [*100#]", u"Welcome abroad!"}},
        FileCase{"Concatenated", "listing-concatenated-part.txt", 0, {u"This text is longer than one message can hold, so the sender split it in " u"two parts; ", u"this is the second part.", u"Часть первая"}},
        FileCase{"Flash", "listing-flash-class0.txt", 0, {u"Call me now!", u"Срочно!", u"Alert"}},
        FileCase{"StatusReports", "listing-status-report.txt", 0, {u"Доставлено 06.12.26 18:59", u"Не доставлено 02.04.27 09:00"}},
        FileCase{"EightBit", "listing-8bit.txt", 0, {u"[binary message, 10 bytes]", u"[binary message, 4 bytes]"}},
        FileCase{"TruncatedEntry", "broken-listing-truncated-entry.txt", 1, {u"first", u"[unreadable message]", u"third"}, {u"+12345678901", u"Unknown", u"+12345678901"}},
        FileCase{"StrayLines", "listing-stray-line.txt", 0, {u"first", u"second", u"third"}},
        FileCase{"CrCrLf", "listing-crcrlf.txt", 0, {u"first", u"second"}},
        FileCase{"EmptyUdhMessages", "listing-empty-udh-message.txt", 0, {u"", u"", u"abc"}, {u"+1234567890", u"+1234567890", u"+1234567890"}},
        FileCase{"StatusReportHash", "listing-status-report-hash.txt", 0, {u"Доставлено 14.05.27 19:03", u"Не доставлено 14.05.27 19:15", u"Balance 4.20"}, {u"+#0842123456", u"#31#01511234567", u"*#abc#*51"}},
        FileCase{"Mixed", "listing-mixed.txt", 0, {u"Meet @ 7? Bring the $5 & {snacks}, see you_there", u"Привет! Как дела? Ґанок, їжак, № 5 «ок»", u"Code 4821. Do not share it.", u"Доставлено 15.05.27 09:31", u"Running late, 10 min", u"Спасибо!"}}),
    test::ByLabel());
// clang-format on

struct RoundTripCase {
    const char* label;
    const char16_t* number;
    const char16_t* text;
    SmsMode mode;
};

class EncoderDecoderRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(EncoderDecoderRoundTripTest, StoredMessageReadsBack) {
    const RoundTripCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    const WrittenPdu written =
        PduForWriting(BuildSubmitPdu(QString::fromUtf16(c.number), text, c.mode));
    const DecodedMessage m = DecodeListedMessage(
        "+CMGL: 4,2,," + QByteArray::number(written.length) + "\r\n" + written.hex + "\r\n");
    EXPECT_EQ(m.Number, QString::fromUtf16(c.number));
    EXPECT_EQ(m.Text, c.mode == SmsMode::Flash ? QChar(1) + text : text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modes, EncoderDecoderRoundTripTest,
    testing::Values(
        RoundTripCase{"GsmSpecials", u"+4915112345678", u"@£$¥ _ΔΩ à", SmsMode::Standard},
        RoundTripCase{"Extension", u"0301234567", u"[]{}\\^~|€", SmsMode::Standard},
        RoundTripCase{"Ucs2", u"+380501234567", u"Ґанок «№ 5» €", SmsMode::Ucs2},
        RoundTripCase{"Flash", u"112", u"Срочно", SmsMode::Flash}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
