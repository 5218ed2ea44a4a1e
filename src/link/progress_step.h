#pragma once

#include <QString>
#include <QVariant>

namespace pelmar {

// One step of a running operation: the text the user reads ("Reading message 3 from 12") and
// its numbers, so that a progress bar never parses our own sentences. total 0: no count known.
struct ProgressStep {
    QString text;
    int done = 0;
    int total = 0;
    // What has arrived so far, for an operation whose results can be shown as they come (a
    // listing puts the messages read so far); empty for the others.
    QVariant detail = {};

    // Two steps are the same step when the user reads the same: text and numbers.
    friend bool operator==(const ProgressStep& a, const ProgressStep& b) {
        return a.text == b.text && a.done == b.done && a.total == b.total;
    }
};

}  // namespace pelmar
