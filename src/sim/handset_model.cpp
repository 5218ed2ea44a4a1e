#include "sim/handset_model.h"

#include <QHash>
#include <optional>

namespace pelmar::simulator {
namespace {

using Form = AtCommand::Form;

const QByteArray kOk = QByteArrayLiteral("OK");
const QByteArray kError = QByteArrayLiteral("ERROR");

// The message memory: the SIM's, the only one this handset offers.
const QByteArray kMessageMemory = QByteArrayLiteral("SM");

// Verbose texts of the +CME ERROR codes this handset gives (27.007, 9.2).
const QHash<int, QByteArray>& cmeTexts() {
    static const QHash<int, QByteArray> texts = {
        {3, QByteArrayLiteral("operation not allowed")},
        {4, QByteArrayLiteral("operation not supported")},
        {20, QByteArrayLiteral("memory full")},
        {21, QByteArrayLiteral("invalid index")},
        {22, QByteArrayLiteral("not found")},
        {24, QByteArrayLiteral("text string too long")},
        {26, QByteArrayLiteral("dial string too long")},
        {27, QByteArrayLiteral("invalid characters in dial string")},
        {50, QByteArrayLiteral("Incorrect parameters")},
    };
    return texts;
}

// The character sets offered by AT+CSCS; names are taken byte for byte whichever is chosen.
const QList<QByteArray> kCharsets = {QByteArrayLiteral("GSM"), QByteArrayLiteral("IRA"),
                                     QByteArrayLiteral("8859-1")};

Answer ok(QList<QByteArray> lines = {}) {
    return {std::move(lines), kOk, false};
}
Answer error() {
    return {{}, kError, false};
}
Answer cmsError(int code) {
    return {{}, QByteArrayLiteral("+CMS ERROR: ") + QByteArray::number(code), false};
}

std::optional<int> toInt(const QByteArray& text) {
    bool good = false;
    const int value = text.toInt(&good);
    if (!good)
        return std::nullopt;
    return value;
}

std::optional<int> intArgument(const QList<AtArgument>& args, qsizetype i) {
    if (i >= args.size() || args[i].quoted)
        return std::nullopt;
    return toInt(args[i].value);
}

bool isHexText(QByteArrayView hex) {
    for (const char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return hex.size() % 2 == 0;
}

// Whether user data of this data coding scheme is counted in septets (23.038, 4).
bool isSevenBit(quint8 dcs) {
    switch (dcs & 0xF0) {
        case 0xC0:
        case 0xD0:
            return true;
        case 0xE0:
            return false;
        case 0xF0:
            return (dcs & 0x04) == 0;
        default:
            return (dcs & 0x80) != 0 || ((dcs >> 2) & 0x03) == 0 || ((dcs >> 2) & 0x03) == 3;
    }
}

// The octet count an SMS-SUBMIT must have by its own fields (23.040, 9.2.2.2); nothing when
// the header itself is cut short or malformed.
std::optional<qsizetype> submitLength(const QByteArray& tpdu) {
    auto octet = [&tpdu](qsizetype i) { return static_cast<quint8>(tpdu[i]); };
    qsizetype i = 2;  // first octet, TP-MR
    if (tpdu.size() < i + 2)
        return std::nullopt;
    const int digits = octet(i);
    if (digits > 20)
        return std::nullopt;
    i += 2 + (digits + 1) / 2;  // length, type, digits
    if (tpdu.size() < i + 2)
        return std::nullopt;
    const quint8 dcs = octet(i + 1);
    i += 2;  // TP-PID, TP-DCS
    static constexpr int kValidityOctets[] = {0, 7, 1, 7};
    i += kValidityOctets[(octet(0) >> 3) & 0x03];
    if (tpdu.size() < i + 1)
        return std::nullopt;
    const int udl = octet(i);
    i += 1;
    return i + (isSevenBit(dcs) ? (udl * 7 + 7) / 8 : udl);
}

bool isDialString(const QByteArray& number) {
    for (const char c : number) {
        if (!QByteArrayView("0123456789+*#pPwW").contains(c))
            return false;
    }
    return true;
}

QByteArray quoted(const QByteArray& text) {
    return '"' + text + '"';
}

// The listing filter of AT+CMGL for each stored status (27.005, 3.1: 4 lists all).
bool listedBy(int filter, int status) {
    return filter == 4 || filter == status;
}

// AT+CMGD delete flags 1 to 4: which statuses go (27.005, 3.5.4).
bool deletedBy(int flag, int status) {
    static constexpr int kDeletes[5][4] = {
        {0, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}};
    return kDeletes[flag][status] != 0;
}

}  // namespace

HandsetModel::HandsetModel(HandsetState state, HandsetDialect dialect)
    : m_state(std::move(state)), m_dialect(dialect) {}

const QHash<QByteArray, HandsetModel::Handler>& HandsetModel::handlers() {
    static const QHash<QByteArray, Handler> table = {
        {QByteArray(), &HandsetModel::basicOk},
        {QByteArrayLiteral("E"), &HandsetModel::echoCommand},
        {QByteArrayLiteral("V"), &HandsetModel::verboseCommand},
        {QByteArrayLiteral("Q"), &HandsetModel::verboseCommand},
        {QByteArrayLiteral("Z"), &HandsetModel::resetCommand},
        {QByteArrayLiteral("&F"), &HandsetModel::resetCommand},
        {QByteArrayLiteral("I"), &HandsetModel::informationCommand},
        {QByteArrayLiteral("&C"), &HandsetModel::basicOk},
        {QByteArrayLiteral("&D"), &HandsetModel::basicOk},
        {QByteArrayLiteral("&K"), &HandsetModel::basicOk},
        {QByteArrayLiteral("&W"), &HandsetModel::basicOk},
        {QByteArrayLiteral("S"), &HandsetModel::basicOk},
        {QByteArrayLiteral("X"), &HandsetModel::basicOk},
        {QByteArrayLiteral("CGMI"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("GMI"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("CGMM"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("GMM"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("CGMR"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("GMR"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("CGSN"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("GSN"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("CIMI"), &HandsetModel::identityCommand},
        {QByteArrayLiteral("CMEE"), &HandsetModel::cmee},
        {QByteArrayLiteral("CSCS"), &HandsetModel::cscs},
        {QByteArrayLiteral("CMGF"), &HandsetModel::cmgf},
        {QByteArrayLiteral("CPMS"), &HandsetModel::cpms},
        {QByteArrayLiteral("CMGL"), &HandsetModel::cmgl},
        {QByteArrayLiteral("CMGR"), &HandsetModel::cmgr},
        {QByteArrayLiteral("CMGS"), &HandsetModel::cmgsOrCmgw},
        {QByteArrayLiteral("CMGW"), &HandsetModel::cmgsOrCmgw},
        {QByteArrayLiteral("CMSS"), &HandsetModel::cmss},
        {QByteArrayLiteral("CMGD"), &HandsetModel::cmgd},
        {QByteArrayLiteral("CPBS"), &HandsetModel::cpbs},
        {QByteArrayLiteral("CPBR"), &HandsetModel::cpbr},
        {QByteArrayLiteral("CPBW"), &HandsetModel::cpbw},
        {QByteArrayLiteral("CSQ"), &HandsetModel::csq},
        {QByteArrayLiteral("CREG"), &HandsetModel::creg},
        {QByteArrayLiteral("CPIN"), &HandsetModel::cpin},
        {QByteArrayLiteral("CSCA"), &HandsetModel::csca},
        {QByteArrayLiteral("CNMI"), &HandsetModel::cnmi},
        {QByteArrayLiteral("CSMS"), &HandsetModel::csms},
        {QByteArrayLiteral("CFUN"), &HandsetModel::cfun},
    };
    return table;
}

Answer HandsetModel::execute(const AtCommand& command) {
    const Handler handler = handlers().value(command.key);
    if (handler == nullptr || m_pending.active)
        return error();
    return (this->*handler)(command);
}

Answer HandsetModel::cmeError(int code) const {
    if (m_cmee == 0)
        return error();
    const QByteArray detail = m_cmee == 2 && cmeTexts().contains(code) ? cmeTexts().value(code)
                                                                       : QByteArray::number(code);
    return {{}, QByteArrayLiteral("+CME ERROR: ") + detail, false};
}

Answer HandsetModel::basicOk(const AtCommand&) {
    return ok();
}

Answer HandsetModel::echoCommand(const AtCommand& c) {
    if (c.parameter != "0" && c.parameter != "1" && !c.parameter.isEmpty())
        return error();
    m_echo = c.parameter == "1";
    return ok();
}

// Only verbose result codes (V1) and results shown (Q0) are offered.
Answer HandsetModel::verboseCommand(const AtCommand& c) {
    const QByteArray wanted = c.key == "V" ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    if (c.parameter == wanted || (c.key == "Q" && c.parameter.isEmpty()))
        return ok();
    return error();
}

Answer HandsetModel::resetCommand(const AtCommand&) {
    m_echo = true;
    m_cmee = 0;
    m_creg = 0;
    m_charset = QByteArrayLiteral("GSM");
    m_phonebook = QByteArrayLiteral("SM");
    m_cnmi = QByteArrayLiteral("0,0,0,0,0");
    return ok();
}

Answer HandsetModel::informationCommand(const AtCommand&) {
    return ok({m_state.identity.manufacturer + ' ' + m_state.identity.model});
}

Answer HandsetModel::identityCommand(const AtCommand& c) {
    static const QHash<QByteArray, QByteArray Identity::*> fields = {
        {QByteArrayLiteral("CGMI"), &Identity::manufacturer},
        {QByteArrayLiteral("GMI"), &Identity::manufacturer},
        {QByteArrayLiteral("CGMM"), &Identity::model},
        {QByteArrayLiteral("GMM"), &Identity::model},
        {QByteArrayLiteral("CGMR"), &Identity::revision},
        {QByteArrayLiteral("GMR"), &Identity::revision},
        {QByteArrayLiteral("CGSN"), &Identity::imei},
        {QByteArrayLiteral("GSN"), &Identity::imei},
        {QByteArrayLiteral("CIMI"), &Identity::imsi},
    };
    if (c.form == Form::Test)
        return ok();
    if (c.form != Form::Action || !c.parameter.isEmpty())
        return error();
    return ok({m_state.identity.*fields.value(c.key)});
}

Answer HandsetModel::cmee(const AtCommand& c) {
    switch (c.form) {
        case Form::Test:
            return ok({QByteArrayLiteral("+CMEE: (0-2)")});
        case Form::Read:
            return ok({QByteArrayLiteral("+CMEE: ") + QByteArray::number(m_cmee)});
        case Form::Set: {
            const auto mode = toInt(c.parameter);
            if (!mode || *mode < 0 || *mode > 2)
                return error();
            m_cmee = *mode;
            return ok();
        }
        case Form::Action:
            m_cmee = 0;
            return ok();
    }
    return error();
}

Answer HandsetModel::cscs(const AtCommand& c) {
    if (c.form == Form::Test) {
        QList<QByteArray> names;
        for (const QByteArray& n : kCharsets)
            names.append(quoted(n));
        return ok({QByteArrayLiteral("+CSCS: (") + names.join(',') + ')'});
    }
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CSCS: ") + quoted(m_charset)});
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->size() != 1)
        return error();
    const QByteArray wanted = args->first().value.toUpper();
    if (!kCharsets.contains(wanted))
        return cmeError(4);
    m_charset = wanted;
    return ok();
}

// PDU mode only: text mode is refused.
Answer HandsetModel::cmgf(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CMGF: (0)")});
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CMGF: 0")});
    if (c.form == Form::Set && c.parameter.trimmed() == "0")
        return ok();
    if (c.form == Form::Action)
        return ok();
    return error();
}

QByteArray HandsetModel::storageCounts() const {
    return QByteArray::number(m_state.messages.size()) + ',' +
           QByteArray::number(m_state.messageSlots);
}

Answer HandsetModel::cpms(const AtCommand& c) {
    const QByteArray counts = storageCounts();
    const QByteArray mem = quoted(kMessageMemory);
    switch (c.form) {
        case Form::Test:
            return ok({QByteArrayLiteral("+CPMS: (\"SM\"),(\"SM\"),(\"SM\")")});
        case Form::Read:
            return ok({QByteArrayLiteral("+CPMS: ") + mem + ',' + counts + ',' + mem + ',' +
                       counts + ',' + mem + ',' + counts});
        case Form::Set: {
            const auto args = splitAtArguments(c.parameter);
            if (!args || args->isEmpty() || args->size() > 3)
                return error();
            for (const AtArgument& a : *args) {
                if (!a.isEmpty() && a.value.toUpper() != kMessageMemory)
                    return cmsError(302);
            }
            return ok({QByteArrayLiteral("+CPMS: ") + counts + ',' + counts + ',' + counts});
        }
        case Form::Action:
            break;
    }
    return error();
}

QByteArray HandsetModel::listedPdu(const StoredMessage& m) const {
    if (!withSmsc())
        return m.tpdu;
    return (m.smsc.isEmpty() ? QByteArrayLiteral("00") : m.smsc) + m.tpdu;
}

// Reading a received unread message marks it read, as 27.005 asks of both AT+CMGL and AT+CMGR.
Answer HandsetModel::cmgl(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CMGL: (0-4)")});
    int filter = 0;
    if (c.form == Form::Set) {
        const auto args = splitAtArguments(c.parameter);
        const auto value = args ? intArgument(*args, 0) : std::nullopt;
        if (!value || args->size() != 1)
            return cmsError(302);
        if (*value < 0 || *value > 4)
            return cmsError(302);
        filter = *value;
    } else if (c.form != Form::Action) {
        return error();
    }
    Answer result = ok();
    for (auto it = m_state.messages.begin(); it != m_state.messages.end(); ++it) {
        if (!listedBy(filter, it->status))
            continue;
        result.lines.append(QByteArrayLiteral("+CMGL: ") + QByteArray::number(it.key()) + ',' +
                            QByteArray::number(it->status) + ",," +
                            QByteArray::number(it->tpdu.size() / 2) + "\r\n" + listedPdu(*it));
        if (it->status == 0)
            it->status = 1;
    }
    return result;
}

Answer HandsetModel::cmgr(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    const auto args = splitAtArguments(c.parameter);
    const auto index = c.form == Form::Set && args ? intArgument(*args, 0) : std::nullopt;
    if (!index)
        return error();
    auto it = m_state.messages.find(*index);
    if (it == m_state.messages.end())
        return cmsError(321);
    Answer result = ok({QByteArrayLiteral("+CMGR: ") + QByteArray::number(it->status) + ",," +
                        QByteArray::number(it->tpdu.size() / 2) + "\r\n" + listedPdu(*it)});
    if (it->status == 0)
        it->status = 1;
    return result;
}

// The prompt is given at once; the PDU is checked when it is complete (Ctrl-Z).
Answer HandsetModel::cmgsOrCmgw(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return error();
    const auto length = intArgument(*args, 0);
    const bool store = c.key == "CMGW";
    if (!length || *length < 1 || *length > 255)
        return cmsError(304);
    int status = 2;
    if (args->size() == 2) {
        if (!store)
            return error();
        const auto s = intArgument(*args, 1);
        if (!s || *s < 0 || *s > 3)
            return cmsError(304);
        status = *s;
    }
    m_pending = {true, store, *length, status, c.key};
    return {{}, {}, true};
}

void HandsetModel::cancelPdu() {
    m_pending = {};
}

int HandsetModel::sendMessage(const QByteArray& tpdu, const QByteArray& destination) {
    const int reference = m_state.nextReference;
    m_state.nextReference = (reference + 1) % 256;
    m_state.sent.append({reference, tpdu, destination});
    return reference;
}

Answer HandsetModel::SendPdu(QByteArrayView hexText) {
    const Pending p = m_pending;
    m_pending = {};
    if (!p.active)
        return error();
    if (hexText.isEmpty() || !isHexText(hexText))
        return cmsError(304);
    const QByteArray bytes = QByteArray::fromHex(hexText.toByteArray());
    qsizetype smscOctets = 0;
    if (withSmsc())
        smscOctets = 1 + static_cast<quint8>(bytes[0]);
    if (smscOctets > bytes.size())
        return cmsError(304);
    const QByteArray tpdu = bytes.mid(smscOctets);
    if (tpdu.size() != p.length)
        return cmsError(304);

    const bool isSubmit = (static_cast<quint8>(tpdu[0]) & 0x03) == 0x01;
    if (!isSubmit && !p.store)
        return cmsError(304);
    if (isSubmit && submitLength(tpdu) != tpdu.size())
        return cmsError(304);

    const QByteArray tpduHex = tpdu.toHex().toUpper();
    if (!p.store) {
        return ok({QByteArrayLiteral("+CMGS: ") + QByteArray::number(sendMessage(tpduHex, {}))});
    }
    int index = 1;
    while (index <= m_state.messageSlots && m_state.messages.contains(index))
        ++index;
    if (index > m_state.messageSlots)
        return cmsError(322);
    m_state.messages.insert(index, {p.status, bytes.left(smscOctets).toHex().toUpper(), tpduHex});
    return ok({QByteArrayLiteral("+CMGW: ") + QByteArray::number(index)});
}

Answer HandsetModel::cmss(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 3)
        return error();
    const auto index = intArgument(*args, 0);
    if (!index)
        return error();
    const auto it = m_state.messages.find(*index);
    if (it == m_state.messages.end())
        return cmsError(321);
    if (it->status < 2)
        return cmsError(302);  // only stored outgoing messages can be sent
    const QByteArray destination = args->size() > 1 ? args->at(1).value : QByteArray();
    if (!isDialString(destination) || destination.size() > 20)
        return cmsError(304);
    const int reference = sendMessage(it->tpdu, destination);
    it->status = 3;
    return ok({QByteArrayLiteral("+CMSS: ") + QByteArray::number(reference)});
}

Answer HandsetModel::cmgd(const AtCommand& c) {
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CMGD: (1-") + QByteArray::number(m_state.messageSlots) +
                   "),(0-4)"});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return error();
    const int flag = args->size() == 2 ? intArgument(*args, 1).value_or(-1) : 0;
    if (flag < 0 || flag > 4)
        return error();
    if (flag > 0) {
        for (auto it = m_state.messages.begin(); it != m_state.messages.end();) {
            it = deletedBy(flag, it->status) ? m_state.messages.erase(it) : std::next(it);
        }
        return ok();
    }
    const auto index = intArgument(*args, 0);
    if (!index)
        return error();
    if (*index < 1 || *index > m_state.messageSlots)
        return cmsError(321);
    m_state.messages.remove(*index);
    return ok();
}

ContactList& HandsetModel::currentBook() {
    return m_state.phonebooks[m_phonebook];
}

Answer HandsetModel::cpbs(const AtCommand& c) {
    if (c.form == Form::Test) {
        QList<QByteArray> names;
        for (const QByteArray& n : m_state.phonebooks.keys())
            names.append(quoted(n));
        return ok({QByteArrayLiteral("+CPBS: (") + names.join(',') + ')'});
    }
    if (c.form == Form::Read) {
        const ContactList& book = currentBook();
        return ok({QByteArrayLiteral("+CPBS: ") + quoted(m_phonebook) + ',' +
                   QByteArray::number(book.entries.size()) + ',' +
                   QByteArray::number(book.capacity)});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->size() != 1)
        return error();
    const QByteArray wanted = args->first().value.toUpper();
    if (!m_state.phonebooks.contains(wanted))
        return cmeError(3);
    m_phonebook = wanted;
    return ok();
}

Answer HandsetModel::cpbr(const AtCommand& c) {
    const ContactList& book = currentBook();
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CPBR: (1-") + QByteArray::number(book.capacity) + ")," +
                   QByteArray::number(book.numberLength) + ',' +
                   QByteArray::number(book.nameLength)});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return error();
    const auto first = intArgument(*args, 0);
    const auto last = args->size() == 2 ? intArgument(*args, 1) : first;
    if (!first || !last)
        return error();
    if (*first < 1 || *last > book.capacity || *first > *last)
        return cmeError(21);
    Answer result = ok();
    for (auto it = book.entries.lowerBound(*first); it != book.entries.end() && it.key() <= *last;
         ++it) {
        result.lines.append(QByteArrayLiteral("+CPBR: ") + QByteArray::number(it.key()) + ',' +
                            quoted(it->number) + ',' + QByteArray::number(it->type) + ',' +
                            quoted(it->name));
    }
    return result;
}

Answer HandsetModel::cpbw(const AtCommand& c) {
    ContactList& book = currentBook();
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CPBW: (1-") + QByteArray::number(book.capacity) + ")," +
                   QByteArray::number(book.numberLength) + ",(129,145,161)," +
                   QByteArray::number(book.nameLength)});
    }
    auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 5)
        return error();
    // An older handset wants "k,1,\"number\",type,\"name\"" and empties with "k,1": its bare 1
    // is no dial string (those are quoted) and is skipped. A standard handset reads that 1 as
    // the number, so "k,1" stores the number 1 and the longer form has a text as its type.
    if (m_dialect == HandsetDialect::Older && args->size() >= 2 && !args->at(1).quoted &&
        args->at(1).value == "1")
        args->removeAt(1);
    if (args->size() > 4)
        return error();

