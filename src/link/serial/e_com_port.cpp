#include "link/serial/e_com_port.h"

#include <QLatin1StringView>
#include <algorithm>
#include <array>

namespace pelmar {

namespace {

struct CodeText {
    int code;
    QLatin1StringView text;
};

constexpr std::array kCodeTexts{
    CodeText{EComPort::OpenFailed, QLatin1StringView("Unable to open com port")},
    CodeText{EComPort::WriteFailed, QLatin1StringView("WriteFile function failed")},
    CodeText{EComPort::ReadFailed, QLatin1StringView("ReadFile function failed")},
    CodeText{EComPort::PurgeFailed, QLatin1StringView("PurgeComm function failed")},
    CodeText{EComPort::SetStateFailed, QLatin1StringView("SetCommState function failed")},
    CodeText{EComPort::SetTimeoutsFailed, QLatin1StringView("SetCommTimeouts failed")},
    CodeText{EComPort::SetupFailed, QLatin1StringView("SetupComm function failed")},
    CodeText{EComPort::ClearErrorFailed, QLatin1StringView("ClearCommError function failed")},
    CodeText{EComPort::PortInUse, QLatin1StringView("The port is in use by another program")},
};

}  // namespace

QString EComPort::textOf(int code) {
    const auto it = std::find_if(kCodeTexts.begin(), kCodeTexts.end(),
                                 [code](const CodeText& c) { return c.code == code; });
    return it == kCodeTexts.end() ? QString() : QString(it->text);
}

EComPort::EComPort(int code, int systemError, const QString& advice)
    : Error(QStringLiteral("%1 (win error code: %2)").arg(textOf(code)).arg(systemError) +
            (advice.isEmpty() ? QString() : QLatin1Char(' ') + advice)),
      m_code(code),
      m_systemError(systemError) {}

}  // namespace pelmar
