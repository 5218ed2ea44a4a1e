#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "sms/message_table.h"

namespace pelmar {

// The messages of one folder of the MessageTable, as the browser's list shows them: "From" (the
// sender's phonebook name, else the number) and "Date", in listing order. Row r stands for the
// table's message rowMessages()[r]; the table itself stays the only copy of the messages.
class MessageListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { FromColumn, DateColumn, ColumnCount };

    MessageListModel(const MessageTable& table, NameLookup nameLookup, QObject* parent = nullptr);

    MessageFolder folder() const { return m_folder; }
    // Shows `folder` as the table holds it now.
    void setFolder(MessageFolder folder);
    // The table changed (a listing, a deletion): the rows follow it.
    void reload() { setFolder(m_folder); }
    // The phonebooks changed: only the "From" texts follow.
    void namesChanged();

    // The message in `row`; nullptr outside the rows.
    const DecodedMessage* message(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    const MessageTable& m_table;
    NameLookup m_nameLookup;
    MessageFolder m_folder = MessageFolder::Inbox;
    QList<qsizetype> m_rows;  // row -> index into m_table.messages()
};

}  // namespace pelmar
