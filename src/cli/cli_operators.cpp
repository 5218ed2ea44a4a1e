#include "cli/cli_common.h"

namespace pelmar::cli {

int runOperatorsCommand(const QStringList& args) {
    Q_UNUSED(args);
    return badInput(QStringLiteral("the operators commands are not built yet"));
}

}  // namespace pelmar::cli
