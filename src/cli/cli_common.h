#pragma once

#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <chrono>
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

// The options that apply to every command, given before it:
// pelmar-cli --port DEV --json --log FILE --pin - sms list
struct GlobalOptions {
    QString port;  // the handset; empty for the commands that need none
    bool portGiven = false;
    QString dataDir;            // --data-dir: the phonebook folder instead of the usual one
    QString logFile;            // --log: the wire log of the handset session is appended here
    bool pinFromStdin = false;  // --pin -: the SIM's PIN is the first line of standard input
    bool json = false;          // --json: standard output holds only JSON lines
    std::optional<std::chrono::milliseconds> timeout;  // --timeout: the line time-out
};

// Takes the global options from the front of `args` (the program's arguments without its name)
// into `options`; the command and its own arguments are left. Returns -1 when the command
// should go on, else the exit code (after --help, --version or an error, which is printed).
int takeGlobalOptions(QStringList& args, GlobalOptions& options);
// The line time-out given in seconds (--timeout); nothing after printing why it is none.
std::optional<std::chrono::milliseconds> lineTimeoutOf(const QString& seconds);
// What --help prints about the global options.
QString globalOptionsHelp();

// Where text goes. Text goes out as UTF-8. printOut writes a line for people: to stdout, but to
// stderr under --json or while stdout carries a file (setOutputIsData). printErr shows control
// characters escaped (escapedText): its messages quote arguments, files and handset replies,
// which must not drive the terminal.
void printOut(const QString& line);
void printErr(const QString& line);
// --json: stdout holds only JSON lines, the last of them the outcome (printOutcome).
void setJsonOutput(bool json);
bool jsonOutput();
// Stdout carries a file's bytes (writeData); every line of text goes to stderr.
void setOutputIsData();
void writeData(const QByteArray& bytes);
// One JSON object on one line of stdout, in either mode.
void printJson(const QJsonObject& object);
// A result: `text` for people (printOut), or `json` under --json.
void printResult(const QString& text, const QJsonObject& json);
// Remembers the text that tells how the command ended ("Done.", or what went wrong).
void noteOutcome(const QString& text);
// Under --json prints the last line, {"exit": exitCode, "outcome": the noted text} ("Done." or
// "Failed." when none was noted). Returns exitCode.
int printOutcome(int exitCode);

// Where a command's exit code leaves the program: when standard output refused a write (a full
// disk, a closed pipe), says why on stderr and turns success into kExitRefused, so that a
// script never takes output that was not written for done.
int checkOutput(int exitCode);

// Why the program's arguments cannot be taken, naming the first bad one; nothing when all are
// good. On Unix they arrive as bytes and are read as UTF-8: a malformed one would turn into
// U+FFFD unnoticed and go to the handset as such.
std::optional<QString> argumentEncodingProblem(int argc, const char* const argv[]);

// Prints "pelmar-cli: <message>" on stderr, notes it as the outcome and returns kExitBadInput.
int badInput(const QString& message);

// Parses `args` (args[0] is the command's name, e.g. "pelmar-cli sms encode"). Returns -1 when
// the command should go on; otherwise the exit code to return (0 after --help, 2 after an
// error, which is printed).
int parseArgs(QCommandLineParser& parser, const QStringList& args);

// Reads a whole file, or standard input for an empty name or "-". Nothing on failure.
std::optional<QByteArray> readInput(const QString& fileName);

// "LENGTH HEX", one line per PDU: what "at+cmgs=" announces and what is written after it
// ({"length": n, "pdu": "HEX"} under --json).
int printWrittenPdus(const QList<WrittenPdu>& pdus);

// One listed message: index, status, date (ISO 8601 with the time stamp's offset from UTC,
// empty when the message has none), number, text.
QJsonObject messageJson(const DecodedMessage& message);

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
// The handset commands, their exit codes and how they report, for --help.
QString handsetCommandsHelp();
// Commands on a handset: `pelmar-cli --port DEV <command> ...`; `args` starts with the name
// "pelmar-cli --port DEV".
int runHandsetCommand(const GlobalOptions& options, const QStringList& args);

}  // namespace pelmar::cli
