#include "phonebook/ui/phone_book_model.h"

#include <algorithm>

namespace pelmar {

PhoneBookModel::PhoneBookModel(PhoneBooks& books, QObject* parent)
    : QAbstractTableModel(parent), m_books(books) {}

void PhoneBookModel::showBook(PhoneBookKind kind) {
    beginResetModel();
    m_kind = kind;
    endResetModel();
}

void PhoneBookModel::removeEntries(QList<int> rows) {
    // From the bottom up, so every row still stands for the entry it stood for.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        beginRemoveRows({}, row, row);
        store().removeAt(row);
        endRemoveRows();
    }
}

int PhoneBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_books.store(m_kind).count());
}

int PhoneBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PhoneBookModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const PhoneBookStore& store = m_books.store(m_kind);
    if (index.row() >= store.count())
        return {};
    const PhoneBookEntry& entry = store.at(index.row());
    return index.column() == NameColumn ? entry.nameText() : entry.numberText();
}

QVariant PhoneBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case NameColumn:
            return QStringLiteral("Name");
        case PhoneColumn:
            return QStringLiteral("Phone");
        default:
            return {};
    }
}

}  // namespace pelmar
