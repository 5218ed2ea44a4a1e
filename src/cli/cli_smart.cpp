#include "cli/cli_common.h"

namespace pelmar::cli {

int runSmartCommand(const QStringList& args) {
    Q_UNUSED(args);
    return badInput(QStringLiteral("the smart commands are not built yet"));
}

}  // namespace pelmar::cli
