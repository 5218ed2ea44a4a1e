#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>

#include "base/error.h"
#include "link/at_reply.h"
#include "link/at_reply_parser.h"
#include "link/transport.h"

namespace pelmar {

// No complete line came from the handset within the line time-out. On a serial device the text
// adds what the user can check: the phone switched off, not in modem mode, or on another port.
class ReadTimeout : public Error {
  public:
    explicit ReadTimeout(const QString& portName, bool serialDevice = false);
};

// The handset sent more than the reply cap (AtChannel::kMaxReplySize, more for a listing)
// without finishing its reply.
class ReplyTooLong : public Error {
  public:
    ReplyTooLong(const QString& portName, qsizetype cap);
};

// No reply of the command's own came in time, but the handset answered another command: it
// echoed a command that was not written, or gave a result before the echo of this one.
class ReplyMismatch : public Error {
  public:
    ReplyMismatch(const QString& portName, const QByteArray& command, const QByteArray& stray);
};

// The user cancelled the operation (its stop token, AtChannel::setStopToken) before a command
// was written or while the channel waited for the handset.
class Cancelled : public Error {
  public:
    Cancelled();
};

// Gives the SIM's PIN when the SIM asks for it (UnlockSim, sim_pin.h): called on the thread that
// runs the operation, with the attempts left when the handset tells them. Nothing: the user gave
// none, and the operation stops. The PIN is used for the one command and kept nowhere.
using PinProvider = std::function<std::optional<QString>(std::optional<int> attemptsLeft)>;

// The AT command channel to the handset over a Transport (serial port or in-memory line).
//
// Calling order inside an operation: OpenPort, any number of commands, then
// ClosePort; RunOperation (operation_frame.h) does the opening and closing. Every call is
// synchronous and happens on the thread that runs the handset operation; only the stop token's
// source may be used from another thread.
//
// Replies are framed: WaitReply returns one complete reply, up to and including its final result
// line (or the "> " prompt of a message submission), whatever pieces the bytes arrived in.
// Unsolicited result codes are taken out of the replies into AtReply::unsolicited. A reply
// belongs to its command: what arrived before the command was written answers nothing (only its
// unsolicited codes are kept), and with echo on the reply begins with the command's own echo
// (see AtReplyParser).
//
// How long a reply may take: the line time-out from the moment the command was written; lines
// of the reply itself (not unsolicited codes, echoes or blank lines) each give it the line
// time-out again, up to a total that follows from what was asked. For an ordinary command that
// total is the line time-out itself; for a listing of n entries it is the line time-out plus n
// times ListingAllowance::perEntry plus ListingAllowance::margin.
class AtChannel {
  public:
    static constexpr std::chrono::milliseconds kDefaultLineTimeout{30000};
    // A wait that heard nothing for this long says so (setWaitingNotice).
    static constexpr std::chrono::milliseconds kWaitingNoticeAfter{3000};
    // The reply cap; a listing of n entries may have n * kEntryBytes more.
    static constexpr qsizetype kMaxReplySize = 1024 * 1024;
    // An entry of a listing: "+CMGL: ..." with a PDU of at most 188 octets as hex (about 450
    // bytes), or "+CPBR: ..." with a long name; 1 KiB bounds both.
    static constexpr qsizetype kEntryBytes = 1024;
    // Counts above this are treated as this (a bound on the deadline and the cap).
    static constexpr int kMaxListingEntries = 100000;

    // The longest message entry, about 450 bytes, takes under 0.5 s at 9600 baud and a phonebook
    // entry about 0.1 s; 1 s per entry leaves room for handsets that read their SIM slowly. So a
    // 250-slot phonebook may take 30 s + 250 s + 60 s, 3,000 messages 30 s + 50 min + 60 s,
    // where the line itself needs about 25 s and 25 min. The margin covers a slow start and a
    // few messages that arrive between counting and listing.
    struct ListingAllowance {
        std::chrono::milliseconds perEntry{1000};
        std::chrono::milliseconds margin{60000};
    };

    // The channel uses `transport` and does not own it.
    explicit AtChannel(Transport& transport,
                       std::chrono::milliseconds lineTimeout = kDefaultLineTimeout);

    // The port name the user chose; given to the transport when the port opens and quoted in
    // the read time-out text. The port itself is not touched.
    void SetPortName(const QString& name);
    // The chosen name, or the transport's own name while none was chosen.
    QString PortName() const;

    // Gives PortName to the transport and opens it if it is closed, and forgets lastReply().
    // Bytes left from an earlier session are dropped: they answer nothing that will be asked
    // now. A pending stop is kept. Throws the transport's error (EComPort for the serial port).
    void OpenPort();
    // Closes the port if it is open; never throws.
    void ClosePort();
    bool isOpen() const;

