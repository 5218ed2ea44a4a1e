#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "base/error.h"
#include "base/input_problem.h"
#include "sms/concat_reference.h"
#include "sms/submit_pdu.h"

// Smart messages: 8-bit SMS-SUBMIT PDUs whose user data starts with a header that addresses an
// application port of the receiving handset (3GPP TS 23.040 user-data header elements 05 and 00).
namespace pelmar {

enum class SmartKind { Ringtone, Picture, Logo };

// Destination ports of the three kinds.
constexpr quint16 kRingtonePort = 0x1581;
constexpr quint16 kLogoPort = 0x1582;
constexpr quint16 kPicturePort = 0x158A;

// Content octets that one PDU carries: the user data holds at most 140 octets, of which the
// user-data header takes 7 (12 with the concatenation element).
constexpr int kMaxSinglePduContent = kMaxUserDataOctets - 7;
constexpr int kPicturePartOctets = 128;

// Smart-message content the format cannot carry (a picture text, a network code, a reference).
class ESmartMessage : public Error {
  public:
    using Error::Error;
};

// The SMS-SUBMIT header of one smart PDU, from the first octet to the end of the user-data
// header, as hex text. `part` is used for pictures only. Throws EInput for a number that no
// address field holds (EncodeAddressField).
QByteArray BuildSmartHeader(const QString& number, int contentOctets, SmartKind kind,
                            const ConcatPart& part = {});

// Content hex text cut into the pieces that go into one PDU each: 128 octets per picture part,
// the rest in the last; ringtone and logo content in one piece.
QList<QByteArray> SplitSmartContent(SmartKind kind, QByteArrayView contentHex);

// One smart message as written to the handset: per PDU the length for "at+cmgs=" and the hex
// text (with the SMSC field unless `smsc` says None). Checks the number (numberProblem) and the
// content's size, throwing EInput that names the number or the kind's content field;
// `reference` is that of a picture message (ConcatReference::value()).
QList<WrittenPdu> BuildSmartPdus(const QString& number, SmartKind kind, QByteArrayView contentHex,
                                 int reference = ConcatReference::kFirst,
                                 SmscField smsc = SmscField::DefaultSmsc);

}  // namespace pelmar
