#include "link/at_channel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <atomic>
#include <stop_token>
#include <string>
#include <thread>

#include "link/scripted_transport.h"
#include "support/table.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using test::ScriptedTransport;
using Clock = std::chrono::steady_clock;

QByteArray unescape(QByteArrayView text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') {
            out += '\r';
        } else if (c == 'n') {
            out += '\n';
        } else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(text.sliced(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// One step of a transcript: what the host does and what it must get back.
struct Step {
    QByteArray action;  // "command" or "submit"
    QByteArray argument;
    QByteArrayList lines, urcs;
    bool checkLines = false, checkUrcs = false, promptMissing = false;
    QByteArray result, identity, written;
    int code = -2;
};

struct Transcript {
    QByteArrayList waiting, answers;
    QList<Step> steps;
};

// The transcripts in tests/data: "command TEXT" or "submit TEXT|HEX" is what the host does,
// "handset BYTES" the handset's answer to the host's next line, "waiting BYTES" is on the line
// when it opens, "expect-..." checks the reply of the step before.
Transcript readTranscript(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    Transcript t;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = space < 0 ? line : line.left(space);
        const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
        Step* step = t.steps.isEmpty() ? nullptr : &t.steps.last();
        if (key == "command" || key == "submit") {
            Step next;
            next.action = key;
            next.argument = value;
            t.steps.append(next);
        } else if (key == "handset") {
            t.answers.append(unescape(value));
        } else if (key == "waiting") {
            t.waiting.append(unescape(value));
        } else if (step == nullptr) {
            ADD_FAILURE() << "expectation before any step: " << line.constData();
        } else if (key == "expect-line") {
            step->lines.append(unescape(value));
            step->checkLines = true;
        } else if (key == "expect-urc") {
            step->urcs.append(unescape(value));
            step->checkUrcs = true;
        } else if (key == "expect-result") {
            step->result = value;
        } else if (key == "expect-code") {
            step->code = value.toInt();
        } else if (key == "expect-identity") {
            step->identity = value;
        } else if (key == "expect-prompt-missing") {
            step->promptMissing = true;
        } else if (key == "expect-written") {
            step->written = unescape(value);
        } else {
            ADD_FAILURE() << "unknown transcript line: " << line.constData();
        }
    }
    return t;
}

struct TranscriptCase {
    std::string label;
    QString path;
    qsizetype chunk;  // 0: each answer in one piece
};

std::vector<TranscriptCase> transcriptCases() {
    const QDir data(QStringLiteral(PELMAR_TEST_DATA));
    const struct {
        const char* name;
        qsizetype chunk;
    } chunkings[] = {{"Whole", 0}, {"EveryByte", 1}, {"ThreeBytes", 3}};
    std::vector<TranscriptCase> cases;
    for (const QString& file : data.entryList({QStringLiteral("transcript-*.txt")})) {
        QString name = file.mid(11).chopped(4);
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        for (const auto& chunking : chunkings) {
            cases.push_back(
                {name.toStdString() + "_" + chunking.name, data.filePath(file), chunking.chunk});
        }
    }
    return cases;
}

class TranscriptTest : public testing::TestWithParam<TranscriptCase> {};

TEST_P(TranscriptTest, RepliesComeOutWhole) {
    const Transcript t = readTranscript(GetParam().path);
    ASSERT_FALSE(t.steps.isEmpty());
    ScriptedTransport line;
    line.setChunk(GetParam().chunk);
    for (const QByteArray& bytes : t.waiting) {
        line.waiting(bytes);
    }
    for (const QByteArray& bytes : t.answers) {
        line.answer(bytes);
    }
    AtChannel channel(line, 2s);
    channel.OpenPort();
    for (const Step& step : t.steps) {
        SCOPED_TRACE(step.argument.toStdString());
        AtReply reply;
        if (step.action == "submit") {
            const QByteArrayList parts = step.argument.split('|');
            reply = channel.SendPdu(parts.value(0), parts.value(1));
        } else {
            reply = channel.SendAndWait(step.argument);
        }
        if (step.checkLines) {
            EXPECT_EQ(reply.lines, step.lines);
        }
        if (step.checkUrcs) {
            EXPECT_EQ(reply.unsolicited, step.urcs);
        }
        if (!step.result.isEmpty()) {
            EXPECT_EQ(reply.resultLine, step.result);
        }
        if (step.code != -2) {
            EXPECT_EQ(reply.errorCode(), step.code);
        }
        if (!step.identity.isEmpty()) {
            EXPECT_EQ(identityLineOf(reply), QString::fromLatin1(step.identity));
        }
        if (!step.written.isEmpty()) {
            EXPECT_EQ(line.written, step.written);
        }
        EXPECT_EQ(reply.promptMissing, step.promptMissing);
        EXPECT_FALSE(reply.prompt);
        EXPECT_EQ(reply.isOk(), reply.resultLine == "OK" && !reply.promptMissing);
    }
}

INSTANTIATE_TEST_SUITE_P(Handsets, TranscriptTest, testing::ValuesIn(transcriptCases()),
                         test::ByLabel());

TEST(AtChannelTest, LinesAreSeenAsTheyArrive) {
    ScriptedTransport line;
    line.setChunk(5);
    line.answer("\r\n+CMGL: 1,1,,3\r\n000000\r\n+CMGL: 2,1,,3\r\n000000\r\n\r\nOK\r\n");
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    QByteArrayList seen;
    const AtReply reply =
        channel.SendAndWait("at+cmgl=4", [&](const QByteArray& l) { seen.append(l); });
    EXPECT_EQ(seen, reply.lines);
    EXPECT_EQ(seen.size(), 4);
}

TEST(AtChannelTest, BytesOfAnEarlierSessionAnswerNothing) {
    ScriptedTransport line;
    line.answer("\r\nOK\r\n\r\n+CMS ERROR: 300\r\n");  // a late answer from the last session
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    channel.SendAndWait("at");
    channel.ClosePort();
    line.answer("\r\n+CMGS: 7\r\n\r\nOK\r\n");
    channel.OpenPort();
    EXPECT_TRUE(channel.SendAndWait("at").isOk());
}

TEST(AtChannelTest, CommandWithLineBreakIsRefusedBeforeWriting) {
    ScriptedTransport line;
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    EXPECT_THROW(channel.SendCommand("at+cpbw=1,\"1\",129,\"x\"\rat+cmgd=1"), Error);
    EXPECT_THROW(channel.SendCommand(QByteArrayView("at\x1A", 3)), Error);
    EXPECT_TRUE(line.written.isEmpty());
}

enum class Ends { Ok, Timeout, Mismatch };

struct WaitCase {
    const char* label;
    QByteArray answer;  // to the listing command, after an "at" answered with echo on
    qsizetype chunk;
    std::chrono::milliseconds pause;  // before each piece
    int expectedEntries;              // -1: an ordinary command
    Ends ends;
    std::chrono::milliseconds atLeast, below;
    const char* stray = "";  // for a mismatch: the line that answered another command
};

class WaitTest : public testing::TestWithParam<WaitCase> {};

// Only the reply's own lines extend the wait, within a total deadline: a line time-out for an
// ordinary command, more for a listing of some entries. Chatter and foreign answers do not.
TEST_P(WaitTest, EndsInTime) {
    const WaitCase& c = GetParam();
    ScriptedTransport line;
    line.answer("at\r\r\nOK\r\n");
    line.answer(c.answer);
    AtChannel channel(line, 300ms);
    channel.setListingAllowance({50ms, 100ms});
    channel.OpenPort();
    ASSERT_TRUE(channel.SendAndWait("at").isOk());
    line.setChunk(c.chunk);
    line.setPause(c.pause);
    const auto start = Clock::now();
    Ends ends = Ends::Ok;
    QString text;
    try {
        EXPECT_TRUE(channel.SendAndWait("at+cmgl=4", {}, c.expectedEntries).isOk());
    } catch (const ReadTimeout& e) {
        ends = Ends::Timeout;
        text = e.message();
    } catch (const ReplyMismatch& e) {
        ends = Ends::Mismatch;
        text = e.message();
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(ends, c.ends) << text.toStdString();
    EXPECT_GE(took, c.atLeast);
    EXPECT_LT(took, c.below);
    if (ends == Ends::Timeout) {
        EXPECT_EQ(text,
                  QStringLiteral("Read timeout. Possibly COM3 is not a valid port for Dovrel."));
    } else if (ends == Ends::Mismatch) {
        EXPECT_EQ(text, QStringLiteral("No answer to \"at+cmgl=4\" came from COM3: the handset "
                                       "sent \"%1\", which answers another command.")
                            .arg(QLatin1StringView(c.stray)));
    }
}

QByteArray repeated(const QByteArray& piece, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

QByteArray listing(int entries, const QByteArray& end = "OK\r\n") {
    QByteArray out = "at+cmgl=4\r\r\n";
    for (int i = 1; i <= entries; ++i) {
        out += "+CMGL: " + QByteArray::number(i) + ",1,,3\r\n000000\r\n";
    }
    return out + end;
}

const QByteArray kRing = "\r\nRING\r\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Waits, WaitTest,
    testing::Values(
        WaitCase{"Silence", "", 0, 0ms, -1, Ends::Timeout, 300ms, 600ms},
        WaitCase{"EchoThenSilence", "at+cmgl=4\r\r\n+CMGL: 1,1,,3\r\n", 0, 0ms, -1, Ends::Timeout, 300ms, 600ms},
        WaitCase{"GarbageWithoutLineEnds", QByteArray(400, '\xFF'), 4, 5ms, -1, Ends::Timeout, 300ms, 600ms},
        /* a line every 50 ms, 17 lines: 850 ms against a 300 ms time-out, 20 entries allowed */ WaitCase{"SlowListingKeepsArriving", listing(8), 7, 25ms, 20, Ends::Ok, 600ms, 1400ms},
        WaitCase{"SlowReplyOfAnOrdinaryCommand", listing(8), 7, 25ms, -1, Ends::Timeout, 300ms, 600ms},
        WaitCase{"RingEvery50ms", repeated(kRing, 40), 8, 50ms, -1, Ends::Timeout, 300ms, 600ms},
        WaitCase{"RingsAfterTwoEntries", listing(2, repeated(kRing, 40)), 8, 25ms, 20, Ends::Timeout, 300ms, 1000ms},
        /* 300 ms + 2 x 50 ms + 100 ms, though entries keep coming for 2 s */ WaitCase{"ListingBeyondItsCount", listing(80), 14, 50ms, 2, Ends::Timeout, 500ms, 800ms},
        WaitCase{"ForeignEchoAndItsAnswer", "AT+XYZ\r\r\nOK\r\n", 0, 0ms, -1, Ends::Mismatch, 300ms, 600ms, "AT+XYZ"},
        WaitCase{"ResultBeforeTheEcho", "\r\n+CMS ERROR: 321\r\n", 0, 0ms, -1, Ends::Mismatch, 300ms, 600ms, "+CMS ERROR: 321"}),
    test::ByLabel());
// clang-format on

struct CapCase {
    const char* label;
    int entries;          // long message entries sent, then OK
    int expectedEntries;  // -1: an ordinary command
    bool tooLong;
};

class ReplyCapTest : public testing::TestWithParam<CapCase> {};

// 1 MiB for a reply, and room for the entries a listing was expected to hold besides.
TEST_P(ReplyCapTest, ListingsAreReadWholeFloodsAreCut) {
    const CapCase& c = GetParam();
    const QByteArray pdu(352, 'A');  // 176 octets
    QByteArray answer;
    for (int i = 1; i <= c.entries; ++i) {
        answer += "+CMGL: " + QByteArray::number(i) + ",1,,176\r\n" + pdu + "\r\n";
    }
    ScriptedTransport line;
    line.setChunk(64 * 1024);
    line.answer(answer + "OK\r\n");
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    if (c.tooLong) {
        EXPECT_THROW(channel.SendAndWait("at+cmgl=4", {}, c.expectedEntries), ReplyTooLong);
    } else {
        EXPECT_EQ(channel.SendAndWait("at+cmgl=4", {}, c.expectedEntries).lines.size(),
                  2 * c.entries);
    }
}

INSTANTIATE_TEST_SUITE_P(Caps, ReplyCapTest,
                         testing::Values(CapCase{"FloodToAnOrdinaryCommand", 3200, -1, true},
                                         CapCase{"ThousandsOfLongMessages", 3200, 3200, false},
                                         CapCase{"ListingFarBeyondItsCount", 6400, 100, true}),
                         test::ByLabel());

TEST(AtChannelTest, WaitForPromptThatNeverComesSendsEscape) {
    ScriptedTransport line;
    AtChannel channel(line, 200ms);
    channel.OpenPort();
    EXPECT_THROW(channel.SendPdu("at+cmgs=17", "0011"), ReadTimeout);
    EXPECT_EQ(line.written, "at+cmgs=17\r\x1B");
}

TEST(AtChannelTest, CancelEndsTheWaitAtOnceAndWritesNoFurtherCommand) {
    ScriptedTransport line;
    AtChannel channel(line, 10s);
    std::stop_source stop;
    channel.setStopToken(stop.get_token());
    channel.OpenPort();
    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    // Cancelled, not the read time-out of 10 s: the stop ended the wait.
    EXPECT_THROW(channel.SendAndWait("at+cmgl=4"), Cancelled);
    canceller.join();
    EXPECT_THROW(channel.SendAndWait("at+cmgd=1"), Cancelled);
    EXPECT_EQ(line.written, "at+cmgl=4\r");
}

}  // namespace
}  // namespace pelmar
