#pragma once

#include <QList>

#include "sms/decoded_message.h"

// The parts of long messages, listed one PDU each, joined into the messages the user reads.
namespace pelmar {

// One message as the browser shows it: a message that stands alone, or every listed part of a
// long one.
struct JoinedMessage {
    // A long message's Text is its parts' texts in part order, "[part 2 of 3 missing]" in place
    // of a part that is not listed; Index is its first listed part's, Date and Number its first
    // part's, Status the lowest of its parts' (unread before read). Part is left empty.
    DecodedMessage message;
    QList<quint32> storageIndexes;  // every listed part's, in part order; one for a plain message
    int parts = 1;                  // parts a long message announces; 1 for a plain message

    bool isLong() const { return parts > 1; }
};

// "[part 2 of 3 missing]".
QString MissingPartText(int number, int total);

// The messages of a listing with the parts of each long message joined, in the order their
// first part was listed; messages with Status None (deleted) are left out. Parts belong together
// when they share the folder, the number, the reference and the part count (8- and 16-bit
// references alike); a part number met twice starts another message, so two long messages under
// one reference stay apart. A part whose siblings are gone is a long message of its own.
QList<JoinedMessage> JoinMessageParts(const QList<DecodedMessage>& messages);

}  // namespace pelmar
