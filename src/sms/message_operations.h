#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "sms/decoded_message.h"
#include "sms/submit_pdu.h"

// The text-message operations on the handset (3GPP TS 27.005, PDU mode): send or store a
// message, list the SIM's messages, send a stored one, delete. Each checks its input before the
// port is touched (Outcome::InputRefused), runs inside RunOperation (the port is closed
// afterwards, whatever happened), reports its steps through `progress`, which may be empty, and
// ends with Outcome::Cancelled once `stop` is requested.
namespace pelmar {

// One text message as the user typed it.
struct TextMessage {
    QString number;  // digits, "+" for an international number
    QString text;
    SmsMode mode = SmsMode::Standard;
    SmscField smsc = SmscField::DefaultSmsc;
    // A text beyond one message goes in up to 10 parts under `reference`; without it such a text
    // is refused.
    bool longMessage = false;
    ConcatReference reference{};
};

enum class SubmitAction { Send, Store };

// "at+cmgf=0" inside an operation: true when the handset took PDU mode. Every message
// operation starts with it; without PDU mode the PDUs would be read as text.
bool SelectPduMode(AtChannel& channel);

struct SubmitResult {
    Outcome outcome;
    // "+CMGS: n" (the message reference) when sent, "+CMGW: n" (the storage index) when stored,
    // "+CMSS: n" when sent from storage; nothing when the handset gave none. A message of
    // several parts: its first part's.
    std::optional<int> reference;
    // Messages of several parts: how many the handset accepted, of how many, and the number it
    // answered for each accepted part (-1 where it gave none).
    int partsDone = 0;
    int partsTotal = 0;
    QList<int> partReferences{};
    // The reference the next long message takes: advanced once every part of a long message was
    // accepted. The caller keeps it (the send runs on the worker thread).
    ConcatReference nextReference{};
};

// The PDUs of `message` as they are written after "at+cmgs="/"at+cmgw=": the text is checked
// first, then the number (as the Send SMS page asks for them); a long message gives its parts
// under message.reference. Throws EInput naming the field.
QList<WrittenPdu> BuildTextMessagePdus(const TextMessage& message);

// Sends or stores PDUs BuildTextMessagePdus built under `reference`, as SendOrStoreSMS does.
SubmitResult SubmitTextMessage(AtChannel& channel, const QList<WrittenPdu>& pdus,
                               SubmitAction action, ConcatReference reference,
                               const Progress& progress = {}, std::stop_token stop = {});

// BuildTextMessagePdus, then "at+cmgf=0", then "at+cmgs=n" (Send) or "at+cmgw=n" (Store), the
// PDU after the prompt, Ctrl-Z and the handset's final result. Progress: "Sending message..." /
// "Storing message...". A long message goes one part after the other, each accepted before the
// next: progress "Sending part i from k" / "Storing part i from k"; a cancel or a refusal part-way
// says which parts went
// ("Sent parts 1–2 of 3; part 3 was not sent. ...").
SubmitResult SendOrStoreSMS(AtChannel& channel, const TextMessage& message, SubmitAction action,
                            const Progress& progress = {}, std::stop_token stop = {});

struct MessageListing {
    Outcome outcome;
    // Every message the handset listed, in its order; nothing unless the listing succeeded, so
    // that the caller keeps its table after a failure.
    std::optional<QList<DecodedMessage>> messages;
    // Listed entries whose PDU could not be read; they are in `messages` all the same, with
    // DecodedMessage::UnreadableText, so that the user sees them and can delete them.
    int unreadable = 0;
    // A listing that ended part-way (cancelled, cut off): the messages that had arrived whole.
    QList<DecodedMessage> arrived;
};

// "at+cmgf=0", "at+cpms=\"SM\"" (its count only sizes the progress), "at+cmgl=4", and the whole
// listing decoded. Progress: "Reading messages...", then "Reading message i from n" (i of n; no
// total when the count is unknown or passed) as each entry arrives, its detail the messages that
// have arrived whole so far (a QList<DecodedMessage>). Any number of messages. A listing that
// ends part-way says how far it came: "Cancelled: 12 of 40 messages read.".
MessageListing ReadMessages(AtChannel& channel, const Progress& progress = {},
                            std::stop_token stop = {});

// "at+cmgf=0" and "at+cmss=index" with ",\"number\"" when a number is given: the stored message
// goes to that number, else to the destination stored with it. The number goes as typed (digits,
// "+" in front only when it holds one): a national number stays national. Progress: "Sending
// message...".
SubmitResult SendStoredMessage(AtChannel& channel, quint32 index, const QString& number = {},
                               const Progress& progress = {}, std::stop_token stop = {});

// The stored parts of a long message (a joined Outbox row), each with "at+cmss=index" as
// SendStoredMessage sends one, in order; stops at the first the handset does not accept. One
// index is SendStoredMessage. Progress: "Sending part i from k".
SubmitResult SendStoredMessages(AtChannel& channel, const QList<quint32>& indexes,
                                const QString& number = {}, const Progress& progress = {},
                                std::stop_token stop = {});

struct DeleteResult {
    // Done only when every message was deleted. When the run ended before its last index (a
    // cancel, an error), the text goes on after its first sentence with deletionReport.
    Outcome outcome;
    QList<quint32> deleted;  // indexes the handset answered OK for, in the order asked
    QList<quint32> failed;   // indexes not known to be deleted: refused, unanswered, not reached
    // The index whose "at+cmgd" went out but whose answer never came: that message may be gone.
    std::optional<quint32> unanswered;
};

// "Deleted: 1, 2, 3. Not deleted: 5, 6. Message 4 may or may not be deleted: its answer never
// came.", or "No message was deleted.".
QString deletionReport(const DeleteResult& result);

// "at+cmgd=index" for each index in turn; a message counts as deleted only when the handset
// answered OK, and a refusal does not stop the others. Progress: "Deleting messages...", then
// "Deleting message k from n" (k of n).
DeleteResult DeleteMessages(AtChannel& channel, const QList<quint32>& indexes,
                            const Progress& progress = {}, std::stop_token stop = {});

}  // namespace pelmar
