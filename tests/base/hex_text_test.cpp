#include "base/hex_text.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

struct SemiOctetCase {
    const char* label;
    const char* number;
    const char* semiOctets;
};

class SemiOctetTest : public testing::TestWithParam<SemiOctetCase> {};

TEST_P(SemiOctetTest, EncodesAndDecodesBack) {
    const SemiOctetCase& c = GetParam();
    EXPECT_EQ(SemiOctetEncode(c.number), QByteArray(c.semiOctets));
    EXPECT_EQ(SemiOctetDecode(c.semiOctets), QByteArray(c.number));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Numbers, SemiOctetTest,
                         testing::Values(
                             SemiOctetCase{"EvenDigitCount", "1234567890", "2143658709"},
                             SemiOctetCase{"OddDigitCountGetsFFill", "12345", "2143F5"},
                             SemiOctetCase{"StarBecomesA", "1*", "A1"},
                             SemiOctetCase{"ServiceCodeSigns", "*#abc1", "BADC1E"},
                             SemiOctetCase{"Empty", "", ""}),
                         test::ByLabel());
// clang-format on

TEST(SemiOctetDecodeTest, IgnoresOddTrailingCharacter) {
    EXPECT_EQ(SemiOctetDecode("2143F"), QByteArray("1234"));
}

TEST(HexTextTest, ByteConversionsRoundTrip) {
    for (int v = 0; v < 256; ++v) {
        const QByteArray hex = ByteToHex(static_cast<quint8>(v));
        ASSERT_EQ(hex.size(), 2);
        EXPECT_EQ(HexToByte(hex), v) << hex.constData();
        EXPECT_EQ(hex, hex.toUpper());
    }
}

TEST(HexTextTest, NonHexInputNeverReadsPastItsEnd) {
    EXPECT_EQ(HexToByte("A"), 0);
    EXPECT_EQ(HexToByte("G1"), 0);
    EXPECT_FALSE(HexToBytes("ABC").has_value());
    EXPECT_FALSE(HexToBytes("0G").has_value());
    EXPECT_EQ(HexToBytes("00ff7A"), QByteArray("\x00\xff\x7a", 3));
}

TEST(BitTextTest, MostSignificantBitFirst) {
    EXPECT_EQ(IntToBin(0x61, 7), QByteArray("1100001"));
    EXPECT_EQ(IntToBin(0x61, 8), QByteArray("01100001"));
    EXPECT_EQ(IntToBin(0x1FF, 4), QByteArray("1111"));
    EXPECT_EQ(BinToByte("11110001"), 0xF1);
    EXPECT_EQ(BinToByte("1"), 0x80);  // a short text still starts at bit 7
}

}  // namespace
}  // namespace pelmar
