#include <QCommandLineOption>
#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "smart/operator_logo.h"
#include "smart/picture_message.h"
#include "smart/ringtone.h"
#include "smart/smart_framing.h"

namespace pelmar::cli {

namespace {

// Options every smart command shares.
struct Common {
    QCommandLineOption number{QStringLiteral("number"),
                              QStringLiteral("recipient's phone number (digits, \"+\")"),
                              QStringLiteral("NUM")};
    QCommandLineOption noSmsc{QStringLiteral("no-smsc"),
                              QStringLiteral("write the bare TPDU, without the \"00\" SMSC field")};
    QCommandLineOption bitmap{QStringLiteral("bitmap"),
                              QStringLiteral("a 1-bit BMP file instead of the built-in image"),
                              QStringLiteral("FILE.bmp")};

    void addTo(QCommandLineParser& parser, bool withBitmap) {
        parser.addOption(number);
        parser.addOption(noSmsc);
        if (withBitmap)
            parser.addOption(bitmap);
    }
    SmscField smsc(const QCommandLineParser& parser) const {
        return parser.isSet(noSmsc) ? SmscField::None : SmscField::DefaultSmsc;
    }
};

// "LENGTH HEX", one line per PDU: what "at+cmgs=" announces and what is written.
int printPdus(const QList<WrittenPdu>& pdus) {
    for (const WrittenPdu& pdu : pdus) {
        printOut(QString::number(pdu.length) + QLatin1Char(' ') + QString::fromLatin1(pdu.hex));
    }
    return kExitDone;
}

int ringtone(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds the smart message of an RTTTL ringtone."));
    Common common;
    common.addTo(parser, false);
    parser.addPositionalArgument(QStringLiteral("RTTTL"), QStringLiteral("the ringtone text"));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (parser.positionalArguments().size() != 1) {
        return badInput(QStringLiteral("give one RTTTL text (see --help)"));
    }
    const QString rtttl = parser.positionalArguments().first();
    if (rtttl.isEmpty())
        return badInput(QStringLiteral("Please enter ringtone (in RTTL format)."));
    const QByteArray tone = EncodeRingtone(rtttl);
    CheckRingtoneSize(tone);
    return printPdus(BuildSmartPdus(parser.value(common.number), SmartKind::Ringtone, tone,
                                    ConcatReference::kFirst, common.smsc(parser)));
}

int picture(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds the concatenated smart message of a 72 x 28 picture and a text."));
    Common common;
    common.addTo(parser, true);
    const QCommandLineOption text(QStringLiteral("text"), QStringLiteral("the message text"),
                                  QStringLiteral("TEXT"));
    const QCommandLineOption coding(QStringLiteral("coding"),
                                    QStringLiteral("text coding: standard (default) or ucs2"),
                                    QStringLiteral("CODING"), QStringLiteral("standard"));
    const QCommandLineOption reference(
        QStringLiteral("reference"),
        QStringLiteral("concatenation reference, 1 to 254 (default 1)"), QStringLiteral("N"),
        QStringLiteral("1"));
    parser.addOptions({text, coding, reference});
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;

    PictureCoding pictureCoding = PictureCoding::Standard;
    if (parser.value(coding) == QStringLiteral("ucs2")) {
        pictureCoding = PictureCoding::Ucs2;
    } else if (parser.value(coding) != QStringLiteral("standard")) {
        return badInput(QStringLiteral("--coding takes standard or ucs2, not \"%1\"")
                            .arg(parser.value(coding)));
    }
    bool numeric = false;
    const int ref = parser.value(reference).toInt(&numeric);
    if (!numeric) {
        return badInput(
            QStringLiteral("--reference takes a number, not \"%1\"").arg(parser.value(reference)));
    }
    const ConcatReference concat(ref);
    const MonoBitmap image = parser.isSet(common.bitmap)
                                 ? LoadPictureBitmap(parser.value(common.bitmap))
                                 : BuiltInPicture();
    return printPdus(BuildPicturePdus(parser.value(common.number), parser.value(text),
                                      pictureCoding, image, concat.value(), common.smsc(parser)));
}

int logo(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds the smart message of a 72 x 14 operator logo for one network."));
    Common common;
    common.addTo(parser, true);
    const QCommandLineOption network(QStringLiteral("network"),
                                     QStringLiteral("the network as \"MCC MNC\", e.g. \"202 01\""),
                                     QStringLiteral("MCC MNC"));
    parser.addOption(network);
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (!parser.isSet(network)) {
        return badInput(QStringLiteral("give the network with --network \"MCC MNC\""));
    }
    const NetworkCode code = ParseNetworkCode(parser.value(network));
    CheckSmartNumber(parser.value(common.number));
    const MonoBitmap image =
        parser.isSet(common.bitmap) ? LoadLogoBitmap(parser.value(common.bitmap)) : BuiltInLogo();
    return printPdus(BuildLogoPdus(parser.value(common.number), code, image, common.smsc(parser)));
}

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
};

constexpr Command kCommands[] = {{"ringtone", ringtone}, {"picture", picture}, {"logo", logo}};

int usage(int exitCode) {
    printOut(QStringLiteral(
        "Usage: pelmar-cli smart ringtone --number NUM [--no-smsc] RTTTL\n"
        "       pelmar-cli smart picture --number NUM [--coding standard|ucs2] [--reference N]\n"
        "                                --text TEXT [--bitmap FILE.bmp] [--no-smsc]\n"
        "       pelmar-cli smart logo --number NUM --network \"MCC MNC\" [--bitmap FILE.bmp]\n"
        "                             [--no-smsc]\n"
        "Prints one line per PDU: the length for \"at+cmgs=\" and the hex text written."));
    return exitCode;
}

}  // namespace

int runSmartCommand(const QStringList& args) {
    if (args.size() < 2)
        return usage(kExitBadInput);
    if (args.at(1) == QStringLiteral("--help") || args.at(1) == QStringLiteral("-h")) {
        return usage(kExitDone);
    }
    for (const Command& c : kCommands) {
        if (args.at(1) != QLatin1StringView(c.name))
            continue;
        try {
            return c.run(QStringList{args.first() + QLatin1Char(' ') + args.at(1)} + args.mid(2));
        } catch (const Error& e) {
            return badInput(e.message());
        }
    }
    return badInput(QStringLiteral("unknown smart command \"%1\" (see --help)").arg(args.at(1)));
}

}  // namespace pelmar::cli
