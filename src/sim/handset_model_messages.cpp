// The message commands of the simulated handset: storage, listing, reading, sending, storing
// and deleting.
#include "sim/handset_model.h"
#include "sim/model_answers.h"

namespace pelmar::simulator {

using namespace answers;

namespace {

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

}  // namespace pelmar::simulator
