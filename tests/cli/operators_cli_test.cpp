#include <gtest/gtest.h>

#include <QCollator>
#include <QLocale>

#include "smart/operator_table.h"
#include "support/run_cli.h"
#include "support/table.h"

namespace pelmar {
namespace {

QStringList linesOf(const QByteArray& out) {
    QStringList lines = QString::fromUtf8(out).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TEST(OperatorsCliTest, PrintsTheProviderListInListOrder) {
    const test::CliResult r = test::runCli({QStringLiteral("operators")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out.count('\n'), 242);
    // Same environment, same collation as the logo page of this user.
    EXPECT_EQ(linesOf(r.out), OperatorItems());
}

TEST(OperatorsCliTest, NamedLocaleSortsByItsCollation) {
    const test::CliResult r = test::runCli(
        {QStringLiteral("operators"), QStringLiteral("--locale"), QStringLiteral("en_US")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QStringList lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 242);
    EXPECT_EQ(lines.first(), QStringLiteral("A1    [Austria]"));
    // Items are ordered by the name alone; the country label plays no part.
    const auto nameOf = [](const QString& item) {
        return item.left(item.indexOf(QStringLiteral("   [")));
    };
    QCollator collator{QLocale(QStringLiteral("en_US"))};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_LE(collator.compare(nameOf(lines[i - 1]), nameOf(lines[i])), 0)
            << qPrintable(lines[i]);
    }
}

TEST(OperatorsCliTest, CodesPrefixTheNetworkForTheLogoCommand) {
    const test::CliResult r =
        test::runCli({QStringLiteral("operators"), QStringLiteral("--codes")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(linesOf(r.out).contains(QStringLiteral("202 01\tCosmote    [Greece]")));
}

struct BadCase {
    const char* label;
    QStringList args;
};

class OperatorsCliBadInputTest : public testing::TestWithParam<BadCase> {};

TEST_P(OperatorsCliBadInputTest, IsRefusedWithoutAList) {
    const test::CliResult r =
        test::runCli(QStringList{QStringLiteral("operators")} + GetParam().args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(r.err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Args, OperatorsCliBadInputTest,
    testing::Values(BadCase{"UnknownLocale", {QStringLiteral("--locale"), QStringLiteral("xx_QQ")}},
                    BadCase{"StrayArgument", {QStringLiteral("Greece")}},
                    BadCase{"UnknownOption", {QStringLiteral("--sorted")}}),
    test::ByLabel());

}  // namespace
}  // namespace pelmar
