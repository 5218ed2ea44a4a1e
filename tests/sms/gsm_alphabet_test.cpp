#include "sms/gsm_alphabet.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

struct CarriedCase {
    const char* label;
    const char16_t* text;
    int septets;
};

class GsmCarriedTextTest : public testing::TestWithParam<CarriedCase> {};

TEST_P(GsmCarriedTextTest, CountsAndRoundTrips) {
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_TRUE(IsGsmText(text));
    EXPECT_EQ(GsmSeptetCount(text), GetParam().septets);
    EXPECT_EQ(TextToGsmSeptets(text).size(), GetParam().septets);
    EXPECT_EQ(GsmSeptetsToText(TextToGsmSeptets(text)), text);
    EXPECT_EQ(StripNonGsmChars(text), text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Alphabet, GsmCarriedTextTest,
    testing::Values(
        CarriedCase{"AsciiThatGsmShares", u"Hello, world 0-9 #%&'()*+/:;<=>?!\"", 34},
        CarriedCase{"AtDollarUnderscoreHaveGsmCodes", u"@$_", 3},
        CarriedCase{"LatinAndGreekLetters", u"£¥èéùìòÇØøÅåΔΦΓΛΩΠΨΣΘΞÆæßÉ¤¡ÄÖÑÜ§¿äöñüà", 39},
        CarriedCase{"ExtensionTakesTwoEach", u"[]{}\\^~|€", 18},
        CarriedCase{"FormFeedIsPageBreak", u"a\fb", 4},
        CarriedCase{"LineBreaks", u"a\r\nb", 4}),
    test::ByLabel());
// clang-format on

struct SeptetCase {
    const char* label;
    const char16_t* text;
    QByteArray septets;
};

class GsmSeptetValueTest : public testing::TestWithParam<SeptetCase> {};

TEST_P(GsmSeptetValueTest, UsesTheTableCodes) {
    EXPECT_EQ(TextToGsmSeptets(QString::fromUtf16(GetParam().text)), GetParam().septets);
}

INSTANTIATE_TEST_SUITE_P(Codes, GsmSeptetValueTest,
                         testing::Values(SeptetCase{"AtIsZero", u"@", QByteArray("\x00", 1)},
                                         SeptetCase{"DollarIsTwo", u"$", "\x02"},
                                         SeptetCase{"Underscore", u"_", "\x11"},
                                         SeptetCase{"EuroEscaped", u"€", "\x1B\x65"},
                                         SeptetCase{"BracketsEscaped", u"[]", "\x1B\x3C\x1B\x3E"},
                                         SeptetCase{"UncarriedLeftOut", u"aЖb", "ab"}),
                         test::ByLabel());

struct UncarriedCase {
    const char* label;
    const char16_t* text;
    qsizetype firstBad;
    const char16_t* stripped;
};

class GsmUncarriedTextTest : public testing::TestWithParam<UncarriedCase> {};

TEST_P(GsmUncarriedTextTest, IsFoundAndFiltered) {
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_FALSE(IsGsmText(text));
    EXPECT_EQ(FirstNonGsmChar(text), GetParam().firstBad);
    EXPECT_EQ(StripNonGsmChars(text), QString::fromUtf16(GetParam().stripped));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Alphabet, GsmUncarriedTextTest,
                         testing::Values(
                             UncarriedCase{"Cyrillic", u"Привет, world", 0, u", world"},
                             UncarriedCase{"BacktickIsNotGsm", u"a`b", 1, u"ab"},
                             UncarriedCase{"LowerCedillaIsNotGsm", u"façade", 2, u"faade"},
                             UncarriedCase{"RawEscapeIsRefused", u"a\x1B", 1, u"a"},
                             UncarriedCase{"OutsideBmp", u"ok \U0001F600", 3, u"ok "}),
                         test::ByLabel());
// clang-format on

TEST(GsmSeptetsToTextTest, ReadsWhatOtherSendersWrite) {
    // An escape before a code the extension lacks shows the default character.
    EXPECT_EQ(GsmSeptetsToText("\x1B\x41"), QStringLiteral("A"));
    EXPECT_EQ(GsmSeptetsToText("a\x1B"), QStringLiteral("a"));
    EXPECT_EQ(GsmSeptetsToText("\x1B\x1B"), QStringLiteral(" "));
    EXPECT_EQ(GsmSeptetsToText("\xC1"), QStringLiteral("A"));  // the eighth bit is not a septet's
}

}  // namespace
}  // namespace pelmar
