#pragma once

#include <QString>

#include "base/error.h"

namespace pelmar {

// A failure of the serial port. The message is the text of the code followed by
// " (win error code: N)" with the system's error number (errno here), which the user can look
// up or quote, and then, when one is known, the cause and what to do about it
// (port_diagnosis.h).
class EComPort : public Error {
  public:
    enum Code {
        OpenFailed = 1,         // "Unable to open com port"
        WriteFailed = 2,        // "WriteFile function failed"
        ReadFailed = 3,         // "ReadFile function failed"
        PurgeFailed = 5,        // "PurgeComm function failed"
        SetStateFailed = 7,     // "SetCommState function failed"
        SetTimeoutsFailed = 8,  // "SetCommTimeouts failed"
        SetupFailed = 9,        // "SetupComm function failed"
        ClearErrorFailed = 10,  // "ClearCommError function failed"
        PortInUse = 11,         // "The port is in use by another program"
    };

    EComPort(int code, int systemError, const QString& advice = {});

    int code() const { return m_code; }
    int systemError() const { return m_systemError; }

    // The text of a code without the system's number; empty for an unknown code.
    static QString textOf(int code);

  private:
    int m_code;
    int m_systemError;
};

}  // namespace pelmar
