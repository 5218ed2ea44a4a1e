#include "base/windows1251.h"

#include <gtest/gtest.h>

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

TEST(Windows1251Test, MapsTheCodePageLetters) {
    struct {
        unsigned char byte;
        char16_t character;
    } const letters[] = {{0xC0, u'А'}, {0xFF, u'я'}, {0xA8, u'Ё'},   {0xB8, u'ё'},  {0xA5, u'Ґ'},
                         {0xB9, u'№'}, {0x88, u'€'}, {0xA0, 0x00A0}, {0x98, 0x0098}};
    for (const auto& l : letters) {
        EXPECT_EQ(decodeWindows1251(QByteArray(1, static_cast<char>(l.byte))), QChar(l.character));
        EXPECT_EQ(encodeWindows1251Char(l.character), static_cast<char>(l.byte));
    }
}

TEST(Windows1251Test, RefusesWhatTheCodePageCannotHold) {
    EXPECT_EQ(firstNonWindows1251(u"Anna"), -1);
    EXPECT_EQ(firstNonWindows1251(u"Renée"), 3);  // Latin-1 only
    EXPECT_EQ(firstNonWindows1251(u"ab😀"), 2);
    EXPECT_FALSE(encodeWindows1251(u"李").has_value());
}

}  // namespace
}  // namespace pelmar
