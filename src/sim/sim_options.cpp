#include "sim/sim_options.h"

#include <QString>

#include "link/error.h"
#include "sim/at_command_line.h"

namespace pelmar {

void addReplyOverride(SimOptions& options, QByteArrayView commandAndText) {
    const qsizetype eq = commandAndText.indexOf('=');
    const QByteArray key = eq < 0 ? QByteArray() : atCommandKey(commandAndText.first(eq));
    if (eq <= 0 || key.isEmpty()) {
        throw Error(QStringLiteral("A reply override reads CMD=TEXT, not \"%1\".")
                        .arg(QString::fromLatin1(commandAndText)));
    }
    options.replies.insert(key, commandAndText.sliced(eq + 1).toByteArray());
}

void setChunking(SimOptions& options, QByteArrayView chunking) {
    if (chunking == "random") {
        options.randomChunks = true;
        options.chunkSize = 0;
        return;
    }
    bool good = false;
    const int size = chunking.toByteArray().toInt(&good);
    if (!good || size < 1) {
        throw Error(QStringLiteral("The chunk size is a number of bytes or \"random\", not \"%1\".")
                        .arg(QString::fromLatin1(chunking)));
    }
    options.chunkSize = size;
    options.randomChunks = false;
}

}  // namespace pelmar
