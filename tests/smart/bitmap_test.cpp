#include "smart/bitmap.h"

#include <gtest/gtest.h>

#include <QFile>

#include "smart/operator_logo.h"
#include "smart/picture_message.h"
#include "support/table.h"

namespace pelmar {
namespace {

QString sample(const char* name) {
    return QStringLiteral(PELMAR_TEST_DATA "/") + QString::fromLatin1(name);
}

// The pattern that tests/tools/make_test_bitmaps.py draws into the picture samples.
bool picturePixel(int x, int y) {
    return x == y || (y == 0 && x == 71) || (y == 27 && x == 0) || (x == 40 && y % 2 == 0);
}

struct GoodCase {
    const char* label;
    const char* file;
};

class PictureSampleTest : public testing::TestWithParam<GoodCase> {};

TEST_P(PictureSampleTest, LoadsEveryPixelInItsPlace) {
    const LoadedBitmap loaded = LoadBmpFile(sample(GetParam().file));
    EXPECT_TRUE(loaded.isOneBit());
    ASSERT_EQ(loaded.width, 72);
    ASSERT_EQ(loaded.height, 28);
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 72; ++x) {
            ASSERT_EQ(loaded.pixels.pixel(x, y), picturePixel(x, y)) << x << "," << y;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Layouts, PictureSampleTest,
                         testing::Values(
                             GoodCase{"BottomUpBlackIsIndex1", "picture-72x28.bmp"},
                             GoodCase{"TopDownBlackIsIndex0", "picture-72x28-topdown.bmp"},
                             GoodCase{"CoreHeader", "picture-72x28-core.bmp"}),
                         test::ByLabel());
// clang-format on

struct BadCase {
    const char* label;
    const char* file;
    EBitmap::Reason reason;
    const char* messageStart;
};

class BrokenPictureTest : public testing::TestWithParam<BadCase> {};

TEST_P(BrokenPictureTest, IsRefusedWithItsReason) {
    const BadCase& c = GetParam();
    try {
        LoadPictureBitmap(sample(c.file));
        FAIL() << "accepted";
    } catch (const EBitmap& e) {
        EXPECT_EQ(e.reason, c.reason);
        EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(c.messageStart)))
            << e.message().toStdString();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Files, BrokenPictureTest,
    testing::Values(
        BadCase{"TwentyFourBit", "broken-24bit-72x28.bmp", EBitmap::Reason::WrongFormat, "The image format should be 1bit per pixel (2 colors), 72 x 28 pixels."},
        BadCase{"FourBit", "broken-4bit-72x28.bmp", EBitmap::Reason::WrongFormat, "The image format should be"},
        BadCase{"OneRowShort", "broken-wrong-size-72x27.bmp", EBitmap::Reason::WrongFormat, "The image format should be"},
        BadCase{"Truncated", "broken-truncated-72x28.bmp", EBitmap::Reason::NotABitmap, "\""},
        BadCase{"TextFile", "broken-not-a-bitmap.bmp", EBitmap::Reason::NotABitmap, "\""},
        BadCase{"Missing", "no-such-file.bmp", EBitmap::Reason::NotABitmap, "Can not read"}),
    test::ByLabel());
// clang-format on

TEST(BmpLoaderTest, DepthAndSizeOfOtherFormatsAreReported) {
    const LoadedBitmap loaded = LoadBmpFile(sample("broken-24bit-72x28.bmp"));
    EXPECT_FALSE(loaded.isOneBit());
    EXPECT_EQ(loaded.bitsPerPixel, 24);
    EXPECT_EQ(loaded.width, 72);
    EXPECT_EQ(loaded.height, 28);
}

TEST(BmpLoaderTest, EveryCutOfAGoodFileIsRefusedCleanly) {
    QFile f(sample("picture-72x28.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        EXPECT_THROW(ReadBmp(QByteArrayView(bytes).first(n)), EBitmap) << n;
    }
    EXPECT_NO_THROW(ReadBmp(bytes));
}

TEST(BmpLoaderTest, AbsurdSizesAreRefusedBeforeAnyAllocation) {
    QFile f(sample("picture-72x28.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    bytes.replace(18, 8, QByteArray("\xff\xff\xff\x7f\x00\x00\x00\x80", 8));  // huge, INT_MIN
    EXPECT_THROW(ReadBmp(bytes), EBitmap);
}

TEST(BuiltInImagesTest, AreOneBitAtTheirSizesAndNotBlank) {
    const MonoBitmap picture = BuiltInPicture();
    const MonoBitmap logo = BuiltInLogo();
    EXPECT_EQ(picture.width(), kPictureWidth);
    EXPECT_EQ(picture.height(), kPictureHeight);
    EXPECT_EQ(logo.width(), kLogoWidth);
    EXPECT_EQ(logo.height(), kLogoHeight);
    EXPECT_NE(picture, MonoBitmap(kPictureWidth, kPictureHeight));
    EXPECT_NE(logo, MonoBitmap(kLogoWidth, kLogoHeight));
}

}  // namespace
}  // namespace pelmar
