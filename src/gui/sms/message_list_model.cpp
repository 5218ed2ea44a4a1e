#include "gui/sms/message_list_model.h"

namespace pelmar {

MessageListModel::MessageListModel(const MessageTable& table, const PhoneBooks& books,
                                   QObject* parent)
    : TitledTableModel({QStringLiteral("From"), QStringLiteral("Date")}, parent),
      m_table(table),
      m_nameLookup([&books](const QString& number) { return books.FindNameByNumber(number); }) {
    m_rows = m_table.joinedRows(m_folder);
    connect(&table, &MessageTable::changed, this, [this] { setFolder(m_folder); });
    // Only the "From" texts follow a phonebook change.
    connect(&books, &PhoneBooks::changed, this, [this] {
        if (!m_rows.isEmpty())
            emit dataChanged(index(0, FromColumn), index(rowCount() - 1, FromColumn),
                             {Qt::DisplayRole});
    });
}

void MessageListModel::setFolder(MessageFolder folder) {
    beginResetModel();
    m_folder = folder;
    m_rows = m_table.joinedRows(folder);
    endResetModel();
}

const JoinedMessage* MessageListModel::joined(int row) const {
    if (row < 0 || row >= m_rows.size())
        return nullptr;
    return &m_table.joined()[m_rows[row]];
}

const DecodedMessage* MessageListModel::message(int row) const {
    const JoinedMessage* m = joined(row);
    return m ? &m->message : nullptr;
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const DecodedMessage* m = message(index.row());
    if (!m)
        return {};
    return index.column() == FromColumn ? MessageTable::senderName(*m, m_nameLookup) : m->Date;
}

}  // namespace pelmar
