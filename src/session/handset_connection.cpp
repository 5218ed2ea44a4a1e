#include "session/handset_connection.h"

#include "link/serial/t_com_port.h"
#include "sim/sim_state.h"

namespace pelmar {

namespace {

const QString kSimPort = QStringLiteral("sim");

bool isSimPort(const QString& name) {
    return name == kSimPort || name.startsWith(kSimPort + QLatin1Char(':'));
}

std::unique_ptr<HandsetSim> demoSim() {
    SimOptions options;
    options.baud = HandsetConnection::kDemoBaud;
    options.think = HandsetConnection::kDemoThink;
    return std::make_unique<HandsetSim>(demoSimState(), options);
}

}  // namespace

const QString HandsetConnection::kDemoPort = QStringLiteral("Demo handset");

HandsetConnection::HandsetConnection(const QString& portName,
                                     std::chrono::milliseconds lineTimeout) {
    if (portName == kDemoPort) {
        sim_ = demoSim();
        transport_ = std::make_unique<SimTransport>(*sim_, SimTransport::Timing::Real, kDemoPort);
    } else if (isSimPort(portName)) {
        const QString statePath = portName.mid(kSimPort.size() + 1);
        sim_ = std::make_unique<HandsetSim>(statePath.isEmpty() ? demoSimState()
                                                                : loadSimState(statePath));
        transport_ = std::make_unique<SimTransport>(*sim_, SimTransport::Timing::Fast);
    } else {
        transport_ = std::make_unique<TComPort>(portName);
    }
    channel_ = std::make_unique<AtChannel>(*transport_, lineTimeout);
}

HandsetConnection::HandsetConnection(std::unique_ptr<HandsetSim> sim, SimTransport::Timing timing,
                                     std::chrono::milliseconds lineTimeout)
    : sim_(std::move(sim)),
      transport_(std::make_unique<SimTransport>(*sim_, timing)),
      channel_(std::make_unique<AtChannel>(*transport_, lineTimeout)) {}

HandsetConnection::~HandsetConnection() = default;

std::unique_ptr<HandsetConnection> HandsetConnection::demo(std::chrono::milliseconds lineTimeout) {
    return std::make_unique<HandsetConnection>(kDemoPort, lineTimeout);
}

bool HandsetConnection::isSimulatedPort(const QString& portName) {
    return portName == kDemoPort || isSimPort(portName);
}

}  // namespace pelmar
