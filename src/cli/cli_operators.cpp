#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QLocale>

#include "cli/cli_common.h"
#include "smart/operator_table.h"

namespace pelmar::cli {

namespace {

// An unknown locale name would quietly become the C locale and reorder the whole list.
std::optional<QLocale> localeNamed(const QString& name) {
    if (name == QStringLiteral("C") || name == QStringLiteral("POSIX"))
        return QLocale::c();
    const QLocale locale(name);
    if (locale.language() == QLocale::C)
        return std::nullopt;
    return locale;
}

}  // namespace

int runOperatorsCommand(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the networks of the logo page's provider list, one item per line, in list order "
        "(sorted by name with the user's collation).\n"
        "Use the network code with: pelmar-cli smart logo --network \"MCC MNC\""));
    const QCommandLineOption codes(
        QStringLiteral("codes"),
        QStringLiteral("Start each line with the network code and a tab."));
    const QCommandLineOption locale(
        QStringLiteral("locale"),
        QStringLiteral("Sort with the collation of <name> (e.g. de_DE; C for code-point order)."),
        QStringLiteral("name"));
    parser.addOption(codes);
    parser.addOption(locale);
    if (const int exit = parseArgs(parser, args); exit >= 0)
        return exit;
    if (!parser.positionalArguments().isEmpty()) {
        return badInput(QStringLiteral("operators takes no arguments (see --help)"));
    }

    QLocale sortLocale = operatorSortLocale();
    if (parser.isSet(locale)) {
        const std::optional<QLocale> named = localeNamed(parser.value(locale));
        if (!named) {
            return badInput(QStringLiteral("unknown locale \"%1\"").arg(parser.value(locale)));
        }
        sortLocale = *named;
    }
    const OperatorTables tables = FillOperatorTables(sortLocale);
    for (const OperatorRecord& network : tables.Operators) {
        const QString item = OperatorItemText(network, tables.Countries);
        const QString code = networkCodeText(network);
        printResult(parser.isSet(codes) ? code + QLatin1Char('\t') + item : item,
                    {{QStringLiteral("network"), code}, {QStringLiteral("name"), item}});
    }
    return kExitDone;
}

}  // namespace pelmar::cli
