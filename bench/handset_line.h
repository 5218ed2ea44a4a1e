#pragma once

#include <thread>
#include <utility>

#include "counting_transport.h"
#include "link/at_channel.h"
#include "link/serial/t_com_port.h"
#include "sim/handset_sim.h"
#include "sim/pty_server.h"
#include "sim/sim_transport.h"

namespace pelmar::bench {

// How the bench reaches the simulated handset.
struct LineSetup {
    bool pty = false;    // through a pseudo-terminal and the serial port code
    bool paced = false;  // the handset's own pacing is real, and the program's writes take
                         // as long as their bytes need at `baud`
    int baud = 9600;
};

// Runs `work(channel, counting)` on a channel to `sim`, over a pseudo-terminal served for the
// time of the work or in memory. The serial port wants a thread that Qt knows: the caller's,
// with the application object.
template <typename Work>
void withHandsetLine(simulator::HandsetSim& sim, const LineSetup& setup, Work&& work) {
    if (setup.pty) {
        simulator::PtyServer server(sim);
        std::thread serving([&server] { server.run(); });
        struct StopServer {
            simulator::PtyServer& server;
            std::thread& thread;
            ~StopServer() {
                server.stop();
                thread.join();
            }
        } stopServer{server, serving};
        TComPort port(server.devicePath());
        CountingTransport counting(port, setup.paced ? setup.baud : 0);
        AtChannel channel(counting);
        std::forward<Work>(work)(channel, counting);
        return;
    }
    simulator::SimTransport line(sim, setup.paced ? simulator::SimTransport::Timing::Real
                                                  : simulator::SimTransport::Timing::Fast);
    CountingTransport counting(line, 0);
    AtChannel channel(counting);
    std::forward<Work>(work)(channel, counting);
}

}  // namespace pelmar::bench
