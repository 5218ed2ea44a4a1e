#include "link/command_text.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <algorithm>

#include "support/table.h"

namespace pelmar {
namespace {

enum class Check { QuotedField, DialString, CommandLine };

struct TextCase {
    const char* label;
    Check check;
    QByteArray bytes;
    const char* refusal;  // a part of the message, or nullptr when the text may go
};

class CommandTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(CommandTextTest, HostileTextNeverReachesTheLine) {
    const TextCase& c = GetParam();
    const QString field = QStringLiteral("name");
    const std::optional<QString> problem =
        c.check == Check::QuotedField  ? quotedFieldProblem(field, c.bytes)
        : c.check == Check::DialString ? dialStringProblem(field, c.bytes)
                                       : commandLineProblem(c.bytes);
    if (!c.refusal) {
        EXPECT_FALSE(problem) << problem->toStdString();
        return;
    }
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains(QString::fromUtf8(c.refusal))) << problem->toStdString();
    if (c.check != Check::CommandLine) {
        EXPECT_TRUE(problem->contains(field)) << problem->toStdString();
    }
    // The message names the byte without carrying it: it must not edit a terminal either.
    EXPECT_TRUE(std::none_of(problem->begin(), problem->end(), [](QChar ch) {
        return ch.unicode() < 0x20 || ch.unicode() == 0x7F;
    })) << problem->toStdString();
}

constexpr Check kQuoted = Check::QuotedField, kDial = Check::DialString, kLine = Check::CommandLine;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rule, CommandTextTest,
    testing::Values(
        /* What an entry from a hostile handset could carry. */ TextCase{"BackspacesEraseTheQuote", kQuoted, "\b\b;+CMGD=2;+CPBW=9,1,", "backspace (\\x08) at position 1"},
        TextCase{"DelErases", kQuoted, "Bob\x7F", "DEL (\\x7F) at position 4"},
        TextCase{"EscCancelsTheLine", kQuoted, "a\x1B" "AT+CFUN=0", "ESC (\\x1B)"},
        TextCase{"CarriageReturnEndsTheLine", kQuoted, "a\rAT+CMGD=1", "CR (\\x0D) at position 2"},
        TextCase{"QuoteEndsTheField", kQuoted, "a\";+CMGD=1", "double quote at position 2"},
        /* Handsets that drop the 8th bit. */ TextCase{"HighQuoteThenChain", kQuoted, "\xA2;+CFUN=0", "\\xA2 at position 1, which a handset that ignores the 8th bit reads as a double " "quote, and then \";\" at position 2"},
        TextCase{"HighCarriageReturnThenAt", kQuoted, "\x8D" "at+cfun=0", "reads as CR (\\x0D)"},
        TextCase{"HighLettersSpellQuoteAndChain", kQuoted, "\xA2\xBB+CFUN=0", "then \"\\xBB\" at position 2"},
        TextCase{"HighDelThenChain", kQuoted, "\xD2\xE0\xED\xFF;", "reads as DEL (\\x7F)"},
        TextCase{"BelarusianNameStores", kQuoted, "\xA1\xEB\xE0\xE4\xE7\xB3\xEC\xB3\xF0", nullptr},
        TextCase{"MacedonianNameStores", kQuoted, "\x8D\xE5\xF0\xEA\xE0", nullptr},
        TextCase{"RussianNameWithYaStores", kQuoted, "\xD2\xE0\xED\xFF", nullptr},
        TextCase{"PunctuationStores", kQuoted, "O'Neil, Jr. (work) \\ 50%", nullptr},
        /* Numbers. */ TextCase{"ChainedCommandInNumber", kDial, "1;+CMGD=1", "\";\" at position 2"},
        TextCase{"LettersInNumber", kDial, "abc", "\"a\" at position 1"},
        TextCase{"SpaceInNumber", kDial, "+7 901", "\" \" at position 3"},
        TextCase{"BackspaceInNumber", kDial, "12\b", "backspace (\\x08) at position 3"},
        TextCase{"CyrillicInNumber", kDial, "\xE0", "\\xE0 at position 1"},
        TextCase{"DialCharactersAndPauses", kDial, "+123*#p,wPW", nullptr},
        TextCase{"EmptyNumber", kDial, "", nullptr},
        /* The last check on a whole line. */ TextCase{"WriteCommandGoes", kLine, "at+cpbw=1,1,\"+1\",145,\"\xD2\xE0\xED\xFF\"", nullptr},
        TextCase{"LineWithBackspace", kLine, "at+cpbw=1,1,\"\b\b;+CMGD=2\",129,\"a\"", "at+cpbw=1,1,\"\\x08\\x08;+CMGD=2\",129,\"a\""},
        TextCase{"LineWithLineFeed", kLine, "at+cmgd=1\nat+cmgd=2", "line feed (\\x0A)"},
        TextCase{"LineWithHighQuoteChain", kLine, "at+cpbw=1,1,\"1\",129,\"\xA2;+CFUN=0\"", "reads as a double quote"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
