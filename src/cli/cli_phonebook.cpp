#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "phonebook/phone_book_store.h"

namespace pelmar::cli {
namespace {

int groupUsage() {
    printOut(QStringLiteral(
        "Usage: pelmar-cli phonebook <command> [options]\n\nCommands:\n"
        "  dump FILE                        print each entry as one JSON object per line\n"
        "  add FILE --name N --number NUM   append an entry (the file is created when missing)"));
    return kExitDone;
}

// The one positional FILE of a command; nothing when there is none or more than one.
std::optional<QString> fileArgument(const QCommandLineParser& parser) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return std::nullopt;
    return positional.first();
}

int dump(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints each entry of a phonebook file (sm.dat, me.dat, ld.dat) as one JSON object per "
        "line: {\"name\":...,\"number\":...,\"type\":...}. Use - for standard input."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the phonebook file"));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    const std::optional<QString> file = fileArgument(parser);
    if (!file)
        return badInput(QStringLiteral("dump needs exactly one FILE (see --help)"));
    const std::optional<QByteArray> bytes = readInput(*file);
    if (!bytes)
        return badInput(QStringLiteral("cannot read the phonebook file \"%1\"").arg(*file));
    for (const PhoneBookEntry& entry : PhoneBookStore::fromFileBytes(*bytes)) {
        printJson({{QStringLiteral("name"), entry.nameText()},
                   {QStringLiteral("number"), entry.numberText()},
                   {QStringLiteral("type"), int(entry.NumberType())}});
    }
    return kExitDone;
}

int add(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Appends an entry to a phonebook file, which is created when missing and replaced "
        "atomically; another program changing the file is waited for. The number type is 145 when "
        "the number holds \"+\", else 129."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the phonebook file"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("the entry's name"),
                                  QStringLiteral("N"));
    const QCommandLineOption number(
        QStringLiteral("number"),
        QStringLiteral("the entry's telephone number: digits, +, *, #, and the pauses p, w and ,"),
        QStringLiteral("NUM"));
    parser.addOption(name);
    parser.addOption(number);
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    const std::optional<QString> file = fileArgument(parser);
    if (!file || *file == QStringLiteral("-")) {
        return badInput(QStringLiteral("add needs exactly one FILE (see --help)"));
    }
    if (!parser.isSet(name) || !parser.isSet(number)) {
        return badInput(QStringLiteral("add needs --name and --number (see --help)"));
    }
    try {
        PhoneBookEntry entry = PhoneBookEntry::fromUser(parser.value(name), parser.value(number));
        PhoneBookStore::updateFile(*file, [&entry](PhoneBookStore& store) { store.append(entry); });
    } catch (const PhoneBookError& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
};

constexpr Command kCommands[] = {{"dump", dump}, {"add", add}};

}  // namespace

int runPhonebookCommand(const QStringList& args) {
    if (args.size() < 2 || args.at(1) == QStringLiteral("--help") ||
        args.at(1) == QStringLiteral("-h")) {
        return args.size() < 2 ? (groupUsage(), kExitBadInput) : groupUsage();
    }
    for (const Command& c : kCommands) {
        if (args.at(1) == QLatin1StringView(c.name)) {
            return c.run(QStringList{args.first() + QLatin1Char(' ') + args.at(1)} + args.mid(2));
        }
    }
    return badInput(
        QStringLiteral("unknown phonebook command \"%1\" (see --help)").arg(args.at(1)));
}

}  // namespace pelmar::cli
