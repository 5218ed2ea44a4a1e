#include "sim/sim_state.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cctype>

#include "base/error.h"
#include "base/file_write.h"

namespace pelmar::simulator {
namespace {

// Limits that keep a hand-written state file from asking for absurd memories.
constexpr int kMaxSlots = 9999;
constexpr int kMaxFieldLength = 1000;

[[noreturn]] void fail(const QString& what) {
    throw Error(QStringLiteral("Invalid handset state: %1").arg(what));
}

bool isHexText(const QByteArray& hex) {
    if (hex.size() % 2 != 0)
        return false;
    for (const char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool isPrintableAscii(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

QString latin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

// JSON texts are Unicode; the handset's fields are bytes. ASCII-only fields are written as
// text, anything else as hex so that every byte survives the round trip.
QByteArray bytesField(const QJsonObject& o, const QString& key, const QString& where) {
    const QString hexKey = key + QStringLiteral("Hex");
    if (o.contains(hexKey)) {
        const QByteArray hex = o.value(hexKey).toString().toLatin1();
        if (!isHexText(hex))
            fail(QStringLiteral("%1: %2 is not hex text").arg(where, hexKey));
        return QByteArray::fromHex(hex);
    }
    const QString text = o.value(key).toString();
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            fail(QStringLiteral("%1: %2 holds characters beyond Latin-1; give %3 instead")
                     .arg(where, key, hexKey));
        }
    }
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > kMaxFieldLength)
        fail(QStringLiteral("%1: %2 is too long").arg(where, key));
    return bytes;
}

void putBytesField(QJsonObject& o, const QString& key, const QByteArray& bytes) {
    if (isPrintableAscii(bytes)) {
        o.insert(key, latin1(bytes));
    } else {
        o.insert(key + QStringLiteral("Hex"), latin1(bytes.toHex().toUpper()));
    }
}

QByteArray hexField(const QJsonObject& o, const QString& key, const QString& where) {
    const QByteArray hex = o.value(key).toString().toLatin1().toUpper();
    if (!isHexText(hex))
        fail(QStringLiteral("%1: %2 is not hex text").arg(where, key));
    return hex;
}

int intField(const QJsonObject& o, const QString& key, int fallback, int low, int high,
             const QString& where) {
    if (!o.contains(key))
        return fallback;
    const QJsonValue v = o.value(key);
    const double d = v.toDouble(-1e9);
    if (!v.isDouble() || d != static_cast<int>(d) || d < low || d > high) {
        fail(QStringLiteral("%1: %2 must be a whole number from %3 to %4")
                 .arg(where, key)
                 .arg(low)
                 .arg(high));
    }
    return static_cast<int>(d);
}

Identity identityFromJson(const QJsonObject& o, Identity id) {
    const QString where = QStringLiteral("identity");
    const struct {
        const char* key;
        QByteArray Identity::*field;
    } fields[] = {{"manufacturer", &Identity::manufacturer},
                  {"model", &Identity::model},
                  {"revision", &Identity::revision},
                  {"imei", &Identity::imei},
                  {"imsi", &Identity::imsi},
                  {"smsc", &Identity::smsc}};
    for (const auto& f : fields) {
        const QString key = QLatin1StringView(f.key);
        if (o.contains(key) || o.contains(key + QStringLiteral("Hex"))) {
            id.*f.field = bytesField(o, key, where);
        }
    }
    return id;
}

QJsonObject identityToJson(const Identity& id) {
    QJsonObject o;
    putBytesField(o, QStringLiteral("manufacturer"), id.manufacturer);
    putBytesField(o, QStringLiteral("model"), id.model);
    putBytesField(o, QStringLiteral("revision"), id.revision);
    putBytesField(o, QStringLiteral("imei"), id.imei);
    putBytesField(o, QStringLiteral("imsi"), id.imsi);
    putBytesField(o, QStringLiteral("smsc"), id.smsc);
    return o;
}

ContactList phonebookFromJson(const QJsonObject& o, ContactList book, const QString& name) {
    const QString where = QStringLiteral("phonebook %1").arg(name);
    book.capacity = intField(o, QStringLiteral("slots"), book.capacity, 0, kMaxSlots, where);
    book.numberLength =
        intField(o, QStringLiteral("numberLength"), book.numberLength, 1, kMaxFieldLength, where);
    book.nameLength =
        intField(o, QStringLiteral("nameLength"), book.nameLength, 0, kMaxFieldLength, where);
    if (o.contains(QStringLiteral("entries")))
        book.entries.clear();
    for (const QJsonValue& v : o.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject e = v.toObject();
        const int index = intField(e, QStringLiteral("index"), 0, 1, book.capacity, where);
        if (index == 0)
            fail(QStringLiteral("%1: an entry has no index").arg(where));
        if (book.entries.contains(index)) {
            fail(QStringLiteral("%1: slot %2 is given twice").arg(where).arg(index));
        }
        const QString entryWhere = QStringLiteral("%1 slot %2").arg(where).arg(index);
        Contact entry;
        entry.number = bytesField(e, QStringLiteral("number"), entryWhere);
        entry.name = bytesField(e, QStringLiteral("name"), entryWhere);
        const int defaultType = entry.number.startsWith('+') ? 145 : 129;
        entry.type = intField(e, QStringLiteral("type"), defaultType, 0, 255, entryWhere);
        book.entries.insert(index, entry);
    }
    return book;
}

QJsonObject phonebookToJson(const ContactList& book) {
    QJsonObject o;
    o.insert(QStringLiteral("slots"), book.capacity);
    o.insert(QStringLiteral("numberLength"), book.numberLength);
    o.insert(QStringLiteral("nameLength"), book.nameLength);
    QJsonArray entries;
    for (auto it = book.entries.cbegin(); it != book.entries.cend(); ++it) {
        QJsonObject e;
        e.insert(QStringLiteral("index"), it.key());
        putBytesField(e, QStringLiteral("number"), it->number);
        e.insert(QStringLiteral("type"), it->type);
        putBytesField(e, QStringLiteral("name"), it->name);
        entries.append(e);
    }
    o.insert(QStringLiteral("entries"), entries);
    return o;
}

}  // namespace

HandsetState emptySimState() {
    HandsetState s;
    s.identity = {QByteArrayLiteral("Pelmar"),          QByteArrayLiteral("Simulated Handset 100"),
                  QByteArrayLiteral("V 1.00 01-03-26"), QByteArrayLiteral("350000000000006"),
                  QByteArrayLiteral("001010123456789"), QByteArrayLiteral("+12025550100")};
    s.phonebooks.insert(QByteArrayLiteral("SM"), ContactList{250, 40, 18, {}});
    s.phonebooks.insert(QByteArrayLiteral("ME"), ContactList{500, 40, 30, {}});
    s.phonebooks.insert(QByteArrayLiteral("LD"), ContactList{10, 40, 18, {}});
    return s;
}

HandsetState demoSimState() {
    HandsetState s = emptySimState();
    const QByteArray smsc = QByteArrayLiteral("07912120550501F0");
    const struct {
        int status;
        const char* tpdu;
    } messages[] = {
        // From +12025550123, 7-bit: "Are we still on for lunch tomorrow?"
        {0,
         "040B912120550521F300006230412103500023417919742F83E6F4349B0D7ABB41E6B71CC4AEBBC7"
         "6810FDDD7ECBE5EFFB0F"},
        // From +12025550177, UCS2: "Привет! Как дела?"
        {1,
         "040B912120550571F700086230318194000022041F0440043804320435044200210020041A0430043A"
         "002004340435043B0430003F"},
        // From the national number 5550199: "Your parcel is ready for pickup at the front desk."
        {1,
         "040781550591F900006230219051240032D9775D0E8287E5E3321B949E83E4E530390F32BFE520787A"
         "BCAEC341613A888E2E83CCF2B79B0E2297E76B17"},
        // Written, not yet sent, to +12025550123: "See you at 8 then."
        {2, "11000B912120550521F30000A712D37219947FD741613A0807A2A3CB6E17"},
        // Sent to +12025550177 with reference 42: "Happy birthday! Have a great day."
        {3,
         "112A0B912120550571F70000A721C8301C9E0789D3723A9A1CCE8740C8B0BD0C0A83CEF272980E2287"
         "F32E"},
        // The network's delivery report for reference 42.
        {1, "062A0B912120550571F7623011020001006230110200410000"},
        // From +12025550166, UCS2: "Встречаемся в семь у метро."
        {0,
         "040B912120550561F60008624021810300003604120441044204400435044704300435043C0441044F"
         "00200432002004410435043C044C002004430020043C043504420440043E002E"},
        // From the alphanumeric sender "PelmarBank": "Your code is 481516. Do not share it."
        {1,
         "0412D0D032BB1D960BC3EE3500006240219051000025D9775D0E1ABFC965507A0EA2E162B598CD0522"
         "BE41EE371D344787E565509AEE02"},
        // A flash message (class 0) from +12025550144: "Call me when you land!"
        {0, "040B912120550541F400106240317054000016C3309B0D6A97417774D90DCABFEB2076D84D0E01"},
        // From +12025550188: "Reminder: appointment Tue 10:30."
        {1,
         "040B912120550581F800006240016100000020D2723BED2697E53A50180E7FA7DDF476D94D0751EB65"
         "500CA69BC15C"},
        // Written, not yet sent, to +12025550166, UCS2: "Спасибо, до завтра!"
        {2,
         "11000B912120550561F60008A7260421043F0430044104380431043E002C00200434043E0020043704"
         "3004320442044004300021"},
        // Sent to +442079460000 with reference 43: "Report is in the shared folder."
        {3,
         "112B0C914402976400000000A71FD232FC2DA783D27350DA0DA2A3CBA0393A2C2F9341E6379B5C96BB"
         "00"},
    };
    int index = 1;
    for (const auto& m : messages) {
        s.messages.insert(index++,
                          StoredMessage{m.status, m.status < 2 ? smsc : QByteArrayLiteral("00"),
                                        QByteArray(m.tpdu)});
    }
    s.nextReference = 44;

    auto add = [&s](const char* book, int slot, const char* number, QByteArray name) {
        const QByteArray n(number);
        s.phonebooks[QByteArray(book)].entries.insert(
            slot, Contact{n, n.startsWith('+') ? 145 : 129, name});
    };
    add("SM", 1, "+12025550123", QByteArrayLiteral("Alice Walker"));
    add("SM", 2, "+12025550177", QByteArrayLiteral("\xC8\xE2\xE0\xED"));  // "Иван" in Windows-1251
    add("SM", 3, "5550199", QByteArrayLiteral("Front desk"));
    add("SM", 5, "+12025550144", QByteArrayLiteral("Carol"));
    add("SM", 6, "+12025550166", QByteArrayLiteral("\xCE\xEB\xFC\xE3\xE0"));  // "Ольга"
    add("SM", 7, "+12025550188", QByteArrayLiteral("Dentist"));
    add("SM", 8, "+442079460000", QByteArrayLiteral("London office"));
    add("SM", 9, "+4930901820", QByteArrayLiteral("Berlin hotel"));
    add("SM", 10, "+12025550111", QByteArrayLiteral("Dave Miller"));
    add("SM", 11, "+12025550112", QByteArrayLiteral("Eve"));
    add("SM", 12, "911", QByteArrayLiteral("Emergency"));
    add("SM", 14, "+12025550155", QByteArrayLiteral("Frank & Grace"));
    add("ME", 1, "+12025550188", QByteArrayLiteral("Dentist"));
    add("ME", 2, "+442079460000", QByteArrayLiteral("London office"));
    add("ME", 3, "+12025550123", QByteArrayLiteral("Alice Walker (work)"));
    add("ME", 4, "+12025550166", QByteArrayLiteral("\xCE\xEB\xFC\xE3\xE0"));      // "Ольга"
    add("ME", 5, "+74951234567", QByteArrayLiteral("\xCC\xE0\xEC\xE0"));          // "Мама"
    add("ME", 6, "+74957654321", QByteArrayLiteral("\xD1\xE5\xF0\xE3\xE5\xE9"));  // "Сергей"
    add("ME", 7, "5550199", QByteArrayLiteral("Front desk"));
    add("ME", 8, "+12025550131", QByteArrayLiteral("Plumber"));
    add("ME", 9, "+12025550132", QByteArrayLiteral("Taxi"));
    add("ME", 10, "+33142681234", QByteArrayLiteral("Paris office"));
    add("ME", 11, "+12025550133", QByteArrayLiteral("Gym"));
    add("ME", 12, "+12025550134", QByteArrayLiteral("Pizza place"));
    add("LD", 1, "+12025550123", QByteArrayLiteral("Alice Walker"));
    add("LD", 2, "5550142", QByteArray());
    return s;
}

HandsetState simStateFromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        fail(error.errorString());
    if (!doc.isObject())
        fail(QStringLiteral("the document is not an object"));
    const QJsonObject root = doc.object();

