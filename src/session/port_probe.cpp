#include "session/port_probe.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cerrno>

#include "link/at_channel.h"
#include "link/forwarding_transport.h"
#include "link/serial/e_com_port.h"
#include "link/serial/port_diagnosis.h"
#include "link/serial/t_com_port.h"

namespace pelmar {

namespace {

// Where phones show up: CDC-ACM phones, USB-serial cables, Bluetooth serial links.
constexpr std::array kFirstKinds{QLatin1StringView("ttyACM"), QLatin1StringView("ttyUSB"),
                                 QLatin1StringView("rfcomm")};

qsizetype kindRank(const QString& device) {
    const QString name = QFileInfo(device).fileName();
    const auto it = std::find_if(kFirstKinds.begin(), kFirstKinds.end(),
                                 [&name](QLatin1StringView kind) { return name.startsWith(kind); });
    return it - kFirstKinds.begin();
}

struct ErrnoText {
    int error;
    QLatin1StringView text;
};

constexpr std::array kOpenProblems{
    ErrnoText{ENOENT, QLatin1StringView("no such device")},
    ErrnoText{ENOTTY, QLatin1StringView("not a serial port")},
    ErrnoText{EACCES, QLatin1StringView("permission denied")},
};

// What the device sent back, to tell a silent one from one that only echoes.
class Listener : public ForwardingTransport {
  public:
    using ForwardingTransport::ForwardingTransport;

    QByteArray sent;
    QByteArray heard;

  protected:
    void sending(QByteArrayView bytes) override { sent += bytes; }
    void received(QByteArrayView bytes, std::chrono::milliseconds) override { heard += bytes; }
};

QString openProblem(const EComPort& e, const QString& device) {
    if (e.code() == EComPort::PortInUse) {
        const std::optional<PortHolder> holder = portHolder(device);
        return QStringLiteral("in use by ") +
               (holder ? holderText(*holder) : QStringLiteral("another program"));
    }
    const auto it = std::find_if(kOpenProblems.begin(), kOpenProblems.end(),
                                 [&e](const ErrnoText& p) { return p.error == e.systemError(); });
    if (e.code() != EComPort::OpenFailed || it == kOpenProblems.end())
        return e.message();
    const QString group = QFileInfo(device).group();
    if (it->error == EACCES && !group.isEmpty())
        return QStringLiteral("permission denied (group %1)").arg(group);
    return it->text;
}

QString unansweredProblem(const Listener& line) {
    if (line.heard.trimmed().isEmpty())
        return QStringLiteral("no answer");
    if (line.heard.simplified() == line.sent.simplified())
        return QStringLiteral("only echoes what it is sent");
    return QStringLiteral("sends something, but no answer to AT");
}

PortProbe probe(const QString& device, std::stop_token stop) {
    PortProbe result{device, false, {}, {}};
    TComPort port(device);
    Listener line(port);
    AtChannel channel(line, kProbeTimeout);
    channel.setStopToken(std::move(stop));
    struct CloseAfter {
        AtChannel& channel;
        ~CloseAfter() { channel.ClosePort(); }
    } closeAfter{channel};
    try {
        channel.OpenPort();
        const AtReply reply = channel.SendAndWait("AT");
        if (!reply.isOk()) {
            result.problem =
                QStringLiteral("answered \"%1\" to AT").arg(QString::fromLatin1(reply.resultLine));
            return result;
        }
    } catch (const Cancelled&) {
        throw;
    } catch (const EComPort& e) {
        result.problem = openProblem(e, device);
        return result;
    } catch (const Error&) {
        result.problem = unansweredProblem(line);
        return result;
    }
    result.answered = true;
    try {
        result.identity = channel.IdentifyPhone();
    } catch (const Cancelled&) {
        throw;
    } catch (const Error&) {
        // A modem that answers AT but not the identification is still worth choosing.
    }
    return result;
}

Outcome outcomeOfProbe(const PortProbeResult& result) {
    if (const PortProbe* phone = result.firstPhone()) {
        return {Outcome::Kind::Done,
                phone->identity.isEmpty()
                    ? QStringLiteral("Found a phone on %1.").arg(phone->device)
                    : QStringLiteral("Found %1 on %2.").arg(phone->identity, phone->device),
                {}};
    }
    if (result.ports.isEmpty())
        return Outcome::failed(
            QStringLiteral("No serial port to look on: is the phone plugged in?"));
    const QString where = result.ports.size() == 1
                              ? QStringLiteral("on %1").arg(result.ports.first().device)
                              : QStringLiteral("on any of the %1 ports").arg(result.ports.size());
    return Outcome::failed(
        QStringLiteral("No phone answered %1. Is it plugged in, switched on and in modem mode?")
            .arg(where));
}

}  // namespace

const PortProbe* PortProbeResult::firstPhone() const {
    const auto it =
        std::find_if(ports.begin(), ports.end(), [](const PortProbe& p) { return p.answered; });
    return it == ports.end() ? nullptr : &*it;
}

QStringList probeOrder(const QStringList& devices) {
    QStringList ordered = devices;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QString& a, const QString& b) { return kindRank(a) < kindRank(b); });
    return ordered;
}

PortProbeResult ProbePorts(const QStringList& devices, const Progress& progress,
                           std::stop_token stop) {
    PortProbeResult result;
    const QStringList ordered = probeOrder(devices);
    try {
        for (qsizetype i = 0; i < ordered.size(); ++i) {
            if (stop.stop_requested())
                throw Cancelled();
            reportProgress(progress,
                           QStringLiteral("Looking for the phone on %1...").arg(ordered[i]), int(i),
                           int(ordered.size()));
            result.ports.append(probe(ordered[i], stop));
        }
    } catch (const Cancelled&) {
        result.outcome = Outcome::cancelled();
        return result;
    }
    result.outcome = outcomeOfProbe(result);
    return result;
}

}  // namespace pelmar
