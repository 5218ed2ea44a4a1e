#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/transport.h"

namespace pelmar {
class HandsetSim;
}

namespace pelmar::cli {

// The handset behind `--port` for one command: a serial device opened through TComPort, or,
// for "sim", "sim:" and "sim:STATE.json", a simulated handset in this process.
class HandsetSession {
  public:
    // Throws pelmar::Error when a simulated handset's state file cannot be read.
    HandsetSession(const QString& port, std::chrono::milliseconds lineTimeout);
    ~HandsetSession();
    HandsetSession(const HandsetSession&) = delete;
    HandsetSession& operator=(const HandsetSession&) = delete;

    AtChannel& channel() { return *channel_; }
    // Shows each activity text on stderr.
    Progress progress() const;
    // Prints the outcome's text last (stdout; stderr for refused input) and returns the exit
    // code: 0 done, 1 refused by the handset, 2 bad input, 3 link failure.
    int finish(const Outcome& outcome) const;

  private:
    std::unique_ptr<HandsetSim> sim_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<AtChannel> channel_;
};

// The exit code that stands for an outcome.
int exitCodeFor(const Outcome& outcome);

// `pelmar-cli --port DEV smart ringtone|picture|logo ... --send`.
int runSmartSend(const QStringList& args, HandsetSession& handset);

}  // namespace pelmar::cli
