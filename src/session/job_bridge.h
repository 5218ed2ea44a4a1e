#pragma once

#include <QString>
#include <functional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/progress_step.h"

// Everything the session layer knows about the handset operations' calling convention lives
// here, so that the runner does not change when the operations do.
namespace pelmar {

// One handset operation with its inputs bound, run on the worker thread. The stop token is
// the job's cancel request.
using Job =
    std::function<Outcome(AtChannel& channel, const Progress& progress, std::stop_token stop)>;

// Receives the steps of a running job, on the thread that runs it.
using StepSink = std::function<void(const ProgressStep& step)>;

// The numbers of an activity text: "Reading message 3 from 12" and "Writing phonebook (12 from
// 250)" give 3 of 12; a text without "N from M" gives no count.
ProgressStep progressStepOf(const QString& text);

// Runs `job` on `channel` with `stop` wired to the channel's cancel, and its activity texts
// turned into steps for `sink`. A stop requested before the job starts is not lost: the job is
// not run and the outcome is the cancelled one.
Outcome RunJob(AtChannel& channel, const Job& job, std::stop_token stop, const StepSink& sink);

}  // namespace pelmar
