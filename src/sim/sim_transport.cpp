#include "sim/sim_transport.h"

#include <thread>

#include "base/error.h"

namespace pelmar::simulator {

using Clock = HandsetSim::Clock;

SimTransport::SimTransport(HandsetSim& sim, Timing timing, QString portName)
    : m_sim(sim), m_timing(timing), m_portName(std::move(portName)) {}

SimTransport::~SimTransport() {
    close();
}

void SimTransport::hungUp() const {
    throw Error(QStringLiteral("The handset on %1 has hung up.").arg(m_portName));
}

void SimTransport::requireOpen() const {
    if (!m_open)
        throw Error(QStringLiteral("The line to %1 is not open.").arg(m_portName));
}

void SimTransport::open() {
    if (m_sim.hungUp() && !m_sim.hasOutput()) {
        throw Error(QStringLiteral("Unable to open %1: the handset is gone.").arg(m_portName));
    }
    m_open = true;
}

void SimTransport::close() {
    if (!m_open)
        return;
    m_open = false;
    m_sim.dropLine();
}

void SimTransport::write(QByteArrayView bytes) {
    requireOpen();
    if (m_sim.hungUp())
        hungUp();
    const int baud = m_sim.options().baud;
    if (m_timing == Timing::Real && baud > 0) {
        std::this_thread::sleep_for(
            std::chrono::microseconds(bytes.size() * 10 * 1'000'000LL / baud));
    }
    m_sim.receive(bytes, Clock::now());
}

QByteArray SimTransport::read(std::chrono::milliseconds timeout) {
    requireOpen();
    const Clock::time_point deadline = Clock::now() + timeout;
    const std::optional<HandsetSim::Piece> next = m_sim.peekOutput();
    if (!next) {
        if (m_sim.hungUp())
            hungUp();
        std::this_thread::sleep_until(deadline);
        return {};
    }
    if (m_timing == Timing::Real || next->onOwnClock) {
        if (next->due > deadline) {
            std::this_thread::sleep_until(deadline);
            return {};
        }
        std::this_thread::sleep_until(next->due);
    }
    return m_sim.takeOutput().value_or(HandsetSim::Piece{}).bytes;
}

}  // namespace pelmar::simulator
