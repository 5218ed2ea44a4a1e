#pragma once

#include <QByteArray>
#include <QLoggingCategory>

#include "link/command_text.h"
#include "link/forwarding_transport.h"

class QIODevice;

namespace pelmar {

// The line's bytes both ways; debug output, off unless the logging rules switch it on.
Q_DECLARE_LOGGING_CATEGORY(lcAt)

// Logs every byte that crosses the line, one log line per write or read: the local time, ">"
// for what the program sent or "<" for what the handset sent, and the bytes with control bytes
// spelled out: "12:00:01.234 > AT+CGMI\r". The lines go to `device` when one is given, otherwise
// to the category "pelmar.at". A log that cannot be written never stops the line. The SIM's PIN
// never shows: a command line that gives it, and its echo, read "AT+CPIN=\"****\"".
class WireLog final : public ForwardingTransport {
  public:
    explicit WireLog(Transport& inner, QIODevice* device = nullptr);

    // Where the lines go from now on; nullptr: to the category "pelmar.at". The device is
    // written on the thread that uses the line and must outlive its use here.
    void setDevice(QIODevice* device) { m_device = device; }

    // Printable ASCII as it stands; "\r", "\n" and "\\"; any other byte as "\xHH".
    static QByteArray escaped(QByteArrayView bytes);

  protected:
    void sending(QByteArrayView bytes) override;
    void received(QByteArrayView bytes, std::chrono::milliseconds timeout) override;

  private:
    void logLine(char direction, QByteArrayView bytes);

    QIODevice* m_device;
    SecretMask m_sentMask;
    SecretMask m_receivedMask;
};

}  // namespace pelmar
