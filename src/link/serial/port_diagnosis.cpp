#include "link/serial/port_diagnosis.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>

#include "link/serial/e_com_port.h"
#include "link/serial/serial_ports.h"

namespace pelmar {

namespace {

const QString kModemManager = QStringLiteral("ModemManager");

// The names a device goes by: as given and where its links lead ("/dev/serial/by-id/..." is a
// link to "/dev/ttyUSB0").
QStringList namesOf(const QString& device) {
    QStringList names{device};
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != device)
        names << canonical;
    return names;
}

// "LCK..ttyUSB0" for "/dev/ttyUSB0", "LCK..pts_3" for "/dev/pts/3", as serial programs and Qt
// name their lock files.
QString lockFileName(const QString& device) {
    QString name = device.startsWith(QStringLiteral("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

QString processDir(const SystemRoots& roots, qint64 pid) {
    return roots.proc + QLatin1Char('/') + QString::number(pid);
}

QString programOf(const SystemRoots& roots, qint64 pid) {
    QFile comm(processDir(roots, pid) + QStringLiteral("/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readLine(256)).trimmed()
                                          : QString();
}

// The live holder a lock file names. Serial programs write the pid as ten characters, some with
// their name after it ("      4242 minicom user"); Qt writes pid, program and host on lines. A
// pid that another program has taken since the lock was left holds nothing.
std::optional<PortHolder> lockHolder(const QString& path, const SystemRoots& roots) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList words =
        QString::fromLocal8Bit(file.read(256)).simplified().split(QLatin1Char(' '));
    bool isNumber = false;
    const qint64 pid = words.value(0).toLongLong(&isNumber);
    if (!isNumber || pid <= 0 || !QFileInfo::exists(processDir(roots, pid)))
        return std::nullopt;
    const QString named = QFileInfo(words.value(1)).fileName();
    const QString running = programOf(roots, pid);
    if (running.isEmpty())
        return PortHolder{named, pid};
    // The system keeps the first 15 characters of a program's name.
    if (!named.isEmpty() && named.left(running.size()) != running)
        return std::nullopt;
    return PortHolder{running, pid};
}

// A process with one of `names` open; the first found.
std::optional<PortHolder> openedBy(const QStringList& names, const SystemRoots& roots) {
    const QSet<QString> wanted(names.begin(), names.end());
    QDirIterator processes(roots.proc, QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        processes.next();
        bool isNumber = false;
        const qint64 pid = processes.fileName().toLongLong(&isNumber);
        if (!isNumber)
            continue;
        // The links of sockets and pipes lead nowhere, hence System.
        QDirIterator fds(processes.filePath() + QStringLiteral("/fd"),
                         QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        while (fds.hasNext()) {
            if (wanted.contains(QFile::symLinkTarget(fds.next())))
                return PortHolder{programOf(roots, pid), pid};
        }
    }
    return std::nullopt;
}

std::optional<qint64> runningPid(const QString& program, const SystemRoots& roots) {
    QDirIterator processes(roots.proc, QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        processes.next();
        bool isNumber = false;
        const qint64 pid = processes.fileName().toLongLong(&isNumber);
        if (isNumber && programOf(roots, pid) == program)
            return pid;
    }
    return std::nullopt;
}

// How to keep ModemManager off the device for good, and off it for now.
QString leaveAloneText(const QString& device) {
    const QString kernelName = QFileInfo(namesOf(device).constLast()).fileName();
    return QStringLiteral(
               "ModemManager can be told to leave the device alone: a udev rule such as "
               "KERNEL==\"%1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\" in "
               "/etc/udev/rules.d/99-pelmar.rules, then sudo udevadm control --reload and plug "
               "the phone in again (or stop it for now: sudo systemctl stop ModemManager).")
        .arg(kernelName);
}

}  // namespace

std::optional<PortHolder> lockFileHolder(const QString& device, const SystemRoots& roots) {
    for (const QString& dir : roots.lockDirs) {
        for (const QString& name : namesOf(device)) {
            if (auto holder = lockHolder(dir + QLatin1Char('/') + lockFileName(name), roots))
                return holder;
        }
    }
    return std::nullopt;
}

std::optional<PortHolder> portHolder(const QString& device, const SystemRoots& roots) {
    if (auto holder = lockFileHolder(device, roots))
        return holder;
    return openedBy(namesOf(device), roots);
}

QString holderText(const PortHolder& holder) {
    return QStringLiteral("%1 (pid %2)")
        .arg(holder.program.isEmpty() ? QStringLiteral("another program") : holder.program)
        .arg(holder.pid);
}

QString inUseAdvice(const QString& device, const SystemRoots& roots) {
    if (const std::optional<PortHolder> holder = portHolder(device, roots)) {
        const QString inUse = QStringLiteral("%1 is in use by %2").arg(device, holderText(*holder));
        if (holder->program == kModemManager)
            return inUse + QStringLiteral(", which takes modems for mobile internet. ") +
                   leaveAloneText(device);
        return inUse + QStringLiteral("; close that program and try again.");
    }
    QString advice = QStringLiteral(
                         "Another program has %1 open (sudo fuser -v %1 names it); close it and "
                         "try again.")
                         .arg(device);
    if (const std::optional<qint64> pid = runningPid(kModemManager, roots)) {
        advice +=
            QStringLiteral(" ModemManager (pid %1) is running and may be the one. ").arg(*pid) +
            leaveAloneText(device);
    }
    return advice;
}

QString permissionAdvice(const QString& device, const QString& group) {
    if (group.isEmpty() || group == QStringLiteral("root")) {
        return QStringLiteral(
                   "Permission denied: only root may open %1; ask the administrator for read and "
                   "write access to it.")
            .arg(device);
    }
    return QStringLiteral(
               "Permission denied: %1 belongs to the group %2. Join it with sudo usermod -aG %2 "
               "\"$USER\", then log in again.")
        .arg(device, group);
}

QString missingAdvice(const QString& device, const QStringList& presentPorts) {
    const QString present = presentPorts.isEmpty()
                                ? QStringLiteral("No serial port is present now.")
                                : QStringLiteral("Serial ports present now: %1.")
                                      .arg(presentPorts.join(QStringLiteral(", ")));
    return QStringLiteral(
               "%1 does not exist: the phone or its cable is unplugged, or the phone is on "
               "another port. ")
               .arg(device) +
           present;
}

QString openFailureAdvice(const QString& device, int comPortCode, int systemError) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    Q_UNUSED(comPortCode);
    Q_UNUSED(systemError);
    return {};
#else
    if (comPortCode == EComPort::PortInUse)
        return inUseAdvice(device);
    if (comPortCode != EComPort::OpenFailed)
        return {};
    switch (systemError) {
        case EACCES:
        case EPERM:
            return permissionAdvice(device, QFileInfo(device).group());
        case ENOENT: {
            QStringList present;
            for (const SerialPortInfo& port : availableSerialPorts())
                present << port.name;
            return missingAdvice(device, present);
        }
        case ENOTTY:
            return QStringLiteral(
                       "%1 is not a serial port; the phone is on another one (\"Find phone\", "
                       "pelmar-cli ports --probe).")
                .arg(device);
        default:
            return {};
    }
#endif
}

}  // namespace pelmar
