#pragma once

#include <QString>

namespace pelmar {

// One step of a running operation: the text the user reads ("Reading message 3 from 12") and
// its numbers, so that a progress bar never parses our own sentences. total 0: no count known.
struct ProgressStep {
    QString text;
    int done = 0;
    int total = 0;

    friend bool operator==(const ProgressStep&, const ProgressStep&) = default;
};

}  // namespace pelmar
