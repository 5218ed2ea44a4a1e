#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include "link/handset_dialect.h"
#include "sim/at_command_line.h"
#include "sim/sim_state.h"

namespace pelmar {

// The answer to one command, before it is framed for the line.
struct SimAnswer {
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
    // Standard: PDUs carry the service-centre field, both in listings and in what the client
    // sends, and +CPBW takes 27.007's index,number,type,text. Older: the handset lists and takes
    // bare TPDUs and skips a bare 1 after the index of +CPBW, as some old handsets do.
    explicit HandsetModel(SimState state = demoSimState(),
                          HandsetDialect dialect = HandsetDialect::Standard);

    SimAnswer execute(const AtCommand& command);

    bool awaitingPdu() const { return m_pending.active; }
    QByteArray pendingCommandKey() const { return m_pending.key; }
    // The hex text typed after the prompt, at Ctrl-Z.
    SimAnswer SendPdu(QByteArrayView hexText);
    // ESC after the prompt, or the line dropped: the message is discarded.
    void cancelPdu();

    bool echo() const { return m_echo; }
    const SimState& state() const { return m_state; }
    SimState& state() { return m_state; }

  private:
    using Handler = SimAnswer (HandsetModel::*)(const AtCommand&);
    static const QHash<QByteArray, Handler>& handlers();

    SimAnswer basicOk(const AtCommand& c);
    SimAnswer echoCommand(const AtCommand& c);
    SimAnswer verboseCommand(const AtCommand& c);
    SimAnswer resetCommand(const AtCommand& c);
    SimAnswer informationCommand(const AtCommand& c);
    SimAnswer identityCommand(const AtCommand& c);
    SimAnswer cmee(const AtCommand& c);
    SimAnswer cscs(const AtCommand& c);
    SimAnswer cmgf(const AtCommand& c);
    SimAnswer cpms(const AtCommand& c);
    SimAnswer cmgl(const AtCommand& c);
    SimAnswer cmgr(const AtCommand& c);
    SimAnswer cmgsOrCmgw(const AtCommand& c);
    SimAnswer cmss(const AtCommand& c);
    SimAnswer cmgd(const AtCommand& c);
    SimAnswer cpbs(const AtCommand& c);
    SimAnswer cpbr(const AtCommand& c);
    SimAnswer cpbw(const AtCommand& c);
    SimAnswer csq(const AtCommand& c);
    SimAnswer creg(const AtCommand& c);
    SimAnswer cpin(const AtCommand& c);
    SimAnswer csca(const AtCommand& c);
    SimAnswer cnmi(const AtCommand& c);
    SimAnswer csms(const AtCommand& c);
    SimAnswer cfun(const AtCommand& c);

    SimAnswer cmeError(int code) const;
    QByteArray listedPdu(const SimMessage& m) const;
    QByteArray storageCounts() const;
    SimPhonebook& currentBook();
    bool withSmsc() const { return m_dialect == HandsetDialect::Standard; }
    int sendMessage(const QByteArray& tpdu, const QByteArray& destination);

    struct Pending {
        bool active = false;
        bool store = false;  // AT+CMGW rather than AT+CMGS
        int length = 0;      // announced TPDU octets
        int status = 2;      // for AT+CMGW
        QByteArray key;
    };

    SimState m_state;
    HandsetDialect m_dialect;
    bool m_echo = true;
    int m_cmee = 0;
    int m_creg = 0;
    int m_cfun = 1;
    QByteArray m_cnmi = QByteArrayLiteral("0,0,0,0,0");
    QByteArray m_charset = QByteArrayLiteral("GSM");
    QByteArray m_phonebook = QByteArrayLiteral("SM");
    Pending m_pending;
};

}  // namespace pelmar
