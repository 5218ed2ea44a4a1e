#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "link/serial/port_diagnosis.h"
#include "support/table.h"

namespace pelmar {
namespace {

const QString kDevice = QStringLiteral("/dev/ttyUSB0");

struct FakeProcess {
    int pid;
    const char* comm;  // empty: its name cannot be read
    bool hasDevice;    // one of its open files is kDevice
};

struct HolderCase {
    const char* label;
    const char* lockFile;  // the content of LCK..ttyUSB0; nullptr for none
    std::vector<FakeProcess> processes;
    std::vector<const char*> adviceHolds;
};

class InUseAdviceTest : public testing::TestWithParam<HolderCase> {};

// A process table and a lock folder of our own: who holds the device, and what the user is told.
TEST_P(InUseAdviceTest, NamesTheHolderAndTheRemedy) {
    const HolderCase& c = GetParam();
    QTemporaryDir root;
    const SystemRoots roots{root.filePath(QStringLiteral("proc")),
                            {root.filePath(QStringLiteral("lock"))}};
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("lock")));
    if (c.lockFile) {
        QFile lock(roots.lockDirs.first() + QStringLiteral("/LCK..ttyUSB0"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(c.lockFile);
    }
    for (const FakeProcess& p : c.processes) {
        const QString dir = roots.proc + QLatin1Char('/') + QString::number(p.pid);
        ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/fd")));
        QFile comm(dir + QStringLiteral("/comm"));
        if (*p.comm && comm.open(QIODevice::WriteOnly))
            comm.write(QByteArray(p.comm) + '\n');
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir + QStringLiteral("/fd/0")));
        if (p.hasDevice) {
            ASSERT_TRUE(QFile::link(kDevice, dir + QStringLiteral("/fd/7")));
        }
    }
    const QString advice = inUseAdvice(kDevice, roots);
    for (const char* part : c.adviceHolds) {
        EXPECT_TRUE(advice.contains(QLatin1StringView(part))) << part << "\n"
                                                              << advice.toStdString();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Holders, InUseAdviceTest,
    testing::Values(
        HolderCase{"SerialProgramLock", "      4242\n", {{4242, "minicom", false}}, {"/dev/ttyUSB0 is in use by minicom (pid 4242); close that program"}},
        HolderCase{"QtLockOfUnnamedProcess", "4242\n/usr/bin/pelmar\nhost\n", {{4242, "", false}}, {"in use by pelmar (pid 4242)"}},
        HolderCase{"LockOfAReusedPidHoldsNothing", "4242\npelmar\nhost\n", {{4242, "bash", false}}, {"Another program has /dev/ttyUSB0 open"}},
        HolderCase{"StaleLockHoldsNothing", "      4242\n", {{1, "systemd", false}}, {"Another program has /dev/ttyUSB0 open (sudo fuser -v /dev/ttyUSB0 names it)"}},
        HolderCase{"OpenInModemManager", nullptr, {{1, "systemd", false}, {812, "ModemManager", true}}, {"in use by ModemManager (pid 812)", "KERNEL==\"ttyUSB0\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"", "sudo systemctl stop ModemManager"}},
        HolderCase{"OpenInAnotherWhileModemManagerRuns", nullptr, {{77, "gpsd", true}, {812, "ModemManager", false}}, {"in use by gpsd (pid 77); close that program"}},
        HolderCase{"HiddenHolderWithModemManagerRunning", nullptr, {{812, "ModemManager", false}}, {"sudo fuser -v", "ModemManager (pid 812) is running and may be the one", "ID_MM_DEVICE_IGNORE"}}),
    test::ByLabel());
// clang-format on

struct AdviceCase {
    const char* label;
    std::function<QString()> advice;
    std::vector<const char*> holds;
};

class AdviceTest : public testing::TestWithParam<AdviceCase> {};

TEST_P(AdviceTest, SaysCauseAndRemedy) {
    const QString advice = GetParam().advice();
    for (const char* part : GetParam().holds) {
        EXPECT_TRUE(advice.contains(QLatin1StringView(part))) << part << "\n"
                                                              << advice.toStdString();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Errors, AdviceTest,
    testing::Values(
        AdviceCase{"GroupToJoin", [] { return permissionAdvice(kDevice, QStringLiteral("dialout")); }, {"Permission denied: /dev/ttyUSB0 belongs to the group dialout", "sudo usermod -aG dialout \"$USER\", then log in again"}},
        AdviceCase{"RootOnlyDevice", [] { return permissionAdvice(kDevice, QStringLiteral("root")); }, {"only root may open /dev/ttyUSB0", "ask the administrator"}},
        AdviceCase{"UnpluggedWithOthersPresent", [] { return missingAdvice(kDevice, {QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0")}); }, {"/dev/ttyUSB0 does not exist", "unplugged", "Serial ports present now: /dev/ttyACM0, /dev/ttyS0."}},
        AdviceCase{"UnpluggedAndNoneLeft", [] { return missingAdvice(kDevice, {}); }, {"unplugged", "No serial port is present now."}}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
