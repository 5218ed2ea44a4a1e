#include "cli/cli_common.h"

namespace pelmar::cli {

int runPhonebookCommand(const QStringList& args) {
    Q_UNUSED(args);
    return badInput(QStringLiteral("the phonebook commands are not built yet"));
}

}  // namespace pelmar::cli
