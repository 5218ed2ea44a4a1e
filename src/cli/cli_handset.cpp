#include "cli/cli_handset.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>

#include "cli/cli_common.h"
#include "phonebook/phonebook_transfer.h"
#include "sms/message_joining.h"
#include "sms/message_operations.h"

namespace pelmar::cli {

namespace {

// The positional arguments as storage indexes; nothing (after printing why) on a bad one.
std::optional<QList<quint32>> indexesOf(const QStringList& texts) {
    QList<quint32> indexes;
    for (const QString& text : texts) {
        bool good = false;
        const uint index = text.toUInt(&good);
        if (!good) {
            badInput(QStringLiteral("\"%1\" is no message index (a whole number)").arg(text));
            return std::nullopt;
        }
        indexes.append(index);
    }
    return indexes;
}

std::optional<PhoneBookKind> phoneBookKindOf(const QString& name) {
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        if (name.compare(info.storage, Qt::CaseInsensitive) == 0)
            return info.kind;
    }
    return std::nullopt;
}

QString joined(const QList<quint32>& indexes) {
    QStringList texts;
    for (const quint32 index : indexes)
        texts << QString::number(index);
    return texts.join(QStringLiteral(", "));
}

int identify(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Asks the handset for its maker and model and prints them."));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (!parser.positionalArguments().isEmpty())
        return badInput(QStringLiteral("identify takes no arguments"));
    const Outcome outcome = IdentifyHandset(handset.channel(), handset.stop());
    if (outcome.isDone()) {
        const QString identity = handset.channel().PhoneIdentity();
        printResult(identity, {{QStringLiteral("identity"), identity}});
    }
    return handset.finish(outcome);
}

int sendOrStore(const QStringList& args, HandsetSession& handset, SubmitAction action) {
    const bool send = action == SubmitAction::Send;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        send ? QStringLiteral("Sends one text message through the handset.")
             : QStringLiteral("Stores one text message in the handset without sending it."));
    TextMessageOptions options;
    options.addTo(parser);
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    TextMessage message;
    if (const int done = options.read(parser, message); done >= 0)
        return done;
    // Built, and so checked, before the port is touched.
    QList<WrittenPdu> pdus;
    try {
        pdus = BuildTextMessagePdus(message);
    } catch (const EInput& e) {
        return handset.finish(Outcome::inputRefused(e.problem()));
    }
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const SubmitResult result = SubmitTextMessage(
        handset.channel(), pdus, action, message.reference, handset.progress(), handset.stop());
    // Under --json both are a list: the message references, or the storage indexes.
    const QString key = send ? QStringLiteral("references") : QStringLiteral("stored");
    if (result.partsTotal > 1 && result.partsDone > 0) {
        QStringList numbers;
        QJsonArray values;
        for (const int number : result.partReferences) {
            numbers << (number < 0 ? QStringLiteral("?") : QString::number(number));
            values << (number < 0 ? QJsonValue() : QJsonValue(number));
        }
        printResult((send ? QStringLiteral("Message references: %1")
                          : QStringLiteral("Stored as messages %1"))
                        .arg(numbers.join(QStringLiteral(", "))),
                    {{key, values}});
    } else if (result.outcome.isDone() && result.reference) {
        printResult((send ? QStringLiteral("Message reference: %1")
                          : QStringLiteral("Stored as message %1"))
                        .arg(*result.reference),
                    {{key, QJsonArray{*result.reference}}});
    }
    return handset.finish(result.outcome);
}

int send(const QStringList& args, HandsetSession& handset) {
    return sendOrStore(args, handset, SubmitAction::Send);
}

int store(const QStringList& args, HandsetSession& handset) {
    return sendOrStore(args, handset, SubmitAction::Store);
}

// A joined long message: a listed message with the storage indexes of its parts.
QJsonObject joinedJson(const JoinedMessage& joined) {
    QJsonObject object = messageJson(joined.message);
    if (joined.isLong()) {
        QJsonArray parts;
        for (const quint32 index : joined.storageIndexes)
            parts << static_cast<qint64>(index);
        object.insert(QStringLiteral("parts"), parts);
    }
    return object;
}

QJsonArray jsonArrayOf(const QList<quint32>& indexes) {
    QJsonArray array;
    for (const quint32 index : indexes)
        array << static_cast<qint64>(index);
    return array;
}

