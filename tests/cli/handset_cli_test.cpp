#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "phonebook/phone_book_store.h"
#include "sim/sim_state.h"
#include "support/gammu_handset.h"
#include "support/run_cli.h"
#include "support/sim_process.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

using test::SimProcess;

QString sample(const char* name) {
    return QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(name);
}

// The handset command's arguments, given as "sms|send|abc".
QStringList cliArgs(const QString& device, const QString& args) {
    return QStringList{QStringLiteral("--port"), device, QStringLiteral("--timeout"),
                       QStringLiteral("2")} +
           args.split(QLatin1Char('|'));
}

QByteArray lastLine(const QByteArray& out) {
    return out.trimmed().split('\n').last();
}

struct SendCase {
    const char* label;
    const char* reply;  // --reply for the handset; empty for none
    int exitCode;
    const char* lastLine;
};

class SendOverPtyTest : public testing::TestWithParam<SendCase> {};

TEST_P(SendOverPtyTest, OutcomeIsTheLastLine) {
    const SendCase& c = GetParam();
    QStringList options;
    if (*c.reply)
        options << QStringLiteral("--reply") << QString::fromLatin1(c.reply);
    SimProcess sim(options);
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult r =
        test::runCli(cliArgs(sim.device(), QStringLiteral("sms|send|--number|+1234567890|abc")));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.constData();
    EXPECT_EQ(lastLine(r.out), QByteArray(c.lastLine)) << r.out.constData();
    EXPECT_TRUE(r.err.contains("Sending message..."));
    EXPECT_TRUE(sim.log().contains("PDU 0011000A9121436587090000A70361F118"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Replies, SendOverPtyTest,
    testing::Values(
        SendCase{"Sent", "", 0, "Done."},
        SendCase{"PhoneFailure", "CMGS=+CMS ERROR: 300", 1, "Can not connect to phone."},
        SendCase{"NetworkRefusal", "CMGS=+CMS ERROR: 500", 1, "The handset answered \"+CMS ERROR: 500\" (unknown error)."}),
    test::ByLabel());
// clang-format on

struct LineFaultCase {
    const char* label;
    const char* simOptions;  // separated by "|"
    const char* args;
    int exitCode;
    const char* lastLinePart;  // a text the outcome line holds
    const char* errPart;       // a text stderr holds; empty for none
    const char* unanswered;    // the command left without its answer; empty for none
};

class LineFaultOverPtyTest : public testing::TestWithParam<LineFaultCase> {};

// A handset that keeps talking or answers out of turn: the wait ends at the line time-out (2 s
// here; runCli cuts off a wait that never ends, and its exit code then fails the row), and a
// reply that is not the command's own never reads as "Done.".
TEST_P(LineFaultOverPtyTest, EndsInTimeAndTruthfully) {
    const LineFaultCase& c = GetParam();
    SimProcess sim(QString::fromLatin1(c.simOptions).split(QLatin1Char('|')));
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult r = test::runCli(cliArgs(sim.device(), QString::fromLatin1(c.args)));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out.constData() << r.err.constData();
    EXPECT_TRUE(lastLine(r.out).contains(c.lastLinePart)) << r.out.constData();
    EXPECT_TRUE(r.err.contains(c.errPart)) << r.err.constData();
    if (*c.unanswered) {
        // The command's wait was the last and only one: no second wait on the same dead line.
        const QByteArray command = QByteArray("CMD ") + c.unanswered;
        QList<QByteArray> commands = sim.log().split('\n');
        commands.removeIf([](const QByteArray& line) { return !line.startsWith("CMD "); });
        ASSERT_FALSE(commands.isEmpty());
        EXPECT_EQ(commands.last(), command);
        EXPECT_EQ(commands.count(command), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LineFaultOverPtyTest,
    // clang-format off
    testing::Values(
        LineFaultCase{"RingEverySecondToASilentHandset", "--chatter|RING@1000|--silent|CGMI", "identify", 3, "Read timeout.", "", "at+cgmi"},
        LineFaultCase{"RingEverySecondWhileListing", "--chatter|RING@1000", "sms|list", 0, "Done.", "", ""},
        LineFaultCase{"SurplusOkAfterEachDeletion", "--state|" PELMAR_TEST_DATA "/sim-basic.json|--surplus|CMGD=OK", "sms|delete|1|3|99", 1, "could not be deleted", "Not deleted: 99", ""},
        LineFaultCase{"MissedCallWhileDeleting", "--state|" PELMAR_TEST_DATA "/sim-basic.json|--ringing-call", "sms|delete|1|3", 0, "Done.", "Deleted: 1", ""},
        LineFaultCase{"ForeignEchoOfTheFirstCommand", "--echo-as|CGMI=AT+XYZ", "identify", 3, "AT+XYZ", "", "at+cgmi"},
        LineFaultCase{"ForeignEchoOfADeletion", "--echo-as|CMGD=AT+XYZ", "sms|delete|1", 3, "AT+XYZ", "", "at+cmgd=1"}),
    // clang-format on
    test::ByLabel());

TEST(HandsetCliTest, ThirtyMessagesByteByByteAllDecoded) {
    SimProcess sim({QStringLiteral("--state"), sample("sim-30-messages.json"),
                    QStringLiteral("--chunk"), QStringLiteral("1")});
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult r = test::runCli(cliArgs(sim.device(), QStringLiteral("sms|list")));
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 31);
    const auto messages = test::jsonLines(r.out);
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(messages[i]) << lines[i].constData();
        EXPECT_EQ((*messages[i])[u"index"].toInt(), i + 1) << lines[i].constData();
    }
    EXPECT_EQ(lines.last(), "Done.");
    EXPECT_TRUE(r.err.contains("Reading message 30 from 30"));
}

// A 400-character Standard text and 150 characters of Cyrillic and emoji go with --long as
// parts that Gammu links back; a three-part message is stored, listed as one and deleted.
TEST(HandsetCliTest, LongMessagesSentStoredListedAndDeleted) {
    const QString standard = QStringLiteral("Long text, part by part. ").repeated(16);
    const QString cyrillic = QStringLiteral("Привет, мир 😀! ").repeated(10);
    SimProcess sim({QStringLiteral("--state"), sample("sim-basic.json")});
    ASSERT_FALSE(sim.device().isEmpty());
    const auto cli = [&](const QString& args, const QStringList& text = {}) {
        return test::runCli(cliArgs(sim.device(), args) + text);
    };
    const QString to = QStringLiteral("|--number|+1234567890|");

    test::CliResult r = cli(u"sms|send"_s + to + u"--long"_s, {standard});
    EXPECT_EQ(r.out, "Message references: 7, 8, 9\nDone.\n") << r.err.constData();
    EXPECT_TRUE(r.err.contains("Sending part 3 from 3"));
    r = cli(u"sms|send"_s + to + u"--long|--coding|ucs2"_s, {cyrillic});
    EXPECT_EQ(lastLine(r.out), "Done.") << r.err.constData();
    r = cli(u"sms|send"_s + to.chopped(1), {standard});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("400 septets; one Standard message holds 160")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("give --long"));

    r = cli(u"sms|store"_s + to + u"--long|--reference|9"_s, {standard});
    EXPECT_EQ(r.out, "Stored as messages 2, 4, 5\nDone.\n") << r.err.constData();
    r = cli(u"sms|list"_s);
    const auto listed = test::jsonLines(r.out);
    const auto joined = std::find_if(listed.cbegin(), listed.cend(),
                                     [&](const auto& m) { return m && (*m)[u"text"] == standard; });
    ASSERT_NE(joined, listed.cend()) << r.out.constData();
    EXPECT_EQ((**joined)[u"parts"], QJsonArray({2, 4, 5})) << r.out.constData();
    EXPECT_EQ(r.out.count('\n'), 3 + 1);
    EXPECT_EQ(cli(u"sms|list|--parts"_s).out.count('\n'), 5 + 1);
    EXPECT_EQ(lastLine(cli(u"sms|delete|2|4|5"_s).out), "Done.");
    EXPECT_FALSE(cli(u"sms|list"_s).out.contains("parts"));

    sim.stop();
    simulator::HandsetState sent = simulator::emptySimState();
    for (const simulator::SentMessage& m : simulator::loadSimState(sim.statePath()).sent)
        sent.messages.insert(static_cast<int>(sent.messages.size()) + 1, {3, "00", m.tpdu});
    ASSERT_EQ(sent.messages.size(), 6);
    test::GammuHandset gammu;
    if (!gammu.available())
        GTEST_SKIP() << "gammu is not installed";
    ASSERT_TRUE(gammu.start(sent));
    const QString linked = QString::fromUtf8(gammu.run({QStringLiteral("geteachsms")}).out);
    EXPECT_TRUE(linked.contains(u"\n\n"_s + standard + u"\n"_s)) << linked.toStdString();
    EXPECT_TRUE(linked.contains(u"\n\n"_s + cyrillic + u"\n"_s));
    EXPECT_TRUE(linked.contains(u"6 SMS parts in 2 SMS sequences"_s));
}

TEST(HandsetCliTest, CutOffPhonebookReadLeavesTheFileUntouched) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    ASSERT_TRUE(QFile::copy(sample("phonebook-sm.dat"), file));
    const QByteArray before = PhoneBookStore::loadFile(file).toFileBytes();

    SimProcess sim({QStringLiteral("--state"), sample("sim-phonebook-200.json"),
                    QStringLiteral("--hangup-after"), QStringLiteral("3000")});
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult r =
        test::runCli(cliArgs(sim.device(), QStringLiteral("phonebook|read|SM|--out|") + file));
    EXPECT_EQ(r.exitCode, 3) << r.out.constData();
    EXPECT_EQ(PhoneBookStore::loadFile(file).toFileBytes(), before);
}

