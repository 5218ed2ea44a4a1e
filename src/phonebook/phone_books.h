#pragma once

#include <QLatin1StringView>
#include <QLocale>
#include <QObject>
#include <QString>
#include <array>

#include "phonebook/phone_book_store.h"

namespace pelmar {

// The three local phonebooks: the SIM's, the handset memory's, and "LD".
enum class PhoneBookKind { SM, ME, LD };

struct PhoneBookKindInfo {
    PhoneBookKind kind;
    QLatin1StringView storage;   // the handset's storage name, without its quotes
    QLatin1StringView fileName;  // in the phonebook folder
};

// In the order they are loaded, saved and sorted.
inline constexpr std::array<PhoneBookKindInfo, 3> kPhoneBookKinds = {{
    {PhoneBookKind::SM, QLatin1StringView("SM"), QLatin1StringView("sm.dat")},
    {PhoneBookKind::ME, QLatin1StringView("ME"), QLatin1StringView("me.dat")},
    {PhoneBookKind::LD, QLatin1StringView("LD"), QLatin1StringView("ld.dat")},
}};

const PhoneBookKindInfo& phoneBookKindInfo(PhoneBookKind kind);

// The three stores of the window. A change made through the methods below is announced with
// changed(), which the lists that show the stores follow.
class PhoneBooks : public QObject {
    Q_OBJECT

  public:
    explicit PhoneBooks(QObject* parent = nullptr) : QObject(parent) {}

    PhoneBookStore PhoneBookSM;
    PhoneBookStore PhoneBookME;
    PhoneBookStore PhoneBookLD;

    PhoneBookStore& store(PhoneBookKind kind);
    const PhoneBookStore& store(PhoneBookKind kind) const;

    // Replaces the whole store of `kind` (a read from the handset, a file loaded).
    void setStore(PhoneBookKind kind, PhoneBookStore store);
    // Adds `entry` to the store of `kind`, or puts it in place of the entry at `row`.
    void putEntry(PhoneBookKind kind, PhoneBookEntry entry, qsizetype row = -1);
    // Removes the entries at `rows` (indexes before the removal, in any order).
    void removeEntries(PhoneBookKind kind, const QList<qsizetype>& rows);

    // Sorts all three stores by name.
    void SortPhoneBooks(const QLocale& locale = QLocale());

    // The name of the first entry, in the SIM's store and then the handset's ("LD" is not
    // searched), whose number equals `number`, or is not empty, lies within `number` and is
    // 1 to 4 characters shorter: so "+12345678901" finds an entry stored as "2345678901".
    // Empty when nothing matches, and for an empty number.
    QString FindNameByNumber(const QString& number) const;

  signals:
    // The store of `kind` changed (entries added, edited, removed, replaced or sorted).
    void changed(pelmar::PhoneBookKind kind);
};

}  // namespace pelmar