    int index = 0;
    if (args->first().isEmpty()) {
        index = 1;
        while (index <= book.capacity && book.entries.contains(index))
            ++index;
        if (index > book.capacity)
            return cmeError(20);
    } else {
        const auto given = intArgument(*args, 0);
        if (!given)
            return error();
        index = *given;
    }
    if (index < 1 || index > book.capacity)
        return cmeError(21);
    if (args->size() == 1) {
        book.entries.remove(index);
        return ok();
    }

    Contact entry;
    entry.number = args->at(1).value;
    entry.name = args->size() > 3 ? args->at(3).value : QByteArray();
    entry.type = entry.number.startsWith('+') ? 145 : 129;
    if (args->size() > 2 && args->at(2).quoted)
        return error();
    if (args->size() > 2 && !args->at(2).isEmpty()) {
        const auto type = intArgument(*args, 2);
        if (!type || *type < 128 || *type > 255)
            return cmeError(50);
        entry.type = *type;
    }
    if (!isDialString(entry.number))
        return cmeError(27);
    if (entry.number.size() > book.numberLength)
        return cmeError(26);
    if (entry.name.size() > book.nameLength)
        return cmeError(24);
    book.entries.insert(index, entry);
    return ok();
}

Answer HandsetModel::csq(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CSQ: (0-31,99),(0-7,99)")});
    if (c.form != Form::Action)
        return error();
    return ok({QByteArrayLiteral("+CSQ: 21,99")});
}

Answer HandsetModel::creg(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CREG: (0-2)")});
    if (c.form == Form::Read) {
        return ok({QByteArrayLiteral("+CREG: ") + QByteArray::number(m_creg) + ",1"});
    }
    const auto mode = toInt(c.parameter);
    if (c.form != Form::Set || !mode || *mode < 0 || *mode > 2)
        return error();
    m_creg = *mode;
    return ok();
}

Answer HandsetModel::cpin(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CPIN: READY")});
    return cmeError(3);  // no PIN is asked for
}

Answer HandsetModel::csca(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    if (c.form == Form::Read) {
        const QByteArray& number = m_state.identity.smsc;
        return ok({QByteArrayLiteral("+CSCA: ") + quoted(number) + ',' +
                   (number.startsWith('+') ? "145" : "129")});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return error();
    if (!isDialString(args->first().value) || args->first().value.size() > 20) {
        return cmsError(304);
    }
    m_state.identity.smsc = args->first().value;
    return ok();
}

Answer HandsetModel::cnmi(const AtCommand& c) {
    if (c.form == Form::Test) {
        return ok({QByteArrayLiteral("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)")});
    }
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CNMI: ") + m_cnmi});
    if (c.form != Form::Set)
        return error();
    m_cnmi = c.parameter;
    return ok();
}

Answer HandsetModel::csms(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CSMS: (0)")});
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CSMS: 0,1,1,1")});
    if (c.form == Form::Set && c.parameter.trimmed() == "0") {
        return ok({QByteArrayLiteral("+CSMS: 1,1,1")});
    }
    return cmsError(303);
}

Answer HandsetModel::cfun(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok({QByteArrayLiteral("+CFUN: (0,1),(0,1)")});
    if (c.form == Form::Read)
        return ok({QByteArrayLiteral("+CFUN: ") + QByteArray::number(m_cfun)});
    const auto args = splitAtArguments(c.parameter);
    const auto mode = c.form == Form::Set && args ? intArgument(*args, 0) : std::nullopt;
    if (!mode || (*mode != 0 && *mode != 1) || args->size() > 2)
        return cmeError(50);
    m_cfun = *mode;
    return ok();
}

}  // namespace pelmar::simulator
