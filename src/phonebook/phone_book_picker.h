#pragma once

#include <QList>
#include <QString>

#include "phonebook/phone_books.h"

// The number picker's list: every entry of the three local phonebooks that the search text
// finds, so the user can fill the recipient number from a phonebook.
namespace pelmar {

struct PickerRow {
    QString text;    // "Anna (123)": the name, a blank and the number in brackets
    QString number;  // the entry's number as stored; the recipient number filters it
    bool operator==(const PickerRow&) const = default;
};

// Whether the search text finds the entry: an empty search finds every entry; otherwise the
// search occurs in the name with the letters a-z compared case-blind (other letters, Cyrillic
// among them, only in the same case), or occurs in the number as typed.
bool pickerMatches(const PhoneBookEntry& entry, const QString& search);

// The rows for a search text: SIM entries first, then the handset's, then "LD", each store in
// its own (sorted) order. The picker selects the first row when there is one.
QList<PickerRow> PickerRows(const PhoneBooks& books, const QString& search);

}  // namespace pelmar
