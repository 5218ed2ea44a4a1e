#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// What the simulated handset holds: its identity, the SIM's message store, the phonebooks and
// the messages it has sent. Saved to and loaded from JSON so that tests can set up a handset
// and look at it afterwards.
namespace pelmar::simulator {

struct Identity {
    QByteArray manufacturer;
    QByteArray model;
    QByteArray revision;
    QByteArray imei;
    QByteArray imsi;
    QByteArray smsc;  // the service centre number, "+" for international

    friend bool operator==(const Identity&, const Identity&) = default;
};

// One message of the SIM store, as the handset lists it.
struct StoredMessage {
    int status = 0;   // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    QByteArray smsc;  // hex of the service-centre field ("00" or "07 91 ..."), may be empty
    QByteArray tpdu;  // hex of the transfer-layer PDU, upper case

    friend bool operator==(const StoredMessage&, const StoredMessage&) = default;
};

struct Contact {
    QByteArray number;
    int type = 129;
    QByteArray name;  // bytes as written, no character set applied

    friend bool operator==(const Contact&, const Contact&) = default;
};

struct ContactList {
    int capacity = 0;            // number of slots
    int numberLength = 40;       // longest number the memory takes
    int nameLength = 18;         // longest name, in bytes
    QMap<int, Contact> entries;  // slot (from 1) -> entry

    friend bool operator==(const ContactList&, const ContactList&) = default;
};

// A message the handset handed to the network (AT+CMGS or AT+CMSS).
struct SentMessage {
    int reference = 0;
    QByteArray tpdu;         // hex as the client handed it over (TP-MR untouched)
    QByteArray destination;  // the number given to AT+CMSS; empty when the PDU carried it

    friend bool operator==(const SentMessage&, const SentMessage&) = default;
};

struct HandsetState {
    Identity identity;
    int messageSlots = 30;
    QMap<int, StoredMessage> messages;         // SIM index (from 1) -> message
    QMap<QByteArray, ContactList> phonebooks;  // "SM", "ME", "LD"
    QList<SentMessage> sent;
    int nextReference = 1;  // TP-MR of the next message sent, 0 to 255

    friend bool operator==(const HandsetState&, const HandsetState&) = default;
};

// A handset with realistic content: unread and read messages (Cyrillic ones, one from an
// alphanumeric sender, a flash message), stored unsent and sent ones, a status report, a dozen
// entries in the SIM and handset phonebooks and two last-dialled numbers. Used when no state
// file is given, and by the demo handset.
HandsetState demoSimState();

// An empty handset: no messages, empty phonebooks SM (250), ME (500) and LD (10).
HandsetState emptySimState();

// JSON as written by simStateToJson. Missing parts keep the values of emptySimState();
// throws pelmar::Error naming what is wrong.
HandsetState simStateFromJson(const QByteArray& json);
QByteArray simStateToJson(const HandsetState& state);

// The same through files; saving replaces the file only once it is completely written.
HandsetState loadSimState(const QString& path);
void saveSimState(const HandsetState& state, const QString& path);

}  // namespace pelmar::simulator
