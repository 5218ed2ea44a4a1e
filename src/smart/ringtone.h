#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "base/error.h"
#include "smart/smart_framing.h"
#include "sms/submit_pdu.h"

// RTTTL text to the smart-messaging ringing-tone format (sent to port 0x1581).
namespace pelmar {

// A ringtone that cannot be sent: a header value that is not a number, a note the ringing-tone
// format cannot express (named with its number and position), a title character outside the
// Windows code page, or a tone too big for one message.
class ERingtone : public Error {
  public:
    using Error::Error;
};

// The most ringtone octets one smart message carries (140 octets of user data less the 7-octet
// user-data header).
constexpr int kMaxRingtoneOctets = kMaxSinglePduContent;

// Encodes RTTTL text ("Title:d=4,o=5,b=125:c,8d.,16g#6") to the ringtone octets as hex text.
// Notes and header are read without regard to case; the title keeps its case and is cut to 11
// characters. Throws ERingtone for input the format cannot express.
QByteArray EncodeRingtone(const QString& rtttl);

// The 5-bit code of a tempo in beats per minute; a tempo outside the format's 32 gets 160's.
int TempoCode(int beatsPerMinute);

// Octets of an encoded ringtone (its hex text has two characters per octet).
int RingtoneOctetCount(QByteArrayView ringtoneHex);

// Throws ERingtone("The Ringtone is too big to send.") above kMaxRingtoneOctets.
void CheckRingtoneSize(QByteArrayView ringtoneHex);

// The one PDU of a ringtone message, as written to the handset. Checks in the order the page
// asks: the text (empty: "Please enter ringtone (in RTTL format)."), the number, then what the
// encoder and the size refuse; throws EInput naming the field.
QList<WrittenPdu> BuildRingtonePdus(const QString& number, const QString& rtttl,
                                    SmscField smsc = SmscField::DefaultSmsc);

}  // namespace pelmar
