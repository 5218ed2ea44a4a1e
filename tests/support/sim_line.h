#pragma once

#include <QStringList>
#include <chrono>
#include <stop_token>

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

// A Cancel requested as the operation reports step `at` (counted from 1; 0: never), the way a
// user presses Cancel part-way through.
struct StopAtStep {
    explicit StopAtStep(int step) : at(step) {}

    Progress progress() {
        return [this](const ProgressStep&) {
            if (++steps == at)
                stop.request_stop();
        };
    }
    std::stop_token token() const { return stop.get_token(); }

    int at;
    int steps = 0;
    std::stop_source stop;
};

}  // namespace pelmar::test
