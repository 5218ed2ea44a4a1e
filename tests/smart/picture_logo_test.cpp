#include <gtest/gtest.h>

#include <QPoint>

#include "smart/operator_logo.h"
#include "smart/picture_message.h"
#include "smart/smart_framing.h"
#include "support/table.h"

namespace pelmar {
namespace {

MonoBitmap filled(int width, int height, bool black) {
    MonoBitmap b(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            b.setPixel(x, y, black);
    }
    return b;
}

struct PackCase {
    const char* label;
    QList<QPoint> black;
    bool allBlack;
    QByteArray expected;  // 252 octets
};

class BitmapToBitsTest : public testing::TestWithParam<PackCase> {};

TEST_P(BitmapToBitsTest, PacksRowsFromTheTopLeftmostPixelHigh) {
    const PackCase& c = GetParam();
    MonoBitmap b = filled(72, 28, c.allBlack);
    for (const QPoint& p : c.black)
        b.setPixel(p.x(), p.y(), true);
    EXPECT_EQ(BitmapToBits(b, 28), c.expected);
}

QByteArray withOctet(int at, char value) {
    QByteArray out(252, '\0');
    out[at] = value;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, BitmapToBitsTest,
    testing::Values(PackCase{"AllWhite", {}, false, QByteArray(252, '\0')},
                    PackCase{"AllBlack", {}, true, QByteArray(252, '\xff')},
                    PackCase{"TopLeftOnly", {{0, 0}}, false, withOctet(0, '\x80')},
                    PackCase{"TopRightOnly", {{71, 0}}, false, withOctet(8, '\x01')},
                    PackCase{"SecondRowNinthPixel", {{8, 1}}, false, withOctet(10, '\x80')}),
    test::ByLabel());

struct TextCase {
    const char* label;
    const char* text;  // UTF-8
    PictureCoding coding;
    const char* hex;
};

class PictureTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(PictureTextTest, WritesVersionAndTextItem) {
    const TextCase& c = GetParam();
    EXPECT_EQ(BuildPictureText(QString::fromUtf8(c.text), c.coding), QByteArray(c.hex));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Codings, PictureTextTest,
    testing::Values(
        TextCase{"StandardHi", "Hi", PictureCoding::Standard, "300000024869"},
        TextCase{"Ucs2Hi", "Hi", PictureCoding::Ucs2, "3001000400480069"},
        /* Every BMP character goes out in UCS2, the numero sign included. */ TextCase{"Ucs2NumeroSign", "A№", PictureCoding::Ucs2, "3001000400412116"},
        TextCase{"Ucs2NonBmpAsSurrogatePair", "A😀", PictureCoding::Ucs2, "300100060041D83DDE00"}),
    test::ByLabel());
// clang-format on

TEST(PictureTextTest, RefusesWhatTheCodingCannotCarry) {
    EXPECT_NO_THROW(BuildPictureText(QString(121, QLatin1Char('x')), PictureCoding::Standard));
    EXPECT_THROW(BuildPictureText(QString(122, QLatin1Char('x')), PictureCoding::Standard),
                 ESmartMessage);
    EXPECT_THROW(BuildPictureText(QString(61, QLatin1Char('x')), PictureCoding::Ucs2),
                 ESmartMessage);
    EXPECT_THROW(BuildPictureText(QStringLiteral("café"), PictureCoding::Standard), ESmartMessage);
}

struct FieldCase {
    const char* label;
    QString typed;
    PictureCoding coding;
    QString kept;
    int left;
};

class PictureTextFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(PictureTextFieldTest, KeepsWhatTheTextItemCarriesAndCountsWhatIsLeft) {
    const FieldCase& c = GetParam();
    const QString kept = fitPictureText(c.typed, c.coding);
    EXPECT_EQ(kept, c.kept);
    EXPECT_EQ(pictureSymbolsLeft(kept, c.coding), c.left);
    if (!kept.isEmpty()) {
        EXPECT_NO_THROW(BuildPictureText(kept, c.coding));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Codings, PictureTextFieldTest,
    testing::Values(
        FieldCase{"HighCharsLeaveStandard", QStringLiteral("café £5"), PictureCoding::Standard, QStringLiteral("caf 5"), 116},
        FieldCase{"Ucs2KeepsCyrillic", QStringLiteral("Привет"), PictureCoding::Ucs2, QStringLiteral("Привет"), 54},
        FieldCase{"StandardCutAt121", QString(130, QLatin1Char('x')), PictureCoding::Standard, QString(121, QLatin1Char('x')), 0},
        FieldCase{"Ucs2CutAt60", QString(100, QLatin1Char('x')), PictureCoding::Ucs2, QString(60, QLatin1Char('x')), 0}),
    test::ByLabel());
// clang-format on

TEST(PictureMessageTest, HiMakesThreePartsOf128128And9) {
    const MonoBitmap white(72, 28);
    const QByteArray body = BuildPictureBody(QStringLiteral("Hi"), PictureCoding::Standard, white);
    EXPECT_TRUE(body.startsWith("30000002486902010000481C01"));
    EXPECT_EQ(body.size(), 2 * 265);
    const QList<QByteArray> parts = CutPictureBody(body);
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0].size(), 256);
    EXPECT_EQ(parts[2].size(), 18);
}

TEST(PictureMessageTest, LongestStandardTextFillsThreeFullParts) {
    const auto pdus =
        BuildPicturePdus(QStringLiteral("+12345678901"), QString(121, QLatin1Char('x')),
                         PictureCoding::Standard, MonoBitmap(72, 28), 1);
    ASSERT_EQ(pdus.size(), 3);
    for (const WrittenPdu& pdu : pdus)
        EXPECT_EQ(pdu.length, 154);
}

TEST(PictureMessageTest, WrongSizedPictureIsRefused) {
    EXPECT_THROW(BuildPictureImage(MonoBitmap(72, 27)), EBitmap);
    EXPECT_THROW(BuildLogoBitmap(MonoBitmap(72, 28)), EBitmap);
}

struct LogoCase {
    const char* label;
    const char* network;
    const char* contentStart;
};

class LogoContentTest : public testing::TestWithParam<LogoCase> {};

TEST_P(LogoContentTest, StartsWithTheNetworkAndImageHeader) {
    const LogoCase& c = GetParam();
    const QByteArray content =
        BuildLogoContent(ParseNetworkCode(QString::fromLatin1(c.network)), MonoBitmap(72, 14));
    EXPECT_EQ(content.size(), 2 * 133);
    EXPECT_TRUE(content.startsWith(c.contentStart)) << content.constData();
    EXPECT_TRUE(content.endsWith(QByteArray(2 * 126, '0')));
}

INSTANTIATE_TEST_SUITE_P(Networks, LogoContentTest,
                         testing::Values(LogoCase{"Greece", "202 01", "02F21000480E01"},
                                         LogoCase{"HongKong", "454 00", "54F40000480E01"},
                                         LogoCase{"ExtraBlanks", " 202\t 01 ", "02F210"}),
                         test::ByLabel());

TEST(LogoContentTest, RefusesNetworkTextsTheLogoCannotCarry) {
    for (const char* bad : {"20201", "202 1", "2021 01", "abc de", "202 010", "", "202 01 3"}) {
        EXPECT_THROW(ParseNetworkCode(QString::fromLatin1(bad)), ESmartMessage) << bad;
    }
}

TEST(LogoPdusTest, OnePduWhoseUserDataIs140) {
    const auto pdus = BuildLogoPdus(QStringLiteral("1234567890"), {"202", "01"}, BuiltInLogo());
    ASSERT_EQ(pdus.size(), 1);
    EXPECT_EQ(pdus[0].length, 153);
    EXPECT_EQ(pdus[0].hex.mid(2 + 2 * 12, 2), "8C");
}

}  // namespace
}  // namespace pelmar
