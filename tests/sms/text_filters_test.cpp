#include <gtest/gtest.h>

#include <vector>

#include "sms/message_input.h"
#include "sms/recipient_number.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

struct NumberCase {
    const char* label;
    const char16_t* typed;
    const char* kept;
};

class FilterPhoneNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(FilterPhoneNumberTest, KeepsDigitsAndPlus) {
    EXPECT_EQ(FilterPhoneNumber(QString::fromUtf16(GetParam().typed)),
              QString::fromUtf8(GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(Typed, FilterPhoneNumberTest,
                         testing::Values(NumberCase{"Punctuation", u"+1 (234) 567-890",
                                                    "+1234567890"},
                                         NumberCase{"PlusAnywhereAndTwice", u"12+3+", "12+3+"},
                                         NumberCase{"OnlyPlusStays", u"+", "+"},
                                         NumberCase{"LettersGo", u"tel:0501", "0501"},
                                         NumberCase{"NonLatinDigitsGo", u"٠١2", "2"},
                                         NumberCase{"FullwidthPlusGoes", u"＋7", "7"}),
                         test::ByLabel());

struct FitCase {
    const char* label;
    QString typed;
    SmsMode mode;
    QString kept;
    int left;
};

QString repeated(const char16_t* piece, int times) {
    return QString::fromUtf16(piece).repeated(times);
}

class SmsTextFieldTest : public testing::TestWithParam<FitCase> {};

TEST_P(SmsTextFieldTest, KeepsWhatTheCodingCarriesAndCountsWhatIsLeft) {
    const FitCase& c = GetParam();
    const QString kept = fitSmsText(c.typed, c.mode);
    EXPECT_EQ(kept, c.kept);
    EXPECT_EQ(symbolsLeft(kept, c.mode), c.left);
    EXPECT_FALSE(textProblem(kept, c.mode) && !kept.isEmpty()) << "the field kept unsendable text";
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SmsTextFieldTest,
    testing::Values(
        FitCase{"CyrillicPastedInStandard", repeated(u"Привет, world", 1), SmsMode::Standard,
                QStringLiteral(", world"), 153},
        FitCase{"CyrillicStaysInUcs2", repeated(u"Привет, world", 1), SmsMode::Ucs2,
                repeated(u"Привет, world", 1), 57},
        FitCase{"AccentPoundEuroKeptInStandard", repeated(u"é£€", 1), SmsMode::Standard,
                repeated(u"é£€", 1), 156},
        FitCase{"ExtensionCharsTakeTwoSeptets", repeated(u"[]", 40), SmsMode::Standard,
                repeated(u"[]", 40), 0},
        FitCase{"ExtensionCharOverTheLimitIsCut", repeated(u"a", 159) + QStringLiteral("€"),
                SmsMode::Standard, repeated(u"a", 159), 1},
        FitCase{"FlashCutsTo69", repeated(u"x", 100), SmsMode::Flash, repeated(u"x", 69), 0},
        FitCase{"Ucs2CutsTo70", repeated(u"x", 100), SmsMode::Ucs2, repeated(u"x", 70), 0},
        FitCase{"SurrogatePairNotSplit", repeated(u"x", 69) + QStringLiteral("😀"), SmsMode::Ucs2,
                repeated(u"x", 69), 1},
        FitCase{"EmptyTextHasTheWholeMessage", QString(), SmsMode::Standard, QString(), 160}),
    test::ByLabel());

}  // namespace
}  // namespace pelmar
