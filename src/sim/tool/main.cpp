// pelmar-handset-sim: a simulated handset on a pseudo-terminal. Prints the device path on its
// first line, serves until SIGTERM or SIGINT, then writes the final state when asked to.

#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "base/error.h"
#include "sim/handset_sim.h"
#include "sim/pty_server.h"

namespace {

using pelmar::Error;

const char kUsage[] =
    "usage: pelmar-handset-sim [--state FILE.json] [--baud N] [--think-ms N]\n"
    "         [--chunk N|random|1] [--reply 'CMD=TEXT']... [--no-prompt CMD] [--silent CMD]\n"
    "         [--urc TEXT] [--hangup-after BYTES] [--older-handset] [--save-state FILE.json]\n"
    "         [--log FILE] [--chatter TEXT@MS] [--surplus 'CMD=TEXT']... [--echo-as "
    "'CMD=TEXT']...\n"
    "         [--ringing-call] [--vendor-status]\n"
    "--ringing-call: RING, RING, NO CARRIER inside every reply\n"
    "--vendor-status: vendor status lines (^HCSQ, *EMRDY, +CIEV...) inside every reply\n"
    "--older-handset (or --no-smsc): PDUs without the SMSC field, \",1\" after the slot in +CPBW\n";

struct Settings {
    pelmar::simulator::SimOptions options;
    QString statePath;
    QString saveStatePath;
    QString logPath;
};

pelmar::simulator::PtyServer* g_server = nullptr;

void onSignal(int) {
    if (g_server != nullptr)
        g_server->stop();
}

qint64 number(const QString& option, const QString& value, qint64 low) {
    bool good = false;
    const qint64 n = value.toLongLong(&good);
    if (!good || n < low) {
        throw Error(QStringLiteral("%1 takes a whole number of at least %2, not \"%3\".")
                        .arg(option)
                        .arg(low)
                        .arg(value));
    }
    return n;
}

Settings parseArguments(const QStringList& args) {
    Settings s;
    pelmar::simulator::SimOptions& o = s.options;
    using Setter = std::function<void(const QString&)>;
    const std::map<QString, Setter> withValue = {
        {QStringLiteral("--state"), [&](const QString& v) { s.statePath = v; }},
        {QStringLiteral("--save-state"), [&](const QString& v) { s.saveStatePath = v; }},
        {QStringLiteral("--log"), [&](const QString& v) { s.logPath = v; }},
        {QStringLiteral("--baud"),
         [&](const QString& v) {
             o.baud = static_cast<int>(number(QStringLiteral("--baud"), v, 1));
         }},
        {QStringLiteral("--think-ms"),
         [&](const QString& v) {
             o.think = std::chrono::milliseconds(number(QStringLiteral("--think-ms"), v, 0));
         }},
        {QStringLiteral("--chunk"),
         [&](const QString& v) { pelmar::simulator::setChunking(o, v.toLocal8Bit()); }},
        {QStringLiteral("--reply"),
         [&](const QString& v) { pelmar::simulator::addReplyOverride(o, v.toLocal8Bit()); }},
        {QStringLiteral("--no-prompt"),
         [&](const QString& v) {
             o.noPrompt.insert(pelmar::simulator::atCommandKey(v.toLocal8Bit()));
         }},
        {QStringLiteral("--silent"),
         [&](const QString& v) {
             o.silent.insert(pelmar::simulator::atCommandKey(v.toLocal8Bit()));
         }},
        {QStringLiteral("--urc"), [&](const QString& v) { o.urc = v.toLocal8Bit(); }},
        {QStringLiteral("--chatter"),
         [&](const QString& v) { pelmar::simulator::setChatter(o, v.toLocal8Bit()); }},
        {QStringLiteral("--surplus"),
         [&](const QString& v) { pelmar::simulator::addSurplusLine(o, v.toLocal8Bit()); }},
        {QStringLiteral("--echo-as"),
         [&](const QString& v) { pelmar::simulator::addEchoAs(o, v.toLocal8Bit()); }},
        {QStringLiteral("--hangup-after"),
         [&](const QString& v) { o.hangupAfter = number(QStringLiteral("--hangup-after"), v, 0); }},
    };
    const std::map<QString, bool*> switches = {
        {QStringLiteral("--ringing-call"), &o.ringingCall},
        {QStringLiteral("--vendor-status"), &o.vendorStatus},
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString name = args[i];
        std::optional<QString> value;
        if (const qsizetype eq = name.indexOf(u'=');
            name.startsWith(QStringLiteral("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        }
        if ((name == QStringLiteral("--older-handset") || name == QStringLiteral("--no-smsc")) &&
            !value) {
            o.dialect = pelmar::HandsetDialect::Older;
            continue;
        }
        if (const auto flag = switches.find(name); flag != switches.end() && !value) {
            *flag->second = true;
            continue;
        }
        const auto it = withValue.find(name);
        if (it == withValue.end())
            throw Error(QStringLiteral("unknown option \"%1\"").arg(name));
        if (!value) {
            if (i + 1 >= args.size())
                throw Error(QStringLiteral("%1 needs a value").arg(name));
            value = args[++i];
        }
        it->second(*value);
    }
    return s;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Settings settings;
    try {
        settings = parseArguments(args);
    } catch (const Error& e) {
        std::fprintf(stderr, "pelmar-handset-sim: %s\n%s", e.what(), kUsage);
        return 2;
    }

    try {
        pelmar::simulator::HandsetState state =
            settings.statePath.isEmpty() ? pelmar::simulator::demoSimState()
                                         : pelmar::simulator::loadSimState(settings.statePath);
        pelmar::simulator::HandsetSim sim(std::move(state), settings.options);
        if (!settings.logPath.isEmpty())
            sim.setLogFile(settings.logPath);
        pelmar::simulator::PtyServer server(sim);

        g_server = &server;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        std::printf("%s\n", server.devicePath().toLocal8Bit().constData());
        std::fflush(stdout);
        server.run();
        g_server = nullptr;

        if (!settings.saveStatePath.isEmpty()) {
            pelmar::simulator::saveSimState(sim.state(), settings.saveStatePath);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "pelmar-handset-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
