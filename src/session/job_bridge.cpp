#include "session/job_bridge.h"

namespace pelmar {

Outcome RunJob(AtChannel& channel, const Job& job, std::stop_token stop, const Progress& progress) {
    if (stop.stop_requested())
        return Outcome::cancelled();
    return job(channel, progress, std::move(stop));
}

}  // namespace pelmar