    HandsetState s = emptySimState();
    s.identity = identityFromJson(root.value(QStringLiteral("identity")).toObject(), s.identity);
    s.messageSlots = intField(root, QStringLiteral("messageSlots"), s.messageSlots, 1, 255,
                              QStringLiteral("messageSlots"));
    s.nextReference = intField(root, QStringLiteral("nextReference"), s.nextReference, 0, 255,
                               QStringLiteral("nextReference"));

    for (const QJsonValue& v : root.value(QStringLiteral("messages")).toArray()) {
        const QJsonObject m = v.toObject();
        const QString where = QStringLiteral("message");
        const int index = intField(m, QStringLiteral("index"), 0, 1, s.messageSlots, where);
        if (index == 0)
            fail(QStringLiteral("a message has no index"));
        if (s.messages.contains(index)) {
            fail(QStringLiteral("message index %1 is given twice").arg(index));
        }
        const QString at = QStringLiteral("message %1").arg(index);
        StoredMessage msg;
        msg.status = intField(m, QStringLiteral("status"), 0, 0, 3, at);
        msg.smsc = hexField(m, QStringLiteral("smsc"), at);
        msg.tpdu = hexField(m, QStringLiteral("tpdu"), at);
        if (msg.tpdu.isEmpty())
            fail(QStringLiteral("%1: tpdu is empty").arg(at));
        s.messages.insert(index, msg);
    }

