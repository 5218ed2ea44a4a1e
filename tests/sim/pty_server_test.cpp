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

simulator::HandsetState basicState() {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
}

// A plain client: opens the slave as any program would, with no line settings of its own.
class Client {
  public:
    explicit Client(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)) {}
    ~Client() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    // Writes, then reads until `end` arrives, the line hangs up, or five seconds pass.
    QByteArray ask(QByteArrayView bytes, QByteArrayView end) {
        EXPECT_EQ(::write(m_fd, bytes.data(), static_cast<size_t>(bytes.size())), bytes.size());
        QByteArray got;
        const QDeadlineTimer deadline(5000);
        while (!got.endsWith(end) && !deadline.hasExpired()) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else if (p.revents & POLLHUP)
                break;
        }
        return got;
    }

  private:
    int m_fd;
};

class PtyServerTest : public testing::Test {
  protected:
    void start(simulator::SimOptions options = {}) {
        m_sim = std::make_unique<simulator::HandsetSim>(basicState(), std::move(options));
        m_server = std::make_unique<simulator::PtyServer>(*m_sim);
        m_thread = std::thread([this] { m_server->run(); });
    }
    void TearDown() override {
        if (!m_server)
            return;
        m_server->stop();
        m_thread.join();
    }

    std::unique_ptr<simulator::HandsetSim> m_sim;
    std::unique_ptr<simulator::PtyServer> m_server;
    std::thread m_thread;
};

TEST_F(PtyServerTest, ServesClientsThatOpenAndCloseTheDevice) {
    start();
    EXPECT_TRUE(m_server->devicePath().startsWith(QStringLiteral("/dev/")));
    {
        Client client(m_server->devicePath());
        ASSERT_TRUE(client.isOpen());
        EXPECT_EQ(client.ask("AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    }
    // A client that opens before the server noticed the close may lose its first bytes with
    // the dropped line, as on a real line.
    ASSERT_TRUE(waitUntil([this] { return m_sim->lineDrops() == 1; }));
    Client again(m_server->devicePath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.ask("at+cgmi\r", "OK\r\n"), QByteArray("at+cgmi\r\r\nTESTCO\r\n\r\nOK\r\n"));
}

TEST_F(PtyServerTest, ClientLeavingAtThePromptAbandonsTheMessage) {
    start();
    {
        Client client(m_server->devicePath());
        EXPECT_EQ(client.ask("at+cmgw=16\r", "> "), QByteArray("at+cmgw=16\r\r\n> "));
    }
    // The server notices the close within its idle poll.
    EXPECT_TRUE(waitUntil([this] { return m_sim->log().contains("DROP"); }));
    Client again(m_server->devicePath());
    EXPECT_EQ(again.ask("AT\r", "OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
}

TEST_F(PtyServerTest, HangupRemovesTheDevice) {
    simulator::SimOptions options;
    options.hangupAfter = 5;
    start(options);
    {
        Client client(m_server->devicePath());
        EXPECT_EQ(client.ask("AT\r", "never"), QByteArray("AT\r\r\n"));
    }
    EXPECT_TRUE(waitUntil([this] { return !Client(m_server->devicePath()).isOpen(); }));
}

}  // namespace
}  // namespace pelmar
