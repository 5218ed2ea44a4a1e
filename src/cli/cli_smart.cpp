#include <QCommandLineOption>
#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "cli/cli_handset.h"
#include "smart/operator_logo.h"
#include "smart/picture_message.h"
#include "smart/ringtone.h"
#include "smart/smart_framing.h"
#include "smart/smart_send.h"

namespace pelmar::cli {

namespace {

// Options every smart command shares.
struct Common {
    QCommandLineOption number{QStringLiteral("number"),
                              QStringLiteral("recipient's phone number (digits, \"+\")"),
                              QStringLiteral("NUM")};
    QCommandLineOption olderHandset = olderHandsetOption();
    QCommandLineOption bitmap{QStringLiteral("bitmap"),
                              QStringLiteral("a 1-bit BMP file instead of the built-in image"),
                              QStringLiteral("FILE.bmp")};
    QCommandLineOption send{QStringLiteral("send"),
                            QStringLiteral("send it through the handset given with --port DEV "
                                           "instead of printing the PDUs")};

    void addTo(QCommandLineParser& parser, bool withBitmap) {
        parser.addOption(number);
        parser.addOption(olderHandset);
        parser.addOption(send);
        if (withBitmap)
            parser.addOption(bitmap);
    }
    // The handset to send through: nothing to print the PDUs. Throws when --send has no port.
    HandsetSession* sendingThrough(const QCommandLineParser& parser,
                                   HandsetSession* handset) const {
        if (!parser.isSet(send))
            return nullptr;
        if (handset == nullptr)
            throw Error(
                QStringLiteral("--send needs the handset: pelmar-cli --port DEV smart ..."));
        return handset;
    }
    SmscField smsc(const QCommandLineParser& parser) const {
        return smscFieldFor(dialectOf(parser, olderHandset));
    }
};

// What a command built goes through the handset with --send, or is printed. Built first, so a
// refused input never touches the line.
int sendOrPrint(const Common& common, const QCommandLineParser& parser, HandsetSession* handset,
                const QList<WrittenPdu>& pdus, ProgressStep (*stepOf)(int, int)) {
    HandsetSession* h = common.sendingThrough(parser, handset);
    if (h == nullptr)
        return printWrittenPdus(pdus);
    if (const int refused = h->unlockSim(); refused >= 0)
        return refused;
    return h->finish(SendSmartPdus(h->channel(), pdus, stepOf, h->progress(), h->stop()).outcome);
}

int ringtone(const QStringList& args, HandsetSession* handset) {
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
    return sendOrPrint(common, parser, handset,
                       BuildRingtonePdus(parser.value(common.number), rtttl, common.smsc(parser)),
                       &ringtoneStep);
}

int picture(const QStringList& args, HandsetSession* handset) {
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
    ConcatReference concat(ref);
    const MonoBitmap image = parser.isSet(common.bitmap)
                                 ? LoadPictureBitmap(parser.value(common.bitmap))
                                 : BuiltInPicture();
    return sendOrPrint(common, parser, handset,
                       BuildPicturePdus(parser.value(common.number), parser.value(text),
                                        pictureCoding, image, concat.value(), common.smsc(parser)),
                       &pictureStep);
}

int logo(const QStringList& args, HandsetSession* handset) {
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
    const MonoBitmap image =
        parser.isSet(common.bitmap) ? LoadLogoBitmap(parser.value(common.bitmap)) : BuiltInLogo();
    return sendOrPrint(common, parser, handset,
                       BuildLogoPdus(parser.value(common.number), code, image, common.smsc(parser)),
                       &logoStep);
}

struct Command {
    const char* name;
    int (*run)(const QStringList& args, HandsetSession* handset);
};

constexpr Command kCommands[] = {{"ringtone", ringtone}, {"picture", picture}, {"logo", logo}};

int usage(int exitCode) {
    printOut(QStringLiteral(
        "Usage: pelmar-cli smart ringtone --number NUM [--older-handset] RTTTL\n"
        "       pelmar-cli smart picture --number NUM [--coding standard|ucs2] [--reference N]\n"
        "                                --text TEXT [--bitmap FILE.bmp] [--older-handset]\n"
        "       pelmar-cli smart logo --number NUM --network \"MCC MNC\" [--bitmap FILE.bmp]\n"
        "                             [--older-handset]\n"
        "Prints one line per PDU: the length for \"at+cmgs=\" and the hex text written.\n"
        "With --port DEV before \"smart\" and --send, sends the message through the handset."));
    return exitCode;
}

int runSmart(const QStringList& args, HandsetSession* handset) {
    if (args.size() < 2)
        return usage(kExitBadInput);
    if (args.at(1) == QStringLiteral("--help") || args.at(1) == QStringLiteral("-h")) {
        return usage(kExitDone);
    }
    for (const Command& c : kCommands) {
        if (args.at(1) != QLatin1StringView(c.name))
            continue;
        try {
            return c.run(QStringList{args.first() + QLatin1Char(' ') + args.at(1)} + args.mid(2),
                         handset);
        } catch (const Error& e) {
            return badInput(e.message());
        }
    }
    return badInput(QStringLiteral("unknown smart command \"%1\" (see --help)").arg(args.at(1)));
}

}  // namespace

int runSmartCommand(const QStringList& args) {
    return runSmart(args, nullptr);
}

int runSmartSend(const QStringList& args, HandsetSession& handset) {
    return runSmart(args, &handset);
}

}  // namespace pelmar::cli
