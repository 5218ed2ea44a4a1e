#include "phonebook/phone_book_files.h"

#include <QDir>
#include <QFileInfo>

namespace pelmar {

QStringList PhoneBookFiles::LoadPhoneBooks(PhoneBooks& books, const QLocale& locale) {
    QStringList errors;
    m_unreadable.clear();
    const QDir dir(m_directory);
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        const QString path = dir.filePath(info.fileName);
        if (!QFileInfo::exists(path))
            continue;
        try {
            books.store(info.kind) = PhoneBookStore::loadFile(path);
        } catch (const PhoneBookError& e) {
            m_unreadable.append(info.kind);
            books.store(info.kind) = PhoneBookStore();
            errors.append(e.message());
        }
    }
    books.SortPhoneBooks(locale);
    return errors;
}

void PhoneBookFiles::SavePhoneBooks(const PhoneBooks& books) const {
    // A failure here shows up as the first file's write error, which names the path.
    QDir().mkpath(m_directory);
    const QDir dir(m_directory);
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        if (!m_unreadable.contains(info.kind))
            books.store(info.kind).saveFile(dir.filePath(info.fileName));
    }
}

}  // namespace pelmar
