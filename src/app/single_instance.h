#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace pelmar {

// At most one window per user: the first start holds a lock file and listens on a local
// socket; a later start finds the lock taken and asks the running one to come to the front.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // One name per user, from the home folder (a second user runs their own window).
    static QString userKey();

    explicit SingleInstance(const QString& key = userKey(), QObject* parent = nullptr);

    // True when this process is now the one instance and listens for later starts.
    bool claim();

    // For a later start: asks the running instance to raise its window and, when `port` is
    // given, to use that port, waiting at most `timeoutMs` for it to answer. False when none
    // answered.
    bool activateRunning(const QString& port = {}, int timeoutMs = 5000);

  signals:
    void activationRequested();
    // A later start was given this port (--port).
    void portRequested(const QString& port);

  private:
    void acceptConnection();

    QString m_key;
    QLockFile m_lock;
    QLocalServer m_server;
};

}  // namespace pelmar
