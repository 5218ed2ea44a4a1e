#pragma once

#include <chrono>

#include "sim/sim_state.h"

namespace pelmar::bench {

// Prints the program's own work per handset operation: each run against the handset in memory
// answering at once (no pacing, no think time), on a fresh copy of `state`, timed `repeats`
// times. False when an operation failed.
bool printOwnWork(simulator::HandsetState state, int repeats);

// Prints how long the event loop of the thread that owns an OperationRunner went without
// turning while the runner listed the messages of `state`, paced at 38400 baud with `think`
// per command (answered at once when `paced` is false). False when the listing failed.
bool printRunnerStall(const simulator::HandsetState& state, bool paced,
                      std::chrono::milliseconds think);

}  // namespace pelmar::bench
