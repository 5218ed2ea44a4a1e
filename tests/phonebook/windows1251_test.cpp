#include "phonebook/windows1251.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

TEST(Windows1251Test, EveryByteSurvivesDecodeAndEncode) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = decodeWindows1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(encodeWindows1251(text), all);
}

struct CharCase {
    const char* label;
    unsigned char byte;
    char16_t character;
};

class Windows1251CharTest : public testing::TestWithParam<CharCase> {};

TEST_P(Windows1251CharTest, MapsBothWays) {
    const CharCase& c = GetParam();
    const QByteArray byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(decodeWindows1251(byte), QString(QChar(c.character)));
    EXPECT_EQ(encodeWindows1251Char(c.character), static_cast<char>(c.byte));
}

INSTANTIATE_TEST_SUITE_P(
    Letters, Windows1251CharTest,
    testing::Values(CharCase{"AsciiLetter", 'A', u'A'}, CharCase{"CyrillicCapitalA", 0xC0, 0x0410},
                    CharCase{"CyrillicSmallYa", 0xFF, 0x044F}, CharCase{"CapitalYo", 0xA8, 0x0401},
                    CharCase{"SmallYo", 0xB8, 0x0451}, CharCase{"UkrainianGhe", 0xA5, 0x0490},
                    CharCase{"NumeroSign", 0xB9, 0x2116}, CharCase{"EuroSign", 0x88, 0x20AC},
                    CharCase{"NoBreakSpace", 0xA0, 0x00A0},
                    CharCase{"UnassignedByteKeepsItsValue", 0x98, 0x0098}),
    test::ByLabel());

TEST(Windows1251Test, RefusesWhatTheCodePageCannotHold) {
    EXPECT_EQ(firstNonWindows1251(u"Anna"), -1);
    EXPECT_EQ(firstNonWindows1251(u"Ren\u00E9e"), 3);  // e acute: Latin-1 only
    EXPECT_EQ(firstNonWindows1251(QString::fromUtf8("ab\xF0\x9F\x98\x80")), 2);  // emoji
    EXPECT_FALSE(encodeWindows1251(u"\u674E").has_value());
    EXPECT_EQ(encodeWindows1251(QString::fromUtf8("Ёлка")), QByteArray("\xA8\xEB\xEA\xE0"));
}

}  // namespace
}  // namespace pelmar
