#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "phonebook/phone_books.h"

namespace pelmar {

// The three phonebooks' files, "sm.dat", "me.dat" and "ld.dat" in one folder. Each file loads
// on its own, so one damaged file leaves the other stores usable; the store of a file that
// could not be read is never written back over it.
class PhoneBookFiles {
  public:
    explicit PhoneBookFiles(QString directory) : m_directory(std::move(directory)) {}

    const QString& directory() const { return m_directory; }

    // Loads each file that exists into its store and sorts the stores. Returns the error texts
    // of the files that could not be read (their stores stay empty).
    QStringList LoadPhoneBooks(PhoneBooks& books, const QLocale& locale = QLocale());

    // Writes every store whose file did not fail to load into the folder (made when missing):
    // SM, ME, LD in this order, each replaced atomically; an empty store gives an empty file.
    // Throws PhoneBookError at the first failure: the files before it are written, that file
    // and those after it keep their old content.
    void SavePhoneBooks(const PhoneBooks& books) const;

  private:
    QString m_directory;
    QList<PhoneBookKind> m_unreadable;
};

}  // namespace pelmar
