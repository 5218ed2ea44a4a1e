#pragma once

#include <stop_token>
#include <type_traits>
#include <utility>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/sim_pin.h"

namespace pelmar {

// `job` after the handset identification that sending, storing, listing and reading a
// phonebook begin with (the runner shows the identity it finds), and after the SIM check
// (UnlockSim: the PIN from the channel's PinProvider when the SIM asks for it). A handset that
// does not tell its maker and model is still used; a line that failed or was cancelled during
// the identification ends the job there, rather than costing a second full wait on the same
// dead line, and so does a SIM that is not ready. Both run once per connection.
template <class F>
auto identifiedJob(F job) {
    return [job = std::move(job)](AtChannel& channel, const Progress& progress,
                                  std::stop_token stop) mutable {
        using R = std::invoke_result_t<F&, AtChannel&, const Progress&, std::stop_token>;
        const Outcome identified = IdentifyHandset(channel, stop);
        if (identified.kind == Outcome::Kind::Failed ||
            identified.kind == Outcome::Kind::Cancelled) {
            R result{};
            outcomeOf(result) = identified;
            return result;
        }
        if (Outcome unlocked = UnlockSim(channel, stop); !unlocked.isDone()) {
            R result{};
            outcomeOf(result) = std::move(unlocked);
            return result;
        }
        return job(channel, progress, stop);
    };
}

}  // namespace pelmar