// Read the SIM phonebook, write it into ME of a handset of one dialect with the CLI's dialect.
struct WriteBackCase {
    const char* label;
    const char* simOption;  // empty for a standard handset
    const char* cliOption;  // empty for the standard write
    int exitCode;
    QByteArray slot1Name, slot3Number;  // what ME holds afterwards
};

class PhonebookWriteBackTest : public testing::TestWithParam<WriteBackCase> {};

TEST_P(PhonebookWriteBackTest, DialectsMeet) {
    const WriteBackCase& c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    QStringList options{QStringLiteral("--state"), sample("sim-basic.json")};
    if (*c.simOption)
        options << QString::fromLatin1(c.simOption);
    SimProcess sim(options);
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult read =
        test::runCli(cliArgs(sim.device(), QStringLiteral("phonebook|read|SM|--out|") + file));
    ASSERT_EQ(read.exitCode, 0) << read.out.constData() << read.err.constData();
    EXPECT_EQ(PhoneBookStore::loadFile(file).count(), 2);

    QString args = QStringLiteral("phonebook|write|ME|--in|") + file;
    if (*c.cliOption)
        args += QLatin1Char('|') + QString::fromLatin1(c.cliOption);
    const test::CliResult written = test::runCli(cliArgs(sim.device(), args));
    EXPECT_EQ(written.exitCode, c.exitCode) << written.out.constData() << written.err.constData();
    sim.stop();
    const simulator::ContactList me =
        simulator::loadSimState(sim.statePath()).phonebooks.value("ME");
    EXPECT_EQ(me.entries.value(1).name, c.slot1Name);
    EXPECT_EQ(me.entries.value(3).number, c.slot3Number);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Dialects, PhonebookWriteBackTest,
    testing::Values(
        WriteBackCase{"Standard", "", "", 0, "Alice", ""},
        WriteBackCase{"OlderHandset", "--older-handset", "--older-handset", 0, "Alice", ""},
        WriteBackCase{"NoSmscIsTheOlderHandset", "--no-smsc", "--no-smsc", 0, "Alice", ""},
        /* Each entry refused; the empty slots already hold the local copy and are left alone. */ WriteBackCase{"OlderFormOnStandardHandset", "", "--older-handset", 1, "", ""}),
    test::ByLabel());
