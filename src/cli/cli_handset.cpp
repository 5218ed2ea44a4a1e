#include "cli/cli_handset.h"

#include <QCommandLineParser>
#include <QFileInfo>

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
    if (outcome.isDone())
        printOut(handset.channel().PhoneIdentity());
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
    const SubmitResult result = SubmitTextMessage(
        handset.channel(), pdus, action, message.reference, handset.progress(), handset.stop());
    if (result.partsTotal > 1 && result.partsDone > 0) {
        QStringList numbers;
        for (const int number : result.partReferences)
            numbers << (number < 0 ? QStringLiteral("?") : QString::number(number));
        printOut((send ? QStringLiteral("Message references: %1")
                       : QStringLiteral("Stored as messages %1"))
                     .arg(numbers.join(QStringLiteral(", "))));
    } else if (result.outcome.isDone() && result.reference) {
        printOut((send ? QStringLiteral("Message reference: %1")
                       : QStringLiteral("Stored as message %1"))
                     .arg(*result.reference));
    }
    return handset.finish(result.outcome);
}

int send(const QStringList& args, HandsetSession& handset) {
    return sendOrStore(args, handset, SubmitAction::Send);
}

int store(const QStringList& args, HandsetSession& handset) {
    return sendOrStore(args, handset, SubmitAction::Store);
}

// A joined long message: the line of a listed message with the storage indexes of its parts.
QString joinedJson(const JoinedMessage& joined) {
    QString line = messageJson(joined.message);
    if (joined.isLong()) {
        QStringList parts;
        for (const quint32 index : joined.storageIndexes)
            parts << QString::number(index);
        line.insert(line.size() - 1,
                    QStringLiteral(R"(,"parts":[%1])").arg(parts.join(QLatin1Char(','))));
    }
    return line;
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
    const MessageListing listing =
        ReadMessages(handset.channel(), handset.progress(), handset.stop());
    if (listing.messages && parser.isSet(parts)) {
        for (const DecodedMessage& m : *listing.messages)
            printOut(messageJson(m));
    } else if (listing.messages) {
        for (const JoinedMessage& m : JoinMessageParts(*listing.messages))
            printOut(joinedJson(m));
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
    const SubmitResult result =
        SendStoredMessage(handset.channel(), index->first(), parser.value(number),
                          handset.progress(), handset.stop());
    if (result.outcome.isDone() && result.reference)
        printOut(QStringLiteral("Message reference: %1").arg(*result.reference));
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
    const DeleteResult result =
        DeleteMessages(handset.channel(), *indexes, handset.progress(), handset.stop());
    // A run that was cancelled or broke off names what it deleted in its outcome.
    const bool told = result.outcome.kind == Outcome::Kind::Cancelled ||
                      result.outcome.kind == Outcome::Kind::Failed;
    if (!told && !result.deleted.isEmpty())
        printErr(QStringLiteral("Deleted: %1").arg(joined(result.deleted)));
    if (!told && !result.failed.isEmpty())
        printErr(QStringLiteral("Not deleted: %1").arg(joined(result.failed)));
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
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The phonebook file."),
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
            read->saveFile(parser.value(out));
        } catch (const Error& e) {
            return badInput(e.message());
        }
        printOut(QStringLiteral("Read %1 entries of %2 slots.")
                     .arg(read->count())
                     .arg(result.slotCount));
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
        printOut(QStringLiteral("Wrote %1 of %2 entries into %3 slots.")
                     .arg(result.written)
                     .arg(store.count())
                     .arg(result.slotCount));
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
        "Usage: pelmar-cli --port DEV [--timeout SECONDS] <command> [options]\n\n"
        "DEV is a serial device (/dev/ttyUSB0, /dev/rfcomm0, COM3), or sim for a simulated\n"
        "handset in this process (sim:STATE.json to start it from a state file).\n"
        "--timeout: how long to wait for a line of the handset's reply (default 30).\n\n"
        "Commands:\n"
        "  identify                                        maker and model\n"
        "  sms send|store --number NUM [--coding standard|ucs2] [--flash] [--older-handset]\n"
        "                 [--long [--reference N]] TEXT\n"
        "  sms list [--parts]                              stored messages as JSON lines\n"
        "  sms send-stored INDEX [--number NUM]            send a stored message\n"
        "  sms delete INDEX...                             delete stored messages\n"
        "  phonebook read SM|ME|LD --out FILE.dat [--keep-partial]\n"
        "                                                  read a phonebook into a file\n"
        "  phonebook write SM|ME --in FILE.dat [--older-handset]\n"
        "                                                  overwrite a phonebook from a file\n"
        "  smart ringtone|picture|logo ... --send          send a smart message\n\n"
        "--older-handset (or --no-smsc): a handset that takes PDUs without the SMSC field and\n"
        "\",1\" after the slot in phonebook writes.\n"
        "Progress goes to stderr; the outcome (\"Done.\", or what went wrong) is the last line\n"
        "on stdout. Exit codes: 0 done, 1 refused by the handset, 2 bad input, 3 link failure,\n"
        "4 cancelled. Ctrl-C (or SIGTERM) cancels the command, which then says what it did;\n"
        "a second Ctrl-C ends it at once."));
    return exitCode;
}

// Takes "--timeout SECONDS" (or "--timeout=SECONDS") out of the arguments, up to a "--".
std::optional<std::chrono::milliseconds> takeTimeout(QStringList& args, int& exitCode) {
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
        bool good = false;
        const double seconds = value.toDouble(&good);
        // Written so that nan fails too; 0 is refused, as every wait would fail at once.
        if (!good || !(seconds >= 0.001 && seconds <= 3600)) {
            exitCode = badInput(
                QStringLiteral("--timeout takes seconds (at least 0.001, at most 3600), not \"%1\"")
                    .arg(value));
            return std::nullopt;
        }
        return std::chrono::milliseconds(static_cast<qint64>(seconds * 1000 + 0.5));
    }
    return AtChannel::kDefaultLineTimeout;
}

}  // namespace

HandsetSession::HandsetSession(const QString& port, std::chrono::milliseconds lineTimeout)
    : m_connection(port, lineTimeout) {
    channel().setWaitingNotice([](const QString& text) { printErr(text); });
}

Progress HandsetSession::progress() const {
    return [](const ProgressStep& step) { printErr(step.text); };
}

int exitCodeFor(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::Done:
            return kExitDone;
        case Outcome::Kind::PhoneRefused:
        case Outcome::Kind::HandsetError:
            return kExitRefused;
        case Outcome::Kind::InputRefused:
            return kExitBadInput;
        case Outcome::Kind::Failed:
            return kExitLinkFailure;
        case Outcome::Kind::Cancelled:
            return kExitCancelled;
    }
    return kExitLinkFailure;
}

int HandsetSession::finish(const Outcome& outcome) const {
    if (outcome.kind == Outcome::Kind::InputRefused)
        return badInput(outcome.text);
    printOut(outcome.text);
    return exitCodeFor(outcome);
}

int runHandsetCommand(const QString& port, const QStringList& arguments) {
    QStringList args = arguments;
    int exitCode = kExitBadInput;
    const auto timeout = takeTimeout(args, exitCode);
    if (!timeout)
        return exitCode;
    const QString group = args.value(1);
    if (group.isEmpty())
        return usage(kExitBadInput);
    if (group == QStringLiteral("--help") || group == QStringLiteral("-h"))
        return usage(kExitDone);
    if (port.isEmpty())
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
            HandsetSession handset(port, *timeout);
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
