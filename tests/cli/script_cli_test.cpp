// What scripts rely on: JSON lines, the version, the SIM PIN from standard input, the wire log.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "phonebook/phone_book_store.h"
#include "support/run_cli.h"
#include "support/sim_process.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

struct JsonCase {
    const char* label;
    const char* args;  // after "--json", separated by "|"
    int exitCode;
    const char* key;  // a key of the lines before the outcome; empty for none
};

class JsonOutputTest : public testing::TestWithParam<JsonCase> {};

// Every line of stdout is a JSON object, the last the outcome with the exit code; every text for
// people, the link's errors too, went to stderr.
TEST_P(JsonOutputTest, StdoutHoldsOnlyJsonLines) {
    const JsonCase& c = GetParam();
    const test::CliResult r = test::runCli(QStringList{QStringLiteral("--json")} +
                                           QString::fromLatin1(c.args).split(QLatin1Char('|')));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.constData();
    const auto lines = test::jsonLines(r.out);
    ASSERT_FALSE(lines.isEmpty()) << r.err.constData();
    for (const auto& line : lines)
        ASSERT_TRUE(line) << r.out.constData();
    const QJsonObject outcome = *lines.last();
    EXPECT_EQ(outcome.size(), 2);
    EXPECT_EQ(outcome[u"exit"].toInt(-1), c.exitCode);
    EXPECT_FALSE(outcome[u"outcome"].toString().isEmpty());
    if (c.exitCode != 0) {
        EXPECT_TRUE(r.err.contains(outcome[u"outcome"].toString().toUtf8())) << r.err.constData();
    }
    if (*c.key) {
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines.first()->contains(QLatin1StringView(c.key))) << r.out.constData();
    } else {
        EXPECT_EQ(lines.size(), 1) << r.out.constData();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, JsonOutputTest,
    testing::Values(
        JsonCase{"Identify", "--port|sim|identify", 0, "identity"},
        JsonCase{"ListWithIsoDates", "--port|sim|sms|list", 0, "date"},
        JsonCase{"SendGivesReferences", "--port|sim|sms|send|--number|+1234567890|abc", 0, "references"},
        JsonCase{"DeleteNamesWhatItDeleted", "--port|sim|sms|delete|1|99", 1, "deleted"},
        JsonCase{"BadIndex", "--port|sim|sms|delete|x", 2, ""},
        JsonCase{"FileOnStdoutRefused", "--port|sim|phonebook|read|SM|--out|-", 2, ""},
        JsonCase{"LinkFailure", "--port|/dev/pelmar-no-such-port|sms|list", 3, ""},
        JsonCase{"Encode", "sms|encode|--number|+1234567890|abc", 0, "pdu"},
        JsonCase{"Operators", "operators", 0, "network"},
        JsonCase{"UnknownCommand", "frobnicate", 2, ""}),
    test::ByLabel());
// clang-format on

TEST(ScriptCliTest, EveryProgramTellsItsVersion) {
    for (const char* program : {PELMAR_CLI_PATH, PELMAR_SIM_PATH}) {
        const test::CliResult r = test::runProgram(QString::fromLatin1(program), {u"--version"_s});
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_TRUE(QRegularExpression(u"^pelmar-[a-z-]+ \\d+\\.\\d+\\.\\d+\n$"_s)
                        .match(QString::fromUtf8(r.out))
                        .hasMatch())
            << r.out.constData();
    }
}

TEST(ScriptCliTest, PhonebookReadToStdoutIsTheFile) {
    const test::CliResult r = test::runCli(
        {u"--port"_s, u"sim"_s, u"phonebook"_s, u"read"_s, u"SM"_s, u"--out"_s, u"-"_s});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_GT(PhoneBookStore::fromFileBytes(r.out).count(), 0);
    EXPECT_EQ(r.out.size() % PhoneBookEntry::kRecordSize, 0);
    EXPECT_TRUE(r.err.endsWith("Done.\n")) << r.err.constData();
}

constexpr char kPin[] = "7531";
constexpr char kWrongPin[] = "8642";

struct PinCase {
    const char* label;
    const char* simOptions;  // separated by "|"
    const char* input;       // standard input; nullptr: no --pin
    int exitCode;
    const char* lastLinePart;
    const char* errPart;
    bool pinSent;
};

class SimPinCliTest : public testing::TestWithParam<PinCase> {};

// The PIN goes from standard input to the SIM over a real pseudo-terminal, and into no output
// and no log: neither the wire log (--log) nor the handset's.
TEST_P(SimPinCliTest, UnlocksOrSaysWhy) {
    const PinCase& c = GetParam();
    test::SimProcess sim(QString::fromLatin1(c.simOptions).split(QLatin1Char('|')));
    ASSERT_FALSE(sim.device().isEmpty());
    QTemporaryDir dir;
    const QString wireLog = dir.filePath(u"wire.log"_s);
    QStringList args{u"--port"_s, sim.device(), u"--timeout"_s, u"2"_s, u"--log"_s, wireLog};
    if (c.input)
        args << u"--pin"_s << u"-"_s;
    const test::CliResult r = test::runCli(args + QStringList{u"sms"_s, u"list"_s},
                                           c.input ? QByteArray(c.input) : QByteArray());
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out.constData() << r.err.constData();
    EXPECT_TRUE(r.out.trimmed().split('\n').last().contains(c.lastLinePart)) << r.out.constData();
    EXPECT_TRUE(r.err.contains(c.errPart)) << r.err.constData();

    QFile file(wireLog);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    const QRegularExpression logLine(
        u"^(# pelmar-cli .*|\\d\\d:\\d\\d:\\d\\d\\.\\d{3} [<>] .+)$"_s);
    for (const QByteArray& line : log.trimmed().split('\n'))
        EXPECT_TRUE(logLine.match(QString::fromLatin1(line)).hasMatch()) << line.constData();
    EXPECT_TRUE(log.contains("> at+cpin?\\r\n")) << log.constData();
    EXPECT_TRUE(log.contains("< at+cpin?\\r")) << log.constData();
    for (const char* pin : {kPin, kWrongPin}) {
        for (const QByteArray& text : {r.out, r.err, log, sim.log()}) {
            EXPECT_FALSE(text.contains(QByteArray("\"") + pin)) << text.constData();
        }
    }
    EXPECT_EQ(log.contains("> at+cpin=\"****\"\\r\n"), c.pinSent) << log.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cards, SimPinCliTest,
    testing::Values(
        PinCase{"RightPinUnlocks", "--pin|7531", "7531\n", 0, "Done.", "asks for its PIN (3 attempts left)", true},
        PinCase{"WrongPinTellsAttemptsLeft", "--pin|7531", "8642\n", 1, "2 attempts are left", "", true},
        PinCase{"NoPinOptionSaysHow", "--pin|7531", nullptr, 2, "", "with --pin -", false},
        PinCase{"EmptyInputIsNoPin", "--pin|7531", "", 2, "", "standard input held no PIN", false},
        PinCase{"PukExplained", "--puk", "7531\n", 1, "asks for its PUK", "", false},
        PinCase{"NoSimExplained", "--no-sim", "7531\n", 1, "has no SIM card", "", false}),
    test::ByLabel());
// clang-format on

TEST(ScriptCliTest, PinIsNeverAnArgument) {
    const test::CliResult r = test::runCli(
        {u"--port"_s, u"sim"_s, u"--pin"_s, QLatin1StringView(kPin), u"sms"_s, u"list"_s});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("standard input")) << r.err.constData();
    EXPECT_FALSE(r.err.contains(kPin));
}

}  // namespace
}  // namespace pelmar
