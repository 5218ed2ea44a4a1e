#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include "base/error.h"
#include "sms/decoded_message.h"

// Reads the handset's answer to "at+cmgl=4": "+CMGL: <index>,<stat>,[<alpha>],<length>" lines,
// each followed by a PDU line (3GPP TS 27.005), taken apart as SMS-DELIVER, SMS-SUBMIT or
// SMS-STATUS-REPORT (3GPP TS 23.040).
namespace pelmar {

// A listed PDU that cannot be read: missing, cut short, or inconsistent with its own fields.
class EPduFormat : public Error {
  public:
    using Error::Error;
};

// The first listed message of the text; the default `DecodedMessage` when the text holds no
// listing line. Throws EPduFormat when that entry's PDU is broken.
DecodedMessage DecodeListedMessage(QByteArrayView text);

// Every message of a whole reply, in the order listed. An entry that cannot be read is listed
// all the same, with its index, status and DecodedMessage::UnreadableText, and counted.
struct DecodedListing {
    QList<DecodedMessage> messages;
    int unreadable = 0;
};
DecodedListing DecodeListing(QByteArrayView reply);

// Hex text that begins with TP-UDL (in septets) and goes on with the packed 7-bit user data, as
// GSM text. The first `skipSeptets` septets (a user-data header and its fill bits) are not
// text. User data shorter than TP-UDL gives the characters that are there.
QString UnpackSeptets(QByteArrayView udlAndData, int skipSeptets = 0);

// Hex text that begins with TP-UDL (in octets) and goes on with UCS2 user data, as text. The
// first `skipOctets` octets (a user-data header) are not text.
QString DecodeUcs2(QByteArrayView udlAndData, int skipOctets = 0);

}  // namespace pelmar
