#pragma once

#include <QString>

namespace pelmar {

// The version of this build ("0.1.0"), the same for every program; `--version` prints it.
QString programVersion();

}  // namespace pelmar
