#pragma once

#include <QString>
#include <QStringView>

namespace pelmar {

// One message of the handset's "at+cmgl=4" listing. The defaults are what a text without a
// listing line gives.
struct DecodedMessage {
    // Stored texts are cut to these many characters, keeping their beginning.
    static constexpr int DateCapacity = 20;
    static constexpr int NumberCapacity = 30;
    static constexpr int TextCapacity = 160;
    static constexpr int NoStatus = 255;
    // The text of a listed entry whose PDU could not be read.
    static constexpr QStringView UnreadableText = u"[unreadable message]";

    quint32 Index = 0;      // storage index on the listing line
    int Status = NoStatus;  // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    QString Date;           // "dd.mm.yy hh:mm" of the service-centre time stamp; empty for SUBMIT
    QString Number = QStringLiteral("Unknown");  // originator, destination or recipient
    QString Text;                                // the message, or a status report's outcome
};

}  // namespace pelmar
