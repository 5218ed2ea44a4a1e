#include "gui/phonebook/phone_book_model.h"

namespace pelmar {

PhoneBookModel::PhoneBookModel(const PhoneBooks& books, QObject* parent)
    : TitledTableModel({QStringLiteral("Name"), QStringLiteral("Phone")}, parent), m_books(books) {
    connect(&books, &PhoneBooks::changed, this, [this](PhoneBookKind kind) {
        if (kind == m_kind)
            showBook(kind);
    });
}

void PhoneBookModel::showBook(PhoneBookKind kind) {
    beginResetModel();
    m_kind = kind;
    endResetModel();
}

int PhoneBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_books.store(m_kind).count());
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

}  // namespace pelmar
