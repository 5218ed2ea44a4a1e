#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <stop_token>

#include "link/operation_frame.h"

namespace pelmar {

// What one device said when it was probed for a phone.
struct PortProbe {
    QString device;
    // It answered "AT" with OK: a phone (or a modem) in modem mode.
    bool answered = false;
    // Its maker and model ("TESTCO T-100"); empty when it did not tell them.
    QString identity;
    // Why it is not taken for a phone, in a few words: "no answer", "only echoes what it is
    // sent", "in use by ModemManager (pid 812)", "permission denied (group dialout)"; empty when
    // it answered.
    QString problem;
};

struct PortProbeResult {
    QList<PortProbe> ports;  // in the order probed
    // Done naming the first phone found, Failed when none answered, or Cancelled.
    Outcome outcome;

    // The first device that answered; nullptr when none did.
    const PortProbe* firstPhone() const;
};

// How long a probed device may take for each answer; a phone answers in a fraction of it.
inline constexpr std::chrono::milliseconds kProbeTimeout{1500};

// The devices in the order to probe them: where a phone's cable or Bluetooth link shows up
// first (ttyACM, ttyUSB, rfcomm, in that order), then the rest; the given order kept within each.
QStringList probeOrder(const QStringList& devices);

// Looks for a phone on each device, in probeOrder, through the serial port: "AT", then maker and
// model, each answer within kProbeTimeout. A device another program holds is not touched (its
// lock file, or exclusive use). One progress step per device; a stop ends
// the probe at the next wait or before the next device, with the devices probed so far. Call on
// a thread Qt knows, as for TComPort.
PortProbeResult ProbePorts(const QStringList& devices, const Progress& progress,
                           std::stop_token stop);

}  // namespace pelmar
