#pragma once

#include <QComboBox>
#include <QHash>
#include <functional>

#include "link/serial/serial_ports.h"

namespace pelmar {

// The serial port choice: one item per port the system reports ("ttyUSB0 — Prolific
// USB-Serial"), listed afresh each time the list opens, plus the demo handset; a device path
// may be typed. The choice is a port name as the session opens it ("/dev/ttyUSB0", "COM3").
class PortSelector : public QComboBox {
    Q_OBJECT

  public:
    using PortLister = std::function<QList<SerialPortInfo>()>;

    explicit PortSelector(QWidget* parent = nullptr);

    // Tests give a fixed list instead of the system's.
    void setPortLister(PortLister lister);

    // Lists the ports again; the current choice stays selected, listed by its name when the
    // system no longer reports it.
    void refreshPorts();

    QString portName() const;
    // Selects `name`; a port the system does not report is added by its name.
    void setPortName(const QString& name);

    void showPopup() override;

    // The serial ports the system lists now, by name.
    QStringList systemPorts() const;

    // What a search for the phone found: its maker and model beside each port that answered
    // ("ttyUSB0 — USB-Serial Controller — TESTCO T-100"), kept while the program runs.
    void showFound(const QString& name, const QString& identity);

  signals:
    // The user chose a port from the list or finished typing one.
    void portChosen(const QString& name);

  private:
    void addPort(const QString& name, const QString& description);
    void emitChoice();

    PortLister m_lister;
    QHash<QString, QString> m_found;  // port name -> the phone that answered there
};

}  // namespace pelmar
