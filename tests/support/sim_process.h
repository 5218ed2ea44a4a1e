#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace pelmar::test {

// pelmar-handset-sim on a pseudo-terminal, stopped (and its state saved) when it goes.
class SimProcess {
  public:
    explicit SimProcess(const QStringList& options) {
        m_process.start(QStringLiteral(PELMAR_SIM_PATH),
                        options + QStringList{QStringLiteral("--log"), logPath(),
                                              QStringLiteral("--save-state"), statePath()});
        if (m_process.waitForStarted() && m_process.waitForReadyRead(10000))
            m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
    }
    ~SimProcess() { stop(); }

    QString device() const { return m_device; }
    QString logPath() const { return m_dir.filePath(QStringLiteral("sim.log")); }
    QString statePath() const { return m_dir.filePath(QStringLiteral("state.json")); }

    // Stops the handset; its log and final state are then complete.
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QByteArray log() {
        stop();
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
};

}  // namespace pelmar::test
