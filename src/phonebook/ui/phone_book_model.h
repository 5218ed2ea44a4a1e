#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "phonebook/phone_books.h"

namespace pelmar {

// One local phonebook as the list on the phonebook page shows it: "Name" and "Phone", row r
// standing for entry r of the store. The store stays the only copy of the entries.
class PhoneBookModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { NameColumn, PhoneColumn, ColumnCount };

    explicit PhoneBookModel(PhoneBooks& books, QObject* parent = nullptr);

    PhoneBookKind kind() const { return m_kind; }
    PhoneBookStore& store() { return m_books.store(m_kind); }
    // Shows `kind`'s store as it is now.
    void showBook(PhoneBookKind kind);
    // The store changed as a whole (a read, an add, an edit and the sort after it).
    void reload() { showBook(m_kind); }
    // Removes the entries behind `rows` and the rows with them, in step.
    void removeEntries(QList<int> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    PhoneBooks& m_books;
    PhoneBookKind m_kind = PhoneBookKind::SM;
};

}  // namespace pelmar
