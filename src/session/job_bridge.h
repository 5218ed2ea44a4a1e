#pragma once

#include <functional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/operation_frame.h"

// Everything the session layer knows about the handset operations' calling convention lives
// here, so that the runner does not change when the operations do.
namespace pelmar {

// One handset operation with its inputs bound, run on the worker thread. The job hands the
// stop token (the user's Cancel) to the operation, whose frame watches it.
using Job =
    std::function<Outcome(AtChannel& channel, const Progress& progress, std::stop_token stop)>;

// Runs `job` on `channel` with its steps going to `progress`. A stop requested before the job
// starts is not lost: the job is not run and the outcome is the cancelled one.
Outcome RunJob(AtChannel& channel, const Job& job, std::stop_token stop, const Progress& progress);

}  // namespace pelmar
