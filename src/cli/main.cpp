#include <QCoreApplication>
#include <QStringList>

#include "cli/cli_common.h"
#include "phonebook/data_location.h"

using namespace pelmar::cli;

namespace {

struct CommandGroup {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

constexpr CommandGroup kGroups[] = {
    {"sms", "encode and decode text-message PDUs", runSmsCommand},
    {"phonebook", "read and edit phonebook files", runPhonebookCommand},
    {"ringtone", "encode RTTTL ringtones", runRingtoneCommand},
    {"smart", "build smart-message PDUs (ringtone, picture, logo)", runSmartCommand},
    {"operators", "list the built-in network operators", runOperatorsCommand},
    {"ports", "list the serial ports; --probe finds the phone", runPortsCommand},
};

int usage() {
    printOut(QStringLiteral("Usage: pelmar-cli [--json] <command> [options]\n"
                            "  or:  pelmar-cli --port DEV [--json] [--log FILE] [--pin -] <handset "
                            "command> [options]\n"
                            "  or:  pelmar-cli [--data-dir DIR] data-dir\n\n") +
             globalOptionsHelp() + QStringLiteral("\n\nCommands:"));
    for (const CommandGroup& g : kGroups) {
        printOut(QStringLiteral("  %1  %2")
                     .arg(QLatin1StringView(g.name), -10)
                     .arg(QLatin1StringView(g.summary)));
    }
    printOut(
        QStringLiteral("  data-dir    print the folder of the phonebook files (sm.dat, me.dat, "
                       "ld.dat) that the window uses too"));
    printOut(QLatin1Char('\n') + handsetCommandsHelp());
    return kExitDone;
}

// Runs the command that the arguments (without the program's name) ask for; its exit code.
int run(QStringList args) {
    GlobalOptions options;
    if (const int done = takeGlobalOptions(args, options); done >= 0)
        return done;
    // Asking for help changes nothing: help2man asks at build time.
    const bool help = args.isEmpty() || args.contains(QStringLiteral("--help")) ||
                      args.contains(QStringLiteral("-h"));
    if (const QString moved = help ? QString() : pelmar::moveOldUserDataFolder(); !moved.isEmpty())
        printErr(QStringLiteral("pelmar-cli: ") + moved);
    if (args.value(0) == QStringLiteral("data-dir")) {
        const QString dir = pelmar::phoneBookDirectory(options.dataDir);
        printResult(dir, {{QStringLiteral("dataDir"), dir}});
        return kExitDone;
    }
    if (options.portGiven) {
        return runHandsetCommand(
            options, QStringList{QStringLiteral("pelmar-cli --port ") + options.port} + args);
    }
    if (args.isEmpty()) {
        usage();
        noteOutcome(QStringLiteral("No command was given."));
        return kExitBadInput;
    }
    if (args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h"))
        return usage();
    for (const CommandGroup& g : kGroups) {
        if (args.first() == QLatin1StringView(g.name)) {
            return g.run(QStringList{QStringLiteral("pelmar-cli ") + args.first()} + args.mid(1));
        }
    }
    return badInput(QStringLiteral("unknown command \"%1\" (see --help)").arg(args.first()));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    pelmar::setApplicationIdentity();
    if (const auto problem = argumentEncodingProblem(argc, argv))
        return badInput(*problem);
    return checkOutput(printOutcome(run(QCoreApplication::arguments().mid(1))));
}
