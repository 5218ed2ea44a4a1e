#pragma once

#include <QStringList>
#include <chrono>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "sim/handset_sim.h"
#include "sim/sim_transport.h"

namespace pelmar::test {

// A simulated handset on an in-memory line with a short line time-out, so that a silent handset
// costs a fraction of a second, and the progress steps an operation reported.
struct SimLine {
    explicit SimLine(simulator::HandsetState state, simulator::SimOptions options = {})
        : sim(std::move(state), std::move(options)), transport(sim), channel(transport, kTimeout) {}

    static constexpr std::chrono::milliseconds kTimeout{300};

    Progress progress() {
        return [this](const ProgressStep& step) {
            steps.append(step);
            texts.append(step.text);
        };
    }
    // The command lines the handset received, "at+cmgs=16", in order.
    QList<QByteArray> commands() const {
        QList<QByteArray> out;
        for (const QByteArray& line : sim.log()) {
            if (line.startsWith("CMD "))
                out.append(line.mid(4));
        }
        return out;
    }

    simulator::HandsetSim sim;
    simulator::SimTransport transport;
    AtChannel channel;
    QList<ProgressStep> steps;
    QStringList texts;  // the steps' texts
};

}  // namespace pelmar::test
