#include "sim/sim_transport.h"

#include <thread>

#include "base/error.h"

namespace pelmar {

using Clock = HandsetSim::Clock;

SimTransport::SimTransport(HandsetSim& sim, Timing timing, QString portName)
    : sim_(sim), timing_(timing), portName_(std::move(portName)) {}

SimTransport::~SimTransport() {
    close();
}

void SimTransport::hungUp() const {
    throw Error(QStringLiteral("The handset on %1 has hung up.").arg(portName_));
}

void SimTransport::requireOpen() const {
    if (!open_)
        throw Error(QStringLiteral("The line to %1 is not open.").arg(portName_));
}

void SimTransport::open() {
    if (sim_.hungUp() && !sim_.hasOutput()) {
        throw Error(QStringLiteral("Unable to open %1: the handset is gone.").arg(portName_));
    }
    open_ = true;
}

void SimTransport::close() {
    if (!open_)
        return;
    open_ = false;
    sim_.dropLine();
}

void SimTransport::write(QByteArrayView bytes) {
    requireOpen();
    if (sim_.hungUp())
        hungUp();
    const int baud = sim_.options().baud;
    if (timing_ == Timing::Real && baud > 0) {
        std::this_thread::sleep_for(
            std::chrono::microseconds(bytes.size() * 10 * 1'000'000LL / baud));
    }
    sim_.receive(bytes, Clock::now());
}

QByteArray SimTransport::read(std::chrono::milliseconds timeout) {
    requireOpen();
    const Clock::time_point deadline = Clock::now() + timeout;
    const std::optional<HandsetSim::Piece> next = sim_.peekOutput();
    if (!next) {
        if (sim_.hungUp())
            hungUp();
        std::this_thread::sleep_until(deadline);
        return {};
    }
    if (timing_ == Timing::Real || next->onOwnClock) {
        if (next->due > deadline) {
            std::this_thread::sleep_until(deadline);
            return {};
        }
        std::this_thread::sleep_until(next->due);
    }
    return sim_.takeOutput().value_or(HandsetSim::Piece{}).bytes;
}

}  // namespace pelmar
