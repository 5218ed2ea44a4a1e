#include "cli/cli_common.h"

namespace pelmar::cli {

int runSmsCommand(const QStringList& args) {
    Q_UNUSED(args);
    return badInput(QStringLiteral("the sms commands are not built yet"));
}

}  // namespace pelmar::cli
