#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

#include "phonebook/phone_book_picker.h"

namespace pelmar {

// The number picker's list: the rows PickerRows gives for the search text ("Anna (123)"), with
// the entry's number under NumberRole. It follows the phonebooks' changes.
class PickerModel : public QAbstractListModel {
    Q_OBJECT

  public:
    enum Role { NumberRole = Qt::UserRole };

    explicit PickerModel(const PhoneBooks& books, QObject* parent = nullptr);

    void setSearch(const QString& search);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    void rebuild();

    const PhoneBooks& m_books;
    QString m_search;
    QList<PickerRow> m_rows;
};

}  // namespace pelmar
