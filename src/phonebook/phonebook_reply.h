#pragma once

#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "phonebook/phone_book_store.h"

// Taking apart the handset's phonebook replies (3GPP TS 27.007 +CPBS, +CPBR). Each line is
// matched on its own, so a quote the handset left open can never reach into the next line.
namespace pelmar {

// The slot count of the chosen phonebook from the answer to "at+cpbs?" ("+CPBS: \"SM\",3,250":
// the third field); nothing when no line tells it.
std::optional<int> ParsePhoneBookSlotCount(QByteArrayView reply);

struct PhoneBookEntries {
    PhoneBookStore store;       // the entries read, in reply order, packed from index 0
    QByteArrayList unreadable;  // lines that are not a "+CPBR:" entry, as they came
    int cut = 0;                // entries whose name or number was cut to the record's room
};

// The entries of the answer to "at+cpbr=1,n": one per line of the form
// +CPBR: index,"number",type,"name" (an empty type is taken from the number). The handset's slot
// index is not kept. Every other non-empty line is unreadable.
PhoneBookEntries ParsePhoneBookEntries(QByteArrayView reply);

}  // namespace pelmar
