#include "phonebook/phone_book_picker.h"

namespace pelmar {

namespace {

// Only a-z are folded: the picker's search never knew the case of other letters.
QString upperLatin(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return out;
}

}  // namespace

bool pickerMatches(const PhoneBookEntry& entry, const QString& search) {
    if (search.isEmpty())
        return true;
    return upperLatin(entry.nameText()).contains(upperLatin(search)) ||
           entry.numberText().contains(search);
}

QList<PickerRow> PickerRows(const PhoneBooks& books, const QString& search) {
    QList<PickerRow> rows;
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        for (const PhoneBookEntry& entry : books.store(info.kind)) {
            if (!pickerMatches(entry, search))
                continue;
            const QString number = entry.numberText();
            rows.append(
                {entry.nameText() + QStringLiteral(" (") + number + QLatin1Char(')'), number});
        }
    }
    return rows;
}

}  // namespace pelmar
