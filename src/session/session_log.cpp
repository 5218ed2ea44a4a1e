#include "session/session_log.h"

#include <QMutexLocker>

namespace pelmar {

SessionLog::SessionLog() {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool SessionLog::alsoWriteTo(const QString& path, QString* problem) {
    const QMutexLocker lock(&m_mutex);
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return true;
    if (problem)
        *problem =
            QStringLiteral("Can not write the log \"%1\": %2").arg(path, m_file.errorString());
    return false;
}

QByteArray SessionLog::text() const {
    const QMutexLocker lock(&m_mutex);
    return m_text;
}

qint64 SessionLog::readData(char*, qint64) {
    return -1;
}

qint64 SessionLog::writeData(const char* data, qint64 size) {
    const QMutexLocker lock(&m_mutex);
    m_text.append(data, size);
    if (m_file.isOpen())
        m_file.write(data, size);
    return size;
}

}  // namespace pelmar
