#include "gui/common/workspace.h"

namespace pelmar {

Workspace::Workspace(Dialogs& dialogs_, const QString& phoneBookDirectory,
                     OperationRunner::ConnectionFactory connections)
    : dialogs(dialogs_),
      phoneBookFiles(phoneBookDirectory),
      runner(QString(), AtChannel::kDefaultLineTimeout, std::move(connections)) {}

}  // namespace pelmar
