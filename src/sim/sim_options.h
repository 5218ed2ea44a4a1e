#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QSet>
#include <chrono>

#include "link/handset_dialect.h"

// How the simulated handset misbehaves on the line, and the older dialect it may speak. Commands
// are named by their key ("CMGS", "CPBR", "Z"; see atCommandKey), so "AT+CMGS", "+CMGS" and "cmgs"
// all name the same command.
namespace pelmar::simulator {

// The SIM card as the handset starts: ready, locked with a PIN (three attempts, then it asks for
// its PUK), blocked (it asks for its PUK, which this handset takes from nobody), or missing.
struct SimCard {
    QByteArray pin;       // empty: the SIM asks for no PIN
    bool puk = false;     // the SIM asks for its PUK
    bool absent = false;  // no SIM card in the handset
};

struct SimOptions {
    std::chrono::milliseconds think{0};  // between a command and its answer
    int baud = 0;                        // pace output at 10 bits per byte; 0: no pacing
    int chunkSize = 0;          // cut every delivery into pieces of this many bytes; 0: whole
    bool randomChunks = false;  // pieces of 1 to 16 bytes from a generator seeded by `seed`
    quint32 seed = 1;
    QMap<QByteArray, QByteArray> replies;  // command key -> final result given instead
    QSet<QByteArray> noPrompt;             // AT+CMGS/AT+CMGW wait for the PDU without "> ";
                                           // with a reply override they refuse at once
    QSet<QByteArray> silent;               // never answered, not even echoed
    QByteArray urc;                        // unsolicited line put inside every reply
    bool ringingCall = false;   // a call rings twice and ends (NO CARRIER) inside every reply
    bool vendorStatus = false;  // vendor status lines (^HCSQ, *EMRDY, +CIEV...) inside every reply
    qint64 hangupAfter = -1;    // the line dies after this many bytes sent; -1: never
    QByteArray garbage;         // line noise sent before every reply
    // Older: PDUs without the service-centre field, and ",1" after the slot in +CPBW.
    HandsetDialect dialect = HandsetDialect::Standard;
    QByteArray chatter;  // unsolicited line sent on its own every chatterEvery
    std::chrono::milliseconds chatterEvery{0};
    QMap<QByteArray, QByteArray> surplus;  // command key -> a line sent after its whole answer
    QMap<QByteArray, QByteArray> echoAs;   // command key -> echoed instead of the command line
    SimCard card;

    bool chunked() const { return chunkSize > 0 || randomChunks; }
};

// "CMD=TEXT": every CMD is answered with TEXT as its final result. Throws pelmar::Error when
// the text holds no "=" or no command.
void addReplyOverride(SimOptions& options, QByteArrayView commandAndText);

// "CMD=TEXT": TEXT follows every answer to CMD as one more line. Throws as addReplyOverride.
void addSurplusLine(SimOptions& options, QByteArrayView commandAndText);

// "CMD=TEXT": every CMD line is echoed as TEXT, whatever the echo setting. Throws as
// addReplyOverride.
void addEchoAs(SimOptions& options, QByteArrayView commandAndText);

// "TEXT@MS": TEXT is sent as an unsolicited line every MS milliseconds (1 or more). Throws
// pelmar::Error on anything else.
void setChatter(SimOptions& options, QByteArrayView textAndPeriod);

// "N" (bytes per piece, 1 or more) or "random". Throws pelmar::Error on anything else.
void setChunking(SimOptions& options, QByteArrayView chunking);

}  // namespace pelmar::simulator
