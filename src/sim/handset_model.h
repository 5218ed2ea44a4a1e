#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <optional>

#include "link/handset_dialect.h"
#include "sim/at_command_line.h"
#include "sim/sim_options.h"
#include "sim/sim_state.h"

namespace pelmar::simulator {

// The answer to one command, before it is framed for the line.
struct Answer {
    // Information text; an item may span lines that belong together ("+CMGL: ...\r\n<pdu>").
    QList<QByteArray> lines;
    QByteArray final;     // "OK", "ERROR", "+CMS ERROR: 304"; empty when `prompt` is set
    bool prompt = false;  // the handset now waits for a PDU, ended by Ctrl-Z or ESC

    bool ok() const { return final == "OK"; }
};

// The handset's command interpreter over its state: identification, the SIM message store in
// PDU mode, the phonebooks, the SIM's PIN, and the few status commands an AT client asks before
// it starts. Replies follow 27.005/27.007 as real handsets give them. Not thread-safe.
class HandsetModel {
  public:
    // Standard: PDUs carry the service-centre field, both in listings and in what the client
    // sends, and +CPBW takes 27.007's index,number,type,text. Older: the handset lists and takes
    // bare TPDUs and skips a bare 1 after the index of +CPBW, as some old handsets do.
    explicit HandsetModel(HandsetState state = demoSimState(),
                          HandsetDialect dialect = HandsetDialect::Standard, SimCard card = {});

    Answer execute(const AtCommand& command);

    bool awaitingPdu() const { return m_pending.active; }
    QByteArray pendingCommandKey() const { return m_pending.key; }
    // The hex text typed after the prompt, at Ctrl-Z.
    Answer SendPdu(QByteArrayView hexText);
    // ESC after the prompt, or the line dropped: the message is discarded.
    void cancelPdu();

    bool echo() const { return m_echo; }
    const HandsetState& state() const { return m_state; }
    HandsetState& state() { return m_state; }

  private:
    using Handler = Answer (HandsetModel::*)(const AtCommand&);
    static const QHash<QByteArray, Handler>& handlers();

    Answer basicOk(const AtCommand& c);
    Answer echoCommand(const AtCommand& c);
    Answer verboseCommand(const AtCommand& c);
    Answer resetCommand(const AtCommand& c);
    Answer informationCommand(const AtCommand& c);
    Answer identityCommand(const AtCommand& c);
    Answer cmee(const AtCommand& c);
    Answer cscs(const AtCommand& c);
    Answer cmgf(const AtCommand& c);
    Answer cpms(const AtCommand& c);
    Answer cmgl(const AtCommand& c);
    Answer cmgr(const AtCommand& c);
    Answer cmgsOrCmgw(const AtCommand& c);
    Answer cmss(const AtCommand& c);
    Answer cmgd(const AtCommand& c);
    Answer cpbs(const AtCommand& c);
    Answer cpbr(const AtCommand& c);
    Answer cpbw(const AtCommand& c);
    Answer csq(const AtCommand& c);
    Answer creg(const AtCommand& c);
    Answer cpin(const AtCommand& c);
    Answer cpinr(const AtCommand& c);
    Answer csca(const AtCommand& c);
    Answer cnmi(const AtCommand& c);
    Answer csms(const AtCommand& c);
    Answer cfun(const AtCommand& c);

    Answer cmeError(int code) const;
    // The refusal of a command that needs the SIM while the SIM is locked or missing.
    std::optional<Answer> simRefusal(const QByteArray& key) const;
    QByteArray listedPdu(const StoredMessage& m) const;
    QByteArray storageCounts() const;
    ContactList& currentBook();
    bool withSmsc() const { return m_dialect == HandsetDialect::Standard; }
    int sendMessage(const QByteArray& tpdu, const QByteArray& destination);

    struct Pending {
        bool active = false;
        bool store = false;  // AT+CMGW rather than AT+CMGS
        int length = 0;      // announced TPDU octets
        int status = 2;      // for AT+CMGW
        QByteArray key;
    };

    HandsetState m_state;
    HandsetDialect m_dialect;
    bool m_echo = true;
    int m_cmee = 0;
    int m_creg = 0;
    int m_cfun = 1;
    QByteArray m_cnmi = QByteArrayLiteral("0,0,0,0,0");
    QByteArray m_charset = QByteArrayLiteral("GSM");
    QByteArray m_phonebook = QByteArrayLiteral("SM");
    Pending m_pending;

    enum class SimLock { None, Pin, Puk, Absent };
    static constexpr int kPinAttempts = 3;
    static constexpr int kPukAttempts = 10;
    SimLock m_simLock = SimLock::None;
    QByteArray m_pin;
    int m_pinAttempts = kPinAttempts;
};

}  // namespace pelmar::simulator
