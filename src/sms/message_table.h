#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "sms/decoded_message.h"
#include "sms/message_joining.h"

// The messages of the last complete listing, sorted into the browser's folders by their
// storage status (the "stat" of "+CMGL", TS 27.005).
namespace pelmar {

enum class MessageFolder { Inbox, Outbox, Sent };

inline constexpr std::array<MessageFolder, 3> kMessageFolders = {
    MessageFolder::Inbox, MessageFolder::Outbox, MessageFolder::Sent};

// Inbox for received messages, Outbox for unsent, Sent for sent ones; no folder for None.
std::optional<MessageFolder> folderOf(MessageStatus status);

// "Inbox", "Outbox", "Sent".
QString folderName(MessageFolder folder);

// Gives the phonebook name for a number, or an empty text when no entry has it.
using NameLookup = std::function<QString(const QString& number)>;

// Every change is announced with changed(), which the browser's list and folder counts follow.
class MessageTable : public QObject {
    Q_OBJECT

  public:
    explicit MessageTable(QList<DecodedMessage> messages = {}, QObject* parent = nullptr);

    // Only a listing that was read to its end replaces the table: a cut-off read keeps the
    // messages the user was looking at.
    void replace(QList<DecodedMessage> messages);
    // The messages of a listing still under way, or of one that ended part-way: shown as they
    // come, the table marked incomplete until a whole listing replaces it. Fewer messages than
    // the table holds already change nothing (a late step of the same listing).
    void showArriving(QList<DecodedMessage> messages);
    bool isIncomplete() const { return m_incomplete; }

    // Every message of the listing (one stored PDU each), in the order the handset sent them.
    const QList<DecodedMessage>& messages() const { return m_messages; }

    // The messages with the parts of each long message joined (JoinMessageParts), kept in step
    // with messages(): what the browser lists, one row per message.
    const QList<JoinedMessage>& joined() const { return m_joined; }
    // The joined rows of a folder: indexes into joined(), in listing order.
    QList<qsizetype> joinedRows(MessageFolder folder) const;
    // The joined message in `row` of the folder; nullptr when the folder has no such row.
    const JoinedMessage* joinedMessage(MessageFolder folder, qsizetype row) const;

    // The stored PDUs of a folder: indexes into messages(), in listing order (not sorted).
    QList<qsizetype> rows(MessageFolder folder) const;
    qsizetype count(MessageFolder folder) const { return rows(folder).size(); }

    // The message shown in `row` of the folder; nullptr when the folder has no such row.
    const DecodedMessage* message(MessageFolder folder, qsizetype row) const;

    // Takes the messages under these storage indexes out of every folder. Only indexes the
    // handset confirmed deleting belong here; the others stay listed.
    void markDeleted(const QList<quint32>& storageIndexes);

    // The export of a folder: for each message (a long one once, its text joined) the line of its
    // sender's name (the number when the lookup finds none), one blank and the date, then the line
    // of its text, each line ending CR LF; a LF inside a text stays as it is. The Inbox gives the
    // unread messages first, then the read ones. The page appends this to the chosen file.
    QString exportLines(MessageFolder folder, const NameLookup& nameLookup) const;

    // The number, or its phonebook name when the lookup knows it: the browser's "From" column.
    static QString senderName(const DecodedMessage& message, const NameLookup& nameLookup);

  signals:
    void changed();

  private:
    QList<DecodedMessage> m_messages;
    QList<JoinedMessage> m_joined;
    bool m_incomplete = false;
};

}  // namespace pelmar
