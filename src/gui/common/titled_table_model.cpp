#include "gui/common/titled_table_model.h"

namespace pelmar {

TitledTableModel::TitledTableModel(QStringList titles, QObject* parent)
    : QAbstractTableModel(parent), m_titles(std::move(titles)) {}

int TitledTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant TitledTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section >= 0 && section < m_titles.size() ? QVariant(m_titles.at(section)) : QVariant();
}

}  // namespace pelmar
