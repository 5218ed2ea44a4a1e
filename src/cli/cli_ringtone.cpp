#include "cli/cli_common.h"

namespace pelmar::cli {

int runRingtoneCommand(const QStringList& args) {
    Q_UNUSED(args);
    return badInput(QStringLiteral("the ringtone commands are not built yet"));
}

}  // namespace pelmar::cli
