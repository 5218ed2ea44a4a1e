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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, FilterPhoneNumberTest,
                         testing::Values(
                             NumberCase{"Punctuation", u"+1 (234) 567-890", "+1234567890"},
                             NumberCase{"PlusAnywhereAndTwice", u"12+3+", "12+3+"},
                             NumberCase{"OnlyPlusStays", u"+", "+"},
                             NumberCase{"LettersGo", u"tel:0501", "0501"},
                             NumberCase{"NonLatinDigitsGo", u"٠١2", "2"},
                             NumberCase{"FullwidthPlusGoes", u"＋7", "7"}),
                         test::ByLabel());
// clang-format on

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

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Pages, SmsTextFieldTest,
    testing::Values(
        FitCase{"CyrillicPastedInStandard", repeated(u"Привет, world", 1), SmsMode::Standard, QStringLiteral(", world"), 153},
        FitCase{"CyrillicStaysInUcs2", repeated(u"Привет, world", 1), SmsMode::Ucs2, repeated(u"Привет, world", 1), 57},
        FitCase{"AccentPoundEuroKeptInStandard", repeated(u"é£€", 1), SmsMode::Standard, repeated(u"é£€", 1), 156},
        FitCase{"ExtensionCharsTakeTwoSeptets", repeated(u"[]", 40), SmsMode::Standard, repeated(u"[]", 40), 0},
        FitCase{"ExtensionCharOverTheLimitIsCut", repeated(u"a", 159) + QStringLiteral("€"), SmsMode::Standard, repeated(u"a", 159), 1},
        FitCase{"FlashCutsTo69", repeated(u"x", 100), SmsMode::Flash, repeated(u"x", 69), 0},
        FitCase{"Ucs2CutsTo70", repeated(u"x", 100), SmsMode::Ucs2, repeated(u"x", 70), 0},
        FitCase{"SurrogatePairNotSplit", repeated(u"x", 69) + QStringLiteral("😀"), SmsMode::Ucs2, repeated(u"x", 69), 1},
        FitCase{"EmptyTextHasTheWholeMessage", QString(), SmsMode::Standard, QString(), 160}),
    test::ByLabel());
// clang-format on

struct CounterCase {
    const char* label;
    QString typed;
    SmsMode mode;
    bool longMessage;
    QString kept;  // empty: all of it
    const char16_t* line;
};

class CounterLineTest : public testing::TestWithParam<CounterCase> {};

TEST_P(CounterLineTest, KeepsWhatGoesAndNamesWhatWasRemoved) {
    const CounterCase& c = GetParam();
    const FilteredText field = filterSmsText(c.typed, c.mode, c.longMessage);
    EXPECT_EQ(field.kept, c.kept.isEmpty() ? c.typed : c.kept);
    EXPECT_EQ(symbolsLeftText(field.kept, c.mode, c.longMessage, field.removed),
              QString::fromUtf16(c.line));
    EXPECT_FALSE(textProblem(field.kept, c.mode, c.longMessage))
        << "the field kept unsendable text";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Settings, CounterLineTest,
    testing::Values(
        CounterCase{"RemovedNamedOnce", u"naïve façade — “quotes” ok ï"_s, SmsMode::Standard, false, u"nave faade  quotes ok "_s, u"Symbols Left: 138 — removed “ï”, “ç”, “—”, ““”, “””: choose UCS2 to keep them"},
        CounterCase{"EmojiNamedWhole", u"hi 😀"_s, SmsMode::Standard, true, u"hi "_s, u"Symbols Left: 157 — removed “😀”: choose UCS2 to keep it"},
        CounterCase{"OneMessageAsBefore", repeated(u"x", 160), SmsMode::Standard, true, {}, u"Symbols Left: 0"},
        CounterCase{"SecondPartCountsDown", repeated(u"x", 161), SmsMode::Standard, true, {}, u"Symbols Left: 145 (2 messages)"},
        CounterCase{"EscapePairOpensThePart", repeated(u"x", 152) + u"€xxxxxxxx"_s, SmsMode::Standard, true, {}, u"Symbols Left: 143 (2 messages)"},
        CounterCase{"TenPartsAtMost", repeated(u"x", 2000), SmsMode::Standard, true, repeated(u"x", 1530), u"Symbols Left: 0 (10 messages)"},
        CounterCase{"EmojiTakesTwoUnits", repeated(u"😀", 35), SmsMode::Ucs2, false, {}, u"Symbols Left: 0"},
        CounterCase{"Ucs2Parts", repeated(u"Ж", 71), SmsMode::Ucs2, true, {}, u"Symbols Left: 63 (2 messages)"},
        CounterCase{"FlashParts", repeated(u"Ж", 70), SmsMode::Flash, true, {}, u"Symbols Left: 62 (2 messages)"},
        CounterCase{"LongOffStillCuts", repeated(u"Ж", 71), SmsMode::Ucs2, false, repeated(u"Ж", 70), u"Symbols Left: 0"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
