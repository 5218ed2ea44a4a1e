#pragma once

#include <QList>

#include "gui/common/titled_table_model.h"

#include "phonebook/phone_books.h"
#include "sms/message_table.h"

namespace pelmar {

// The messages of one folder of the MessageTable, as the browser's list shows them: "From" (the
// sender's phonebook name, else the number) and "Date", in listing order. The table stays the
// only copy of the messages; the rows follow its changes, and the names the phonebooks'.
class MessageListModel : public TitledTableModel {
    Q_OBJECT

  public:
    enum Column { FromColumn, DateColumn, ColumnCount };

    MessageListModel(const MessageTable& table, const PhoneBooks& books, QObject* parent = nullptr);

    MessageFolder folder() const { return m_folder; }
    // Shows `folder` as the table holds it now.
    void setFolder(MessageFolder folder);
    // The names the phonebooks give the numbers: "From" and the export.
    const NameLookup& names() const { return m_nameLookup; }

    // The message in `row` (a long one with its parts joined); nullptr outside the rows.
    const JoinedMessage* joined(int row) const;
    const DecodedMessage* message(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    const MessageTable& m_table;
    NameLookup m_nameLookup;
    MessageFolder m_folder = MessageFolder::Inbox;
    QList<qsizetype> m_rows;  // row -> index into m_table.joined()
};

}  // namespace pelmar
