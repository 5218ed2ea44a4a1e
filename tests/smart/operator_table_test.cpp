#include "smart/operator_table.h"

#include <gtest/gtest.h>

#include <QSet>
#include <vector>

#include "support/table.h"

namespace pelmar {
namespace {

const OperatorTables& english() {
    static const OperatorTables tables = FillOperatorTables(QLocale(QLocale::English));
    return tables;
}

qsizetype rowOf(const OperatorTables& tables, QLatin1StringView mcc, QLatin1StringView mnc) {
    for (qsizetype i = 0; i < tables.Operators.size(); ++i) {
        if (tables.Operators[i].Mcc == mcc && tables.Operators[i].Mnc == mnc)
            return i;
    }
    return -1;
}

TEST(OperatorTableTest, HoldsEveryRowOnce) {
    const OperatorTables& t = english();
    ASSERT_EQ(t.Operators.size(), 242);
    EXPECT_EQ(t.Countries.size(), 116);
    QSet<QString> codes;
    for (const OperatorRecord& r : t.Operators) {
        codes.insert(networkCodeText(r));
        // The logo goes under the row's struct; the text form must read back as the same code.
        EXPECT_EQ(ParseNetworkCode(networkCodeText(r)), networkCodeOf(r))
            << qPrintable(r.OperatorName);
    }
    EXPECT_EQ(codes.size(), 242) << "the sort lost or doubled a row";
}

TEST(OperatorTableTest, AllButThreeNamesEndInOneBlank) {
    QStringList bare;
    for (const OperatorRecord& r : english().Operators) {
        EXPECT_FALSE(r.OperatorName.endsWith(QStringLiteral("  "))) << qPrintable(r.OperatorName);
        if (!r.OperatorName.endsWith(QLatin1Char(' ')))
            bare.append(r.OperatorName);
    }
    bare.sort();
    EXPECT_EQ(bare, (QStringList{QStringLiteral("Golden Telecom"), QStringLiteral("KPN"),
                                 QStringLiteral("VELCOM Belarus")}));
}

struct ItemCase {
    const char* label;
    const char* mcc;
    const char* mnc;
    const char* item;
};

class OperatorItemTest : public testing::TestWithParam<ItemCase> {};

TEST_P(OperatorItemTest, ShowsNameAndCountry) {
    const ItemCase& c = GetParam();
    const qsizetype row = rowOf(english(), QLatin1StringView(c.mcc), QLatin1StringView(c.mnc));
    ASSERT_GE(row, 0);
    EXPECT_EQ(OperatorItems(english()).at(row), QString::fromUtf8(c.item));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OperatorItemTest,
    testing::Values(ItemCase{"TrailingBlankGivesFourBlanks", "202", "01", "Cosmote    [Greece]"},
                    ItemCase{"BareNameGivesThreeBlanks", "204", "08", "KPN   [Netherlands]"},
                    ItemCase{"BareGoldenTelecom", "255", "05", "Golden Telecom   [Ukraine]"},
                    ItemCase{"BareVelcom", "257", "01", "VELCOM Belarus   [Belarus]"},
                    ItemCase{"FaroeHasNoCountry", "288", "01", "Faroese Telecom "},
                    ItemCase{"Mcc642HasNoCountry", "642", "02", "ANTARIS "},
                    ItemCase{"Mcc680HasNoCountry", "680", "38", "NPI Wireless "},
                    ItemCase{"Usa", "310", "26", "VOICESTREAM    [U.S.A.]"},
                    ItemCase{"Sudan", "634", "01", "MobiTel    [Sudan]"},
                    ItemCase{"Mozambique", "643", "01", "T.D.M GSM 900    [Mozambique]"},
                    ItemCase{"LastCountryRow", "734", "01", "Infonet    [Venezuela]"}),
    test::ByLabel());

struct CountryCase {
    const char* label;
    const char* mcc;
    const char* country;
};

class FindCountryTest : public testing::TestWithParam<CountryCase> {};

TEST_P(FindCountryTest, MatchesTheWholeCodeExactly) {
    const CountryCase& c = GetParam();
    EXPECT_EQ(FindCountry(english().Countries, QString::fromUtf8(c.mcc)),
              QString::fromUtf8(c.country));
}

INSTANTIATE_TEST_SUITE_P(Codes, FindCountryTest,
                         testing::Values(CountryCase{"FirstRow", "202", "Greece"},
                                         CountryCase{"LastRow", "734", "Venezuela"},
                                         CountryCase{"CountryWithoutNetworks", "418", "Iraq"},
                                         CountryCase{"Faroe", "288", ""},
                                         CountryCase{"Prefix", "20", ""},
                                         CountryCase{"Longer", "2020", ""},
                                         CountryCase{"Padded", " 202", ""},
                                         CountryCase{"Empty", "", ""}),
                         test::ByLabel());

struct TwinCase {
    const char* label;
    const char* name;
    std::vector<const char*> codesInOrder;
};

class EqualNamesTest : public testing::TestWithParam<TwinCase> {};

TEST_P(EqualNamesTest, KeepTheOrderTheyWereAddedIn) {
    const TwinCase& c = GetParam();
    QStringList got;
    for (const OperatorRecord& r : english().Operators) {
        if (r.OperatorName == QLatin1StringView(c.name))
            got.append(networkCodeText(r));
    }
    QStringList want;
    for (const char* code : c.codesInOrder)
        want.append(QString::fromUtf8(code));
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EqualNamesTest,
    testing::Values(TwinCase{"Vodafone", "Vodafone ", {"216 70", "234 15", "542 01"}},
                    TwinCase{"Essar", "Essar Cellphone ", {"404 11", "404 15"}},
                    TwinCase{"Omnitel", "OMNITEL ", {"222 10", "246 01"}},
                    TwinCase{"Cellnet", "Cellnet ", {"234 10", "310 01"}},
                    TwinCase{"MobiTel", "MobiTel ", {"456 01", "634 01"}},
                    TwinCase{"Telecel", "Telecel ", {"612 05", "648 03"}}),
    test::ByLabel());

struct OrderCase {
    const char* label;
    const char* locale;
    const char* before;
    const char* after;
};

class SortOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(SortOrderTest, FollowsTheLocalesCollation) {
    const OrderCase& c = GetParam();
    const QStringList names = [&] {
        QStringList out;
        for (const OperatorRecord& r :
             FillOperatorTables(QLocale(QLatin1StringView(c.locale))).Operators) {
            out.append(r.OperatorName);
        }
        return out;
    }();
    const qsizetype before = names.indexOf(QLatin1StringView(c.before));
    const qsizetype after = names.indexOf(QLatin1StringView(c.after));
    ASSERT_GE(before, 0);
    ASSERT_GE(after, 0);
    EXPECT_LT(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, SortOrderTest,
    testing::Values(OrderCase{"LowerCaseFirstAmongEqualLetters", "en", "AirTel ", "AIRTEL "},
                    OrderCase{"LetterCaseIsNotByteOrder", "en", "diAx Mobile AG ", "Digifone "},
                    OrderCase{"LowerNameAmongItsLetter", "en", "DIALOG GSM ", "diAx Mobile AG "},
                    OrderCase{"PunctuationBeforeLetters", "en", "max.mobil. ", "Maxis Mobile "},
                    OrderCase{"DigitBeforeLetters", "en", "A1 ", "ADAM "},
                    OrderCase{"PrefixFirst", "en", "Vodafone ", "Vodafone Malta Limited "},
                    OrderCase{"GermanCollationToo", "de", "diAx Mobile AG ", "Digifone "},
                    OrderCase{"ExplicitCIsCodePointOrder", "C", "Maxis Mobile ", "max.mobil. "}),
    test::ByLabel());

TEST(OperatorTableTest, CLocaleUserFallsBackToACollation) {
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(operatorSortLocale().language(), QLocale::English);
    QLocale::setDefault(QLocale(QLocale::French));
    EXPECT_EQ(operatorSortLocale().language(), QLocale::French);
    QLocale::setDefault(saved);
}

struct CodeCase {
    const char* label;
    const char* item;
    const char* code;
};

class NetworkCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(NetworkCodeTest, SelectedItemGivesItsNetwork) {
    const CodeCase& c = GetParam();
    const qsizetype index = OperatorItems().indexOf(QString::fromUtf8(c.item));
    ASSERT_GE(index, 0);
    EXPECT_EQ(networkCodeAt(index), ParseNetworkCode(QString::fromUtf8(c.code)));
}

INSTANTIATE_TEST_SUITE_P(Items, NetworkCodeTest,
                         testing::Values(CodeCase{"Greece", "Cosmote    [Greece]", "202 01"},
                                         CodeCase{"ZeroMnc", "TCSL GSM    [Hong Kong]", "454 00"},
                                         CodeCase{"NoCountry", "NPI Wireless ", "680 38"}),
                         test::ByLabel());

TEST(NetworkCodeTest, NoSelectionHasNoNetwork) {
    EXPECT_FALSE(networkCodeAt(-1).has_value());
    EXPECT_FALSE(networkCodeAt(242).has_value());
    EXPECT_TRUE(networkCodeAt(241).has_value());
}

}  // namespace
}  // namespace pelmar
