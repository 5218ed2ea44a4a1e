#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

namespace pelmar {
namespace {

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

    // Writes, then reads until `end` arrives or a second passes.
    QByteArray ask(QByteArrayView bytes, QByteArrayView end) {
        EXPECT_EQ(::write(fd_, bytes.data(), static_cast<size_t>(bytes.size())), bytes.size());
        QByteArray got;
        for (int i = 0; i < 100 && !got.endsWith(end); ++i) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
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
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Client again(server_->devicePath());
    EXPECT_EQ(again.ask("AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_TRUE(sim_->log().contains("CANCEL"));
}

TEST_F(PtyServerTest, HangupRemovesTheDevice) {
    SimOptions options;
    options.hangupAfter = 5;
    start(options);
    {
        Client client(server_->devicePath());
        EXPECT_EQ(client.ask("AT\r", "never"), QByteArray("AT\r\r\n"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(Client(server_->devicePath()).isOpen());
}

}  // namespace
}  // namespace pelmar
