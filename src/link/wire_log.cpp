#include "link/wire_log.h"

#include <QIODevice>
#include <QTime>

namespace pelmar {

Q_LOGGING_CATEGORY(lcAt, "pelmar.at", QtInfoMsg)

WireLog::WireLog(Transport& inner, QIODevice* device)
    : ForwardingTransport(inner), m_device(device) {}

QByteArray WireLog::escaped(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out += c;
                } else {
                    out += "\\x";
                    out += QByteArray::number(quint8(c), 16).rightJustified(2, '0').toUpper();
                }
        }
    }
    return out;
}

void WireLog::sending(QByteArrayView bytes) {
    // The masks follow every byte, logged or not, so that a log switched on mid-line still
    // hides what it must.
    logLine('>', m_sentMask.masked(bytes));
}

void WireLog::received(QByteArrayView bytes, std::chrono::milliseconds) {
    const QByteArray shown = m_receivedMask.masked(bytes);
    if (!shown.isEmpty())
        logLine('<', shown);
}

void WireLog::logLine(char direction, QByteArrayView bytes) {
    if (!m_device && !lcAt().isDebugEnabled())
        return;
    QByteArray line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
    line += ' ';
    line += direction;
    line += ' ';
    line += escaped(bytes);
    if (m_device) {
        m_device->write(line + '\n');
    } else {
        qCDebug(lcAt, "%s", line.constData());
    }
}

}  // namespace pelmar
