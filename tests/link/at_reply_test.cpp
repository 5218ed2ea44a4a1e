#include "link/at_reply.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

struct LineCase {
    const char* label;
    const char* line;
    const char* pendingCommand;  // the command line whose reply is awaited
    AtResult result;
    bool unsolicited;
};

class LineTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineTest, IsRecognised) {
    const LineCase& c = GetParam();
    EXPECT_EQ(finalResultOf(c.line), c.result);
    EXPECT_EQ(isUnsolicited(c.line, commandNameOf(c.pendingCommand)), c.unsolicited);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lines, LineTest,
    testing::Values(
        LineCase{"OkWithBlanks", " OK ", "at", AtResult::Ok, false},
        LineCase{"CmeErrorVerbose", "+CME ERROR: SIM not inserted", "at+cpbr=1,250", AtResult::CmeError, false},
        LineCase{"NotSupported", "COMMAND NOT SUPPORT", "at+cpbs?", AtResult::NotSupported, false},
        LineCase{"OkInsideAName", "+CPBR: 1,\"123\",129,\"OK\"", "at+cpbr=1,9", AtResult::None, false},
        LineCase{"OkPrefixIsNoResult", "OKAY", "at", AtResult::None, false},
        LineCase{"StatusReportStored", "+CDSI: \"SM\",4", "at+cmgl=4", AtResult::None, true},
        LineCase{"Ring", "RING", "at+cpbr=1,9", AtResult::None, true},
        LineCase{"RegistrationChange", "+CREG: 1", "at+cmgf=0", AtResult::None, true},
        LineCase{"RegistrationAsked", "+CREG: 0,1", "AT+CREG?", AtResult::None, false},
        LineCase{"StatusReportDelivered", "+CDS: 25", "at", AtResult::None, true},
        LineCase{"SubmissionReference", "+CMGS: 12", "at+cmgs=17", AtResult::None, false},
        LineCase{"MissedCallEndsNoCommand", "NO CARRIER", "at+cmgd=1", AtResult::NoCarrier, true},
        LineCase{"DialledCallEnds", "NO CARRIER", "atd+12345;", AtResult::NoCarrier, false},
        LineCase{"ServiceCodeIsNoVendorCode", "*100#", "at+cusd=1", AtResult::None, false}),
    test::ByLabel());
// clang-format on

TEST(AtReplyTest, CommandNames) {
    EXPECT_EQ(commandNameOf("at+cpbs?"), QByteArray("+CPBS"));
    EXPECT_EQ(commandNameOf("AT+CMGL=4"), QByteArray("+CMGL"));
    EXPECT_EQ(commandNameOf("ATE0"), QByteArray("E"));
    EXPECT_EQ(commandNameOf("at^sysinfo"), QByteArray("^SYSINFO"));
    EXPECT_EQ(commandNameOf("0011000B91"), QByteArray());
    EXPECT_TRUE(commandTakesPrompt(commandNameOf("at+cmgw=17")));
    EXPECT_FALSE(commandTakesPrompt(commandNameOf("at+cmgl=4")));
}

TEST(AtReplyTest, ErrorCodeOnlyForNumberedErrors) {
    AtReply reply;
    reply.result = AtResult::CmeError;
    reply.resultLine = "+CME ERROR: SIM not inserted";
    EXPECT_EQ(reply.errorCode(), -1);
    EXPECT_TRUE(reply.isError());
    reply.resultLine = "+CME ERROR: 10";
    EXPECT_EQ(reply.errorCode(), 10);
    reply.result = AtResult::Ok;
    reply.promptMissing = true;
    EXPECT_FALSE(reply.isOk());
    EXPECT_TRUE(reply.isError());
}

}  // namespace
}  // namespace pelmar
