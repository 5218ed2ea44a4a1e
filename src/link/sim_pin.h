#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/at_reply.h"
#include "link/operation_frame.h"

// The SIM card's PIN (3GPP TS 27.007 §8.3 "+CPIN", §8.65 "+CPINR"): whether the SIM lets the
// handset work with it, and giving it its PIN when it asks.
namespace pelmar {

// What the SIM waits for before the handset works with it.
enum class SimPinState {
    Ready,        // "READY", or a code that only guards a few features ("SIM PIN2")
    PinRequired,  // "SIM PIN", "+CME ERROR: 11"
    PukRequired,  // "SIM PUK", "+CME ERROR: 12": blocked after three wrong PINs
    NotInserted,  // "+CME ERROR: 10"
    Failure,      // "+CME ERROR: 13" (SIM failure) or 15 (SIM wrong)
    Unknown,      // the handset did not tell, or waits for a code of its own (see `code`)
};

struct SimPinStatus {
    SimPinState state = SimPinState::Unknown;
    // The code the handset named ("SIM PIN", "PH-SIM PIN"), without quotes; empty when it
    // answered with an error or named none.
    QByteArray code;
};

// What an answer to "AT+CPIN?" says: "+CPIN: SIM PIN" (quoted or not) or a SIM error, numbered
// or in words ("+CME ERROR: SIM not inserted").
SimPinStatus simPinStatusOf(const AtReply& reply);

// The PIN attempts left in an answer to "AT+CPINR=\"SIM PIN\"" ("+CPINR: SIM PIN,2,3"); nothing
// when the answer does not tell them.
std::optional<int> pinAttemptsOf(const AtReply& reply);

// Why `pin` is no SIM PIN (4 to 8 digits); nothing when it is one. The text never quotes it.
std::optional<QString> pinProblem(const QString& pin);

// Asks the SIM's state on an open port. A handset that answers a bare "ERROR" may have its
// numbered errors off, which hides "SIM not inserted": they are switched on ("AT+CMEE=1") and
// the question asked once more. Errors of the line propagate.
SimPinStatus QuerySimPin(AtChannel& channel);
// The PIN attempts left ("AT+CPINR"); nothing when the handset does not tell.
std::optional<int> QueryPinAttempts(AtChannel& channel);

// The check before the first handset operation that needs the SIM: asks its state and, when it
// wants its PIN, asks the channel's PinProvider for it and sends it once ("AT+CPIN=\"...\"",
// hidden in every log and message). Done when the SIM is ready or the handset does not tell;
// the channel then remembers it and later calls do not touch the port. A PIN that was refused
// is reported with the attempts left and never tried again on its own; a SIM that wants its
// PUK, is missing or has failed is explained and stops the operation (HandsetError); no PIN
// given, or one that is no PIN, is InputRefused.
Outcome UnlockSim(AtChannel& channel, std::stop_token stop = {});

}  // namespace pelmar
