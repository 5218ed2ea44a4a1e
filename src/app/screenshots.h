#pragma once

#include <QString>

namespace pelmar {

class TPelmarMainForm;

// Shows each tab of the window in turn and writes its picture into `directory` as
// "<n>-<caption>.png" ("1-settings.png"). Returns the number of pictures that could not be
// written.
int takeScreenshots(TPelmarMainForm& form, const QString& directory);

}  // namespace pelmar
