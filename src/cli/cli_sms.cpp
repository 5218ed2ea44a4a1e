#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QRandomGenerator>

#include "base/error.h"
#include "cli/cli_common.h"
#include "sms/listing_decoder.h"
#include "sms/long_message.h"
#include "sms/message_input.h"
#include "sms/submit_pdu.h"

namespace pelmar::cli {

namespace {

int encode(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds the SMS-SUBMIT PDU of one text message and prints \"LENGTH HEX\": LENGTH is the "
        "value for at+cmgs= / at+cmgw= (TPDU octets), HEX what is written before Ctrl-Z.\n"
        "Put -- before a text that starts with \"-\"."));
    TextMessageOptions options;
    options.addTo(parser);
    if (const int exit = parseArgs(parser, args); exit >= 0)
        return exit;
    TextMessage message;
    if (const int exit = options.read(parser, message); exit >= 0)
        return exit;
    try {
        printWrittenPdus(BuildTextMessagePdus(message));
    } catch (const Error& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

int decode(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Decodes a whole at+cmgl=4 reply (raw bytes as the handset sends them) and prints one "
        "JSON object per listed message: index, status, date, number, text."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The reply; standard input when left out."),
                                 QStringLiteral("[FILE]"));
    if (const int exit = parseArgs(parser, args); exit >= 0)
        return exit;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return badInput(QStringLiteral("decode reads one file (see --help)"));
    const QString fileName = files.value(0);

    const std::optional<QByteArray> reply = readInput(fileName);
    if (!reply) {
        return badInput(QStringLiteral("cannot read \"%1\"")
                            .arg(fileName.isEmpty() ? QStringLiteral("standard input") : fileName));
    }
    try {
        const DecodedListing listing = DecodeListing(*reply);
        for (const DecodedMessage& m : listing.messages)
            printJson(messageJson(m));
        if (listing.unreadable > 0)
            printErr(unreadableNote(listing.unreadable));
    } catch (const Error& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

int usage() {
    printOut(QStringLiteral(
        "Usage: pelmar-cli sms <command> [options]\n\nCommands:\n"
        "  encode  build the PDU of one text message (--number NUM [--coding standard|ucs2] "
        "[--flash] [--long [--reference N]] [--older-handset] TEXT)\n"
        "  decode  decode an at+cmgl=4 reply into JSON lines ([FILE], stdin when left out)\n\n"
        "See pelmar-cli sms <command> --help."));
    return kExitDone;
}

}  // namespace

TextMessageOptions::TextMessageOptions()
    : number(QStringLiteral("number"),
             QStringLiteral("Recipient number: digits, \"+\" if international."),
             QStringLiteral("NUM")),
      coding(QStringLiteral("coding"),
             QStringLiteral("standard (GSM 7-bit, 160 septets) or ucs2 (70 characters)."),
             QStringLiteral("standard|ucs2"), QStringLiteral("standard")),
      flash(QStringLiteral("flash"),
            QStringLiteral("Flash message (class 0, UCS2, 69 characters).")),
      olderHandset(olderHandsetOption()),
      longMessage(QStringLiteral("long"),
                  QStringLiteral("Long message: a text beyond one message goes in up to 10 parts "
                                 "(153 septets, 67 UCS2 or 66 flash characters each).")),
      reference(QStringLiteral("reference"),
                QStringLiteral("The parts' concatenation reference, 1 to 254 (default: random)."),
                QStringLiteral("N")) {}

void TextMessageOptions::addTo(QCommandLineParser& parser) const {
    parser.addOption(number);
    parser.addOption(coding);
    parser.addOption(flash);
    parser.addOption(olderHandset);
    parser.addOption(longMessage);
    parser.addOption(reference);
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The message text."));
}

int TextMessageOptions::read(const QCommandLineParser& parser, TextMessage& message) const {
    const QStringList texts = parser.positionalArguments();
    if (texts.size() != 1) {
        return badInput(QStringLiteral("give the message text as one argument (quote it)"));
    }
    const QString codingName = parser.value(coding);
    if (codingName != QStringLiteral("standard") && codingName != QStringLiteral("ucs2")) {
        return badInput(
            QStringLiteral("unknown coding \"%1\"; use standard or ucs2").arg(codingName));
    }
    if (parser.isSet(flash) && parser.isSet(coding) && codingName == QStringLiteral("standard")) {
        return badInput(QStringLiteral("flash messages are sent in UCS2; leave out --coding"));
    }
    if (parser.value(number).isEmpty()) {
        return badInput(QStringLiteral(
            "give the recipient's phone number with --number (with \"+\" if needed)"));
    }
    message.number = parser.value(number);
    message.text = texts.first();
    message.mode = parser.isSet(flash)                    ? SmsMode::Flash
                   : codingName == QStringLiteral("ucs2") ? SmsMode::Ucs2
                                                          : SmsMode::Standard;
    message.smsc = smscFieldFor(dialectOf(parser, olderHandset));
    message.longMessage = parser.isSet(longMessage);
    if (parser.isSet(reference)) {
        bool numeric = false;
        const int value = parser.value(reference).toInt(&numeric);
        if (!numeric || value < ConcatReference::kFirst || value > ConcatReference::kLast) {
            return badInput(QStringLiteral("--reference takes a number from %1 to %2, not \"%3\"")
                                .arg(ConcatReference::kFirst)
                                .arg(ConcatReference::kLast)
                                .arg(parser.value(reference)));
        }
        message.reference = ConcatReference(value);
    } else {
        // Two long messages to one handset must not share a reference, or it would mix their
        // parts: each run picks its own.
        message.reference = ConcatReference(static_cast<int>(QRandomGenerator::global()->bounded(
            ConcatReference::kFirst, ConcatReference::kLast + 1)));
    }
    // A text that only a long message holds is refused as before, naming the way to send it.
    if (!message.longMessage) {
        const auto single = textProblem(message.text, message.mode);
        if (single && !textProblem(message.text, message.mode, true))
            return badInput(single->text + QStringLiteral("; give --long to send it in parts"));
    }
    return -1;
}

int runSmsCommand(const QStringList& args) {
    const QString command = args.value(1);
    if (command.isEmpty())
        return (usage(), kExitBadInput);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h"))
        return usage();
    const QStringList rest = QStringList{args.first() + QLatin1Char(' ') + command} + args.mid(2);
    if (command == QStringLiteral("encode"))
        return encode(rest);
    if (command == QStringLiteral("decode"))
        return decode(rest);
    return badInput(
        QStringLiteral("unknown sms command \"%1\" (see pelmar-cli sms --help)").arg(command));
}

}  // namespace pelmar::cli
