#include <gtest/gtest.h>

#include "session/port_probe.h"
#include "support/table.h"

namespace pelmar {
namespace {

struct OrderCase {
    const char* label;
    const char* given;   // devices separated by spaces
    const char* probed;  // the order they are probed in
};

class ProbeOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(ProbeOrderTest, UsbAndBluetoothFirst) {
    const auto split = [](const char* text) {
        return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    EXPECT_EQ(probeOrder(split(GetParam().given)), split(GetParam().probed));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Devices, ProbeOrderTest,
    testing::Values(
        OrderCase{"EachKindInItsPlace", "/dev/rfcomm0 /dev/ttyS0 /dev/ttyUSB0 /dev/ttyACM0", "/dev/ttyACM0 /dev/ttyUSB0 /dev/rfcomm0 /dev/ttyS0"},
        OrderCase{"GivenOrderKeptWithinAKind", "/dev/ttyS1 /dev/ttyUSB1 /dev/ttyS0 /dev/ttyUSB0", "/dev/ttyUSB1 /dev/ttyUSB0 /dev/ttyS1 /dev/ttyS0"},
        OrderCase{"KindByNameNotFolder", "/dev/pts/3 /tmp/ttyUSB/pts0 ttyACM0", "ttyACM0 /dev/pts/3 /tmp/ttyUSB/pts0"},
        OrderCase{"WindowsNamesAsGiven", "COM3 COM1", "COM3 COM1"},
        OrderCase{"Nothing", "", ""}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