// clang-format on

// A SIM phonebook whose first name reaches over a line end: its line goes out with the quote
// left open. The file is replaced only when asked to keep what could be read.
struct OpenQuoteCase {
    const char* label;
    const char* extra;
    bool fileKept;
};

class OpenQuoteReadTest : public testing::TestWithParam<OpenQuoteCase> {};

TEST_P(OpenQuoteReadTest, SkippedLinesShownFileKeptUnlessAsked) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sm.dat"));
    ASSERT_TRUE(QFile::copy(sample("phonebook-sm.dat"), file));
    const QByteArray before = PhoneBookStore::loadFile(file).toFileBytes();
    const test::CliResult r = test::runCli(cliArgs(
        QStringLiteral("sim:") + sample("sim-phonebook-open-quote.json"),
        QStringLiteral("phonebook|read|SM|--out|") + file + QString::fromLatin1(GetParam().extra)));
    EXPECT_EQ(r.exitCode, 1) << r.out.constData();
    EXPECT_TRUE(r.err.contains("Skipped: +CPBR: 1,\"5550101\",129,\"Ann\n")) << r.err.constData();
    EXPECT_TRUE(lastLine(r.out).contains("1 lines")) << r.out.constData();
    const PhoneBookStore after = PhoneBookStore::loadFile(file);
    if (GetParam().fileKept) {
        EXPECT_EQ(after.toFileBytes(), before);
    } else {
        EXPECT_EQ(after.rows(),
                  (QList<PhoneBookRow>{{QStringLiteral("Bob"), QStringLiteral("5550102")},
                                       {QStringLiteral("Cy"), QStringLiteral("5550103")}}));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, OpenQuoteReadTest,
                         testing::Values(OpenQuoteCase{"FileKept", "", true},
                                         OpenQuoteCase{"KeepPartial", "|--keep-partial", false}),
                         test::ByLabel());

