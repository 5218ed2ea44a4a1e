// A widely used AT client, Gammu, takes the simulator for a phone: it identifies it, lists its
// messages and reads its SIM phonebook over the pseudo-terminal.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "sim/sim_state.h"
#include "support/run_cli.h"

namespace pelmar {
namespace {

class GammuTest : public testing::Test {
  protected:
    void SetUp() override {
        m_gammu = QStandardPaths::findExecutable(QStringLiteral("gammu"));
        if (m_gammu.isEmpty())
            GTEST_SKIP() << "gammu is not installed";
        m_sim.start(QStringLiteral(PELMAR_SIM_PATH),
                    {QStringLiteral("--save-state"), m_dir.filePath(QStringLiteral("final.json"))});
        ASSERT_TRUE(m_sim.waitForStarted(5000));
        for (int i = 0; i < 50 && !m_sim.canReadLine(); ++i)
            m_sim.waitForReadyRead(100);
        const QString device = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
        ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();

        m_rc = m_dir.filePath(QStringLiteral("gammurc"));
        QFile rc(m_rc);
        ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
        rc.write("[gammu]\ndevice = " + device.toLocal8Bit() + "\nconnection = at\n");
    }

    void TearDown() override {
        if (m_sim.state() == QProcess::NotRunning)
            return;
        m_sim.terminate();  // SIGTERM: the simulator saves its state and ends
        if (!m_sim.waitForFinished(5000))
            m_sim.kill();
    }

    test::CliResult gammu(const QStringList& args) {
        return test::runProgram(m_gammu, QStringList{QStringLiteral("-c"), m_rc} + args, {}, 20000);
    }

    QTemporaryDir m_dir;
    QString m_gammu;
    QString m_rc;
    QProcess m_sim;
};

TEST_F(GammuTest, IdentifiesListsMessagesAndReadsThePhonebook) {
    const test::CliResult identify = gammu({QStringLiteral("identify")});
    EXPECT_EQ(identify.exitCode, 0) << identify.err.constData();
    EXPECT_TRUE(identify.out.contains("Pelmar")) << identify.out.constData();
    EXPECT_TRUE(identify.out.contains("Simulated Handset 100"));
    EXPECT_TRUE(identify.out.contains("350000000000006"));

    const test::CliResult sms = gammu({QStringLiteral("getallsms")});
    EXPECT_EQ(sms.exitCode, 0) << sms.err.constData();
    EXPECT_TRUE(sms.out.contains("Are we still on for lunch tomorrow?")) << sms.out.constData();
    EXPECT_TRUE(sms.out.contains("See you at 8 then."));
    EXPECT_TRUE(sms.out.contains("Delivered"));
    // Cyrillic in UCS2, an alphanumeric sender, a flash message.
    EXPECT_TRUE(sms.out.contains("Встречаемся в семь у метро."));
    EXPECT_TRUE(sms.out.contains("\"PelmarBank\""));
    EXPECT_TRUE(sms.out.contains("Call me when you land!"));
    EXPECT_TRUE(sms.out.contains("Class                : 0"));
    EXPECT_TRUE(sms.out.contains("12 SMS parts in 12 SMS sequences")) << sms.out.constData();

    const test::CliResult book = gammu({QStringLiteral("getmemory"), QStringLiteral("SM"),
                                        QStringLiteral("1"), QStringLiteral("10")});
    EXPECT_EQ(book.exitCode, 0) << book.err.constData();
    EXPECT_TRUE(book.out.contains("Alice Walker")) << book.out.constData();
    EXPECT_TRUE(book.out.contains("\"5550199\""));
    EXPECT_TRUE(book.out.contains("9 entries filled"));

    m_sim.terminate();
    ASSERT_TRUE(m_sim.waitForFinished(5000));
    EXPECT_EQ(m_sim.exitCode(), 0);
    // Gammu read the unread message, so the handset now holds it as read.
    const simulator::HandsetState final =
        simulator::loadSimState(m_dir.filePath(QStringLiteral("final.json")));
    EXPECT_EQ(final.messages.value(1).status, 1);
}

}  // namespace
}  // namespace pelmar
