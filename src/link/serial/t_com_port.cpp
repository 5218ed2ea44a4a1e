#include "link/serial/t_com_port.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>
#include <cerrno>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "link/serial/e_com_port.h"
#include "link/serial/port_diagnosis.h"
#include "link/serial/serial_ports.h"

namespace pelmar {

namespace {

using Clock = std::chrono::steady_clock;

// The system's own error number of the last failed call, which the user may look up.
int lastSystemError() {
#ifdef Q_OS_WIN
    return static_cast<int>(::GetLastError());
#else
    return errno;
#endif
}

void clearSystemError() {
#ifdef Q_OS_WIN
    ::SetLastError(0);
#else
    errno = 0;
#endif
}

// The system's error number of the port's last failure when the failing call left one,
// otherwise the nearest number for Qt's error kind.
int systemErrorOf(const QSerialPort& port) {
    if (const int error = lastSystemError(); error != 0) {
        return error;
    }
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return ENOENT;
        case QSerialPort::PermissionError:
            return EACCES;
        case QSerialPort::OpenError:
            return EBUSY;
        case QSerialPort::NotOpenError:
            return EBADF;
        case QSerialPort::TimeoutError:
            return ETIMEDOUT;
        case QSerialPort::UnsupportedOperationError:
            return ENOTTY;
        default:
            return EIO;
    }
}

#ifndef Q_OS_WIN
QString devicePath(const QSerialPort& port) {
    return port.portName().startsWith(QLatin1Char('/')) ? port.portName()
                                                        : QStringLiteral("/dev/") + port.portName();
}
#endif

// The system's code when the port would not open because another program holds it; nothing
// when it failed for another reason. Qt reports a port held by another program as a permission
// error, and on Unix, where the holder is found by its lock file, errno is left at whatever the
// lock file's look-up ended with (ENOENT): the device's own access rights tell the two apart, and
// EBUSY is the code the system gives for a device held elsewhere.
std::optional<int> heldElsewhere(const QSerialPort& port) {
    if (port.error() != QSerialPort::PermissionError)
        return std::nullopt;
#ifdef Q_OS_WIN
    const int error = lastSystemError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
        return error;
    return std::nullopt;
#else
    if (::access(QFile::encodeName(devicePath(port)).constData(), R_OK | W_OK) != 0)
        return std::nullopt;
    return EBUSY;
#endif
}

// The open failed: the error says why, and what to do when that is known.
[[noreturn]] void failOpen(const QString& device, int code, int systemError) {
    throw EComPort(code, systemError, openFailureAdvice(device, code, systemError));
}

bool lineIsGone(const QSerialPort& port) {
    const QSerialPort::SerialPortError error = port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

bool applyLineSettings(QSerialPort& port) {
    return port.setBaudRate(TComPort::kBaudRate) && port.setDataBits(QSerialPort::Data8) &&
           port.setParity(QSerialPort::NoParity) && port.setStopBits(QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

}  // namespace

TComPort::TComPort(const QString& name) : m_name(normalizePortName(name)) {}

TComPort::~TComPort() {
    close();
}

void TComPort::open() {
    if (m_port) {
        return;
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(m_name);
#ifdef Q_OS_WIN
    const QString path = m_name;
#else
    const QString path = devicePath(*port);
#endif
    if (m_name.isEmpty())
        throw EComPort(EComPort::OpenFailed, ENOENT);
#ifndef Q_OS_WIN
    // Qt does not say why a device failed to open; a missing one is the common case.
    if (!QFileInfo::exists(path))
        failOpen(path, EComPort::OpenFailed, ENOENT);
    // Qt takes the lock file of another serial program (the pid alone) for a stale one and
    // removes it.
    if (lockFileHolder(path))
        failOpen(path, EComPort::PortInUse, EBUSY);
#endif
    clearSystemError();
    if (!port->open(QIODevice::ReadWrite)) {
        if (const std::optional<int> error = heldElsewhere(*port))
            failOpen(path, EComPort::PortInUse, *error);
        failOpen(path, EComPort::OpenFailed, systemErrorOf(*port));
    }
    clearSystemError();
    if (!applyLineSettings(*port)) {
        const int error = systemErrorOf(*port);
        port->close();
        throw EComPort(EComPort::SetStateFailed, error);
    }
    // The handset needs neither line; a pseudo-terminal or a cable without modem lines refuses
    // to set them, which is no reason to fail.
    port->setDataTerminalReady(false);
    port->setRequestToSend(false);
    port->clearError();
    m_port = std::move(port);
}

void TComPort::close() {
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}

bool TComPort::isOpen() const {
    return m_port != nullptr;
}

void TComPort::write(QByteArrayView bytes) {
    if (!m_port) {
        throw EComPort(EComPort::WriteFailed, EBADF);
    }
    clearSystemError();
    if (lineIsGone(*m_port) || m_port->write(bytes.data(), bytes.size()) != bytes.size()) {
        throw EComPort(EComPort::WriteFailed, systemErrorOf(*m_port));
    }
    const auto deadline = Clock::now() + kWritePerByte * bytes.size() + kWriteConstant;
    while (m_port->bytesToWrite() > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            throw EComPort(EComPort::WriteFailed, ETIMEDOUT);
        }
        clearSystemError();
        if (!m_port->waitForBytesWritten(static_cast<int>(left.count())) && lineIsGone(*m_port)) {
            throw EComPort(EComPort::WriteFailed, systemErrorOf(*m_port));
        }
        m_port->clearError();
    }
}

QByteArray TComPort::read(std::chrono::milliseconds timeout) {
    if (!m_port) {
        throw EComPort(EComPort::ReadFailed, EBADF);
    }
    clearSystemError();
    if (m_port->bytesAvailable() == 0 && !lineIsGone(*m_port)) {
        m_port->waitForReadyRead(static_cast<int>(std::max<qint64>(timeout.count(), 0)));
    }
    QByteArray bytes = m_port->readAll();
    // Bytes that made it before the line went are delivered first; the error comes next time.
    if (bytes.isEmpty() && lineIsGone(*m_port)) {
        throw EComPort(EComPort::ReadFailed, systemErrorOf(*m_port));
    }
    if (m_port->error() == QSerialPort::TimeoutError) {
        m_port->clearError();
    }
    return bytes;
}

void TComPort::setDeviceName(const QString& name) {
    const QString normalized = normalizePortName(name);
    if (normalized == m_name) {
        return;
    }
    m_name = normalized;
    if (m_port) {
        close();
        open();
    }
}

}  // namespace pelmar