struct RefusalCase {
    const char* label;
    const char* args;  // separated by "|"
    int exitCode;
};

class InProcessHandsetTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(InProcessHandsetTest, ExitCodeTellsWhatHappened) {
    const RefusalCase& c = GetParam();
    const test::CliResult r =
        test::runCli(cliArgs(QStringLiteral("sim"), QString::fromUtf8(c.args)));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out.constData() << r.err.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, InProcessHandsetTest,
    testing::Values(
        RefusalCase{"Identify", "identify", 0},
        RefusalCase{"SendStoredNational", "sms|send-stored|4|--number|5550199", 0},
        RefusalCase{"DeleteUnknownIndex", "sms|delete|1|99", 1},
        RefusalCase{"NoNumber", "sms|send|abc", 2},
        RefusalCase{"IndexNotANumber", "sms|delete|x", 2},
        RefusalCase{"WriteLastDialled", "phonebook|write|LD|--in|" PELMAR_TEST_DATA "/phonebook-sm.dat", 2},
        RefusalCase{"WriteInjectedEntry", "phonebook|write|SM|--in|" PELMAR_TEST_DATA "/broken-phonebook-injection.dat", 2},
        RefusalCase{"RingtoneTooBig", "smart|ringtone|--number|+1|--send|x:" "c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c," "c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c,c," "c,c,c,c,c,c,c", 2},
        RefusalCase{"PictureSent", "smart|picture|--number|+1|--text|Hi|--send", 0}),
    test::ByLabel());
// clang-format on

