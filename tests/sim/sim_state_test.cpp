#include "sim/sim_state.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/error.h"
#include "support/table.h"

namespace pelmar {
namespace {

TEST(SimStateTest, DemoStateSurvivesJson) {
    const simulator::HandsetState demo = simulator::demoSimState();
    EXPECT_EQ(simulator::simStateFromJson(simulator::simStateToJson(demo)), demo);
}

TEST(SimStateTest, NonAsciiNamesAreWrittenAsHexAndComeBackByteForByte) {
    simulator::HandsetState s = simulator::emptySimState();
    s.phonebooks["SM"].entries.insert(7, {"+1", 145, QByteArray("\xC8\x00\xFF\"", 4)});
    const QByteArray json = simulator::simStateToJson(s);
    EXPECT_TRUE(json.contains("\"nameHex\": \"C800FF22\"")) << json.constData();
    EXPECT_EQ(simulator::simStateFromJson(json), s);
}

TEST(SimStateTest, SavedFileLoadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.json"));
    simulator::HandsetState s =
        simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json"));
    s.sent.append({9, "11000A", "+1555"});
    simulator::saveSimState(s, path);
    EXPECT_EQ(simulator::loadSimState(path), s);
}

TEST(SimStateTest, MissingPartsKeepTheEmptyHandset) {
    const simulator::HandsetState s =
        simulator::simStateFromJson(R"({"phonebooks": {"ME": {"slots": 3}}})");
    EXPECT_EQ(s.identity, simulator::emptySimState().identity);
    EXPECT_EQ(s.phonebooks.value("ME").capacity, 3);
    EXPECT_EQ(s.phonebooks.value("SM").capacity, 250);
    EXPECT_TRUE(s.messages.isEmpty());
}

struct BrokenCase {
    const char* label;
    const char* json;
    const char* complaint;
};

class BrokenStateTest : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenStateTest, IsRefusedSayingWhy) {
    try {
        simulator::simStateFromJson(GetParam().json);
        FAIL() << "accepted";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QLatin1StringView(GetParam().complaint))) << e.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Inputs, BrokenStateTest,
    testing::Values(
        BrokenCase{"NotJson", "{", "Invalid handset state"},
        BrokenCase{"NotAnObject", "[1]", "not an object"},
        BrokenCase{"OddHex", R"({"messages":[{"index":1,"tpdu":"040"}]})", "not hex"},
        BrokenCase{"EmptyTpdu", R"({"messages":[{"index":1,"tpdu":""}]})", "empty"},
        BrokenCase{"StatusOutOfRange", R"({"messages":[{"index":1,"status":4,"tpdu":"04"}]})", "status"},
        BrokenCase{"IndexBeyondStore", R"({"messageSlots":2,"messages":[{"index":3,"tpdu":"04"}]})", "index"},
        BrokenCase{"IndexTwice", R"({"messages":[{"index":1,"tpdu":"04"},{"index":1,"tpdu":"04"}]})", "twice"},
        BrokenCase{"EntryBeyondSlots", R"({"phonebooks":{"SM":{"slots":1,"entries":[{"index":2,"number":"1"}]}}})", "index"},
        BrokenCase{"NameBeyondLatin1", R"({"phonebooks":{"SM":{"entries":[{"index":1,"name":"Иван"}]}}})", "nameHex"},
        BrokenCase{"LongMemoryName", R"({"phonebooks":{"SIM":{}}})", "two-letter"}),
    test::ByLabel());
// clang-format on

TEST(BrokenStateTest, BrokenSampleFilesNameTheFile) {
    for (const char* name : {"broken-sim-bad-hex.json", "broken-sim-truncated.json"}) {
        const QString path = QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(name);
        try {
            simulator::loadSimState(path);
            ADD_FAILURE() << name << " accepted";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.what();
        }
    }
}

}  // namespace
}  // namespace pelmar
