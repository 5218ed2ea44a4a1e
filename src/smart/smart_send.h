#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "smart/bitmap.h"
#include "smart/operator_logo.h"
#include "smart/picture_message.h"
#include "smart/smart_framing.h"
#include "sms/submit_pdu.h"

// Sending smart messages (ringtone, picture message, operator logo) through the handset. The
// PDUs are built and checked before the port is touched (Outcome::InputRefused with the
// builder's text and the field it names); then "at+cmgf=0" and each PDU as one "at+cmgs"
// submission, each part's final result awaited before the next part goes. A requested `stop`
// ends the send with Outcome::Cancelled before the next command.
namespace pelmar {

struct SmartSendResult {
    Outcome outcome;
    int partsSent = 0;   // PDUs the handset accepted
    int partsTotal = 0;  // PDUs of the message
    // Picture messages: the reference the next picture message takes. It is advanced only when
    // every part was accepted; a send that stopped part-way is repeated under the same one.
    // The caller keeps it (the send runs on the worker thread and owns no state of its own).
    ConcatReference nextReference;
};

// The step shown before part n of m of each kind of smart message: "Sending ringtone...",
// "Sending part n from m" (n of m), "Sending logo...".
ProgressStep ringtoneStep(int part, int parts);
ProgressStep pictureStep(int part, int parts);
ProgressStep logoStep(int part, int parts);

// The reference the next picture message takes after one was sent under `used`: the next one
// when every part was accepted; `used` again when the send stopped part-way, so that it is
// repeated under the same one.
ConcatReference referenceAfter(ConcatReference used, const SmartSendResult& result);

// Sends already built PDUs (the builders of ringtone.h, picture_message.h, operator_logo.h).
// `stepOf(n, m)` gives the step shown before part n of m (none when empty). Stops at the first part
// the handset does not accept.
SmartSendResult SendSmartPdus(AtChannel& channel, const QList<WrittenPdu>& pdus,
                              const std::function<ProgressStep(int, int)>& stepOf,
                              const Progress& progress = {}, std::stop_token stop = {});

// An RTTTL ringtone to port 0x1581; refused when empty or over 133 octets ("The Ringtone is too
// big to send."). Progress: "Sending ringtone...".
SmartSendResult SendRingtone(AtChannel& channel, const QString& number, const QString& rtttl,
                             SmscField smsc = SmscField::DefaultSmsc, const Progress& progress = {},
                             std::stop_token stop = {});

// A picture message in its parts, all under `reference`; the result's nextReference is the one
// for the next picture message. Progress: "Sending part n from m" (n of m).
SmartSendResult SendPictureMessage(AtChannel& channel, const QString& number, const QString& text,
                                   PictureCoding coding, const MonoBitmap& picture,
                                   ConcatReference reference,
                                   SmscField smsc = SmscField::DefaultSmsc,
                                   const Progress& progress = {}, std::stop_token stop = {});

// An operator logo for `network` to port 0x1582. Progress: "Sending logo...".
SmartSendResult SendOperatorLogo(AtChannel& channel, const QString& number,
                                 const NetworkCode& network, const MonoBitmap& logo,
                                 SmscField smsc = SmscField::DefaultSmsc,
                                 const Progress& progress = {}, std::stop_token stop = {});

}  // namespace pelmar
