#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "sim/sim_state.h"
#include "support/run_cli.h"

namespace pelmar::test {

// Gammu, an AT client written apart from ours, talking to pelmar-handset-sim on a
// pseudo-terminal (PELMAR_SIM_PATH). available() is false when gammu is not installed.
class GammuHandset {
  public:
    GammuHandset() : m_gammu(QStandardPaths::findExecutable(QStringLiteral("gammu"))) {}
    ~GammuHandset() { stop(); }

    bool available() const { return !m_gammu.isEmpty(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Starts the handset with `simOptions`; false when it gave no device.
    bool start(const QStringList& simOptions) {
        m_sim.start(QStringLiteral(PELMAR_SIM_PATH), simOptions);
        if (!m_sim.waitForStarted(5000))
            return false;
        for (int i = 0; i < 50 && !m_sim.canReadLine(); ++i)
            m_sim.waitForReadyRead(100);
        const QString device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
        QFile rc(filePath(QStringLiteral("gammurc")));
        if (!device.startsWith(QStringLiteral("/dev/")) || !rc.open(QIODevice::WriteOnly))
            return false;
        rc.write("[gammu]\ndevice = " + device.toLocal8Bit() + "\nconnection = at\n");
        return true;
    }
    // The handset holding `state` and nothing else.
    bool start(const simulator::HandsetState& state) {
        const QString file = filePath(QStringLiteral("start.json"));
        simulator::saveSimState(state, file);
        return start(QStringList{QStringLiteral("--state"), file});
    }

    CliResult run(const QStringList& args) {
        return runProgram(
            m_gammu, QStringList{QStringLiteral("-c"), filePath(QStringLiteral("gammurc"))} + args,
            {}, 60000);
    }

    // SIGTERM: the handset saves its state (--save-state) and ends.
    void stop() {
        if (m_sim.state() == QProcess::NotRunning)
            return;
        m_sim.terminate();
        if (!m_sim.waitForFinished(5000))
            m_sim.kill();
    }
    int simExitCode() const { return m_sim.exitCode(); }

  private:
    QTemporaryDir m_dir;
    QString m_gammu;
    QProcess m_sim;
};

}  // namespace pelmar::test