// The numbers after `label` in the outcome line: "Deleted: 1, 2, 3." gives 1, 2, 3.
QList<int> numbersAfter(const QByteArray& line, const char* label) {
    const QRegularExpression pattern(QLatin1StringView(label) + QStringLiteral("([\\d, ]+)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(line));
    QList<int> numbers;
    for (const QString& text : match.captured(1).split(QStringLiteral(", "), Qt::SkipEmptyParts))
        numbers.append(text.trimmed().toInt());
    return numbers;
}

// The slots the outcome names as written hold the file's entries (or nothing past them), those
// it names as old hold what the handset held before. Slots 201-250 were empty, as the file wants
// them, and were not written.
void writtenSlotsAsTold(const QByteArray& line, const simulator::HandsetState& before,
                        const simulator::HandsetState& after) {
    const PhoneBookStore file = PhoneBookStore::loadFile(sample("phonebook-sm.dat"));
    const QList<int> written = numbersAfter(line, "Wrote ");
    const QList<int> old = numbersAfter(line, "; slots ");
    ASSERT_EQ(written.size(), 1) << line.constData();
    ASSERT_EQ(old.size(), 1) << line.constData();
    EXPECT_TRUE(line.contains("slots 1–" + QByteArray::number(written[0]) +
                              " and 201–250 hold the local copy"))
        << line.constData();
    const simulator::ContactList& was = before.phonebooks.value("SM");
    const simulator::ContactList& is = after.phonebooks.value("SM");
    for (int slot = 1; slot <= written[0]; ++slot) {
        EXPECT_EQ(is.entries.contains(slot), slot <= file.count()) << slot;
        if (slot <= file.count()) {
            EXPECT_EQ(is.entries.value(slot).name, file.at(slot - 1).Name()) << slot;
        }
    }
    for (int slot = old[0]; slot <= 250; ++slot)
        EXPECT_EQ(is.entries.value(slot), was.entries.value(slot)) << slot;
}

void deletedAsTold(const QByteArray& line, const simulator::HandsetState& before,
                   const simulator::HandsetState& after) {
    const QList<int> deleted = numbersAfter(line, "Deleted: ");
    const QList<int> kept = numbersAfter(line, "Not deleted: ");
    EXPECT_FALSE(deleted.isEmpty()) << line.constData();
    EXPECT_FALSE(kept.isEmpty()) << line.constData();
    EXPECT_GE(deleted.size() + kept.size(), 11) << line.constData();
    for (const int index : deleted)
        EXPECT_TRUE(before.messages.contains(index) && !after.messages.contains(index)) << index;
    for (const int index : kept)
        EXPECT_TRUE(after.messages.contains(index)) << index;
}

void nothingSent(const QByteArray&, const simulator::HandsetState& before,
                 const simulator::HandsetState& after) {
    EXPECT_EQ(after.sent, before.sent);
}

// Ctrl-C while a handset command runs on a slow handset.
struct InterruptCase {
    const char* label;
    const char* simOptions;  // separated by "|"
    const char* args;
    const char* errMarker;  // SIGINT once stderr holds this...
    const char* logMarker;  // ...or once the handset logged this line start
    const char* lastLineStart;
    void (*check)(const QByteArray& lastLine, const simulator::HandsetState& before,
                  const simulator::HandsetState& after);
};

class InterruptTest : public testing::TestWithParam<InterruptCase> {};

TEST_P(InterruptTest, CancelsSaysWhatWasDoneAndLeavesTheHandsetReady) {
    const InterruptCase& c = GetParam();
    const QStringList options = QString::fromLatin1(c.simOptions).split(QLatin1Char('|'));
    SimProcess sim(options);
    ASSERT_FALSE(sim.device().isEmpty());

    QProcess cli;
    cli.setReadChannel(QProcess::StandardError);
    // The line time-out only guards against a hang: the handset is slow, never silent.
    cli.start(QStringLiteral(PELMAR_CLI_PATH),
              QStringList{QStringLiteral("--port"), sim.device(), QStringLiteral("--timeout"),
                          QStringLiteral("60")} +
                  QString::fromLatin1(c.args).split(QLatin1Char('|')));
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray err;
    const auto reached = [&] {
        if (*c.errMarker)
            return err.contains(c.errMarker);
        QFile log(sim.logPath());
        return log.open(QIODevice::ReadOnly) &&
               log.readAll().contains(QByteArray("\n") + c.logMarker);
    };
    for (int polls = 0; !reached() && polls < 6000; ++polls) {
        cli.waitForReadyRead(10);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(reached()) << err.constData();
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QByteArray out = cli.readAllStandardOutput();
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 4) << out.constData() << err.constData();
    EXPECT_TRUE(lastLine(out).startsWith(c.lastLineStart)) << out.constData();

    // The handset waits for no PDU: the next command on it goes through.
    const test::CliResult next = test::runCli(cliArgs(sim.device(), QStringLiteral("identify")));
    EXPECT_EQ(next.exitCode, 0) << next.out.constData();
    const QByteArray handsetLog = sim.log();
    if (QByteArray(c.logMarker).startsWith("CMD at+cmgs")) {
        EXPECT_TRUE(handsetLog.contains("\nCANCEL\n")) << "no ESC at the prompt";
    }
    const simulator::HandsetState before = simulator::loadSimState(options.at(1));
    c.check(lastLine(out), before, simulator::loadSimState(sim.statePath()));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SlowHandset, InterruptTest,
    testing::Values(
        InterruptCase{"MidPhonebookWrite", "--state|" PELMAR_TEST_DATA "/sim-phonebook-200.json|--think-ms|20", "phonebook|write|SM|--in|" PELMAR_TEST_DATA "/phonebook-sm.dat", "Writing phonebook (10 from 200)", "", "Cancelled. Wrote ", writtenSlotsAsTold},
        InterruptCase{"MidDelete", "--state|" PELMAR_TEST_DATA "/sim-30-messages.json|--think-ms|20", "sms|delete|1|2|3|4|5|6|7|8|9|10|11|12", "Deleting message 4 from 12", "", "Cancelled. Deleted: 1, 2, 3", deletedAsTold},
        InterruptCase{"AtAPromptThatDoesNotCome", "--state|" PELMAR_TEST_DATA "/sim-basic.json|--no-prompt|CMGS", "sms|send|--number|+1234567890|abc", "", "CMD at+cmgs=", "Cancelled.", nothingSent}),
    test::ByLabel());
// clang-format on

TEST(HandsetCliTest, TimeoutThatIsNoLineTimeoutIsBadInput) {
    for (const char* value : {"nan", "inf", "-1", "0", "0.0001", "3601"}) {
        const test::CliResult r = test::runCli(
            {QStringLiteral("--port"), QStringLiteral("sim"), QStringLiteral("--timeout"),
             QLatin1StringView(value), QStringLiteral("identify")});
        EXPECT_EQ(r.exitCode, 2) << value;
        EXPECT_TRUE(r.err.contains("--timeout takes seconds")) << value << r.err.constData();
    }
}

TEST(HandsetCliTest, MissingDeviceIsALinkFailure) {
    const test::CliResult r = test::runCli(
        cliArgs(QStringLiteral("/dev/pelmar-no-such-port"), QStringLiteral("identify")));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.out.trimmed().isEmpty());
}

}  // namespace
}  // namespace pelmar
