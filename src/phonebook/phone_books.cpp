#include "phonebook/phone_books.h"

#include <QDir>
#include <QFileInfo>

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

void PhoneBooks::LoadPhoneBooks(const QString& directory, const QLocale& locale) {
    PhoneBooks loaded = *this;
    const QDir dir(directory);
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        const QString path = dir.filePath(info.fileName);
        if (QFileInfo::exists(path))
            loaded.store(info.kind) = PhoneBookStore::loadFile(path);
    }
    loaded.SortPhoneBooks(locale);
    *this = std::move(loaded);
}

void PhoneBooks::SavePhoneBooks(const QString& directory) const {
    // A failure here shows up as the first file's write error, which names the path.
    QDir().mkpath(directory);
    const QDir dir(directory);
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        store(info.kind).saveFile(dir.filePath(info.fileName));
    }
}

void PhoneBooks::SortPhoneBooks(const QLocale& locale) {
    for (const PhoneBookKindInfo& info : kPhoneBookKinds)
        SortPhoneBook(store(info.kind), locale);
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
