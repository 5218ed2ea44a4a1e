#include "sms/message_table.h"

namespace pelmar {

namespace {

MessageStatus statusOf(const DecodedMessage& message) {
    return message.Status;
}

// The statuses a folder's export writes, one after the other.
QList<MessageStatus> exportOrder(MessageFolder folder) {
    switch (folder) {
        case MessageFolder::Inbox:
            return {MessageStatus::ReceivedUnread, MessageStatus::ReceivedRead};
        case MessageFolder::Outbox:
            return {MessageStatus::StoredUnsent};
        case MessageFolder::Sent:
            return {MessageStatus::StoredSent};
    }
    return {};
}

// The indexes of the items in `folder`, in their order.
template <class Item, class Status>
QList<qsizetype> rowsIn(const QList<Item>& items, MessageFolder folder,
                        const Status& statusOfItem) {
    QList<qsizetype> rows;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (folderOf(statusOfItem(items[i])) == folder)
            rows.append(i);
    }
    return rows;
}

// The item in `row` of a folder's rows; nullptr when the folder has no such row.
template <class Item>
const Item* itemAt(const QList<Item>& items, const QList<qsizetype>& rows, qsizetype row) {
    return row >= 0 && row < rows.size() ? &items[rows[row]] : nullptr;
}

}  // namespace

MessageStatus messageStatusOf(int value) {
    if (value < 0 || value > static_cast<int>(MessageStatus::StoredSent))
        return MessageStatus::None;
    return static_cast<MessageStatus>(value);
}

std::optional<MessageFolder> folderOf(MessageStatus status) {
    switch (status) {
        case MessageStatus::ReceivedUnread:
        case MessageStatus::ReceivedRead:
            return MessageFolder::Inbox;
        case MessageStatus::StoredUnsent:
            return MessageFolder::Outbox;
        case MessageStatus::StoredSent:
            return MessageFolder::Sent;
        case MessageStatus::None:
            break;
    }
    return std::nullopt;
}

QString folderName(MessageFolder folder) {
    switch (folder) {
        case MessageFolder::Inbox:
            return QStringLiteral("Inbox");
        case MessageFolder::Outbox:
            return QStringLiteral("Outbox");
        case MessageFolder::Sent:
            return QStringLiteral("Sent");
    }
    return {};
}

MessageTable::MessageTable(QList<DecodedMessage> messages, QObject* parent)
    : QObject(parent), m_messages(std::move(messages)), m_joined(JoinMessageParts(m_messages)) {}

void MessageTable::replace(QList<DecodedMessage> messages) {
    m_messages = std::move(messages);
    m_joined = JoinMessageParts(m_messages);
    m_incomplete = false;
    emit changed();
}

void MessageTable::showArriving(QList<DecodedMessage> messages) {
    if (m_incomplete && messages.size() <= m_messages.size())
        return;
    m_messages = std::move(messages);
    m_joined = JoinMessageParts(m_messages);
    m_incomplete = true;
    emit changed();
}

QList<qsizetype> MessageTable::joinedRows(MessageFolder folder) const {
    return rowsIn(m_joined, folder, [](const JoinedMessage& m) { return m.message.Status; });
}

const JoinedMessage* MessageTable::joinedMessage(MessageFolder folder, qsizetype row) const {
    return itemAt(m_joined, joinedRows(folder), row);
}

QList<qsizetype> MessageTable::rows(MessageFolder folder) const {
    return rowsIn(m_messages, folder, statusOf);
}

const DecodedMessage* MessageTable::message(MessageFolder folder, qsizetype row) const {
    return itemAt(m_messages, rows(folder), row);
}

void MessageTable::markDeleted(const QList<quint32>& storageIndexes) {
    for (DecodedMessage& m : m_messages) {
        if (storageIndexes.contains(m.Index))
            m.Status = MessageStatus::None;
    }
    m_joined = JoinMessageParts(m_messages);
    emit changed();
}

QString MessageTable::senderName(const DecodedMessage& message, const NameLookup& nameLookup) {
    const QString name = nameLookup ? nameLookup(message.Number) : QString();
    return name.isEmpty() ? message.Number : name;
}

QString MessageTable::exportLines(MessageFolder folder, const NameLookup& nameLookup) const {
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    for (const MessageStatus status : exportOrder(folder)) {
        for (const JoinedMessage& joined : m_joined) {
            const DecodedMessage& m = joined.message;
            if (statusOf(m) != status)
                continue;
            out += senderName(m, nameLookup) + QLatin1Char(' ') + m.Date + crlf;
            out += m.Text + crlf;
        }
    }
    return out;
}

}  // namespace pelmar
