#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

#include "phonebook/phone_book_entry.h"

namespace pelmar {

// One row of the phonebook list: the "Name" and "Phone" columns.
struct PhoneBookRow {
    QString name;
    QString number;
    bool operator==(const PhoneBookRow&) const = default;
};

// The local copy of one handset phonebook: entries 0 .. count() - 1, without holes, in the
// order they were put in until it is sorted. It has no fixed capacity: a handset's own memory
// may hold more entries than a SIM, and a read must not lose any of them.
class PhoneBookStore {
  public:
    PhoneBookStore() = default;
    explicit PhoneBookStore(QList<PhoneBookEntry> entries) : m_entries(std::move(entries)) {}

    qsizetype count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QList<PhoneBookEntry>& entries() const { return m_entries; }
    QList<PhoneBookEntry>::const_iterator begin() const { return m_entries.cbegin(); }
    QList<PhoneBookEntry>::const_iterator end() const { return m_entries.cend(); }

    // Row r of the list is entry r. These throw PhoneBookError for an index out of range.
    const PhoneBookEntry& at(qsizetype index) const;
    void replace(qsizetype index, PhoneBookEntry entry);
    void removeAt(qsizetype index);
    // Removes several rows, given by their indexes before the removal, in any order; the
    // entries after each move towards the front.
    void removeRows(QList<qsizetype> indexes);

    void append(PhoneBookEntry entry) { m_entries.append(std::move(entry)); }
    void clear() { m_entries.clear(); }

    // What the phonebook list shows: one row per entry, in store order.
    QList<PhoneBookRow> rows() const;

    // The file form: the records of entries 0 .. count() - 1, nothing else.
    QByteArray toFileBytes() const;
    // Entries in a file of `size` bytes: size / 303 rounded to the nearest whole number, so a
    // trailing part of 152 bytes or more counts as one more entry and a shorter one is ignored.
    static qsizetype entryCountForFileSize(qsizetype size);
    // Reads the file form; the missing bytes of a trailing partial record read as zero.
    static PhoneBookStore fromFileBytes(QByteArrayView bytes);

    // A missing file gives an empty store. Throws PhoneBookError, naming the file, when it
    // exists but cannot be read.
    static PhoneBookStore loadFile(const QString& path);
    // Replaces the file atomically while holding the lock beside it (FileLock): on failure the
    // old file stays as it was and PhoneBookError says why.
    void saveFile(const QString& path) const;
    // One read-modify-write of a file, all under its lock so that another program changing the
    // file at the same time loses nothing: loads it (a missing file gives an empty store), lets
    // `change` edit the store, and saves it. Throws PhoneBookError as the two above, and passes
    // on what `change` throws, leaving the file as it was.
    static void updateFile(const QString& path, const std::function<void(PhoneBookStore&)>& change);

    bool operator==(const PhoneBookStore&) const = default;

  private:
    void checkIndex(qsizetype index) const;

    QList<PhoneBookEntry> m_entries;
};

// Orders the entries by name with the locale's case-sensitive comparison; entries with equal
// names keep their order.
void SortPhoneBook(PhoneBookStore& store, const QLocale& locale = QLocale());

}  // namespace pelmar
