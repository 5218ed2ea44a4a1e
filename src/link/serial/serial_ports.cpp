#include "link/serial/serial_ports.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <utility>

namespace pelmar {

namespace {

constexpr int kFirstCom = 1;
constexpr int kLastCom = 96;

// "COM2" before "COM10": the trailing number compares as a number.
bool comesBefore(const QString& a, const QString& b) {
    const auto split = [](const QString& name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit()) {
            --digits;
        }
        return std::pair(name.left(digits), name.mid(digits).toLongLong());
    };
    return split(a) < split(b);
}

}  // namespace

QString normalizeComName(const QString& name) {
    QString rest = name;
    if (rest.left(3).toUpper() == QLatin1StringView("COM")) {
        rest = rest.mid(3);
    }
    bool ok = false;
    int number = rest.toInt(&ok, 10);
    if (!ok || number < kFirstCom || number > kLastCom) {
        number = kFirstCom;
    }
    return QStringLiteral("COM%1").arg(number);
}

QString normalizePortName(const QString& name) {
#ifdef Q_OS_WIN
    return normalizeComName(name);
#else
    return name.trimmed();
#endif
}

QList<SerialPortInfo> availableSerialPorts() {
    QList<SerialPortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer())) {
            description += description.isEmpty() ? info.manufacturer()
                                                 : QStringLiteral(" (%1)").arg(info.manufacturer());
        }
        ports.append({name, description});
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return comesBefore(a.name, b.name);
    });
    return ports;
}

}  // namespace pelmar
