#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <chrono>

#include "link/at_reply.h"
#include "link/at_reply_parser.h"
#include "link/error.h"
#include "link/transport.h"

namespace pelmar {

// No complete line came from the handset within the line time-out.
class ReadTimeout : public Error {
  public:
    explicit ReadTimeout(const QString& portName);
};

// The handset sent more than AtChannel::kMaxReplySize bytes without finishing its reply.
class ReplyTooLong : public Error {
  public:
    explicit ReplyTooLong(const QString& portName);
};

// The user cancelled the operation (AtChannel::requestCancel) while it waited for the handset.
class Cancelled : public Error {
  public:
    Cancelled();
};

// The AT command channel to the handset over a Transport (serial port or in-memory line).
//
// Calling order inside an operation: OpenPort (or TogglePort), any number of commands, then
// ClosePort; RunOperation (operation_frame.h) does the opening and closing. Every call is
// synchronous and happens on the thread that runs the handset operation; only requestCancel
// may be called from another thread.
//
// Replies are framed: WaitReply returns one complete reply, up to and including its final result
// line (or the "> " prompt of a message submission), whatever pieces the bytes arrived in. Bytes
// that follow a reply are kept for the next one. Unsolicited result codes are taken out of the
// replies into AtReply::unsolicited.
class AtChannel {
  public:
    static constexpr std::chrono::milliseconds kDefaultLineTimeout{30000};
    static constexpr qsizetype kMaxReplySize = 1024 * 1024;

    // The channel uses `transport` and does not own it.
    explicit AtChannel(Transport& transport,
                       std::chrono::milliseconds lineTimeout = kDefaultLineTimeout);

    // The port name the user chose; given to the transport when the port opens and quoted in
    // the read time-out text. The port itself is not touched.
    void SetPortName(const QString& name);
    // The chosen name, or the transport's own name while none was chosen.
    QString PortName() const;

    // Gives PortName to the transport and opens it if it is closed. Bytes left from an earlier
    // session are dropped: they answer nothing that will be asked now. Throws the transport's
    // error (EComPort for the serial port).
    void OpenPort();
    // Closes the port if it is open, opens it (as OpenPort) otherwise.
    void TogglePort();
    // Closes the port if it is open; never throws.
    void ClosePort();
    bool isOpen() const;

    // Writes `text` and, if appendCR, one CR. A command line (appendCR) that commandLineProblem
    // (command_text.h) finds fault with could edit, end or chain commands on the handset; it is
    // refused with an Error before anything is written. Reads nothing.
    void SendCommand(QByteArrayView text, bool appendCR = true);
    // Waits for and returns the next complete reply; it also becomes lastReply(). Throws
    // ReadTimeout when no complete line arrived within the line time-out (a long listing that
    // keeps arriving does not time out), ReplyTooLong past kMaxReplySize, Cancelled, or the
    // transport's error. `onLine` sees each information line as soon as it has arrived.
    AtReply WaitReply(const LineObserver& onLine = {});
    // Writes Ctrl-Z (0x1A), which ends the PDU of a message submission, and returns the final
    // result of the submission ("+CMGS: n" / "+CMGW: n" and "OK", or the error).
    AtReply SendCtrlZ();

    // SendCommand(command, CR) and WaitReply.
    AtReply command(QByteArrayView command, const LineObserver& onLine = {});
    // Submits one message: `command` ("at+cmgs=23" or "at+cmgw=23"), the prompt, the PDU as
    // hex text, Ctrl-Z; returns the final result of the submission. When the handset answers
    // the command without the prompt, the PDU is not written, ESC cancels whatever input the
    // handset may still wait for, and the reply is returned with promptMissing set. ESC is also
    // sent when the wait for the prompt fails, before the error is passed on.
    AtReply submitPdu(QByteArrayView command, QByteArrayView pduHex);

    // The last reply taken by WaitReply (empty before the first); the operation frame judges it.
    const AtReply& lastReply() const { return lastReply_; }
    void clearLastReply() { lastReply_ = AtReply(); }

    // Maker and model of the handset, joined by one space; empty until identification
    // succeeded, then unchanged for the life of the channel.
    QString PhoneIdentity() const { return phoneIdentity_; }
    // Asks the handset for its maker ("at+cgmi") and model ("at+cgmm") unless PhoneIdentity is
    // already known, and returns PhoneIdentity. Opens the port for the exchange and closes it
    // again if it was closed; with PhoneIdentity known the port is not touched. Stops at the
    // first reply that is not OK (lastReply() then holds it). Errors propagate.
    QString IdentifyPhone();

    // Makes the running or next wait throw Cancelled; safe from any thread. Cleared by OpenPort.
    void requestCancel() { cancelRequested_ = true; }

    void setLineTimeout(std::chrono::milliseconds timeout) { lineTimeout_ = timeout; }
    std::chrono::milliseconds lineTimeout() const { return lineTimeout_; }
    Transport& transport() { return transport_; }

  private:
    void writeEscape() noexcept;

    Transport& transport_;
    std::chrono::milliseconds lineTimeout_;
    QString portName_;
    QString phoneIdentity_;
    AtReplyParser parser_;
    QByteArray typed_;  // bytes written since the last line end: the text the handset may echo
    AtReply lastReply_;
    std::atomic<bool> cancelRequested_{false};
};

// The text of an identification reply: its first information line, without a "+CGMI:" /
// "+CGMM:" label or quotes that some handsets add; empty when the reply is not OK.
QString identityLineOf(const AtReply& reply);

}  // namespace pelmar
