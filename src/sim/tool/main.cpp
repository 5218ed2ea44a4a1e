// pelmar-handset-sim: a simulated handset on a pseudo-terminal. Prints the device path on its
// first line, serves until SIGTERM or SIGINT, then writes the final state when asked to.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

#include "base/error.h"
#include "base/version.h"
#include "sim/handset_sim.h"
#include "sim/pty_server.h"

namespace {

using pelmar::Error;
namespace simulator = pelmar::simulator;

struct Settings {
    simulator::SimOptions options;
    QString statePath;
    QString saveStatePath;
    QString logPath;
};

simulator::PtyServer* g_server = nullptr;

void onSignal(int) {
    if (g_server != nullptr)
        g_server->stop();
}

qint64 number(const QString& option, const QString& value, qint64 low) {
    bool good = false;
    const qint64 n = value.toLongLong(&good);
    if (!good || n < low) {
        throw Error(QStringLiteral("--%1 takes a whole number of at least %2, not \"%3\".")
                        .arg(option)
                        .arg(low)
                        .arg(value));
    }
    return n;
}

// A SIM takes 4 to 8 digits as its PIN.
QByteArray simPin(const QString& value) {
    const bool digits =
        value.size() >= 4 && value.size() <= 8 &&
        std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits)
        throw Error(QStringLiteral("--pin takes 4 to 8 digits, not \"%1\".").arg(value));
    return value.toLatin1();
}

// An option with a value, and what it does with each value given (in order).
struct ValueOption {
    const char* name;
    const char* valueName;
    const char* description;
    std::function<void(Settings&, const QString&)> apply;
};

// An option without a value, and what it switches on.
struct Switch {
    QStringList names;
    const char* description;
    std::function<void(Settings&)> apply;
};

const QList<ValueOption>& valueOptions() {
    using namespace simulator;
    static const QList<ValueOption> options = {
        {"state", "FILE.json", "Start from this state (messages, phonebooks, identity).",
         [](Settings& s, const QString& v) { s.statePath = v; }},
        {"save-state", "FILE.json", "Write the final state here when stopped.",
         [](Settings& s, const QString& v) { s.saveStatePath = v; }},
        {"log", "FILE", "Append every command line and PDU received (the PIN hidden).",
         [](Settings& s, const QString& v) { s.logPath = v; }},
        {"baud", "N", "Pace the output at N bit/s.",
         [](Settings& s, const QString& v) {
             s.options.baud = static_cast<int>(number(QStringLiteral("baud"), v, 1));
         }},
        {"think-ms", "N", "Wait N ms between a command and its answer.",
         [](Settings& s, const QString& v) {
             s.options.think = std::chrono::milliseconds(number(QStringLiteral("think-ms"), v, 0));
         }},
        {"chunk", "N|random", "Cut every answer into pieces of N bytes, or of 1 to 16.",
         [](Settings& s, const QString& v) { setChunking(s.options, v.toLocal8Bit()); }},
        {"reply", "CMD=TEXT", "Answer every CMD with TEXT as its final result (repeatable).",
         [](Settings& s, const QString& v) { addReplyOverride(s.options, v.toLocal8Bit()); }},
        {"no-prompt", "CMD", "AT+CMGS / AT+CMGW wait for the PDU without \"> \" (repeatable).",
         [](Settings& s, const QString& v) {
             s.options.noPrompt.insert(atCommandKey(v.toLocal8Bit()));
         }},
        {"silent", "CMD", "Never answer CMD, not even with its echo (repeatable).",
         [](Settings& s, const QString& v) {
             s.options.silent.insert(atCommandKey(v.toLocal8Bit()));
         }},
        {"urc", "TEXT", "Put this unsolicited line inside every answer.",
         [](Settings& s, const QString& v) { s.options.urc = v.toLocal8Bit(); }},
        {"chatter", "TEXT@MS", "Send TEXT on its own every MS milliseconds.",
         [](Settings& s, const QString& v) { setChatter(s.options, v.toLocal8Bit()); }},
        {"surplus", "CMD=TEXT", "Send TEXT as one more line after each answer to CMD (repeatable).",
         [](Settings& s, const QString& v) { addSurplusLine(s.options, v.toLocal8Bit()); }},
        {"echo-as", "CMD=TEXT", "Echo every CMD line as TEXT (repeatable).",
         [](Settings& s, const QString& v) { addEchoAs(s.options, v.toLocal8Bit()); }},
        {"hangup-after", "BYTES", "The line dies after this many bytes sent.",
         [](Settings& s, const QString& v) {
             s.options.hangupAfter = number(QStringLiteral("hangup-after"), v, 0);
         }},
        {"pin", "CODE", "The SIM asks for this PIN (3 attempts, then for its PUK).",
         [](Settings& s, const QString& v) { s.options.card.pin = simPin(v); }},
    };
    return options;
}

