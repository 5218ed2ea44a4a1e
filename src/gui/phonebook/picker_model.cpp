#include "gui/phonebook/picker_model.h"

namespace pelmar {

PickerModel::PickerModel(const PhoneBooks& books, QObject* parent)
    : QAbstractListModel(parent), m_books(books) {
    connect(&books, &PhoneBooks::changed, this, &PickerModel::rebuild);
    rebuild();
}

void PickerModel::setSearch(const QString& search) {
    m_search = search;
    rebuild();
}

void PickerModel::rebuild() {
    beginResetModel();
    m_rows = PickerRows(m_books, m_search);
    endResetModel();
}

int PickerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant PickerModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PickerRow& row = m_rows.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return row.text;
        case NumberRole:
            return row.number;
        default:
            return {};
    }
}

}  // namespace pelmar
