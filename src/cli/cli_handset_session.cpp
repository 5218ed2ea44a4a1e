// The handset session of one command: its connection, wire log, SIM PIN and outcome.
#include <QDateTime>
#include <cstdio>
#include <string>

#include "base/version.h"
#include "cli/cli_handset.h"
#include "link/sim_pin.h"

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace pelmar::cli {

namespace {

// A PIN is at most 8 digits; a longer line is cut here and refused by the core.
constexpr std::size_t kLongestPinLine = 64;

QString attemptsNote(std::optional<int> attemptsLeft) {
    if (!attemptsLeft)
        return {};
    return *attemptsLeft == 1 ? QStringLiteral(" (1 attempt left)")
                              : QStringLiteral(" (%1 attempts left)").arg(*attemptsLeft);
}

// Keeps the terminal from showing what is typed while it lives, when standard input is one.
class HiddenInput {
  public:
    HiddenInput() {
#ifdef Q_OS_UNIX
        m_terminal = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &m_saved) == 0;
        if (m_terminal) {
            termios quiet = m_saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
            std::fputs("SIM PIN: ", stderr);
            std::fflush(stderr);
        }
#endif
    }
    ~HiddenInput() {
#ifdef Q_OS_UNIX
        if (m_terminal) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
            std::fputs("\n", stderr);
        }
#endif
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

  private:
#ifdef Q_OS_UNIX
    bool m_terminal = false;
    termios m_saved{};
#endif
};

// The first line of standard input, without its line end and surrounding blanks; nothing when
// it holds none.
std::optional<QString> firstLineOfInput() {
    std::string line;
    {
        HiddenInput hidden;
        for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
            if (line.size() < kLongestPinLine)
                line += static_cast<char>(c);
        }
    }
    const QString text = QString::fromLatin1(line.data(), qsizetype(line.size())).trimmed();
    std::fill(line.begin(), line.end(), '\0');
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

// --pin -: the PIN from standard input, asked for only when the SIM wants it.
std::optional<QString> pinFromInput(std::optional<int> attemptsLeft) {
    printErr(QStringLiteral("pelmar-cli: the SIM card asks for its PIN%1; reading it from "
                            "standard input")
                 .arg(attemptsNote(attemptsLeft)));
    std::optional<QString> pin = firstLineOfInput();
    if (!pin)
        printErr(QStringLiteral("pelmar-cli: standard input held no PIN"));
    return pin;
}

// Without --pin: says how to give the PIN.
std::optional<QString> noPin(std::optional<int> attemptsLeft) {
    printErr(QStringLiteral("pelmar-cli: the SIM card asks for its PIN%1: give it on the first "
                            "line of standard input with --pin -, as in printf '%s\\n' \"$PIN\" | "
                            "pelmar-cli --port DEV --pin - ...")
                 .arg(attemptsNote(attemptsLeft)));
    return std::nullopt;
}

}  // namespace

HandsetSession::HandsetSession(const GlobalOptions& options, std::chrono::milliseconds lineTimeout)
    : m_connection(options.port, lineTimeout) {
    m_connection.channel().setPinProvider(options.pinFromStdin ? pinFromInput : noPin);
    // "Waiting for the phone on PORT…" after a while without a byte.
    m_connection.channel().setWaitingNotice([](const QString& text) { printErr(text); });
    if (options.logFile.isEmpty())
        return;
    m_wireLog.setFileName(options.logFile);
    if (!m_wireLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        throw Error(QStringLiteral("cannot write the wire log \"%1\": %2")
                        .arg(options.logFile, m_wireLog.errorString()));
    }
    // Sessions follow one another in the file; the lines of each carry only the time of day.
    m_wireLog.write(QStringLiteral("# pelmar-cli %1, %2, %3\n")
                        .arg(programVersion(), options.port,
                             QDateTime::currentDateTime()
                                 .toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                                 .toString(Qt::ISODate))
                        .toUtf8());
    m_connection.setWireLog(&m_wireLog);
}

Progress HandsetSession::progress() const {
    return [](const ProgressStep& step) { printErr(step.text); };
}

int exitCodeFor(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::Done:
            return kExitDone;
        case Outcome::Kind::PhoneRefused:
        case Outcome::Kind::HandsetError:
            return kExitRefused;
        case Outcome::Kind::InputRefused:
            return kExitBadInput;
        case Outcome::Kind::Failed:
            return kExitLinkFailure;
        case Outcome::Kind::Cancelled:
            return kExitCancelled;
    }
    return kExitLinkFailure;
}

int HandsetSession::unlockSim() {
    const Outcome outcome = UnlockSim(channel(), stop());
    return outcome.isDone() ? -1 : finish(outcome);
}

int HandsetSession::finish(const Outcome& outcome) const {
    if (outcome.kind == Outcome::Kind::InputRefused)
        return badInput(outcome.text);
    noteOutcome(outcome.text);
    if (!jsonOutput())
        printOut(outcome.text);
    else if (!outcome.isDone())
        printErr(outcome.text);
    return exitCodeFor(outcome);
}

}  // namespace pelmar::cli
