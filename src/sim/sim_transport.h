#pragma once

#include <QString>

#include "link/transport.h"
#include "sim/handset_sim.h"

namespace pelmar::simulator {

// An in-memory line to a HandsetSim, for tests and the demo mode. Each read returns at most one
// piece of the handset's output, so chunked output reaches the client in as many reads.
// Real timing sleeps through think time and pacing (writes take their time on the line too);
// fast timing hands every answer over at once (chatter keeps the handset's own clock) but still
// sleeps through a read's time-out when nothing is coming. When the handset hangs up, the pieces it
// got out are still read, then reads, writes and opens throw pelmar::Error, as with a device that
// vanished.
class SimTransport : public Transport {
  public:
    enum class Timing { Fast, Real };

    explicit SimTransport(HandsetSim& sim, Timing timing = Timing::Fast,
                          QString portName = QStringLiteral("simulated handset"));
    ~SimTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(QByteArrayView bytes) override;
    QByteArray read(std::chrono::milliseconds timeout) override;
    QString deviceName() const override { return m_portName; }
    void setDeviceName(const QString& name) override { m_portName = name; }

  private:
    void requireOpen() const;
    [[noreturn]] void hungUp() const;

    HandsetSim& m_sim;
    Timing m_timing;
    QString m_portName;
    bool m_open = false;
};

}  // namespace pelmar::simulator
