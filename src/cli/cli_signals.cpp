#include "cli/cli_signals.h"

#include <QtGlobal>
#include <atomic>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace pelmar::cli {

namespace {

#ifdef Q_OS_WIN

std::stop_source* g_source = nullptr;
std::atomic<int> g_events{0};

// Windows runs a console's control handler on a thread of its own, where it may request the stop
// itself. FALSE hands the event on to the default handler, which ends the program.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (g_events.fetch_add(1) > 0 || g_source == nullptr)
        return FALSE;
    g_source->request_stop();
    return TRUE;
}

#else

constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr int kSignalCount = 2;
int g_pipe[2] = {-1, -1};
struct sigaction g_before[kSignalCount];  // the dispositions to go back to
bool g_caught[kSignalCount] = {};

void restoreDispositions() {
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_caught[i])
            ::sigaction(kSignals[i], &g_before[i], nullptr);
    }
}

// Only async-signal-safe calls here. The first signal gives the signals back their earlier
// effect, so that the next one ends the program at once, and wakes the watcher with a byte.
void onSignal(int) {
    const int savedErrno = errno;
    restoreDispositions();
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &stop, 1);
    errno = savedErrno;
}

#endif

}  // namespace

#ifdef Q_OS_WIN

CancelOnSignal::CancelOnSignal() {
    g_source = &m_source;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

CancelOnSignal::~CancelOnSignal() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_source = nullptr;
}

#else

CancelOnSignal::CancelOnSignal() {
    // Without the pipe a signal keeps its usual effect: the command is not cancelled but ended.
    if (::pipe(g_pipe) != 0)
        return;
    for (const int fd : g_pipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        ::sigaction(kSignals[i], nullptr, &g_before[i]);
        // A shell starts background jobs with SIGINT ignored; they keep ignoring it.
        g_caught[i] = g_before[i].sa_handler != SIG_IGN;
    }
    m_watcher = std::thread([this, in = g_pipe[0]] {
        char byte = 0;
        while (::read(in, &byte, 1) < 0 && errno == EINTR) {
        }
        if (byte == 1)
            m_source.request_stop();
    });
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_caught[i])
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

CancelOnSignal::~CancelOnSignal() {
    if (!m_watcher.joinable())
        return;
    restoreDispositions();
    const char done = 0;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &done, 1);
    m_watcher.join();
    for (int& fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}

#endif

}  // namespace pelmar::cli
