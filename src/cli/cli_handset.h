#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

#include "cli/cli_common.h"
#include "cli/cli_signals.h"
#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "session/handset_connection.h"

namespace pelmar::cli {

// The handset behind `--port` for one command (a serial device, "sim", "sim:STATE.json" or the
// demo handset; see HandsetConnection), its wire log (--log) and SIM PIN (--pin -), and how the
// command reports on it.
class HandsetSession {
  public:
    // Throws pelmar::Error when a simulated handset's state file cannot be read or the wire log
    // cannot be written.
    HandsetSession(const GlobalOptions& options, std::chrono::milliseconds lineTimeout);
    HandsetSession(const HandsetSession&) = delete;
    HandsetSession& operator=(const HandsetSession&) = delete;

    AtChannel& channel() { return m_connection.channel(); }
    // Shows the text of each step on stderr.
    Progress progress() const;
    // Requested by Ctrl-C or SIGTERM while the command runs (CancelOnSignal).
    std::stop_token stop() const { return m_cancel.token(); }
    // The SIM check of every command that works with the SIM (UnlockSim), once its arguments
    // were taken: -1 when the command goes on, else its exit code after the outcome was told.
    int unlockSim();
    // Prints the outcome's text last (stdout; stderr for refused input) and returns the exit
    // code: 0 done, 1 refused by the handset, 2 bad input, 3 link failure, 4 cancelled. Under
    // --json the text is noted for the outcome line, and one that is not "Done." goes to stderr.
    int finish(const Outcome& outcome) const;

  private:
    QFile m_wireLog;  // outlives the connection that writes it
    HandsetConnection m_connection;
    CancelOnSignal m_cancel;
};

// The exit code that stands for an outcome.
int exitCodeFor(const Outcome& outcome);

// `pelmar-cli --port DEV smart ringtone|picture|logo ... --send`.
int runSmartSend(const QStringList& args, HandsetSession& handset);

}  // namespace pelmar::cli
