#include <QCommandLineOption>
#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "cli/cli_handset.h"
#include "cli/cli_signals.h"
#include "link/serial/serial_ports.h"
#include "session/port_probe.h"

namespace pelmar::cli {

namespace {

QString descriptionOf(const QString& device, const QList<SerialPortInfo>& listed) {
    for (const SerialPortInfo& port : listed) {
        if (port.name == device)
            return port.description;
    }
    return {};
}

// What the device is, as the last column: maker and model, or why it is not a phone.
QString verdictOf(const PortProbe& port) {
    if (!port.answered)
        return port.problem;
    return port.identity.isEmpty() ? QStringLiteral("a phone or modem (no maker and model)")
                                   : port.identity;
}

}  // namespace

int runPortsCommand(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the serial ports the system reports, one per line: the device, a tab, and its "
        "description with the maker of its USB adapter when the system tells.\n"
        "With --probe, asks each one for a phone (\"AT\", then maker and model; USB and "
        "Bluetooth ports first, ports another program holds left alone) and adds a third "
        "column: the phone's maker and model, or why the port is not one. The last line names "
        "the first phone found; the exit code is 3 when none answered."));
    const QCommandLineOption probe(QStringLiteral("probe"),
                                   QStringLiteral("Look for the phone on the ports."));
    parser.addOption(probe);
    parser.addPositionalArgument(
        QStringLiteral("DEV"),
        QStringLiteral("With --probe: the devices to probe instead of the listed ports (a "
                       "pseudo-terminal, a port the system does not list)."),
        QStringLiteral("[DEV...]"));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    const QList<SerialPortInfo> listed = availableSerialPorts();
    QStringList devices = parser.positionalArguments();
    if (!parser.isSet(probe)) {
        if (!devices.isEmpty())
            return badInput(QStringLiteral("devices are given with --probe (see --help)"));
        for (const SerialPortInfo& port : listed)
            printOut(port.name + QLatin1Char('\t') + port.description);
        if (listed.isEmpty())
            printErr(QStringLiteral("The system reports no serial ports."));
        return kExitDone;
    }
    if (devices.isEmpty()) {
        for (const SerialPortInfo& port : listed)
            devices << port.name;
    }
    const CancelOnSignal cancel;
    const PortProbeResult result = ProbePorts(
        devices, [](const ProgressStep& step) { printErr(step.text); }, cancel.token());
    for (const PortProbe& port : result.ports) {
        printOut(QStringList{port.device, descriptionOf(port.device, listed), verdictOf(port)}.join(
            QLatin1Char('\t')));
    }
    printOut(result.outcome.text);
    return exitCodeFor(result.outcome);
}

}  // namespace pelmar::cli
