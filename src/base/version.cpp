#include "base/version.h"

namespace pelmar {

QString programVersion() {
    return QStringLiteral(PELMAR_VERSION);
}

}  // namespace pelmar
