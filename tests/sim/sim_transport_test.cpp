#include "sim/sim_transport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "base/error.h"
#include "support/table.h"

namespace pelmar {
namespace {

using std::chrono::milliseconds;

SimState basicState() {
    return loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

const QByteArray kSubmit = QByteArrayLiteral("0011000A9121436587090000A70361F118");

// Every read until one comes back empty.
QList<QByteArray> readAll(SimTransport& line) {
    QList<QByteArray> reads;
    for (QByteArray r = line.read(milliseconds(0)); !r.isEmpty(); r = line.read(milliseconds(0))) {
        reads.append(r);
    }
    return reads;
}

QByteArray exchange(SimTransport& line, QByteArrayView bytes) {
    line.write(bytes);
    return readAll(line).join();
}

struct FaultCase {
    const char* label;
    void (*configure)(SimOptions&);
    QByteArray input;
    QByteArray output;  // everything the client reads, echo included
};

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, ShowsOnTheLine) {
    SimOptions options;
    GetParam().configure(options);
    HandsetSim sim(basicState(), options);
    SimTransport line(sim);
    line.open();
    EXPECT_EQ(exchange(line, GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FaultTest,
    testing::Values(
        FaultCase{"UrcInsideShortReply", [](SimOptions& o) { o.urc = "+CMTI: \"SM\",3"; },
                  "at+cgmi\r", "at+cgmi\r\r\nTESTCO\r\n\r\n+CMTI: \"SM\",3\r\n\r\nOK\r\n"},
        FaultCase{"UrcBeforeBareResult", [](SimOptions& o) { o.urc = "RING"; }, "AT\r",
                  "AT\r\r\nRING\r\n\r\nOK\r\n"},
        FaultCase{"UrcBetweenListedEntries", [](SimOptions& o) { o.urc = "RING"; },
                  "at+cpbr=1,10\r",
                  "at+cpbr=1,10\r\r\n+CPBR: 1,\"+12025550123\",145,\"Alice\"\r\n\r\nRING\r\n"
                  "\r\n+CPBR: 4,\"5550199\",129,\"\xC8\xE2\xE0\xED\"\r\n\r\nOK\r\n"},
        FaultCase{"UrcBeforePrompt", [](SimOptions& o) { o.urc = "RING"; }, "at+cmgs=16\r",
                  "at+cmgs=16\r\r\nRING\r\n\r\n> "},
        FaultCase{"ReplyOverride", [](SimOptions& o) { addReplyOverride(o, "AT+CPBR=ERROR"); },
                  "at+cpbr=1,10\r", "at+cpbr=1,10\r\r\nERROR\r\n"},
        FaultCase{"OverrideIsTheResultAfterThePdu",
                  [](SimOptions& o) { addReplyOverride(o, "CMGS=+CMS ERROR: 500"); },
                  "at+cmgs=16\r" + kSubmit + '\x1A',
                  "at+cmgs=16\r\r\n> " + kSubmit + "\r\n+CMS ERROR: 500\r\n"},
        FaultCase{"NoPromptStillTakesThePdu", [](SimOptions& o) { o.noPrompt.insert("CMGS"); },
                  "at+cmgs=16\r" + kSubmit + '\x1A',
                  "at+cmgs=16\r" + kSubmit + "\r\n+CMGS: 7\r\n\r\nOK\r\n"},
        FaultCase{"SilentCommandNotEvenEchoed", [](SimOptions& o) { o.silent.insert("CPBR"); },
                  "at+cpbr=1,10\rAT\r", "AT\r\r\nOK\r\n"},
        FaultCase{"GarbageBeforeReply",
                  [](SimOptions& o) { o.garbage = QByteArray("\xFF\x00x", 3); }, "AT\r",
                  QByteArray("AT\r\xFF\x00x\r\nOK\r\n", 12)}),
    test::ByLabel());

TEST(FaultTest, OverriddenSubmissionSendsNothing) {
    SimOptions options;
    addReplyOverride(options, "CMGS=+CMS ERROR: 300");
    HandsetSim sim(basicState(), options);
    SimTransport line(sim);
    line.open();
    exchange(line, "at+cmgs=16\r" + kSubmit + '\x1A');
    EXPECT_TRUE(sim.state().sent.isEmpty());
}

TEST(ChunkTest, OneByteChunksSplitEveryByte) {
    SimOptions options;
    setChunking(options, "1");
    HandsetSim sim(basicState(), options);
    SimTransport line(sim);
    line.open();
    line.write("at+cgmi\r");
    const QList<QByteArray> reads = readAll(line);
    EXPECT_EQ(reads.join(), QByteArray("at+cgmi\r\r\nTESTCO\r\n\r\nOK\r\n"));
    for (const QByteArray& r : reads)
        EXPECT_EQ(r.size(), 1);
}

TEST(ChunkTest, RandomChunksAreRepeatableBySeed) {
    auto split = [](quint32 seed) {
        SimOptions options;
        setChunking(options, "random");
        options.seed = seed;
        HandsetSim sim(basicState(), options);
        SimTransport line(sim);
        line.open();
        line.write("at+cmgl=4\r");
        QList<qsizetype> sizes;
        for (const QByteArray& r : readAll(line))
            sizes.append(r.size());
        return sizes;
    };
    const QList<qsizetype> first = split(5);
    EXPECT_EQ(first, split(5));
    EXPECT_GT(first.size(), 4);
    for (const qsizetype s : first)
        EXPECT_TRUE(s >= 1 && s <= 16) << s;
}

TEST(ChunkTest, BadChunkSizesRefused) {
    SimOptions options;
    EXPECT_THROW(setChunking(options, "0"), Error);
    EXPECT_THROW(setChunking(options, "big"), Error);
    EXPECT_THROW(addReplyOverride(options, "no equals sign"), Error);
}

TEST(HangupTest, LineDiesAfterItsBytes) {
    SimOptions options;
    options.hangupAfter = 12;
    HandsetSim sim(basicState(), options);
    SimTransport line(sim);
    line.open();
    line.write("at+cgmi\r");
    EXPECT_EQ(line.read(milliseconds(0)), QByteArray("at+cgmi\r"));
    EXPECT_EQ(line.read(milliseconds(0)), QByteArray("\r\nTE"));
    EXPECT_THROW(line.read(milliseconds(0)), Error);
    EXPECT_THROW(line.write("AT\r"), Error);
    line.close();
    EXPECT_THROW(line.open(), Error);
}

TEST(LineTest, ClosingAbandonsAMessageBeingTyped) {
    HandsetSim sim(basicState());
    SimTransport line(sim);
    line.open();
    exchange(line, "at+cmgw=16\r0011");
    line.close();
    line.open();
    EXPECT_EQ(exchange(line, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_EQ(sim.state().messages.size(), 2);
    EXPECT_THROW(SimTransport(sim).write("AT\r"), Error);  // never opened
}

TEST(TimingTest, ThinkTimeDelaysTheAnswerNotTheEcho) {
    SimOptions options;
    options.think = milliseconds(60);
    HandsetSim sim(basicState(), options);
    SimTransport line(sim, SimTransport::Timing::Real);
    line.open();
    QElapsedTimer clock;
    clock.start();
    line.write("AT\r");
    EXPECT_EQ(line.read(milliseconds(500)), QByteArray("AT\r"));
    EXPECT_LT(clock.elapsed(), 40);
    EXPECT_EQ(line.read(milliseconds(10)), QByteArray());  // not thought out yet
    EXPECT_EQ(line.read(milliseconds(500)), QByteArray("\r\nOK\r\n"));
    EXPECT_GE(clock.elapsed(), 59);
}

TEST(TimingTest, PacingTakesTenBitsPerByteBothWays) {
    SimOptions options;
    options.baud = 2400;  // 240 bytes a second
    HandsetSim sim(basicState(), options);
    SimTransport line(sim, SimTransport::Timing::Real);
    line.open();
    QElapsedTimer clock;
    clock.start();
    line.write("ATE0\r");  // 5 bytes written, 5 echoed, 6 answered: 16 bytes, 66.7 ms
    QByteArray got;
    while (!got.endsWith("OK\r\n"))
        got += line.read(milliseconds(500));
    EXPECT_GE(clock.elapsed(), 66);
    EXPECT_LT(clock.elapsed(), 400);
}

TEST(TimingTest, FastTimingIgnoresThinkTime) {
    SimOptions options;
    options.think = std::chrono::seconds(10);
    HandsetSim sim(basicState(), options);
    SimTransport line(sim, SimTransport::Timing::Fast);
    line.open();
    EXPECT_EQ(exchange(line, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
}

}  // namespace
}  // namespace pelmar