    // Writes `text` and, if appendCR, one CR. A command line (appendCR) that commandLineProblem
    // (command_text.h) finds fault with could edit, end or chain commands on the handset; it is
    // refused with an Error before anything is written. A command line is not written once a
    // stop was requested (Cancelled): the handset does not start what nobody waits for. Before a
    // command line is written, what has arrived and was not taken is read (without waiting) and
    // dropped, but for its unsolicited codes.
    void SendCommand(QByteArrayView text, bool appendCR = true);
    // Waits for and returns the reply to what was written last; it also becomes lastReply().
    // `expectedEntries` is the number of entries a listing should hold (-1: not a listing); it
    // sets the total deadline and the reply cap (see above). Throws ReadTimeout when the reply
    // did not come within its deadline, ReplyMismatch when the handset answered another command
    // instead, ReplyTooLong past the cap, Cancelled, or the transport's error. `onLine` sees
    // each information line as soon as it has arrived.
    AtReply WaitReply(const LineObserver& onLine = {}, int expectedEntries = -1);
    // Writes Ctrl-Z (0x1A), which ends the PDU of a message submission, and returns the final
    // result of the submission ("+CMGS: n" / "+CMGW: n" and "OK", or the error).
    AtReply SendCtrlZ();

    // SendCommand(command, CR) and WaitReply.
    AtReply SendAndWait(QByteArrayView command, const LineObserver& onLine = {},
                        int expectedEntries = -1);
    // Submits one message: `command` ("at+cmgs=23" or "at+cmgw=23"), the prompt, the PDU as
    // hex text, Ctrl-Z; returns the final result of the submission. When the handset answers
    // the command without the prompt, the PDU is not written, ESC cancels whatever input the
    // handset may still wait for, and the reply is returned with promptMissing set. ESC is also
    // sent when the wait for the prompt fails, before the error is passed on.
    AtReply SendPdu(QByteArrayView command, QByteArrayView pduHex);

    // The last reply taken by WaitReply since the port was opened (empty before the first); the
    // operation frame judges it when the exchange gave no verdict of its own.
    const AtReply& lastReply() const { return m_lastReply; }

    // Maker and model of the handset, joined by one space; empty until identification
    // succeeded, then unchanged for the life of the channel.
    QString PhoneIdentity() const { return m_phoneIdentity; }
    // Asks the handset for its maker ("at+cgmi") and model ("at+cgmm") unless PhoneIdentity is
    // already known, and returns PhoneIdentity. Opens the port for the exchange and closes it
    // again if it was closed; with PhoneIdentity known the port is not touched. Stops at the
    // first reply that is not OK (lastReply() then holds it). Errors propagate.
    QString IdentifyPhone();

    // Asked for the PIN when the SIM wants it; none: an operation on a locked SIM stops.
    void setPinProvider(PinProvider provider) { m_pinProvider = std::move(provider); }
    const PinProvider& pinProvider() const { return m_pinProvider; }
    // True once UnlockSim found the SIM ready: later operations on this channel do not ask again.
    bool simReady() const { return m_simReady; }
    void setSimReady() { m_simReady = true; }

    // The running operation's cancel request: once stop is requested (from any thread), the
    // running or next wait and the next command line throw Cancelled. RunOperation sets it for
    // the duration of the exchange.
    void setStopToken(std::stop_token stop) { m_stop = std::move(stop); }
    const std::stop_token& stopToken() const { return m_stop; }

    // Told "Waiting for the phone on PORT…" once in a wait where no byte came for
    // kWaitingNoticeAfter, on the thread that waits; the runner and the command line show it as
    // progress, so that a long silence does not look like a hang.
    void setWaitingNotice(std::function<void(const QString&)> notice) {
        m_waitingNotice = std::move(notice);
    }

    void setLineTimeout(std::chrono::milliseconds timeout) { m_lineTimeout = timeout; }
    std::chrono::milliseconds lineTimeout() const { return m_lineTimeout; }
    void setListingAllowance(ListingAllowance allowance) { m_allowance = allowance; }

  private:
    using Clock = std::chrono::steady_clock;

    void write(QByteArrayView bytes);
    void writeEscape() noexcept;
    void dropUnanswered();
    [[noreturn]] void throwNoReply() const;
    void throwIfStopped() const;

    Transport& m_transport;
    std::chrono::milliseconds m_lineTimeout;
    ListingAllowance m_allowance;
    QString m_portName;
    QString m_phoneIdentity;
    AtReplyParser m_parser;
    QByteArray m_typed;    // bytes written since the last line end: the text the handset may echo
    QByteArray m_command;  // the last command line written, its secret hidden (for messages)
    Clock::time_point m_writtenAt{};
    bool m_waitedSinceWrite = true;
    AtReply m_lastReply;
    std::stop_token m_stop;
    std::function<void(const QString&)> m_waitingNotice;
    PinProvider m_pinProvider;
    bool m_simReady = false;
};

// The text of an identification reply: its first information line, without a "+CGMI:" /
// "+CGMM:" label or quotes that some handsets add; empty when the reply is not OK.
QString identityLineOf(const AtReply& reply);

}  // namespace pelmar
