#pragma once

#include <QString>
#include <chrono>
#include <memory>

#include "link/transport.h"

class QSerialPort;

namespace pelmar {

// The serial port to the handset: 9600 bit/s, 8 data bits, no parity, 1 stop bit, no flow
// control, DTR and RTS off. Reads return what has arrived, waiting at most the given time;
// writes complete or fail after 100 ms per byte plus 1 s. Failures throw EComPort.
//
// The port object lives only while the port is open and belongs to the thread that opened it:
// open, use and close it on the same thread, one Qt knows (a QThread, or the main thread of a
// QCoreApplication), as Qt's socket notifiers want.
class TComPort : public Transport {
  public:
    static constexpr int kBaudRate = 9600;
    static constexpr std::chrono::milliseconds kWritePerByte{100};
    static constexpr std::chrono::milliseconds kWriteConstant{1000};

    // `name` as for setDeviceName; "COM1" on Windows when empty.
    explicit TComPort(const QString& name = QString());
    ~TComPort() override;
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Opens the port if it is closed: EComPort code 11 when another program holds the device (a
    // lock file naming a running program, or exclusive use), code 1 when
    // it cannot be opened otherwise, code 7 when it refuses the line settings; the error says
    // why and what to do (port_diagnosis.h). A device without modem-control lines (a
    // pseudo-terminal) is not an error.
    void open() override;
    void close() override;
    bool isOpen() const override;

    // EComPort code 2 when the write is refused, the line is gone, or the time is up.
    void write(QByteArrayView bytes) override;
    // EComPort code 3 when the line is gone (the device vanished, the far end hung up).
    QByteArray read(std::chrono::milliseconds timeout) override;

    QString deviceName() const override { return m_name; }
    // Normalises the name (normalizePortName); a changed name on an open port reopens it.
    void setDeviceName(const QString& name) override;
    bool isSerialDevice() const override { return true; }

  private:
    QString m_name;
    std::unique_ptr<QSerialPort> m_port;
};

}  // namespace pelmar
