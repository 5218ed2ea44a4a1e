#pragma once

#include <QString>

namespace pelmar {

// Writes the demo handset's SIM and handset phonebooks into `directory` as the local copies
// ("sm.dat", "me.dat"), so that a demo run shows names at once and never reads or writes the
// user's own files. Throws PhoneBookError when a file cannot be written.
void writeDemoPhoneBooks(const QString& directory);

}  // namespace pelmar
