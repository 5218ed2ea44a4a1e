// The SIM card of the simulated handset: its PIN, the attempts left, and the commands it
// refuses while it is locked or missing.
#include <QRegularExpression>
#include <QSet>

#include "sim/handset_model.h"
#include "sim/model_answers.h"

namespace pelmar::simulator {

using namespace answers;

namespace {

// What the message store needs the SIM for; refused with 27.005's "+CMS ERROR".
const QSet<QByteArray> kSimMessageCommands = {"CPMS", "CMGL", "CMGR", "CMGS",
                                              "CMGW", "CMSS", "CMGD", "CSCA"};
// What the phonebooks and the subscriber's identity need it for; refused with "+CME ERROR".
const QSet<QByteArray> kSimEquipmentCommands = {"CPBS", "CPBR", "CPBW", "CIMI"};

}  // namespace

std::optional<Answer> HandsetModel::simRefusal(const QByteArray& key) const {
    struct Codes {
        int cms, cme;  // 27.005 §3.2.5 and 27.007 §9.2
    };
    Codes codes{};
    switch (m_simLock) {
        case SimLock::None:
            return std::nullopt;
        case SimLock::Pin:
            codes = {311, 11};
            break;
        case SimLock::Puk:
            codes = {316, 12};
            break;
        case SimLock::Absent:
            codes = {310, 10};
            break;
    }
    if (kSimMessageCommands.contains(key))
        return cmsError(codes.cms);
    if (kSimEquipmentCommands.contains(key))
        return cmeError(codes.cme);
    return std::nullopt;
}

Answer HandsetModel::cpin(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    if (m_simLock == SimLock::Absent)
        return cmeError(10);
    if (c.form == Form::Read) {
        static const QHash<SimLock, QByteArray> codes = {
            {SimLock::None, "READY"}, {SimLock::Pin, "SIM PIN"}, {SimLock::Puk, "SIM PUK"}};
        return ok({QByteArrayLiteral("+CPIN: ") + codes.value(m_simLock)});
    }
    const auto args = splitAtArguments(c.parameter);
    if (c.form != Form::Set || !args || args->isEmpty() || args->size() > 2)
        return cmeError(50);
    switch (m_simLock) {
        case SimLock::Pin:
            if (args->size() == 1 && args->first().value == m_pin) {
                m_simLock = SimLock::None;
                m_pinAttempts = kPinAttempts;
                return ok();
            }
            if (--m_pinAttempts == 0)
                m_simLock = SimLock::Puk;
            return cmeError(16);
        case SimLock::Puk:
            return cmeError(16);  // this handset takes no PUK
        case SimLock::None:
        case SimLock::Absent:
            break;
    }
    return cmeError(3);  // no PIN is asked for
}

// 27.007 §8.65: "+CPINR: <code>,<retries>,<default retries>" for every code, or for the one
// asked; "*" and "?" in the asked code match any text and any one character.
Answer HandsetModel::cpinr(const AtCommand& c) {
    if (c.form == Form::Test)
        return ok();
    if (m_simLock == SimLock::Absent)
        return cmeError(10);
    const auto args = splitAtArguments(c.parameter);
    if ((c.form != Form::Action && c.form != Form::Set) || !args || args->size() > 1)
        return cmeError(50);
    const QRegularExpression wanted = QRegularExpression::fromWildcard(
        args->isEmpty() ? QStringLiteral("*") : QString::fromLatin1(args->first().value),
        Qt::CaseInsensitive);
    const QList<std::pair<QByteArray, QByteArray>> counters = {
        {"SIM PIN", QByteArray::number(m_pinAttempts) + ',' + QByteArray::number(kPinAttempts)},
        {"SIM PUK", QByteArray::number(kPukAttempts) + ',' + QByteArray::number(kPukAttempts)},
    };
    Answer result = ok();
    for (const auto& [code, counts] : counters) {
        if (wanted.match(QString::fromLatin1(code)).hasMatch())
            result.lines.append(QByteArrayLiteral("+CPINR: ") + code + ',' + counts);
    }
    return result;
}

}  // namespace pelmar::simulator
