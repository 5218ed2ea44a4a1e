#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <vector>

#include "support/run_cli.h"
#include "support/table.h"

namespace pelmar {
namespace {

using test::runCli;

TEST(PhonebookCliTest, DumpPrintsOneJsonObjectPerEntryInUtf8) {
    const test::CliResult r = runCli({QStringLiteral("phonebook"), QStringLiteral("dump"),
                                      QStringLiteral(PELMAR_TEST_DATA "/phonebook-sm.dat")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("{\"name\":\"Анна\",\"number\":\"+380501234567\",\"type\":145}\n"
                                "{\"name\":\"Bob\",\"number\":\"0123\",\"type\":129}\n"
                                "{\"name\":\"Ёлка №5\",\"number\":\"555\",\"type\":129}\n"));
}

TEST(PhonebookCliTest, AddCreatesTheFileAndAppliesTheTypeRule) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    for (const char* number : {"+7901", "0123"}) {
        const test::CliResult r = runCli({QStringLiteral("phonebook"), QStringLiteral("add"), file,
                                          QStringLiteral("--name"), QStringLiteral("Ёж \\ Co"),
                                          QStringLiteral("--number"), QString::fromLatin1(number)});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    }
    EXPECT_EQ(QFile(file).size(), 606);
    EXPECT_EQ(runCli({QStringLiteral("phonebook"), QStringLiteral("dump"), file}).out,
              QByteArray("{\"name\":\"Ёж \\\\ Co\",\"number\":\"+7901\",\"type\":145}\n"
                         "{\"name\":\"Ёж \\\\ Co\",\"number\":\"0123\",\"type\":129}\n"));
}

TEST(PhonebookCliTest, AddsAtOnceOnOneFileLoseNoEntry) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    constexpr int kWriters = 8;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(
            QStringLiteral(PELMAR_CLI_PATH),
            {QStringLiteral("phonebook"), QStringLiteral("add"), file, QStringLiteral("--name"),
             QStringLiteral("W%1").arg(i), QStringLiteral("--number"), QString::number(i)});
    }
    for (const auto& w : writers) {
        ASSERT_TRUE(w->waitForFinished(60000));
        EXPECT_EQ(w->exitCode(), 0) << w->readAllStandardError().constData();
    }
    const QByteArray dump = runCli({QStringLiteral("phonebook"), QStringLiteral("dump"), file}).out;
    EXPECT_EQ(dump.count('\n'), kWriters) << dump.constData();
    for (int i = 0; i < kWriters; ++i)
        EXPECT_TRUE(dump.contains(QStringLiteral("\"W%1\"").arg(i).toUtf8())) << i;
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".lock")));
}

struct OutputCase {
    const char* label;
    const char* args;  // separated by "|"
};

class OutputNotWrittenTest : public testing::TestWithParam<OutputCase> {};

// A backup that never reached the disk must not report success.
TEST_P(OutputNotWrittenTest, ExitsOneAndSaysWhy) {
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    if (shell.isEmpty())
        GTEST_SKIP() << "no sh";
    const test::CliResult r = test::runProgram(
        shell, QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" >/dev/full"),
                           QStringLiteral(PELMAR_CLI_PATH)} +
                   QString::fromUtf8(GetParam().args).split(QLatin1Char('|')));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("pelmar-cli: could not write the output: No space left on device"))
        << r.err.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, OutputNotWrittenTest, testing::Values(
    OutputCase{"PhonebookDump", "phonebook|dump|" PELMAR_TEST_DATA "/phonebook-sm.dat"},
    OutputCase{"SmsDecode",     "sms|decode|" PELMAR_TEST_DATA "/listing-mixed.txt"},
    OutputCase{"SmsListOnHandset", "--port|sim:" PELMAR_TEST_DATA "/sim-basic.json|sms|list"}),
    test::ByLabel());
// clang-format on

struct RefusalCase {
    const char* label;
    QStringList args;  // after "phonebook"; FILE stands for a file in a fresh folder
    const char* message;
};

class PhonebookCliRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(PhonebookCliRefusalTest, ExitsTwoWithAMessageAndWritesNothing) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    QStringList args{QStringLiteral("phonebook")};
    for (const QString& a : GetParam().args)
        args << (a == QStringLiteral("FILE") ? file : a);
    const test::CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.constData();
    const QByteArray shown = r.err.chopped(r.err.endsWith('\n') ? 1 : 0);
    EXPECT_FALSE(std::any_of(shown.begin(), shown.end(), [](char c) { return uchar(c) < 0x20; }))
        << "a control byte reached the terminal: " << r.err.toHex().constData();
    EXPECT_FALSE(QFile::exists(file));
}

const QString kAdd = QStringLiteral("add"), kName = QStringLiteral("--name"),
              kNumber = QStringLiteral("--number"), kFile = QStringLiteral("FILE");

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Input, PhonebookCliRefusalTest,
    testing::Values(
        RefusalCase{"DumpMissingFile", {QStringLiteral("dump"), kFile}, "cannot read"},
        RefusalCase{"AddWithoutNumber", {kAdd, kFile, kName, QStringLiteral("A")}, "--number"},
        RefusalCase{"NameOutsideCodePage", {kAdd, kFile, kName, QStringLiteral("李"), kNumber, QStringLiteral("1")}, "(U+674E)"},
        RefusalCase{"NumberTooLong", {kAdd, kFile, kName, QStringLiteral("A"), kNumber, QString(101, u'1')}, "at most 100"},
        RefusalCase{"LettersInNumber", {kAdd, kFile, kName, QStringLiteral("A"), kNumber, QStringLiteral("abc")}, "number holds \"a\" at position 1"},
        RefusalCase{"ChainedCommandInNumber", {kAdd, kFile, kName, QStringLiteral("A"), kNumber, QStringLiteral("1;+CMGD=1")}, "number holds \";\" at position 2"},
        RefusalCase{"SpaceInNumber", {kAdd, kFile, kName, QStringLiteral("A"), kNumber, QStringLiteral("+7 901")}, "number holds \" \" at position 3"},
        RefusalCase{"TerminalEscapeInNameShownEscaped", {kAdd, kFile, kName, QStringLiteral("a\x1B[2J"), kNumber, QStringLiteral("1")}, "name holds ESC (\\x1B)"},
        RefusalCase{"UnknownCommandShownEscaped", {QStringLiteral("merge\b\b\b\b\bdump")}, "unknown phonebook command \"merge\\x08\\x08"},
        RefusalCase{"UnknownCommand", {QStringLiteral("merge")}, "unknown phonebook command"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
