#pragma once

#include <QString>
#include <chrono>
#include <memory>

#include "link/at_channel.h"
#include "link/transport.h"
#include "link/wire_log.h"
#include "sim/handset_sim.h"
#include "sim/sim_transport.h"

namespace pelmar {

// The handset behind a port name, and the AT channel to it:
// - "sim", "sim:" and "sim:STATE.json": a simulated handset in this process that answers at
//   once (the demo content, or the state file's);
// - kDemoPort: the demo handset, a simulated one paced like a real line, for trying the
//   program without a phone;
// - any other name: the serial device of that name (TComPort).
// Between the channel and the line sits the wire log (WireLog): silent unless a device is given
// or the category "pelmar.at" is switched on.
//
// The transport and channel belong to the thread that creates the connection: the serial port
// must be opened, used and closed there, and that thread must be one Qt knows (a QThread, or
// the main thread of a QCoreApplication).
class HandsetConnection {
  public:
    static const QString kDemoPort;
    // The demo handset's line: 9600 bit/s and a short think time before each answer.
    static constexpr int kDemoBaud = 9600;
    static constexpr std::chrono::milliseconds kDemoThink{40};

    // Throws pelmar::Error when a simulated handset's state file cannot be read. No port is
    // opened here.
    explicit HandsetConnection(const QString& portName, std::chrono::milliseconds lineTimeout =
                                                            AtChannel::kDefaultLineTimeout);
    // A connection to `sim` on an in-memory line with the given timing.
    HandsetConnection(std::unique_ptr<simulator::HandsetSim> sim,
                      simulator::SimTransport::Timing timing,
                      std::chrono::milliseconds lineTimeout = AtChannel::kDefaultLineTimeout);
    ~HandsetConnection();
    HandsetConnection(const HandsetConnection&) = delete;
    HandsetConnection& operator=(const HandsetConnection&) = delete;

    // True for the names served by a simulated handset ("sim...", kDemoPort).
    static bool isSimulatedPort(const QString& portName);

    AtChannel& channel() { return *m_channel; }
    // Every byte of the line from now on goes to `device` (the SIM's PIN hidden); nullptr: to
    // the category "pelmar.at" only. Written on the connection's thread; `device` must outlive
    // the connection or be taken back first.
    void setWireLog(QIODevice* device) { m_wireLog->setDevice(device); }
    // The simulated handset, or nullptr on a serial device.
    simulator::HandsetSim* sim() { return m_sim.get(); }

  private:
    // Declared in the order of use: the channel goes first, then the wire log, then the
    // transport, then the handset.
    std::unique_ptr<simulator::HandsetSim> m_sim;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<WireLog> m_wireLog;
    std::unique_ptr<AtChannel> m_channel;
};

}  // namespace pelmar
