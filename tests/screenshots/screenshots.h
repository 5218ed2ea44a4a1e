#pragma once

#include <QString>

namespace pelmar {

class ScriptedDialogs;
class TPelmarMainForm;

// Shows each tab of the window in turn and writes its picture into `directory` as
// "<n>-<caption>.png" ("1-settings.png"), the Send SMS page with a text typed; then presses Send
// with no text and writes the error box the user would see as "<n+1>-error-box.png", then the
// phonebook entry editor and the number picker. The SIM phonebook is read first. `dialogs`
// is the window's: it records the box instead of showing it. Returns the number of pictures
// that could not be written.
int takeScreenshots(TPelmarMainForm& form, ScriptedDialogs& dialogs, const QString& directory);

}  // namespace pelmar