int list(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists every message stored on the SIM, one JSON object per line (as sms decode "
        "prints them), then the outcome. The parts of a long message are joined into one line "
        "whose \"parts\" holds their storage indexes."));
    const QCommandLineOption parts(QStringLiteral("parts"),
                                   QStringLiteral("One line per stored PDU: long messages not "
                                                  "joined."));
    parser.addOption(parts);
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (!parser.positionalArguments().isEmpty())
        return badInput(QStringLiteral("list takes no arguments"));
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const MessageListing listing =
        ReadMessages(handset.channel(), handset.progress(), handset.stop());
    if (listing.messages && parser.isSet(parts)) {
        for (const DecodedMessage& m : *listing.messages)
            printJson(messageJson(m));
    } else if (listing.messages) {
        for (const JoinedMessage& m : JoinMessageParts(*listing.messages))
            printJson(joinedJson(m));
    }
    // The outcome counts the unreadable entries.
    return handset.finish(listing.outcome);
}

int sendStored(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Has the handset send a message from its storage, to --number or else to the "
        "destination stored with it."));
    const QCommandLineOption number(QStringLiteral("number"),
                                    QStringLiteral("Destination: digits, \"+\" if international."),
                                    QStringLiteral("NUM"));
    parser.addOption(number);
    parser.addPositionalArgument(QStringLiteral("INDEX"),
                                 QStringLiteral("The message's storage index (see sms list)."));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (parser.positionalArguments().size() != 1)
        return badInput(QStringLiteral("send-stored takes one INDEX (see --help)"));
    const auto index = indexesOf(parser.positionalArguments());
    if (!index)
        return kExitBadInput;
    if (parser.isSet(number) && parser.value(number).isEmpty())
        return badInput(QStringLiteral("--number is empty"));
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const SubmitResult result =
        SendStoredMessage(handset.channel(), index->first(), parser.value(number),
                          handset.progress(), handset.stop());
    if (result.outcome.isDone() && result.reference) {
        printResult(QStringLiteral("Message reference: %1").arg(*result.reference),
                    {{QStringLiteral("references"), QJsonArray{*result.reference}}});
    }
    return handset.finish(result.outcome);
}

int remove(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Deletes messages from the SIM; a message counts as deleted only when the "
                       "handset confirmed it."));
    parser.addPositionalArgument(QStringLiteral("INDEX"),
                                 QStringLiteral("Storage indexes (see sms list)."),
                                 QStringLiteral("INDEX..."));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    if (parser.positionalArguments().isEmpty())
        return badInput(QStringLiteral("delete needs at least one INDEX (see --help)"));
    const auto indexes = indexesOf(parser.positionalArguments());
    if (!indexes)
        return kExitBadInput;
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const DeleteResult result =
        DeleteMessages(handset.channel(), *indexes, handset.progress(), handset.stop());
    // A run that was cancelled or broke off names what it deleted in its outcome.
    const bool told = result.outcome.kind == Outcome::Kind::Cancelled ||
                      result.outcome.kind == Outcome::Kind::Failed;
    if (!told && !result.deleted.isEmpty())
        printErr(QStringLiteral("Deleted: %1").arg(joined(result.deleted)));
    if (!told && !result.failed.isEmpty())
        printErr(QStringLiteral("Not deleted: %1").arg(joined(result.failed)));
    if (jsonOutput()) {
        printJson({{QStringLiteral("deleted"), jsonArrayOf(result.deleted)},
                   {QStringLiteral("notDeleted"), jsonArrayOf(result.failed)}});
    }
    return handset.finish(result.outcome);
}

// "SM", "ME" or "LD" as the one positional argument; nothing after printing why.
std::optional<PhoneBookKind> phoneBookArgument(const QCommandLineParser& parser,
                                               const QString& command) {
    const QStringList positional = parser.positionalArguments();
    const std::optional<PhoneBookKind> kind =
        positional.size() == 1 ? phoneBookKindOf(positional.first()) : std::nullopt;
    if (!kind) {
        badInput(QStringLiteral("%1 needs one phonebook: SM, ME or LD (see --help)").arg(command));
    }
    return kind;
}

