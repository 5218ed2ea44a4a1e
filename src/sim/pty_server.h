#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

#include "sim/handset_sim.h"

namespace pelmar::simulator {

// Serves a HandsetSim on a pseudo-terminal, so that programs reach it through a real serial
// device path. The slave is set to raw mode once; clients may open and close it as often as
// they like (a close drops the line, see HandsetSim::dropLine). When the handset hangs up the
// master is closed and the device path disappears, like a cable pulled out.
class PtyServer {
  public:
    // Opens the pseudo-terminal; throws pelmar::Error.
    explicit PtyServer(HandsetSim& sim);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // The slave device, "/dev/pts/3".
    QString devicePath() const { return m_devicePath; }

    // Serves until stop(); call from one thread.
    void run();
    // Ends run(). Safe from any thread and from a signal handler.
    void stop();

  private:
    void serveOnce();
    void readClient();
    void writeDue();
    void closeMaster();

    HandsetSim& m_sim;
    int m_master = -1;
    int m_wake[2] = {-1, -1};  // a byte written here wakes run() to stop
    QString m_devicePath;
    std::atomic<bool> m_stopping{false};
    bool m_connected = false;
    QByteArray m_unwritten;  // what the pseudo-terminal did not take yet
    HandsetSim::Clock::time_point m_nextWrite{};
};

}  // namespace pelmar::simulator
