// Feeds arbitrary bytes to the phonebook file reader: a file may have been cut short, written
// by another program or damaged; reading it must never read past it, and what was read must
// write back to a file that reads as the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "phonebook/phone_books.h"

using namespace pelmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    PhoneBooks books;
    books.PhoneBookSM = PhoneBookStore::fromFileBytes(bytes);
    const QByteArray written = books.PhoneBookSM.toFileBytes();
    if (written.size() != books.PhoneBookSM.count() * PhoneBookEntry::kRecordSize ||
        PhoneBookStore::fromFileBytes(written) != books.PhoneBookSM) {
        std::abort();
    }
    books.SortPhoneBooks(QLocale::c());
    for (const PhoneBookRow& row : books.PhoneBookSM.rows())
        books.FindNameByNumber(row.number);
    return 0;
}
