#include "link/at_channel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <atomic>
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
            reply = channel.submitPdu(parts.value(0), parts.value(1));
        } else {
            reply = channel.command(step.argument);
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

TEST(AtChannelTest, TwoRepliesInOneReadAnswerTwoCommands) {
    ScriptedTransport line;
    line.answer("\r\nOK\r\n\r\n+CPBS: \"SM\",3,250\r\n\r\nOK\r\n+CMTI: \"SM\",5\r\n");
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    EXPECT_TRUE(channel.command("at+cpbs=\"SM\"").isOk());
    const AtReply second = channel.command("at+cpbs?");
    EXPECT_EQ(second.lines, QByteArrayList{"+CPBS: \"SM\",3,250"});
    // the code after the second reply is not lost: the next reply carries it
    line.answer("\r\nOK\r\n");
    EXPECT_EQ(channel.command("at").unsolicited, QByteArrayList{"+CMTI: \"SM\",5"});
}

TEST(AtChannelTest, LinesAreSeenAsTheyArrive) {
    ScriptedTransport line;
    line.setChunk(5);
    line.answer("\r\n+CMGL: 1,1,,3\r\n000000\r\n+CMGL: 2,1,,3\r\n000000\r\n\r\nOK\r\n");
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    QByteArrayList seen;
    const AtReply reply =
        channel.command("at+cmgl=4", [&](const QByteArray& l) { seen.append(l); });
    EXPECT_EQ(seen, reply.lines);
    EXPECT_EQ(seen.size(), 4);
}

TEST(AtChannelTest, BytesOfAnEarlierSessionAnswerNothing) {
    ScriptedTransport line;
    line.answer("\r\nOK\r\n\r\n+CMS ERROR: 300\r\n");  // a late answer from the last session
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    channel.command("at");
    channel.ClosePort();
    line.answer("\r\n+CMGS: 7\r\n\r\nOK\r\n");
    channel.OpenPort();
    EXPECT_TRUE(channel.command("at").isOk());
}

TEST(AtChannelTest, CommandWithLineBreakIsRefusedBeforeWriting) {
    ScriptedTransport line;
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    EXPECT_THROW(channel.SendCommand("at+cpbw=1,\"1\",129,\"x\"\rat+cmgd=1"), Error);
    EXPECT_THROW(channel.SendCommand(QByteArrayView("at\x1A", 3)), Error);
    EXPECT_TRUE(line.written.isEmpty());
}

struct WaitCase {
    const char* label;
    QByteArray answer;
    qsizetype chunk;
    std::chrono::milliseconds pause;  // before each piece
    bool timesOut;
};

class WaitTest : public testing::TestWithParam<WaitCase> {};

// The time-out counts from the last complete line: silence and garbage end the wait, a slow
// listing that keeps delivering lines does not.
TEST_P(WaitTest, TimesOutOnlyWithoutCompleteLines) {
    const WaitCase& c = GetParam();
    ScriptedTransport line;
    line.setChunk(c.chunk);
    line.setPause(c.pause);
    line.answer(c.answer);
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    const auto start = Clock::now();
    if (c.timesOut) {
        try {
            channel.command("at+cmgl=4");
            FAIL() << "no time-out";
        } catch (const ReadTimeout& e) {
            EXPECT_EQ(
                e.message(),
                QStringLiteral("Read timeout. Possibly COM3 is not a valid port for Dovrel."));
        }
        const auto took = Clock::now() - start;
        EXPECT_GE(took, 300ms);
        EXPECT_LT(took, 900ms);
    } else {
        EXPECT_TRUE(channel.command("at+cmgl=4").isOk());
        EXPECT_GT(Clock::now() - start, 600ms);  // longer than the time-out in all
    }
}

QByteArray slowListing() {
    QByteArray listing;
    for (int i = 1; i <= 8; ++i) {
        listing += "+CMGL: " + QByteArray::number(i) + ",1,,3\r\n000000\r\n";
    }
    return listing + "OK\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Waits, WaitTest,
    testing::Values(WaitCase{"Silence", "", 0, 0ms, true},
                    WaitCase{"EchoThenSilence", "at+cmgl=4\r\r\n+CMGL: 1,1,,3\r\n", 0, 0ms, true},
                    WaitCase{"GarbageWithoutLineEnds", QByteArray(400, '\xFF'), 4, 5ms, true},
                    // one line about every 50 ms, 17 lines: 850 ms against a 300 ms time-out
                    WaitCase{"SlowListingKeepsArriving", slowListing(), 7, 25ms, false}),
    test::ByLabel());

TEST(AtChannelTest, ReplyOverOneMebibyteIsAnError) {
    ScriptedTransport line;
    QByteArray flood;
    const QByteArray entry = "+CPBR: 1,\"12345\",129,\"" + QByteArray(200, 'x') + "\"\r\n";
    while (flood.size() <= 2 * AtChannel::kMaxReplySize) {
        flood += entry;
    }
    line.setChunk(64 * 1024);
    line.answer(flood);
    AtChannel channel(line, 300ms);
    channel.OpenPort();
    EXPECT_THROW(channel.command("at+cpbr=1,250"), ReplyTooLong);
}

TEST(AtChannelTest, WaitForPromptThatNeverComesSendsEscape) {
    ScriptedTransport line;
    AtChannel channel(line, 200ms);
    channel.OpenPort();
    EXPECT_THROW(channel.submitPdu("at+cmgs=17", "0011"), ReadTimeout);
    EXPECT_EQ(line.written, "at+cmgs=17\r\x1B");
}

TEST(AtChannelTest, CancelEndsTheWaitAtOnce) {
    ScriptedTransport line;
    AtChannel channel(line, 10s);
    channel.OpenPort();
    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        channel.requestCancel();
    });
    const auto start = Clock::now();
    EXPECT_THROW(channel.command("at+cmgl=4"), Cancelled);
    canceller.join();
    EXPECT_LT(Clock::now() - start, 1s);
}

}  // namespace
}  // namespace pelmar
