#include "link/wire_log.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QRegularExpression>

#include "sim/handset_sim.h"
#include "sim/sim_transport.h"

namespace pelmar {
namespace {

using std::chrono::milliseconds;

// An exchange with a handset through the log: every byte both ways, in order, with a time and
// its direction, control bytes and the handset's own bytes spelled out.
TEST(WireLogTest, ShowsEveryByteBothWays) {
    simulator::HandsetSim sim(
        simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json")));
    simulator::SimTransport line(sim);
    QBuffer log;
    log.open(QIODevice::WriteOnly);
    WireLog wire(line, &log);
    wire.open();
    wire.write("at+cgmi\r");
    QByteArray answer;
    for (QByteArray bytes = wire.read(milliseconds(0)); !bytes.isEmpty();
         bytes = wire.read(milliseconds(0)))
        answer += bytes;
    wire.write("\x1B");

    const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ([<>]) "));
    QByteArray sent, heard;
    const QList<QByteArray> lines = log.data().split('\n');
    ASSERT_EQ(lines.last(), QByteArray());  // every log line is ended
    for (const QByteArray& logLine : lines.first(lines.size() - 1)) {
        const QRegularExpressionMatch m = stamped.match(QString::fromLatin1(logLine));
        ASSERT_TRUE(m.hasMatch()) << logLine.constData();
        (m.captured(1) == QLatin1String(">") ? sent : heard) += logLine.mid(m.capturedEnd());
    }
    EXPECT_EQ(sent, QByteArray("at+cgmi\\r\\x1B"));
    EXPECT_EQ(heard, WireLog::escaped(answer));
    EXPECT_EQ(heard, QByteArray("at+cgmi\\r\\r\\nTESTCO\\r\\n\\r\\nOK\\r\\n"));
    EXPECT_EQ(WireLog::escaped("\\\x1A\xC8\n"), QByteArray("\\\\\\x1A\\xC8\\n"));
}

}  // namespace
}  // namespace pelmar
