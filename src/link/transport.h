#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>

namespace pelmar {

// A byte pipe to the handset: the serial port, or an in-memory line to the simulator.
// Every call is synchronous and happens on the thread that runs the handset operation.
class Transport {
  public:
    virtual ~Transport() = default;

    // Opens the line; throws pelmar::Error (EComPort for the serial port) on failure.
    virtual void open() = 0;
    // Closes the line if it is open; never throws.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Writes every byte or throws (refused write, time-out, line gone).
    virtual void write(QByteArrayView bytes) = 0;
    // Waits at most `timeout` for received bytes and returns all that have arrived (empty when
    // none came in time). Throws when the line is gone.
    virtual QByteArray read(std::chrono::milliseconds timeout) = 0;

    // The name the user chose ("/dev/ttyUSB0", "COM3", "simulated handset"), for messages.
    virtual QString deviceName() const = 0;
    virtual void setDeviceName(const QString& name) = 0;
    // A device the user chose (a serial port), where a silent handset may be switched off or on
    // another port; not a simulated one.
    virtual bool isSerialDevice() const { return false; }
};

}  // namespace pelmar
