#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMap>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <thread>

#include "link/at_channel.h"
#include "link/operation_frame.h"
#include "link/serial/e_com_port.h"
#include "link/serial/serial_ports.h"
#include "link/serial/t_com_port.h"
#include "support/qt_application.h"
#include "support/table.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new test::QtApplication);

// A pseudo-terminal whose master side this test plays the handset on; TComPort opens the slave.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            m_slave = QString::fromLocal8Bit(ptsname(m_master));
        }
    }
    ~PseudoTerminal() { hangUp(); }

    const QString& slave() const { return m_slave; }
    void hangUp() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }
    void send(QByteArrayView bytes) const {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), bytes.size());
    }
    // What the host wrote, up to and including `end`, or what came within `timeout`.
    QByteArray receiveUntil(char end, std::chrono::milliseconds timeout) const {
        QByteArray got;
        const auto deadline = Clock::now() + timeout;
        while (!got.endsWith(end) && Clock::now() < deadline) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, 20) == 1 && (p.revents & POLLIN)) {
                char c;
                if (::read(m_master, &c, 1) == 1) {
                    got += c;
                }
            }
        }
        return got;
    }

  private:
    int m_master = -1;
    QString m_slave;
};

// Answers each command line with the scripted reply, in three pieces some time apart.
class Responder {
  public:
    Responder(const PseudoTerminal& pty, QMap<QByteArray, QByteArray> replies)
        : m_thread([this, &pty, replies] {
              while (!m_stop) {
                  const QByteArray command = pty.receiveUntil('\r', 100ms).trimmed();
                  const QByteArray reply = replies.value(command);
                  for (qsizetype at = 0; at < reply.size(); at += 5) {
                      pty.send(reply.mid(at, 5));
                      std::this_thread::sleep_for(5ms);
                  }
              }
          }) {}
    ~Responder() {
        m_stop = true;
        m_thread.join();
    }

  private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(ComPortTest, HandsetAnswersOverPseudoTerminal) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    TComPort port;
    AtChannel channel(port, 2s);
    channel.SetPortName(pty.slave());
    Responder handset(pty, {{"at+cgmi", "at+cgmi\r\r\nSIEMENS\r\n\r\nOK\r\n"},
                            {"at+cgmm", "at+cgmm\r\r\n+CMTI: \"SM\",1\r\nS55\r\n\r\nOK\r\n"}});
    // the line has no modem-control signals: opening must not fail on DTR and RTS
    EXPECT_TRUE(IdentifyHandset(channel).isDone());
    EXPECT_EQ(channel.PhoneIdentity(), QStringLiteral("SIEMENS S55"));
    EXPECT_FALSE(port.isOpen());
}

TEST(ComPortTest, MissingDeviceCannotBeOpened) {
    TComPort port(QStringLiteral("/dev/pelmar-no-such-port"));
    try {
        port.open();
        FAIL() << "opened a missing device";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.code(), EComPort::OpenFailed);
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("Unable to open com port (win error code: %1) /dev/pelmar-no-such-port "
                           "does not exist: the phone or its cable is unplugged")
                .arg(ENOENT)))
            << e.message().toStdString();
    }
    EXPECT_FALSE(port.isOpen());
}

TEST(ComPortTest, PortHeldElsewhereSaysSo) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    TComPort holder(pty.slave());
    holder.open();
    TComPort port(pty.slave());
    try {
        port.open();
        FAIL() << "opened a port that is in use";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.code(), EComPort::PortInUse);
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("The port is in use by another program (win error code: %1) %2 is in "
                           "use by ")
                .arg(EBUSY)
                .arg(pty.slave())))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("(pid %1); close that program")
                                             .arg(QCoreApplication::applicationPid())));
    }
    EXPECT_FALSE(port.isOpen());
}

TEST(ComPortTest, FarEndVanishingEndsTheWait) {
    PseudoTerminal pty;
    TComPort port(pty.slave());
    AtChannel channel(port, 5s);
    channel.OpenPort();
    channel.SendCommand("at+cmgl=4");
    EXPECT_EQ(pty.receiveUntil('\r', 1s), "at+cmgl=4\r");
    pty.send("\r\n+CMGL: 1,1,,3\r\n");
    std::thread cut([&] {
        std::this_thread::sleep_for(100ms);
        pty.hangUp();
    });
    // The device's read error, not the read time-out of 5 s, ends the wait.
    try {
        channel.WaitReply();
        ADD_FAILURE() << "a reply from a vanished handset";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.code(), EComPort::ReadFailed);
    }
    cut.join();
    channel.ClosePort();
}

TEST(ComPortTest, RenamingAnOpenPortReopensIt) {
    PseudoTerminal first;
    PseudoTerminal second;
    TComPort port(first.slave());
    port.open();
    port.setDeviceName(second.slave());
    EXPECT_TRUE(port.isOpen());
    port.write("at\r");
    EXPECT_EQ(second.receiveUntil('\r', 1s), "at\r");
    port.close();
}

struct ComNameCase {
    const char* label;
    const char* name;
    const char* normalized;
};

class ComNameTest : public testing::TestWithParam<ComNameCase> {};

TEST_P(ComNameTest, FollowsTheWindowsRule) {
    EXPECT_EQ(normalizeComName(QLatin1StringView(GetParam().name)),
              QLatin1StringView(GetParam().normalized));
}

INSTANTIATE_TEST_SUITE_P(Names, ComNameTest,
                         testing::Values(ComNameCase{"LowerCase", "com3", "COM3"},
                                         ComNameCase{"Highest", "COM96", "COM96"},
                                         ComNameCase{"Zero", "COM0", "COM1"},
                                         ComNameCase{"AboveRange", "COM97", "COM1"},
                                         ComNameCase{"NumberOnly", "7", "COM7"},
                                         ComNameCase{"DevicePath", "/dev/ttyUSB0", "COM1"}),
                         test::ByLabel());

}  // namespace
}  // namespace pelmar
