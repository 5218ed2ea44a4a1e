#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "smart/ringtone.h"

namespace pelmar::cli {

namespace {

int encode(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Encodes an RTTTL ringtone to the smart-messaging ringing-tone octets (upper-case hex)."));
    parser.addPositionalArgument(QStringLiteral("RTTTL"),
                                 QStringLiteral("the ringtone text, or - to read standard input"));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (parser.positionalArguments().size() != 1) {
        return badInput(QStringLiteral("give one RTTTL text (see --help)"));
    }
    QString rtttl = parser.positionalArguments().first();
    if (rtttl == QStringLiteral("-")) {
        const std::optional<QByteArray> input = readInput(rtttl);
        if (!input)
            return badInput(QStringLiteral("can not read standard input"));
        rtttl = QString::fromUtf8(*input).trimmed();
    }
    try {
        const QString hex = QString::fromLatin1(EncodeRingtone(rtttl));
        printResult(hex, {{QStringLiteral("ringtone"), hex}});
    } catch (const Error& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

}  // namespace

int runRingtoneCommand(const QStringList& args) {
    if (args.size() >= 2 && args.at(1) == QStringLiteral("encode")) {
        return encode(QStringList{args.first() + QStringLiteral(" encode")} + args.mid(2));
    }
    const bool help = args.size() >= 2 && (args.at(1) == QStringLiteral("--help") ||
                                           args.at(1) == QStringLiteral("-h"));
    if (args.size() >= 2 && !help) {
        return badInput(
            QStringLiteral("unknown ringtone command \"%1\" (see --help)").arg(args.at(1)));
    }
    printOut(QStringLiteral("Usage: pelmar-cli ringtone encode RTTTL"));
    return help ? kExitDone : kExitBadInput;
}

}  // namespace pelmar::cli
