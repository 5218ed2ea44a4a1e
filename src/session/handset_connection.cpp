#include "session/handset_connection.h"

#include "link/serial/t_com_port.h"
#include "sim/sim_state.h"

namespace pelmar {

namespace {

const QString kSimPort = QStringLiteral("sim");

bool isSimPort(const QString& name) {
    return name == kSimPort || name.startsWith(kSimPort + QLatin1Char(':'));
}

std::unique_ptr<simulator::HandsetSim> demoSim() {
    simulator::SimOptions options;
    options.baud = HandsetConnection::kDemoBaud;
    options.think = HandsetConnection::kDemoThink;
    return std::make_unique<simulator::HandsetSim>(simulator::demoSimState(), options);
}

}  // namespace

const QString HandsetConnection::kDemoPort = QStringLiteral("Demo handset");

HandsetConnection::HandsetConnection(const QString& portName,
                                     std::chrono::milliseconds lineTimeout) {
    if (portName == kDemoPort) {
        m_sim = demoSim();
        m_transport = std::make_unique<simulator::SimTransport>(
            *m_sim, simulator::SimTransport::Timing::Real, kDemoPort);
    } else if (isSimPort(portName)) {
        const QString statePath = portName.mid(kSimPort.size() + 1);
        m_sim = std::make_unique<simulator::HandsetSim>(
            statePath.isEmpty() ? simulator::demoSimState() : simulator::loadSimState(statePath));
        m_transport = std::make_unique<simulator::SimTransport>(
            *m_sim, simulator::SimTransport::Timing::Fast);
    } else {
        m_transport = std::make_unique<TComPort>(portName);
    }
    m_wireLog = std::make_unique<WireLog>(*m_transport);
    m_channel = std::make_unique<AtChannel>(*m_wireLog, lineTimeout);
}

HandsetConnection::HandsetConnection(std::unique_ptr<simulator::HandsetSim> sim,
                                     simulator::SimTransport::Timing timing,
                                     std::chrono::milliseconds lineTimeout)
    : m_sim(std::move(sim)),
      m_transport(std::make_unique<simulator::SimTransport>(*m_sim, timing)),
      m_wireLog(std::make_unique<WireLog>(*m_transport)),
      m_channel(std::make_unique<AtChannel>(*m_wireLog, lineTimeout)) {}

HandsetConnection::~HandsetConnection() = default;

bool HandsetConnection::isSimulatedPort(const QString& portName) {
    return portName == kDemoPort || isSimPort(portName);
}

}  // namespace pelmar
