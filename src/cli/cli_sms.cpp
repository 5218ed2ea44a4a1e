#include <QCommandLineOption>
#include <QCommandLineParser>

#include "cli/cli_common.h"
#include "link/error.h"
#include "sms/gsm_alphabet.h"
#include "sms/listing_decoder.h"
#include "sms/submit_pdu.h"

namespace pelmar::cli {

namespace {

// Characters of one message: one PDU, no concatenation.
constexpr int kStandardSeptets = 160;
constexpr int kUcs2Chars = 70;
constexpr int kFlashChars = 69;  // the flash marker takes one UCS2 character
constexpr int kMaxNumberDigits = 20;

// `"Ж" (U+0416) at position 3`, counting characters as the user sees them.
QString describeChar(const QString& text, qsizetype index) {
    const char32_t code = text.at(index).isHighSurrogate() && index + 1 < text.size()
                              ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
                              : text.at(index).unicode();
    const qsizetype position =
        QStringView(text).first(index).toUcs4().size() + 1;  // a surrogate pair is one character
    const QString shown = code < 0x20 ? QString() : QString::fromUcs4(&code, 1);
    const QString hex = QString::number(static_cast<uint>(code), 16).toUpper();
    return QStringLiteral("\"%1\" (U+%2) at position %3")
        .arg(shown, hex.rightJustified(4, QLatin1Char('0')))
        .arg(position);
}

qsizetype firstNonBmpChar(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isSurrogate())
            return i;
    }
    return -1;
}

// What is wrong with the number, or nothing.
std::optional<QString> numberProblem(const QString& number) {
    if (number.isEmpty()) {
        return QStringLiteral(
            "give the recipient's phone number with --number (with \"+\" if needed)");
    }
    int digits = 0;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number.at(i);
        if (c.isDigit() && c.unicode() < 0x80) {
            ++digits;
        } else if (c != QLatin1Char('+')) {
            return QStringLiteral("the number may hold only digits and \"+\": %1")
                .arg(describeChar(number, i));
        }
    }
    if (digits == 0)
        return QStringLiteral("the number \"%1\" has no digits").arg(number);
    if (digits > kMaxNumberDigits) {
        return QStringLiteral("the number has %1 digits; an SMS address holds at most %2")
            .arg(digits)
            .arg(kMaxNumberDigits);
    }
    return std::nullopt;
}

// What is wrong with the text for the chosen mode, or nothing.
std::optional<QString> textProblem(const QString& text, SmsMode mode) {
    if (text.isEmpty())
        return QStringLiteral("the message text is empty");
    if (mode == SmsMode::Standard) {
        if (const qsizetype i = FirstNonGsmChar(text); i >= 0) {
            return QStringLiteral("%1 is not in the GSM 7-bit alphabet; send it with --coding ucs2")
                .arg(describeChar(text, i));
        }
        const int septets = GsmSeptetCount(text);
        if (septets > kStandardSeptets) {
            return QStringLiteral(
                       "the text takes %1 septets; one Standard message holds %2 "
                       "(\"[]{}\\^~|€\" and form feed take two each)")
                .arg(septets)
                .arg(kStandardSeptets);
        }
        return std::nullopt;
    }
    if (const qsizetype i = firstNonBmpChar(text); i >= 0) {
        return QStringLiteral(
                   "%1 is outside the Basic Multilingual Plane; no SMS coding carries it")
            .arg(describeChar(text, i));
    }
    const int limit = mode == SmsMode::Flash ? kFlashChars : kUcs2Chars;
    if (text.size() > limit) {
        return QStringLiteral("the text has %1 characters; one %2 message holds %3")
            .arg(text.size())
            .arg(mode == SmsMode::Flash ? QStringLiteral("flash") : QStringLiteral("UCS2"))
            .arg(limit);
    }
    return std::nullopt;
}

int encode(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds the SMS-SUBMIT PDU of one text message and prints \"LENGTH HEX\": LENGTH is the "
        "value for at+cmgs= / at+cmgw= (TPDU octets), HEX what is written before Ctrl-Z.\n"
        "Put -- before a text that starts with \"-\"."));
    const QCommandLineOption number(QStringLiteral("number"),
                                    QStringLiteral("Recipient number: digits, \"+\" if "
                                                   "international."),
                                    QStringLiteral("NUM"));
    const QCommandLineOption coding(
        QStringLiteral("coding"),
        QStringLiteral("standard (GSM 7-bit, 160 septets) or ucs2 (70 characters)."),
        QStringLiteral("standard|ucs2"), QStringLiteral("standard"));
    const QCommandLineOption flash(QStringLiteral("flash"),
                                   QStringLiteral("Flash message (class 0, UCS2, 69 characters)."));
    const QCommandLineOption noSmsc(
        QStringLiteral("no-smsc"),
        QStringLiteral("Leave out the \"00\" SMSC field (for handsets that take the bare TPDU)."));
    parser.addOption(number);
    parser.addOption(coding);
    parser.addOption(flash);
    parser.addOption(noSmsc);
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The message text."));
    if (const int exit = parseArgs(parser, args); exit >= 0)
        return exit;

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
    const SmsMode mode = parser.isSet(flash)                    ? SmsMode::Flash
                         : codingName == QStringLiteral("ucs2") ? SmsMode::Ucs2
                                                                : SmsMode::Standard;
    if (const auto problem = numberProblem(parser.value(number)))
        return badInput(*problem);
    if (const auto problem = textProblem(texts.first(), mode))
        return badInput(*problem);

    try {
        const WrittenPdu written =
            PduForWriting(BuildSubmitPdu(parser.value(number), texts.first(), mode),
                          parser.isSet(noSmsc) ? SmscField::None : SmscField::DefaultSmsc);
        printOut(QStringLiteral("%1 %2").arg(written.length).arg(QLatin1StringView(written.hex)));
    } catch (const Error& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

QString messageJson(const DecodedMessage& m) {
    return QStringLiteral(R"({"index":%1,"status":%2,"date":"%3","number":"%4","text":"%5"})")
        .arg(m.Index)
        .arg(m.Status)
        .arg(jsonEscape(m.Date), jsonEscape(m.Number), jsonEscape(m.Text));
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
            printOut(messageJson(m));
        if (listing.skipped > 0) {
            printErr(QStringLiteral("pelmar-cli: %1 broken listing %2 left out")
                         .arg(listing.skipped)
                         .arg(listing.skipped == 1 ? QStringLiteral("entry")
                                                   : QStringLiteral("entries")));
        }
    } catch (const Error& e) {
        return badInput(e.message());
    }
    return kExitDone;
}

int usage() {
    printOut(QStringLiteral(
        "Usage: pelmar-cli sms <command> [options]\n\nCommands:\n"
        "  encode  build the PDU of one text message (--number NUM [--coding standard|ucs2] "
        "[--flash] [--no-smsc] TEXT)\n"
        "  decode  decode an at+cmgl=4 reply into JSON lines ([FILE], stdin when left out)\n\n"
        "See pelmar-cli sms <command> --help."));
    return kExitDone;
}

}  // namespace

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
