#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

#include "sms/concat_reference.h"

namespace pelmar {

// The storage status of a listed message (the "stat" of "+CMGL", TS 27.005).
enum class MessageStatus : quint8 {
    ReceivedUnread = 0,
    ReceivedRead = 1,
    StoredUnsent = 2,
    StoredSent = 3,
    None = 255,  // deleted since the last read, or no listing line at all
};

// The status a listing value stands for; None for anything but 0 to 3.
MessageStatus messageStatusOf(int value);

// One message of the handset's "at+cmgl=4" listing. The defaults are what a text without a
// listing line gives.
struct DecodedMessage {
    // Stored texts are cut to these many characters, keeping their beginning.
    static constexpr int DateCapacity = 20;
    static constexpr int NumberCapacity = 30;
    static constexpr int TextCapacity = 160;
    // The text of a listed entry whose PDU could not be read.
    static constexpr QStringView UnreadableText = u"[unreadable message]";

    quint32 Index = 0;  // storage index on the listing line
    MessageStatus Status = MessageStatus::None;
    QString Date;  // "dd.mm.yy hh:mm" of the service-centre time stamp; empty for SUBMIT
    QString Number = QStringLiteral("Unknown");  // originator, destination or recipient
    QString Text;                                // the message, or a status report's outcome
    // Where the message stands in a long one, from its user-data header; nothing for a message
    // that stands alone.
    std::optional<ConcatPart> Part;
    // The service-centre time stamp to the second with its offset from UTC; invalid for SUBMIT
    // and for a stamp that holds no date. Last, so that records written field by field still
    // read as before.
    QDateTime Timestamp = QDateTime();
};

}  // namespace pelmar
