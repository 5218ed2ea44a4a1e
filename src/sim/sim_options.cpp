#include "sim/sim_options.h"

#include <QString>

#include "base/error.h"
#include "sim/at_command_line.h"

namespace pelmar::simulator {

namespace {

void addByCommand(QMap<QByteArray, QByteArray>& map, const char* what,
                  QByteArrayView commandAndText) {
    const qsizetype eq = commandAndText.indexOf('=');
    const QByteArray key = eq < 0 ? QByteArray() : atCommandKey(commandAndText.first(eq));
    if (eq <= 0 || key.isEmpty()) {
        throw Error(QStringLiteral("%1 reads CMD=TEXT, not \"%2\".")
                        .arg(QLatin1StringView(what), QString::fromLatin1(commandAndText)));
    }
    map.insert(key, commandAndText.sliced(eq + 1).toByteArray());
}

}  // namespace

void addReplyOverride(SimOptions& options, QByteArrayView commandAndText) {
    addByCommand(options.replies, "A reply override", commandAndText);
}

void addSurplusLine(SimOptions& options, QByteArrayView commandAndText) {
    addByCommand(options.surplus, "A surplus line", commandAndText);
}

void addEchoAs(SimOptions& options, QByteArrayView commandAndText) {
    addByCommand(options.echoAs, "An echo override", commandAndText);
}

void setChatter(SimOptions& options, QByteArrayView textAndPeriod) {
    const qsizetype at = textAndPeriod.lastIndexOf('@');
    bool good = false;
    const int period = at < 0 ? 0 : textAndPeriod.sliced(at + 1).toByteArray().toInt(&good);
    if (at <= 0 || !good || period < 1) {
        throw Error(QStringLiteral("Chatter reads TEXT@MS, not \"%1\".")
                        .arg(QString::fromLatin1(textAndPeriod)));
    }
    options.chatter = textAndPeriod.first(at).toByteArray();
    options.chatterEvery = std::chrono::milliseconds(period);
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

}  // namespace pelmar::simulator