int readBook(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a whole phonebook of the handset into a phonebook file. The file is replaced only "
        "when the read succeeded; when lines of the handset's reply could not be read they are "
        "printed and the file is kept, unless --keep-partial is given."));
    const QCommandLineOption out(
        QStringLiteral("out"),
        QStringLiteral("The phonebook file; - writes it to standard output, and every text to "
                       "standard error."),
        QStringLiteral("FILE.dat"));
    const QCommandLineOption keepPartial(
        QStringLiteral("keep-partial"),
        QStringLiteral("Write the entries that could be read even when some lines could not."));
    parser.addOption(out);
    parser.addOption(keepPartial);
    parser.addPositionalArgument(QStringLiteral("BOOK"), QStringLiteral("SM, ME or LD."));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    const auto kind = phoneBookArgument(parser, QStringLiteral("read"));
    if (!kind)
        return kExitBadInput;
    if (parser.value(out).isEmpty())
        return badInput(QStringLiteral("read needs --out FILE.dat"));
    const bool toStdout = parser.value(out) == QStringLiteral("-");
    if (toStdout && jsonOutput()) {
        return badInput(QStringLiteral(
            "--out - writes the file to standard output, which --json keeps for JSON lines; give "
            "a file"));
    }
    if (toStdout)
        setOutputIsData();
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const PhoneBookReadResult result =
        ReadPhoneBook(handset.channel(), *kind, handset.progress(), handset.stop());
    for (const QString& line : result.unreadableLines)
        printErr(QStringLiteral("Skipped: ") + line);
    const bool keep = result.partial && parser.isSet(keepPartial);
    if (result.partial && !keep) {
        printErr(QStringLiteral("The file was kept as it was; --keep-partial writes the %1 "
                                "entries that could be read.")
                     .arg(result.partial->count()));
    }
    const std::optional<PhoneBookStore>& read = keep ? result.partial : result.store;
    if (read) {
        try {
            if (toStdout)
                writeData(read->toFileBytes());
            else
                read->saveFile(parser.value(out));
        } catch (const Error& e) {
            return badInput(e.message());
        }
        printResult(
            QStringLiteral("Read %1 entries of %2 slots.").arg(read->count()).arg(result.slotCount),
            {{QStringLiteral("entries"), read->count()},
             {QStringLiteral("slots"), result.slotCount}});
    }
    return handset.finish(result.outcome);
}

int writeBook(const QStringList& args, HandsetSession& handset) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Overwrites every slot of the handset's SM or ME phonebook with a phonebook file; the "
        "slots beyond its entries are emptied."));
    const QCommandLineOption in(QStringLiteral("in"), QStringLiteral("The phonebook file."),
                                QStringLiteral("FILE.dat"));
    const QCommandLineOption olderHandset = olderHandsetOption();
    parser.addOption(in);
    parser.addOption(olderHandset);
    parser.addPositionalArgument(QStringLiteral("BOOK"), QStringLiteral("SM or ME."));
    if (const int done = parseArgs(parser, args); done >= 0)
        return done;
    const auto kind = phoneBookArgument(parser, QStringLiteral("write"));
    if (!kind)
        return kExitBadInput;
    const QString file = parser.value(in);
    if (file.isEmpty())
        return badInput(QStringLiteral("write needs --in FILE.dat"));
    if (!QFileInfo(file).isFile())
        return badInput(QStringLiteral("no phonebook file \"%1\"").arg(file));
    PhoneBookStore store;
    try {
        store = PhoneBookStore::loadFile(file);
    } catch (const Error& e) {
        return badInput(e.message());
    }
    if (const int refused = handset.unlockSim(); refused >= 0)
        return refused;
    const PhoneBookWriteResult result =
        WritePhoneBook(handset.channel(), *kind, store, dialectOf(parser, olderHandset),
                       handset.progress(), handset.stop());
    for (qsizetype i = 0; i < result.refused.size(); ++i) {
        const PhoneBookEntry& entry = store.at(result.refused[i]);
        printErr(QStringLiteral("Refused: entry %1 \"%2\" %3: %4")
                     .arg(result.refused[i] + 1)
                     .arg(entry.nameText(), entry.numberText(),
                          QString::fromLatin1(result.refusedAnswers[i])));
    }
    // A write that ended early says in its outcome which slots it wrote.
    if (result.reachedTheEnd()) {
        printResult(QStringLiteral("Wrote %1 of %2 entries into %3 slots.")
                        .arg(result.written)
                        .arg(store.count())
                        .arg(result.slotCount),
                    {{QStringLiteral("written"), result.written},
                     {QStringLiteral("entries"), store.count()},
                     {QStringLiteral("slots"), result.slotCount}});
    }
    return handset.finish(result.outcome);
}

struct Command {
    const char* group;
    const char* name;  // empty for a group without sub-commands
    int (*run)(const QStringList& args, HandsetSession& handset);
};

constexpr Command kCommands[] = {
    {"identify", "", identify},
    {"sms", "send", send},
    {"sms", "store", store},
    {"sms", "list", list},
    {"sms", "send-stored", sendStored},
    {"sms", "delete", remove},
    {"phonebook", "read", readBook},
    {"phonebook", "write", writeBook},
    {"smart", "", runSmartSend},
};

