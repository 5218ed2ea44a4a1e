#pragma once

#include <QLatin1StringView>
#include <QLocale>
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

// The stores a program works on; the GUI and the command-line tool each own one.
class PhoneBooks {
  public:
    PhoneBookStore PhoneBookSM;
    PhoneBookStore PhoneBookME;
    PhoneBookStore PhoneBookLD;

    PhoneBookStore& store(PhoneBookKind kind);
    const PhoneBookStore& store(PhoneBookKind kind) const;

    // Reads "sm.dat", "me.dat" and "ld.dat" from `directory`; a store whose file is missing is
    // left as it is. Then sorts all three. Throws PhoneBookError naming the file that could
    // not be read, and then no store has changed.
    void LoadPhoneBooks(const QString& directory, const QLocale& locale = QLocale());

    // Writes the three files into `directory`, creating it when missing: SM, ME, LD in this
    // order, each replaced atomically; an empty store gives an empty file. Throws
    // PhoneBookError at the first failure: the files before it are written, that file and
    // those after it keep their old content.
    void SavePhoneBooks(const QString& directory) const;

    void SortPhoneBooks(const QLocale& locale = QLocale());

    // The name of the first entry, in the SIM's store and then the handset's ("LD" is not
    // searched), whose number equals `number`, or is not empty, lies within `number` and is
    // 1 to 4 characters shorter: so "+12345678901" finds an entry stored as "2345678901".
    // Empty when nothing matches, and for an empty number.
    QString FindNameByNumber(const QString& number) const;
};

}  // namespace pelmar
