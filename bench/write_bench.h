#pragma once

#include <chrono>

#include "handset_line.h"

namespace pelmar::bench {

// Prints, for phonebooks with few or many entries and few or many of them changed, the median
// time of the phonebook write (which reads the handset's slots first and writes only those
// that differ) as a ratio to the write of every slot measured in the same run, each on a fresh
// handset `runs` times, with `think` per command. False when a write failed or left the handset
// unlike the local copy.
bool printWriteComparison(const LineSetup& line, std::chrono::milliseconds think, int runs);

}  // namespace pelmar::bench
