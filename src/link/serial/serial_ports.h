#pragma once

#include <QList>
#include <QString>

namespace pelmar {

// The Windows rule for a port name: "COM" (any case) dropped, the rest read as a decimal number,
// "COM1" for anything that is not 1 to 96 ("com3" -> "COM3", "COM0" and "COM97" -> "COM1").
QString normalizeComName(const QString& name);

// The name as the port is opened under on this system: normalizeComName on Windows; elsewhere
// the device path as given ("/dev/ttyUSB0", "/dev/rfcomm0", a pseudo-terminal), trimmed.
QString normalizePortName(const QString& name);

// A serial port the system reports, for the port chooser.
struct SerialPortInfo {
    QString name;         // what normalizePortName accepts: "COM3" or "/dev/ttyUSB0"
    QString description;  // "USB-Serial Controller (Prolific)"; may be empty
};

// The serial ports the system reports, sorted by name.
QList<SerialPortInfo> availableSerialPorts();

}  // namespace pelmar
