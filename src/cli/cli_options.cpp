// The options that apply to every command: taken from the front of the arguments.
#include <QCoreApplication>

#include "base/version.h"
#include "cli/cli_common.h"

namespace pelmar::cli {

namespace {

const QString kPinFromStdin = QStringLiteral("-");

// "--name VALUE" or "--name=VALUE" at the front of `args`: the value, taking both from `args`;
// nothing when the front is another option. `missing` is set when the value is left out.
std::optional<QString> takeValue(QStringList& args, const QString& name, bool& missing) {
    const QString& front = args.first();
    if (front.startsWith(name + QLatin1Char('='))) {
        const QString value = front.mid(name.size() + 1);
        args.removeFirst();
        return value;
    }
    if (front != name)
        return std::nullopt;
    if (args.size() < 2) {
        missing = true;
        return std::nullopt;
    }
    const QString value = args.at(1);
    args.remove(0, 2);
    return value;
}

}  // namespace

std::optional<std::chrono::milliseconds> lineTimeoutOf(const QString& seconds) {
    bool good = false;
    const double value = seconds.toDouble(&good);
    // Written so that nan fails too; 0 is refused, as every wait would fail at once.
    if (!good || !(value >= 0.001 && value <= 3600)) {
        badInput(
            QStringLiteral("--timeout takes seconds (at least 0.001, at most 3600), not \"%1\"")
                .arg(seconds));
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<qint64>(value * 1000 + 0.5));
}

int takeGlobalOptions(QStringList& args, GlobalOptions& options) {
    while (!args.isEmpty()) {
        if (args.first() == QStringLiteral("--json")) {
            options.json = true;
            setJsonOutput(true);
            args.removeFirst();
            continue;
        }
        if (args.first() == QStringLiteral("--version")) {
            printOut(QStringLiteral("pelmar-cli ") + programVersion());
            return kExitDone;
        }
        bool missing = false;
        if (const auto port = takeValue(args, QStringLiteral("--port"), missing)) {
            options.port = *port;
            options.portGiven = true;
        } else if (const auto dir = takeValue(args, QStringLiteral("--data-dir"), missing)) {
            options.dataDir = *dir;
        } else if (const auto log = takeValue(args, QStringLiteral("--log"), missing)) {
            if (log->isEmpty())
                return badInput(QStringLiteral("--log needs a file"));
            options.logFile = *log;
        } else if (const auto pin = takeValue(args, QStringLiteral("--pin"), missing)) {
            // The value is never repeated: it may be the PIN itself, which has no place in the
            // arguments, where every user of the machine can read it.
            if (*pin != kPinFromStdin) {
                return badInput(QStringLiteral(
                    "--pin takes only \"-\" and reads the SIM PIN from the first line of standard "
                    "input, never from the arguments: printf '%s\\n' \"$PIN\" | pelmar-cli "
                    "--port DEV --pin - ..."));
            }
            options.pinFromStdin = true;
        } else if (const auto timeout = takeValue(args, QStringLiteral("--timeout"), missing)) {
            options.timeout = lineTimeoutOf(*timeout);
            if (!options.timeout)
                return kExitBadInput;
        } else if (missing) {
            return badInput(QStringLiteral("%1 needs a value").arg(args.first()));
        } else {
            break;  // the command
        }
    }
    if (!options.portGiven && (!options.logFile.isEmpty() || options.pinFromStdin))
        return badInput(QStringLiteral("--log and --pin go with a handset: --port DEV"));
    return -1;
}

QString globalOptionsHelp() {
    return QStringLiteral(
        "Options for every command, given before it:\n"
        "  --port DEV          the handset: a serial device, or sim for a simulated one\n"
        "  --json              only JSON lines on stdout, the last one the outcome\n"
        "                      ({\"exit\":0,\"outcome\":\"Done.\"}); other texts go to stderr\n"
        "  --log FILE          append the wire log of the handset session to FILE (every\n"
        "                      byte both ways, with time and direction; the SIM PIN hidden)\n"
        "  --pin -             the SIM PIN, when the SIM asks for it, is the first line of\n"
        "                      standard input (never an argument)\n"
        "  --timeout SECONDS   how long to wait for a line of the handset's reply (30)\n"
        "  --data-dir DIR      the folder of the phonebook files\n"
        "  --version           print the version");
}

}  // namespace pelmar::cli
