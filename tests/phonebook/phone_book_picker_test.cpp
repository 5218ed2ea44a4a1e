#include "phonebook/phone_book_picker.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

PhoneBookEntry entry(const char* name, const char* number) {
    return PhoneBookEntry::fromUser(QString::fromUtf8(name), QString::fromUtf8(number));
}

// Stores as loaded and sorted; the same number in two stores is listed once per store.
const PhoneBooks& books() {
    static PhoneBooks b;
    b.PhoneBookSM = PhoneBookStore({entry("Anna", "+380501234567"), entry("Boris", "0441112233"),
                                    entry("Иван", "0509998877")});
    b.PhoneBookME = PhoneBookStore(
        {entry("", "777"), entry("Joanna", "+15550100"), entry("иван", "0671112233")});
    b.PhoneBookLD = PhoneBookStore({entry("HANNA", "0505000000")});
    return b;
}

struct SearchCase {
    const char* label;
    const char* search;
    std::vector<const char*> rows;
};

class PickerSearchTest : public testing::TestWithParam<SearchCase> {};

TEST_P(PickerSearchTest, ListsTheFoundEntriesSimFirst) {
    QStringList got;
    QStringList numbers;
    for (const PickerRow& row : PickerRows(books(), QString::fromUtf8(GetParam().search))) {
        got.append(row.text);
        numbers.append(row.number);
    }
    QStringList want;
    for (const char* row : GetParam().rows)
        want.append(QString::fromUtf8(row));
    EXPECT_EQ(got, want);
    // The number behind each row is the one in its brackets.
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_TRUE(got[i].endsWith(QLatin1Char('(') + numbers[i] + QLatin1Char(')'))) << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Searches, PickerSearchTest,
    testing::Values(
        SearchCase{"EmptyListsEveryStoreInOrder", "", {"Anna (+380501234567)", "Boris (0441112233)", "Иван (0509998877)", " (777)", "Joanna (+15550100)", "иван (0671112233)", "HANNA (0505000000)"}},
        SearchCase{"LatinCaseBlindInNames", "an", {"Anna (+380501234567)", "Joanna (+15550100)", "HANNA (0505000000)"}},
        SearchCase{"NumbersAsTyped", "050", {"Anna (+380501234567)", "Иван (0509998877)", "HANNA (0505000000)"}},
        SearchCase{"PlusOnlyInNumbersWithPlus", "+", {"Anna (+380501234567)", "Joanna (+15550100)"}},
        SearchCase{"CyrillicOnlyInTheSameCase", "Иван", {"Иван (0509998877)"}},
        SearchCase{"CyrillicMixedCaseFindsNothing", "иВ", {}},
        SearchCase{"NothingFound", "zz", {}}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
