#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <thread>

#include "support/run_cli.h"
#include "support/table.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal whose far end says nothing, or echoes what it is sent.
class FarEnd {
  public:
    explicit FarEnd(bool echo) : m_master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_device = QString::fromLocal8Bit(ptsname(m_master));
        if (echo)
            m_echo = std::jthread([this](std::stop_token stop) { echoUntil(stop); });
    }
    ~FarEnd() {
        m_echo = {};
        ::close(m_master);
    }
    const QString& device() const { return m_device; }

  private:
    void echoUntil(const std::stop_token& stop) const {
        while (!stop.stop_requested()) {
            pollfd p{m_master, POLLIN, 0};
            char bytes[256];
            const ssize_t n = poll(&p, 1, 20) == 1 && (p.revents & POLLIN)
                                  ? ::read(m_master, bytes, sizeof bytes)
                                  : 0;
            if (n <= 0)
                std::this_thread::sleep_for(20ms);  // no client: the master reports a hang-up
            else if (::write(m_master, bytes, size_t(n)) != n)
                return;
        }
    }

    int m_master;
    QString m_device;
    std::jthread m_echo;
};

// pelmar-handset-sim on a pseudo-terminal.
class SimOnPty {
  public:
    SimOnPty() {
        m_process.start(QStringLiteral(PELMAR_SIM_PATH), {});
        if (m_process.waitForStarted() && m_process.waitForReadyRead(10000))
            m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
    }
    ~SimOnPty() {
        m_process.terminate();
        m_process.waitForFinished();
    }
    const QString& device() const { return m_device; }

  private:
    QProcess m_process;
    QString m_device;
};

TEST(PortsCliTest, ProbeFindsTheHandsetAndSaysWhyTheOthersAreNotPhones) {
    const SimOnPty sim;
    const FarEnd silent(false);
    const FarEnd echo(true);
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliResult r =
        test::runCli({QStringLiteral("ports"), QStringLiteral("--probe"),
                      QStringLiteral("/dev/null"), silent.device(), echo.device(), sim.device()});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out),
              QStringLiteral("/dev/null\t\tnot a serial port\n%1\t\tno answer\n"
                             "%2\t\tonly echoes what it is sent\n"
                             "%3\t\tPelmar Simulated Handset 100\n"
                             "Found Pelmar Simulated Handset 100 on %3.\n")
                  .arg(silent.device(), echo.device(), sim.device()));
    EXPECT_TRUE(r.err.contains("Looking for the phone on /dev/null")) << r.err.constData();
}

enum class Port { Missing, Locked, Forbidden, Silent, NotSerial };

struct PortErrorCase {
    const char* label;
    Port port;
    const char* timeout;
    std::vector<const char*> outHolds;  // "{dev}" is the device, "{pid}" the lock's pid
    const char* errHolds;
};

class PortErrorTest : public testing::TestWithParam<PortErrorCase> {};

// Each way a port fails keeps its own first sentence and adds the cause and the remedy.
TEST_P(PortErrorTest, SaysCauseAndRemedy) {
    const PortErrorCase& c = GetParam();
    if (c.port == Port::Forbidden && geteuid() == 0)
        GTEST_SKIP() << "root opens a device whatever its access rights";
    const FarEnd pty(false);
    QString device = pty.device();
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QFile lock(QStringLiteral("/tmp/LCK..") + device.mid(5).replace(QLatin1Char('/'), u'_'));
    if (c.port == Port::Missing)
        device = QStringLiteral("/dev/pelmar-no-such-port");
    if (c.port == Port::NotSerial)
        device = QStringLiteral("/dev/null");
    if (c.port == Port::Locked) {
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(pid.rightJustified(10).toLatin1() + '\n');
        lock.close();
    }
    if (c.port == Port::Forbidden) {
        ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), 0), 0);
    }
    const test::CliResult r =
        test::runCli({QStringLiteral("--port"), device, QStringLiteral("--timeout"),
                      QLatin1StringView(c.timeout), QStringLiteral("identify")});
    lock.remove();
    EXPECT_EQ(r.exitCode, 3);
    const auto filled = [&](const char* text) {
        return QString::fromUtf8(text)
            .replace(QStringLiteral("{dev}"), device)
            .replace(QStringLiteral("{pid}"), pid)
            .toUtf8();
    };
    for (const char* part : c.outHolds) {
        EXPECT_TRUE(r.out.contains(filled(part))) << filled(part).constData() << "\n"
                                                  << r.out.constData();
    }
    EXPECT_TRUE(r.err.contains(filled(c.errHolds))) << r.err.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ports, PortErrorTest,
    testing::Values(
        PortErrorCase{"Missing", Port::Missing, "1", {"Unable to open com port (win error code: 2) {dev} does not exist", "unplugged", "present now"}, ""},
        PortErrorCase{"LockedByARunningProgram", Port::Locked, "1", {"The port is in use by another program (win error code: 16) {dev} is in use by ", " (pid {pid}); close that program"}, ""},
        PortErrorCase{"Forbidden", Port::Forbidden, "1", {"Unable to open com port (win error code: 13) Permission denied", "sudo usermod -aG", "\"$USER\", then log in again"}, ""},
        PortErrorCase{"NotASerialPort", Port::NotSerial, "1", {"Unable to open com port (win error code: 25) {dev} is not a serial port", "ports --probe"}, ""},
        PortErrorCase{"Silent", Port::Silent, "3.5", {"Read timeout. Possibly {dev} is not a valid port for Dovrel.", "switched off, not in modem mode, or on another port", "\"Find phone\"", "pelmar-cli ports --probe"}, "Waiting for the phone on {dev}…"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
