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

namespace pelmar {
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

PtyServer::PtyServer(HandsetSim& sim) : sim_(sim) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        failSystem("posix_openpt");
    char name[256] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        failSystem("grantpt");
    }
    devicePath_ = QString::fromLocal8Bit(name);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);

    // Raw mode is kept by the pseudo-terminal while the master stays open, so that a client
    // that sets no line discipline of its own sees bytes unchanged (no echo, no CR->LF).
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        ::close(master_);
        failSystem("open");
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);

    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(master_);
        failSystem("pipe");
    }
}

PtyServer::~PtyServer() {
    closeMaster();
    for (int& fd : wake_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void PtyServer::stop() {
    stopping_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
}

void PtyServer::run() {
    while (!stopping_)
        serveOnce();
}

void PtyServer::closeMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
    connected_ = false;
}

void PtyServer::serveOnce() {
    if (master_ < 0) {
        waitForWake(wake_[0], -1);
        return;
    }
    if (!connected_) {
        pollfd m{master_, POLLIN, 0};
        ::poll(&m, 1, 0);
        if ((m.revents & POLLHUP) != 0) {
            waitForWake(wake_[0], kIdlePollMs);
            return;
        }
        connected_ = true;
    }

    int timeoutMs = -1;
    if (!unwritten_.isEmpty()) {
        timeoutMs = -1;
    } else if (const auto next = sim_.peekOutput()) {
        const auto wait = std::max(next->due, nextWrite_) - Clock::now();
        timeoutMs = static_cast<int>(
            std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    } else if (sim_.hungUp()) {
        timeoutMs = 0;
    }
    pollfd fds[2] = {
        {wake_[0], POLLIN, 0},
        {master_, static_cast<short>(POLLIN | (unwritten_.isEmpty() ? 0 : POLLOUT)), 0}};
    if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR)
        return;
    if (stopping_)
        return;

    bool gone = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
    if ((fds[1].revents & POLLIN) != 0) {
        char buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            sim_.receive(QByteArrayView(buf, n), Clock::now());
        } else if (n < 0 && errno == EIO) {
            gone = true;
        }
    }
    if (gone) {
        // The client closed the slave: what it did not read is not there for the next one.
        connected_ = false;
        unwritten_.clear();
        ::tcflush(master_, TCIOFLUSH);
        sim_.dropLine();
        return;
    }
    writeDue();
    if (sim_.hungUp() && !sim_.hasOutput() && unwritten_.isEmpty()) {
        waitForWake(wake_[0], kHangupGraceMs);
        closeMaster();
    }
}

void PtyServer::writeDue() {
    auto push = [this](const QByteArray& bytes) {
        const ssize_t n = ::write(master_, bytes.constData(), static_cast<size_t>(bytes.size()));
        unwritten_ = bytes.mid(n > 0 ? n : 0);
    };
    if (!unwritten_.isEmpty())
        push(unwritten_);
    const bool chunked = sim_.options().chunked();
    while (unwritten_.isEmpty()) {
        const Clock::time_point now = Clock::now();
        const auto next = sim_.peekOutput();
        if (!next || next->due > now || nextWrite_ > now)
            return;
        push(sim_.takeOutput()->bytes);
        if (chunked)
            nextWrite_ = now + kChunkGap;
    }
}

}  // namespace pelmar
