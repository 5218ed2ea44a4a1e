#include "phonebook/phone_books.h"

namespace pelmar {

const PhoneBookKindInfo& phoneBookKindInfo(PhoneBookKind kind) {
    return kPhoneBookKinds.at(static_cast<size_t>(kind));
}

PhoneBookStore& PhoneBooks::store(PhoneBookKind kind) {
    switch (kind) {
        case PhoneBookKind::SM:
            return PhoneBookSM;
        case PhoneBookKind::ME:
            return PhoneBookME;
        case PhoneBookKind::LD:
            break;
    }
    return PhoneBookLD;
}

const PhoneBookStore& PhoneBooks::store(PhoneBookKind kind) const {
    return const_cast<PhoneBooks*>(this)->store(kind);
}

void PhoneBooks::setStore(PhoneBookKind kind, PhoneBookStore replacement) {
    store(kind) = std::move(replacement);
    emit changed(kind);
}

void PhoneBooks::putEntry(PhoneBookKind kind, PhoneBookEntry entry, qsizetype row) {
    if (row >= 0 && row < store(kind).count())
        store(kind).replace(row, std::move(entry));
    else
        store(kind).append(std::move(entry));
    emit changed(kind);
}

void PhoneBooks::removeEntries(PhoneBookKind kind, const QList<qsizetype>& rows) {
    store(kind).removeRows(rows);
    emit changed(kind);
}

void PhoneBooks::SortPhoneBooks(const QLocale& locale) {
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        SortPhoneBook(store(info.kind), locale);
        emit changed(info.kind);
    }
}

QString PhoneBooks::FindNameByNumber(const QString& number) const {
    // An unknown sender must not take the name of an entry that has no number.
    if (number.isEmpty())
        return {};
    for (const PhoneBookStore* searched : {&PhoneBookSM, &PhoneBookME}) {
        for (const PhoneBookEntry& entry : *searched) {
            const QString stored = entry.numberText();
            const qsizetype longer = number.size() - stored.size();
            if (stored == number ||
                (!stored.isEmpty() && longer > 0 && longer < 5 && number.contains(stored))) {
                return entry.nameText();
            }
        }
    }
    return {};
}

}  // namespace pelmar
