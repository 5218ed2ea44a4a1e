#include "sim/handset_model.h"

#include <QHash>
#include <optional>

#include "sim/model_answers.h"

namespace pelmar::simulator {

using namespace answers;

HandsetModel::HandsetModel(HandsetState state, HandsetDialect dialect, SimCard card)
    : m_state(std::move(state)),
      m_dialect(dialect),
      m_simLock(card.absent           ? SimLock::Absent
                : card.puk            ? SimLock::Puk
                : !card.pin.isEmpty() ? SimLock::Pin
                                      : SimLock::None),
      m_pin(std::move(card.pin)),
      m_pinAttempts(card.puk ? 0 : kPinAttempts) {}

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
        {QByteArrayLiteral("CPINR"), &HandsetModel::cpinr},
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
    if (const std::optional<Answer> refusal = simRefusal(command.key))
        return *refusal;
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
