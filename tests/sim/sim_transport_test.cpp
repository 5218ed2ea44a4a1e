#include "sim/sim_transport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "base/error.h"
#include "support/table.h"

namespace pelmar {
namespace {

using std::chrono::milliseconds;

simulator::HandsetState basicState() {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

const QByteArray kSubmit = QByteArrayLiteral("0011000A9121436587090000A70361F118");

// Every read until one comes back empty.
QList<QByteArray> readAll(simulator::SimTransport& line) {
    QList<QByteArray> reads;
    for (QByteArray r = line.read(milliseconds(0)); !r.isEmpty(); r = line.read(milliseconds(0))) {
        reads.append(r);
    }
    return reads;
}

QByteArray exchange(simulator::SimTransport& line, QByteArrayView bytes) {
    line.write(bytes);
    return readAll(line).join();
}

struct FaultCase {
    const char* label;
    void (*configure)(simulator::SimOptions&);
    QByteArray input;
    QByteArray output;  // everything the client reads, echo included
};

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, ShowsOnTheLine) {
    simulator::SimOptions options;
    GetParam().configure(options);
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim);
    line.open();
    EXPECT_EQ(exchange(line, GetParam().input), GetParam().output);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modes, FaultTest,
    testing::Values(
        FaultCase{"UrcInsideShortReply", [](simulator::SimOptions& o) { o.urc = "+CMTI: \"SM\",3"; }, "at+cgmi\r", "at+cgmi\r\r\nTESTCO\r\n\r\n+CMTI: \"SM\",3\r\n\r\nOK\r\n"},
        FaultCase{"UrcBeforeBareResult", [](simulator::SimOptions& o) { o.urc = "RING"; }, "AT\r", "AT\r\r\nRING\r\n\r\nOK\r\n"},
        FaultCase{"UrcBetweenListedEntries", [](simulator::SimOptions& o) { o.urc = "RING"; }, "at+cpbr=1,10\r", "at+cpbr=1,10\r\r\n+CPBR: 1,\"+12025550123\",145,\"Alice\"\r\n\r\nRING\r\n" "\r\n+CPBR: 4,\"5550199\",129,\"\xC8\xE2\xE0\xED\"\r\n\r\nOK\r\n"},
        FaultCase{"UrcBeforePrompt", [](simulator::SimOptions& o) { o.urc = "RING"; }, "at+cmgs=16\r", "at+cmgs=16\r\r\nRING\r\n\r\n> "},
        FaultCase{"ReplyOverride", [](simulator::SimOptions& o) { simulator::addReplyOverride(o, "AT+CPBR=ERROR"); }, "at+cpbr=1,10\r", "at+cpbr=1,10\r\r\nERROR\r\n"},
        FaultCase{"OverrideIsTheResultAfterThePdu", [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGS=+CMS ERROR: 500");}, "at+cmgs=16\r" + kSubmit + '\x1A', "at+cmgs=16\r\r\n> " + kSubmit + "\r\n+CMS ERROR: 500\r\n"},
        FaultCase{"NoPromptStillTakesThePdu", [](simulator::SimOptions& o) { o.noPrompt.insert("CMGS"); }, "at+cmgs=16\r" + kSubmit + '\x1A', "at+cmgs=16\r" + kSubmit + "\r\n+CMGS: 7\r\n\r\nOK\r\n"},
        FaultCase{"SilentCommandNotEvenEchoed", [](simulator::SimOptions& o) { o.silent.insert("CPBR"); }, "at+cpbr=1,10\rAT\r", "AT\r\r\nOK\r\n"},
        FaultCase{"GarbageBeforeReply", [](simulator::SimOptions& o) { o.garbage = QByteArray("\xFF\x00x", 3); }, "AT\r", QByteArray("AT\r\xFF\x00x\r\nOK\r\n", 12)}),
    test::ByLabel());
// clang-format on

TEST(FaultTest, OverriddenSubmissionSendsNothing) {
    simulator::SimOptions options;
    simulator::addReplyOverride(options, "CMGS=+CMS ERROR: 300");
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim);
    line.open();
    exchange(line, "at+cmgs=16\r" + kSubmit + '\x1A');
    EXPECT_TRUE(sim.state().sent.isEmpty());
}

TEST(ChunkTest, OneByteChunksSplitEveryByte) {
    simulator::SimOptions options;
    simulator::setChunking(options, "1");
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim);
    line.open();
    line.write("at+cgmi\r");
    const QList<QByteArray> reads = readAll(line);
    EXPECT_EQ(reads.join(), QByteArray("at+cgmi\r\r\nTESTCO\r\n\r\nOK\r\n"));
    for (const QByteArray& r : reads)
        EXPECT_EQ(r.size(), 1);
}

TEST(ChunkTest, RandomChunksAreRepeatableBySeed) {
    auto split = [](quint32 seed) {
        simulator::SimOptions options;
        simulator::setChunking(options, "random");
        options.seed = seed;
        simulator::HandsetSim sim(basicState(), options);
        simulator::SimTransport line(sim);
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
    simulator::SimOptions options;
    EXPECT_THROW(simulator::setChunking(options, "0"), Error);
    EXPECT_THROW(simulator::setChunking(options, "big"), Error);
    EXPECT_THROW(simulator::addReplyOverride(options, "no equals sign"), Error);
}

TEST(HangupTest, LineDiesAfterItsBytes) {
    simulator::SimOptions options;
    options.hangupAfter = 12;
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim);
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
    simulator::HandsetSim sim(basicState());
    simulator::SimTransport line(sim);
    line.open();
    exchange(line, "at+cmgw=16\r0011");
    line.close();
    line.open();
    EXPECT_EQ(exchange(line, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_EQ(sim.state().messages.size(), 2);
    EXPECT_THROW(simulator::SimTransport(sim).write("AT\r"), Error);  // never opened
}

TEST(TimingTest, ThinkTimeDelaysTheAnswerNotTheEcho) {
    simulator::SimOptions options;
    options.think = milliseconds(60);
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim, simulator::SimTransport::Timing::Real);
    line.open();
    QElapsedTimer clock;
    clock.start();
    line.write("AT\r");
    EXPECT_EQ(line.read(milliseconds(0)), QByteArray("AT\r"));  // the echo is there at once
    EXPECT_EQ(line.read(milliseconds(10)), QByteArray());       // not thought out yet
    EXPECT_EQ(line.read(milliseconds(500)), QByteArray("\r\nOK\r\n"));
    EXPECT_GE(clock.elapsed(), 59);
}

TEST(TimingTest, PacingTakesTenBitsPerByteBothWays) {
    simulator::SimOptions options;
    options.baud = 2400;  // 240 bytes a second
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim, simulator::SimTransport::Timing::Real);
    line.open();
    QElapsedTimer clock;
    clock.start();
    line.write("ATE0\r");  // 5 bytes written, 5 echoed, 6 answered: 16 bytes, 66.7 ms
    QByteArray got;
    while (!got.endsWith("OK\r\n"))
        got += line.read(milliseconds(500));
    EXPECT_GE(clock.elapsed(), 66);
}

TEST(TimingTest, FastTimingIgnoresThinkTime) {
    simulator::SimOptions options;
    options.think = std::chrono::seconds(10);
    simulator::HandsetSim sim(basicState(), options);
    simulator::SimTransport line(sim, simulator::SimTransport::Timing::Fast);
    line.open();
    EXPECT_EQ(exchange(line, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
}

}  // namespace
}  // namespace pelmar
