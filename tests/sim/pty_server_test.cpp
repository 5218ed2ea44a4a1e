#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <thread>

namespace pelmar {
namespace {

// Polls `condition` until it holds; false when five seconds passed first.
template <class Condition>
bool waitUntil(Condition condition) {
    const QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

SimState basicState() {
    return loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

// A plain client: opens the slave as any program would, with no line settings of its own.
class Client {
  public:
    explicit Client(const QString& path)
        : fd_(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)) {}
    ~Client() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    // Writes, then reads until `end` arrives, the line hangs up, or five seconds pass.
    QByteArray ask(QByteArrayView bytes, QByteArrayView end) {
        EXPECT_EQ(::write(fd_, bytes.data(), static_cast<size_t>(bytes.size())), bytes.size());
        QByteArray got;
        const QDeadlineTimer deadline(5000);
        while (!got.endsWith(end) && !deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else if (p.revents & POLLHUP)
                break;
        }
        return got;
    }

  private:
    int fd_;
};

class PtyServerTest : public testing::Test {
  protected:
    void start(SimOptions options = {}) {
        sim_ = std::make_unique<HandsetSim>(basicState(), std::move(options));
        server_ = std::make_unique<PtyServer>(*sim_);
        thread_ = std::thread([this] { server_->run(); });
    }
    void TearDown() override {
        if (!server_)
            return;
        server_->stop();
        thread_.join();
    }

    std::unique_ptr<HandsetSim> sim_;
    std::unique_ptr<PtyServer> server_;
    std::thread thread_;
};

TEST_F(PtyServerTest, ServesClientsThatOpenAndCloseTheDevice) {
    start();
    EXPECT_TRUE(server_->devicePath().startsWith(QStringLiteral("/dev/")));
    {
        Client client(server_->devicePath());
        ASSERT_TRUE(client.isOpen());
        EXPECT_EQ(client.ask("AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    }
    // A client that opens before the server noticed the close may lose its first bytes with
    // the dropped line, as on a real line.
    ASSERT_TRUE(waitUntil([this] { return sim_->lineDrops() == 1; }));
    Client again(server_->devicePath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.ask("at+cgmi\r", "OK\r\n"), QByteArray("at+cgmi\r\r\nTESTCO\r\n\r\nOK\r\n"));
}

TEST_F(PtyServerTest, ClientLeavingAtThePromptAbandonsTheMessage) {
    start();
    {
        Client client(server_->devicePath());
        EXPECT_EQ(client.ask("at+cmgw=16\r", "> "), QByteArray("at+cmgw=16\r\r\n> "));
    }
    // The server notices the close within its idle poll.
    EXPECT_TRUE(waitUntil([this] { return sim_->log().contains("CANCEL"); }));
    Client again(server_->devicePath());
    EXPECT_EQ(again.ask("AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
}

TEST_F(PtyServerTest, HangupRemovesTheDevice) {
    SimOptions options;
    options.hangupAfter = 5;
    start(options);
    {
        Client client(server_->devicePath());
        EXPECT_EQ(client.ask("AT\r", "never"), QByteArray("AT\r\r\n"));
    }
    EXPECT_TRUE(waitUntil([this] { return !Client(server_->devicePath()).isOpen(); }));
}

}  // namespace
}  // namespace pelmar
