#include "gui/common/port_selector.h"

#include "session/handset_connection.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace pelmar {

namespace {

// The items show the device's own name; the path stays in the item's data.
QString portItemText(const QString& name, const QString& description) {
    const QLatin1StringView devices("/dev/");
    const QString shown = name.startsWith(devices) ? name.mid(devices.size()) : name;
    return description.isEmpty() ? shown : shown + QStringLiteral(" — ") + description;
}

}  // namespace

PortSelector::PortSelector(QWidget* parent) : QComboBox(parent), m_lister(&availableSerialPorts) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    setToolTip(QStringLiteral("Choose a port from the list or type a device path"));
    refreshPorts();
    setCurrentIndex(-1);  // the window chooses: the stored port, or the first one on a first run
    connect(this, &QComboBox::activated, this, &PortSelector::emitChoice);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &PortSelector::emitChoice);
}

void PortSelector::setPortLister(PortLister lister) {
    m_lister = std::move(lister);
    refreshPorts();
}

void PortSelector::refreshPorts() {
    const QString chosen = portName();
    const QSignalBlocker blocker(this);
    clear();
    for (const SerialPortInfo& port : m_lister())
        addPort(port.name, port.description);
    addPort(HandsetConnection::kDemoPort, {});
    if (!chosen.isEmpty())
        setPortName(chosen);
}

QString PortSelector::portName() const {
    const QString typed = currentText().trimmed();
    const int index = findText(typed);
    if (index >= 0)
        return itemData(index).toString();
    return typed;
}

void PortSelector::setPortName(const QString& name) {
    int index = findData(name);
    if (index < 0) {
        addPort(name, {});
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void PortSelector::showPopup() {
    refreshPorts();
    QComboBox::showPopup();
}

void PortSelector::addPort(const QString& name, const QString& description) {
    const QString found = m_found.value(name);
    addItem(
        portItemText(name, found.isEmpty()         ? description
                           : description.isEmpty() ? found
                                                   : description + QStringLiteral(" — ") + found),
        name);
}

QStringList PortSelector::systemPorts() const {
    QStringList names;
    for (const SerialPortInfo& port : m_lister())
        names.append(port.name);
    return names;
}

void PortSelector::showFound(const QString& name, const QString& identity) {
    m_found.insert(name, identity);
    refreshPorts();
}

void PortSelector::emitChoice() {
    emit portChosen(portName());
}

}  // namespace pelmar
