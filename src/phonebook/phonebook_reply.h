#pragma once

#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

#include "phonebook/phone_book_store.h"

// Taking apart the handset's phonebook replies (3GPP TS 27.007 +CPBS, +CPBR). Each line is
// matched on its own, so a quote the handset left open can never reach into the next line.
namespace pelmar {

// The slot count of the chosen phonebook from the answer to "at+cpbs?" ("+CPBS: \"SM\",3,250":
// the third field); nothing when no line tells it.
std::optional<int> ParsePhoneBookSlotCount(QByteArrayView reply);

// One non-empty line of the answer to "at+cpbr=1,n", its fields as the handset sent them.
struct PhoneBookLine {
    QByteArray text;  // the whole line
    // The handset's slot (from 1) the line is about; 0 when it does not say. An unreadable line
    // says it when it begins like an entry line ("+CPBR: 7,").
    int slot = 0;
    bool readable = false;  // a "+CPBR:" entry line; the fields below are set only then
    QByteArray number;      // not cut to the record's room
    QByteArray type;        // the type field's text; may be empty
    QByteArray name;
};

// Every non-empty line of the answer to "at+cpbr=1,n", in reply order; see
// ParsePhoneBookEntries for what a readable line is.
QList<PhoneBookLine> ParsePhoneBookLines(QByteArrayView reply);

struct PhoneBookEntries {
    PhoneBookStore store;       // the entries read, in reply order, packed from index 0
    QByteArrayList unreadable;  // lines that are not a "+CPBR:" entry, as they came
    // Indexes in `store` of the entries whose name or number was longer than its room in the
    // record and was cut: the one rule for what counts as cut.
    QList<qsizetype> cut;
};

// The entries of the answer to "at+cpbr=1,n": one per line of the form
// +CPBR: index,"number",type,"name" (an empty type is taken from the number). The handset's slot
// index is not kept. A name that holds a double quote runs to the last quote of its line; a
// line where that could also be read as further fields, and every other non-empty line, is
// unreadable.
PhoneBookEntries ParsePhoneBookEntries(QByteArrayView reply);

}  // namespace pelmar
