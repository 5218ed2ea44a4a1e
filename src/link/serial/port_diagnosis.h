#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pelmar {

// Where the system tells who holds a device; tests point these at a tree of their own.
struct SystemRoots {
    // The process table: PID/comm (the program's name) and PID/fd (links to what it has open).
    QString proc = QStringLiteral("/proc");
    // Where serial programs leave "LCK..ttyUSB0" with the holder's pid (Qt falls back to /tmp).
    QStringList lockDirs = {QStringLiteral("/var/lock"), QStringLiteral("/run/lock"),
                            QStringLiteral("/var/spool/uucp"), QStringLiteral("/tmp")};
};

// A running program that holds a device.
struct PortHolder {
    QString program;  // "ModemManager"; empty when its name cannot be read
    qint64 pid = 0;
};

// The running program that a lock file of `device` ("/dev/ttyUSB0") names, in the one-number
// format of serial programs or in Qt's. A lock left by a program that has ended holds nothing.
std::optional<PortHolder> lockFileHolder(const QString& device, const SystemRoots& roots = {});
// The running program that holds `device`: lockFileHolder, else one that has the device open.
// Nothing when no holder can be seen; another user's open files are hidden from us.
std::optional<PortHolder> portHolder(const QString& device, const SystemRoots& roots = {});

// "minicom (pid 4242)", "another program (pid 4242)".
QString holderText(const PortHolder& holder);

// What follows a port error's own text: its cause and what to do, for the errors where both
// are known; empty otherwise.
//
// Another program holds the device: which one (or, when none can be seen, how to find it, and
// ModemManager when it runs), and how to free the device.
QString inUseAdvice(const QString& device, const SystemRoots& roots = {});
// The user may not open the device: `group` owns it ("dialout"), which the user can join.
QString permissionAdvice(const QString& device, const QString& group);
// The device is gone: unplugged, or another name; `presentPorts` are the serial ports there are.
QString missingAdvice(const QString& device, const QStringList& presentPorts);

// The advice for a failed open of `device`, by the EComPort code and the system's error number,
// with the facts gathered from the system.
QString openFailureAdvice(const QString& device, int comPortCode, int systemError);

}  // namespace pelmar
