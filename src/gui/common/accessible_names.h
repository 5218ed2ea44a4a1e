#pragma once

class QWidget;

namespace pelmar {

// Gives every field under `root` that has a buddy label but no accessible name of its own the
// label's text (without its "&"), so that a screen reader speaks it for lists and views too,
// which do not take it from the label by themselves.
void nameFieldsByTheirLabels(QWidget* root);

}  // namespace pelmar