const QList<Switch>& switches() {
    static const QList<Switch> options = {
        {{QStringLiteral("older-handset"), QStringLiteral("no-smsc")},
         "PDUs without the SMSC field, \",1\" after the slot in +CPBW.",
         [](Settings& s) { s.options.dialect = pelmar::HandsetDialect::Older; }},
        {{QStringLiteral("ringing-call")},
         "RING, RING, NO CARRIER inside every answer.",
         [](Settings& s) { s.options.ringingCall = true; }},
        {{QStringLiteral("vendor-status")},
         "Vendor status lines (^HCSQ, *EMRDY, +CIEV...) inside every answer.",
         [](Settings& s) { s.options.vendorStatus = true; }},
        {{QStringLiteral("puk")},
         "The SIM is blocked and asks for its PUK.",
         [](Settings& s) { s.options.card.puk = true; }},
        {{QStringLiteral("no-sim")},
         "No SIM card in the handset.",
         [](Settings& s) { s.options.card.absent = true; }},
    };
    return options;
}

// The parser of the program's options, and the help and version options it handles itself.
struct Parser {
    Parser() {
        parser.setApplicationDescription(QStringLiteral(
            "A simulated GSM handset on a pseudo-terminal: prints the device's path on its first "
            "line, then answers AT commands there (PDU mode) until SIGTERM or SIGINT."));
        for (const ValueOption& o : valueOptions()) {
            parser.addOption(QCommandLineOption(QLatin1StringView(o.name),
                                                QLatin1StringView(o.description),
                                                QLatin1StringView(o.valueName)));
        }
        for (const Switch& o : switches())
            parser.addOption(QCommandLineOption(o.names, QLatin1StringView(o.description)));
    }

    Settings settings() const {
        if (!parser.positionalArguments().isEmpty()) {
            throw Error(QStringLiteral("unexpected argument \"%1\"")
                            .arg(parser.positionalArguments().constFirst()));
        }
        Settings s;
        for (const ValueOption& o : valueOptions()) {
            for (const QString& value : parser.values(QLatin1StringView(o.name)))
                o.apply(s, value);
        }
        for (const Switch& o : switches()) {
            if (parser.isSet(o.names.first()))
                o.apply(s);
        }
        return s;
    }

    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelmar-handset-sim"));
    QCoreApplication::setApplicationVersion(pelmar::programVersion());
    Parser options;
    Settings settings;
    try {
        if (!options.parser.parse(QCoreApplication::arguments()))
            throw Error(options.parser.errorText());
        if (options.parser.isSet(options.help)) {
            // Qt names the program by the path it was started with; its name reads better.
            QString text = options.parser.helpText();
            text.replace(QCoreApplication::arguments().constFirst(),
                         QStringLiteral("pelmar-handset-sim"));
            std::fputs(qPrintable(text), stdout);
            return 0;
        }
        if (options.parser.isSet(options.version)) {
            std::printf("pelmar-handset-sim %s\n", qPrintable(pelmar::programVersion()));
            return 0;
        }
        settings = options.settings();
    } catch (const Error& e) {
        std::fprintf(stderr, "pelmar-handset-sim: %s\n(see --help)\n", e.what());
        return 2;
    }

    try {
        simulator::HandsetState state = settings.statePath.isEmpty()
                                            ? simulator::demoSimState()
                                            : simulator::loadSimState(settings.statePath);
        simulator::HandsetSim sim(std::move(state), settings.options);
        if (!settings.logPath.isEmpty())
            sim.setLogFile(settings.logPath);
        simulator::PtyServer server(sim);

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

        if (!settings.saveStatePath.isEmpty())
            simulator::saveSimState(sim.state(), settings.saveStatePath);
    } catch (const Error& e) {
        std::fprintf(stderr, "pelmar-handset-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
