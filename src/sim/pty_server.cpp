#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/error.h"

namespace pelmar::simulator {
namespace {

using Clock = HandsetSim::Clock;

// While no client has the slave open the master reports a hang-up at once; look again this often.
constexpr int kIdlePollMs = 20;
// Pieces of chunked output are written this far apart, so that the client reads them apart.
constexpr auto kChunkGap = std::chrono::milliseconds(1);
// Time for the client to read the last bytes before the line is cut.
constexpr int kHangupGraceMs = 100;

[[noreturn]] void failSystem(const char* what) {
    throw Error(QStringLiteral("Cannot create the pseudo-terminal (%1: %2).")
                    .arg(QLatin1StringView(what), QString::fromLocal8Bit(std::strerror(errno))));
}

void waitForWake(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, timeoutMs);
}

}  // namespace

PtyServer::PtyServer(HandsetSim& sim) : m_sim(sim) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        failSystem("posix_openpt");
    char name[256] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        ::close(m_master);
        failSystem("grantpt");
    }
    m_devicePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);

    // Raw mode is kept by the pseudo-terminal while the master stays open, so that a client
    // that sets no line discipline of its own sees bytes unchanged (no echo, no CR->LF).
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        ::close(m_master);
        failSystem("open");
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);

    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(m_master);
        failSystem("pipe");
    }
}

PtyServer::~PtyServer() {
    closeMaster();
    for (int& fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void PtyServer::stop() {
    m_stopping = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
}

void PtyServer::run() {
    while (!m_stopping)
        serveOnce();
}

void PtyServer::closeMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_connected = false;
}

void PtyServer::serveOnce() {
    if (m_master < 0) {
        waitForWake(m_wake[0], -1);
        return;
    }
    if (!m_connected) {
        pollfd m{m_master, POLLIN, 0};
        ::poll(&m, 1, 0);
        if ((m.revents & POLLHUP) != 0) {
            waitForWake(m_wake[0], kIdlePollMs);
            return;
        }
        m_connected = true;
    }

    int timeoutMs = -1;
    if (!m_unwritten.isEmpty()) {
        timeoutMs = -1;
    } else if (const auto next = m_sim.peekOutput()) {
        const auto wait = std::max(next->due, m_nextWrite) - Clock::now();
        timeoutMs = static_cast<int>(
            std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    } else if (m_sim.hungUp()) {
        timeoutMs = 0;
    }
    pollfd fds[2] = {
        {m_wake[0], POLLIN, 0},
        {m_master, static_cast<short>(POLLIN | (m_unwritten.isEmpty() ? 0 : POLLOUT)), 0}};
    if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR)
        return;
    if (m_stopping)
        return;

    bool gone = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
    if ((fds[1].revents & POLLIN) != 0) {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            m_sim.receive(QByteArrayView(buf, n), Clock::now());
        } else if (n < 0 && errno == EIO) {
            gone = true;
        }
    }
    if (gone) {
        // The client closed the slave: what it did not read is not there for the next one.
        m_connected = false;
        m_unwritten.clear();
        ::tcflush(m_master, TCIOFLUSH);
        m_sim.dropLine();
        return;
    }
    writeDue();
    if (m_sim.hungUp() && !m_sim.hasOutput() && m_unwritten.isEmpty()) {
        waitForWake(m_wake[0], kHangupGraceMs);
        closeMaster();
    }
}

void PtyServer::writeDue() {
    auto push = [this](const QByteArray& bytes) {
        const ssize_t n = ::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size()));
        m_unwritten = bytes.mid(n > 0 ? n : 0);
    };
    if (!m_unwritten.isEmpty())
        push(m_unwritten);
    const bool chunked = m_sim.options().chunked();
    while (m_unwritten.isEmpty()) {
        const Clock::time_point now = Clock::now();
        const auto next = m_sim.peekOutput();
        if (!next || next->due > now || m_nextWrite > now)
            return;
        push(m_sim.takeOutput()->bytes);
        if (chunked)
            m_nextWrite = now + kChunkGap;
    }
}

}  // namespace pelmar::simulator
