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
    printOut(
        QStringLiteral("Usage: pelmar-cli <command> [options]\n"
                       "       pelmar-cli --port DEVICE <handset command> [options]\n"
                       "       pelmar-cli [--data-dir DIR] data-dir\n\nCommands:"));
    for (const CommandGroup& g : kGroups) {
        printOut(QStringLiteral("  %1  %2")
                     .arg(QLatin1StringView(g.name), -10)
                     .arg(QLatin1StringView(g.summary)));
    }
    printOut(
        QStringLiteral("  data-dir    print the folder of the phonebook files (sm.dat, me.dat, "
                       "ld.dat) that the window uses too"));
    printOut(QStringLiteral("\nHandset commands (with --port): see pelmar-cli --port DEV --help"));
    return kExitDone;
}

// Runs the command that the arguments (without the program's name) ask for; its exit code.
int run(QStringList args) {
    QString dataDir;
    if (!args.isEmpty() && args.first() == QStringLiteral("--data-dir")) {
        if (args.size() < 2)
            return badInput(QStringLiteral("--data-dir needs a folder"));
        dataDir = args.at(1);
        args = args.mid(2);
    }
    if (args.value(0) == QStringLiteral("data-dir")) {
        printOut(pelmar::phoneBookDirectory(dataDir));
        return kExitDone;
    }

    if (args.isEmpty() || args.first() == QStringLiteral("--help") ||
        args.first() == QStringLiteral("-h")) {
        return args.isEmpty() ? (usage(), kExitBadInput) : usage();
    }
    if (args.first() == QStringLiteral("--port")) {
        if (args.size() < 2)
            return badInput(QStringLiteral("--port needs a device name"));
        const QString port = args.at(1);
        return runHandsetCommand(
            port, QStringList{QStringLiteral("pelmar-cli --port ") + port} + args.mid(2));
    }
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
    return checkOutput(run(QCoreApplication::arguments().mid(1)));
}
