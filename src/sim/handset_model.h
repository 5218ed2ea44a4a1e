#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include "sim/at_command_line.h"
#include "sim/sim_state.h"

namespace pelmar {

// The answer to one command, before it is framed for the line.
struct AtResult {
    // Information text; an item may span lines that belong together ("+CMGL: ...\r\n<pdu>").
    QList<QByteArray> lines;
    QByteArray final;     // "OK", "ERROR", "+CMS ERROR: 304"; empty when `prompt` is set
    bool prompt = false;  // the handset now waits for a PDU, ended by Ctrl-Z or ESC

    bool ok() const { return final == "OK"; }
};

// The handset's command interpreter over its state: identification, the SIM message store in
// PDU mode, the phonebooks, and the few status commands an AT client asks before it starts.
// Replies follow 27.005/27.007 as real handsets give them. Not thread-safe.
class HandsetModel {
  public:
    // `withSmsc`: PDUs carry the service-centre field, both in listings and in what the client
    // sends; without it the handset lists and takes bare TPDUs, as some old handsets do.
    explicit HandsetModel(SimState state = demoSimState(), bool withSmsc = true);

    AtResult execute(const AtCommand& command);

    bool awaitingPdu() const { return pending_.active; }
    QByteArray pendingCommandKey() const { return pending_.key; }
    // The hex text typed after the prompt, at Ctrl-Z.
    AtResult submitPdu(QByteArrayView hexText);
    // ESC after the prompt, or the line dropped: the message is discarded.
    void cancelPdu();

    bool echo() const { return echo_; }
    const SimState& state() const { return state_; }
    SimState& state() { return state_; }

  private:
    using Handler = AtResult (HandsetModel::*)(const AtCommand&);
    static const QHash<QByteArray, Handler>& handlers();

    AtResult basicOk(const AtCommand& c);
    AtResult echoCommand(const AtCommand& c);
    AtResult verboseCommand(const AtCommand& c);
    AtResult resetCommand(const AtCommand& c);
    AtResult informationCommand(const AtCommand& c);
    AtResult identityCommand(const AtCommand& c);
    AtResult cmee(const AtCommand& c);
    AtResult cscs(const AtCommand& c);
    AtResult cmgf(const AtCommand& c);
    AtResult cpms(const AtCommand& c);
    AtResult cmgl(const AtCommand& c);
    AtResult cmgr(const AtCommand& c);
    AtResult cmgsOrCmgw(const AtCommand& c);
    AtResult cmss(const AtCommand& c);
    AtResult cmgd(const AtCommand& c);
    AtResult cpbs(const AtCommand& c);
    AtResult cpbr(const AtCommand& c);
    AtResult cpbw(const AtCommand& c);
    AtResult csq(const AtCommand& c);
    AtResult creg(const AtCommand& c);
    AtResult cpin(const AtCommand& c);
    AtResult csca(const AtCommand& c);
    AtResult cnmi(const AtCommand& c);
    AtResult csms(const AtCommand& c);
    AtResult cfun(const AtCommand& c);

    AtResult cmeError(int code) const;
    QByteArray listedPdu(const SimMessage& m) const;
    QByteArray storageCounts() const;
    SimPhonebook& currentBook();
    int sendMessage(const QByteArray& tpdu, const QByteArray& destination);

    struct Pending {
        bool active = false;
        bool store = false;  // AT+CMGW rather than AT+CMGS
        int length = 0;      // announced TPDU octets
        int status = 2;      // for AT+CMGW
        QByteArray key;
    };

    SimState state_;
    bool withSmsc_;
    bool echo_ = true;
    int cmee_ = 0;
    int creg_ = 0;
    int cfun_ = 1;
    QByteArray cnmi_ = QByteArrayLiteral("0,0,0,0,0");
    QByteArray charset_ = QByteArrayLiteral("GSM");
    QByteArray phonebook_ = QByteArrayLiteral("SM");
    Pending pending_;
};

}  // namespace pelmar