    const QJsonObject books = root.value(QStringLiteral("phonebooks")).toObject();
    for (auto it = books.constBegin(); it != books.constEnd(); ++it) {
        const QByteArray name = it.key().toLatin1();
        if (name.size() != 2 || !isPrintableAscii(name)) {
            fail(QStringLiteral("phonebook name \"%1\" is not a two-letter memory").arg(it.key()));
        }
        s.phonebooks[name] =
            phonebookFromJson(it.value().toObject(), s.phonebooks.value(name), it.key());
    }

    for (const QJsonValue& v : root.value(QStringLiteral("sent")).toArray()) {
        const QJsonObject m = v.toObject();
        const QString where = QStringLiteral("sent message");
        s.sent.append(SentMessage{intField(m, QStringLiteral("reference"), 0, 0, 255, where),
                                  hexField(m, QStringLiteral("tpdu"), where),
                                  bytesField(m, QStringLiteral("destination"), where)});
    }
    return s;
}

QByteArray simStateToJson(const HandsetState& s) {
    QJsonObject root;
    root.insert(QStringLiteral("identity"), identityToJson(s.identity));
    root.insert(QStringLiteral("messageSlots"), s.messageSlots);
    root.insert(QStringLiteral("nextReference"), s.nextReference);
    QJsonArray messages;
    for (auto it = s.messages.cbegin(); it != s.messages.cend(); ++it) {
        messages.append(QJsonObject{{QStringLiteral("index"), it.key()},
                                    {QStringLiteral("status"), it->status},
                                    {QStringLiteral("smsc"), latin1(it->smsc)},
                                    {QStringLiteral("tpdu"), latin1(it->tpdu)}});
    }
    root.insert(QStringLiteral("messages"), messages);
    QJsonObject books;
    for (auto it = s.phonebooks.cbegin(); it != s.phonebooks.cend(); ++it) {
        books.insert(latin1(it.key()), phonebookToJson(*it));
    }
    root.insert(QStringLiteral("phonebooks"), books);
    QJsonArray sent;
    for (const SentMessage& m : s.sent) {
        QJsonObject o{{QStringLiteral("reference"), m.reference},
                      {QStringLiteral("tpdu"), latin1(m.tpdu)}};
        putBytesField(o, QStringLiteral("destination"), m.destination);
        sent.append(o);
    }
    root.insert(QStringLiteral("sent"), sent);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

HandsetState loadSimState(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Error(
            QStringLiteral("Cannot read the handset state %1: %2").arg(path, file.errorString()));
    }
    try {
        return simStateFromJson(file.readAll());
    } catch (const Error& e) {
        throw Error(QStringLiteral("%1 (%2)").arg(e.message(), path));
    }
}

void saveSimState(const HandsetState& state, const QString& path) {
    try {
        writeWholeFile(path, simStateToJson(state));
    } catch (const FileWriteError& e) {
        throw Error(QStringLiteral("Cannot write the handset state %1: %2").arg(path, e.reason()));
    }
}

}  // namespace pelmar::simulator
