#pragma once

#include <QList>

#include "gui/common/titled_table_model.h"

#include "phonebook/phone_books.h"

namespace pelmar {

// One local phonebook as the list on the phonebook page shows it: "Name" and "Phone", row r
// standing for entry r of the store. The store stays the only copy of the entries; the rows
// follow its changes.
class PhoneBookModel : public TitledTableModel {
    Q_OBJECT

  public:
    enum Column { NameColumn, PhoneColumn, ColumnCount };

    explicit PhoneBookModel(const PhoneBooks& books, QObject* parent = nullptr);

    PhoneBookKind kind() const { return m_kind; }
    const PhoneBookStore& store() const { return m_books.store(m_kind); }
    // Shows `kind`'s store as it is now.
    void showBook(PhoneBookKind kind);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    const PhoneBooks& m_books;
    PhoneBookKind m_kind = PhoneBookKind::SM;
};

}  // namespace pelmar
