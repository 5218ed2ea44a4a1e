#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QThread>

namespace pelmar {

namespace {

Q_LOGGING_CATEGORY(lcInstance, "pelmar.instance", QtWarningMsg)

const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kPort = QByteArrayLiteral("port ");

}  // namespace

QString SingleInstance::userKey() {
    const QByteArray home = QDir::homePath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("pelmar-") + QString::fromLatin1(hash.left(16));
}

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent),
      m_key(key),
      m_lock(QDir(QDir::tempPath()).filePath(key + QStringLiteral(".lock"))) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

bool SingleInstance::claim() {
    // A lock left by a crashed run names a dead process; QLockFile takes it over.
    if (!m_lock.tryLock(100))
        return false;
    // A socket file left by a crashed run would make listen() fail.
    QLocalServer::removeServer(m_key);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_key)) {
        qCWarning(lcInstance) << "cannot listen on" << m_key << m_server.errorString();
        return true;  // the lock still keeps a second window away
    }
    qCDebug(lcInstance) << "listening on" << m_key;
    return true;
}

bool SingleInstance::activateRunning(const QString& port, int timeoutMs) {
    // The running instance takes the lock before it listens: wait for it to listen.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(qMax(1, int(deadline.remainingTime())))) {
            if (!port.isEmpty())
                socket.write(kPort + port.toUtf8() + '\n');
            socket.write(kActivate);
            const bool sent = socket.waitForBytesWritten(qMax(1, int(deadline.remainingTime())));
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);  // the server is not up yet; ask again shortly
    }
    return false;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine();
                if (line == kActivate) {
                    qCDebug(lcInstance) << "a later start asks for the window";
                    emit activationRequested();
                } else if (line.startsWith(kPort) && line.endsWith('\n')) {
                    const QString port = QString::fromUtf8(line.mid(kPort.size()).chopped(1));
                    qCDebug(lcInstance) << "a later start asks for port" << port;
                    emit portRequested(port);
                }
            }
        });
    }
}

}  // namespace pelmar
