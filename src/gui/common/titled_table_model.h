#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace pelmar {

// A table model whose columns are fixed and titled ("Name", "Phone"): the lists of the pages
// share the columns and headers here and give their rows and cells.
class TitledTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    TitledTableModel(QStringList titles, QObject* parent);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QStringList m_titles;
};

}  // namespace pelmar
