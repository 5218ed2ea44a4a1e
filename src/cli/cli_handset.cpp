#include "cli/cli_common.h"

namespace pelmar::cli {

int runHandsetCommand(const QString& port, const QStringList& args) {
    Q_UNUSED(port);
    Q_UNUSED(args);
    return badInput(QStringLiteral("the handset commands are not built yet"));
}

}  // namespace pelmar::cli
