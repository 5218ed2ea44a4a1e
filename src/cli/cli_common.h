#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

#include "link/handset_dialect.h"
#include "sms/decoded_message.h"
#include "sms/message_operations.h"
#include "sms/submit_pdu.h"

namespace pelmar::cli {

// Exit codes of every command.
constexpr int kExitDone = 0;
constexpr int kExitRefused = 1;      // the handset refused or failed the operation, or the
                                     // output could not be written
constexpr int kExitBadInput = 2;     // bad arguments or unreadable input
constexpr int kExitLinkFailure = 3;  // time-out, port error
constexpr int kExitCancelled = 4;    // the operation was cancelled before it ended

// Text goes out as UTF-8. printErr shows control characters escaped (escapedText): its
// messages quote arguments, files and handset replies, which must not drive the terminal.
void printOut(const QString& line);
void printErr(const QString& line);

// Where a command's exit code leaves the program: when standard output refused a write (a full
// disk, a closed pipe), says why on stderr and turns success into kExitRefused, so that a
// script never takes output that was not written for done.
int checkOutput(int exitCode);

// Why the program's arguments cannot be taken, naming the first bad one; nothing when all are
// good. On Unix they arrive as bytes and are read as UTF-8: a malformed one would turn into
// U+FFFD unnoticed and go to the handset as such.
std::optional<QString> argumentEncodingProblem(int argc, const char* const argv[]);

// Prints "pelmar-cli: <message>" on stderr and returns kExitBadInput.
int badInput(const QString& message);

// Parses `args` (args[0] is the command's name, e.g. "pelmar-cli sms encode"). Returns -1 when
// the command should go on; otherwise the exit code to return (0 after --help, 2 after an
// error, which is printed).
int parseArgs(QCommandLineParser& parser, const QStringList& args);

// Reads a whole file, or standard input for an empty name or "-". Nothing on failure.
std::optional<QByteArray> readInput(const QString& fileName);

// "LENGTH HEX", one line per PDU: what "at+cmgs=" announces and what is written after it.
int printWrittenPdus(const QList<WrittenPdu>& pdus);

// Escapes a text for a JSON string literal (without the quotes).
QString jsonEscape(const QString& text);

// One listed message as a JSON object on one line: index, status, date, number, text.
QString messageJson(const DecodedMessage& message);

// "pelmar-cli: 2 listed messages could not be read", for stderr after a listing.
QString unreadableNote(int count);
// --older-handset (also spelt --no-smsc, its older name): a handset of the older dialect, which
// takes message PDUs without the SMSC field and ",1" after the slot in phonebook writes.
QCommandLineOption olderHandsetOption();
HandsetDialect dialectOf(const QCommandLineParser& parser, const QCommandLineOption& olderHandset);

// The options of one text message, shared by "sms encode" and "sms send|store": --number,
// --coding, --flash, --older-handset, --long, --reference and the TEXT argument.
struct TextMessageOptions {
    TextMessageOptions();
    void addTo(QCommandLineParser& parser) const;
    // Fills `message` from the parsed options; -1 when the command should go on, else the exit
    // code (the error is printed). The number and text are checked by the core.
    int read(const QCommandLineParser& parser, TextMessage& message) const;

    QCommandLineOption number;
    QCommandLineOption coding;
    QCommandLineOption flash;
    QCommandLineOption olderHandset;
    QCommandLineOption longMessage;
    QCommandLineOption reference;
};

// Command groups. `args` starts with the group's full name ("pelmar-cli sms").
int runSmsCommand(const QStringList& args);
int runPhonebookCommand(const QStringList& args);
int runRingtoneCommand(const QStringList& args);
int runSmartCommand(const QStringList& args);
int runOperatorsCommand(const QStringList& args);
int runPortsCommand(const QStringList& args);
// Commands on a handset: `pelmar-cli --port DEV <command> ...`.
int runHandsetCommand(const QString& port, const QStringList& args);

}  // namespace pelmar::cli
