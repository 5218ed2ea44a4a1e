#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace pelmar {

// How a reply of the handset ended (3GPP TS 27.007 final result codes and the usual variants).
enum class AtResult {
    None,          // no final result: the reply ended at the "> " prompt
    Ok,            // "OK"
    Error,         // "ERROR"
    CmsError,      // "+CMS ERROR: n" (message service failure, TS 27.005)
    CmeError,      // "+CME ERROR: n" (equipment failure, TS 27.007)
    NotSupported,  // "COMMAND NOT SUPPORT", older handsets' refusal of an unknown command
    // How a call the program asked for (ATD, ATA, ATO) ended; the same texts are unsolicited
    // after any other command: a call that rang and ended meanwhile.
    NoCarrier,   // "NO CARRIER"
    Busy,        // "BUSY"
    NoAnswer,    // "NO ANSWER"
    NoDialtone,  // "NO DIALTONE"
};

// One complete reply of the handset, as `AtChannel::WaitReply` takes it from the line.
struct AtReply {
    // The information lines in the order they arrived, without their line ends; the echo of the
    // command, blank lines, unsolicited result codes and the final result line are left out.
    QByteArrayList lines;
    // Unsolicited result codes ("+CMTI: \"SM\",3", "RING", ...) that arrived before or inside this
    // reply. A code that carries a PDU on the following line (+CMT, +CDS, +CBM) is kept as both
    // lines joined by CR LF.
    QByteArrayList unsolicited;
    AtResult result = AtResult::None;
    // The final result line as the handset sent it ("OK", "+CMS ERROR: 300"); empty for a prompt.
    QByteArray resultLine;
    // The reply ended with the "> " prompt that asks for the message PDU.
    bool prompt = false;
    // A message submission was answered without the prompt: the handset took no PDU.
    bool promptMissing = false;
    // Every byte received for this reply, echo and unsolicited codes included.
    QByteArray raw;

    // True for "OK", unless the prompt of a submission was missing.
    bool isOk() const { return result == AtResult::Ok && !promptMissing; }
    // True when the handset refused: an error result of any kind or a missing prompt.
    bool isError() const;
    // The number of "+CMS ERROR: n" / "+CME ERROR: n", or -1 (also for a textual error).
    int errorCode() const;
    // The information lines joined, each followed by CR LF, as the handset's text would read
    // without echo and unsolicited codes; what the pattern matcher takes replies apart from.
    QByteArray text() const;
    // The first information line, or empty.
    QByteArray firstLine() const { return lines.isEmpty() ? QByteArray() : lines.first(); }
    // The first information line that starts with `prefix` ("+CMGS:"), or empty.
    QByteArray lineStartingWith(QByteArrayView prefix) const;
};

// The final result that `line` (without its line end) stands for, or AtResult::None.
AtResult finalResultOf(QByteArrayView line);

// The command name of an AT command line: "+CPBS" for "at+cpbs?", "+CMGL" for "AT+CMGL=4",
// "E" for "ATE0"; upper-case, empty when the text is no AT command.
QByteArray commandNameOf(QByteArrayView commandLine);

// The one judge of what a handset sends on its own, for every reply alike: true when `line` is
// an unsolicited code rather than part of the reply to the command named `pendingCommand`.
// These are the standard codes (incoming messages, calls, registration, indicators), any
// vendor status line ("^HCSQ:", "*EMRDY: 1"), and a call's end ("NO CARRIER", "BUSY") that no
// call command asked for. "+CREG: 1" is unsolicited, except as the answer to "at+creg?".
bool isUnsolicited(QByteArrayView line, QByteArrayView pendingCommand);

// True for the unsolicited codes that are followed by one more line (the PDU or text):
// "+CMT:", "+CDS:", "+CBM:".
bool unsolicitedTakesNextLine(QByteArrayView line);

// True when the command named `commandName` ("+CMGS") answers with the "> " prompt and then
// waits for the message.
bool commandTakesPrompt(QByteArrayView commandName);

}  // namespace pelmar