int usage(int exitCode) {
    printOut(QStringLiteral(
                 "Usage: pelmar-cli --port DEV [--json] [--log FILE] [--pin -] [--timeout "
                 "SECONDS]\n"
                 "                  <command> [options]\n\n"
                 "DEV is a serial device (/dev/ttyUSB0, /dev/rfcomm0, COM3), or sim for a "
                 "simulated\nhandset in this process (sim:STATE.json to start it from a state "
                 "file).\n"
                 "--timeout: how long to wait for a line of the handset's reply (default 30).\n"
                 "--log FILE: append every byte of the session both ways to FILE.\n"
                 "--pin -: when the SIM asks for its PIN, read it from the first line of standard "
                 "input.\n"
                 "--json: stdout holds only JSON lines, the last {\"exit\":N,\"outcome\":TEXT}."
                 "\n\n") +
             handsetCommandsHelp());
    return exitCode;
}

}  // namespace

QString handsetCommandsHelp() {
    return QStringLiteral(
        "Handset commands (after --port DEV):\n"
        "  identify                                        maker and model\n"
        "  sms send|store --number NUM [--coding standard|ucs2] [--flash] [--older-handset]\n"
        "                 [--long [--reference N]] TEXT\n"
        "  sms list [--parts]                              stored messages as JSON lines\n"
        "  sms send-stored INDEX [--number NUM]            send a stored message\n"
        "  sms delete INDEX...                             delete stored messages\n"
        "  phonebook read SM|ME|LD --out FILE.dat|- [--keep-partial]\n"
        "                                                  read a phonebook into a file\n"
        "  phonebook write SM|ME --in FILE.dat [--older-handset]\n"
        "                                                  overwrite a phonebook from a file\n"
        "  smart ringtone|picture|logo ... --send          send a smart message\n\n"
        "--older-handset (or --no-smsc): a handset that takes PDUs without the SMSC field and\n"
        "\",1\" after the slot in phonebook writes.\n"
        "Every command but identify first asks whether the SIM card wants its PIN (--pin -).\n"
        "Progress goes to stderr; the outcome (\"Done.\", or what went wrong) is the last line\n"
        "on stdout. Exit codes: 0 done, 1 refused by the handset, 2 bad input, 3 link failure,\n"
        "4 cancelled. Ctrl-C (or SIGTERM) cancels the command, which then says what it did;\n"
        "a second Ctrl-C ends it at once.");
}

namespace {

// Takes "--timeout SECONDS" (or "--timeout=SECONDS") out of the arguments, up to a "--"; an
// older place for it than before the command.
std::optional<std::chrono::milliseconds> takeTimeout(QStringList& args,
                                                     std::chrono::milliseconds given) {
    const QString name = QStringLiteral("--timeout");
    for (qsizetype i = 1; i < args.size() && args[i] != QStringLiteral("--"); ++i) {
        QString value;
        if (args[i] == name && i + 1 < args.size()) {
            value = args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(name + QLatin1Char('='))) {
            value = args[i].mid(name.size() + 1);
            args.remove(i);
        } else {
            continue;
        }
        return lineTimeoutOf(value);
    }
    return given;
}

}  // namespace

int runHandsetCommand(const GlobalOptions& options, const QStringList& arguments) {
    QStringList args = arguments;
    const auto timeout =
        takeTimeout(args, options.timeout.value_or(AtChannel::kDefaultLineTimeout));
    if (!timeout)
        return kExitBadInput;
    const QString group = args.value(1);
    if (group.isEmpty())
        return usage(kExitBadInput);
    if (group == QStringLiteral("--help") || group == QStringLiteral("-h"))
        return usage(kExitDone);
    if (options.port.isEmpty())
        return badInput(QStringLiteral("--port needs a device name"));

    for (const Command& c : kCommands) {
        if (group != QLatin1StringView(c.group))
            continue;
        const bool hasName = c.name[0] != '\0';
        if (hasName && args.value(2) != QLatin1StringView(c.name))
            continue;
        const qsizetype taken = hasName ? 3 : 2;
        const QString name = args.first() + QLatin1Char(' ') + group +
                             (hasName ? QLatin1Char(' ') + args.at(2) : QString());
        const QStringList rest = QStringList{name} + args.mid(taken);
        try {
            HandsetSession handset(options, *timeout);
            return c.run(rest, handset);
        } catch (const Error& e) {
            return badInput(e.message());
        }
    }
    if (group == QStringLiteral("sms") || group == QStringLiteral("phonebook")) {
        return badInput(
            QStringLiteral("unknown %1 command \"%2\" (see pelmar-cli --port DEV --help)")
                .arg(group, args.value(2)));
    }
    return badInput(
        QStringLiteral("unknown handset command \"%1\" (see pelmar-cli --port DEV --help)")
            .arg(group));
}

}  // namespace pelmar::cli
