#include "base/t_reg_expr.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/table.h"

namespace pelmar {
namespace {

ERegExpr errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERegExpr& e) {
        return e;
    }
    ADD_FAILURE() << "no ERegExpr raised";
    return ERegExpr(0, QString());
}

// Every match of `expression` in `subject` (Exec, then ExecNext until false), each given
// through the template.
std::vector<QByteArray> allMatches(TRegExpr& re, QByteArrayView subject, QByteArrayView templ) {
    std::vector<QByteArray> found;
    for (bool ok = re.Exec(subject); ok; ok = re.ExecNext()) {
        found.push_back(re.Substitute(templ));
    }
    return found;
}

struct ProgramCase {
    const char* label;
    const char* expression;
    const char* subject;
    const char* templ;
    std::vector<QByteArray> expected;
};

class ProgramExpressionTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramExpressionTest, TakesTheReplyApart) {
    const ProgramCase& c = GetParam();
    TRegExpr re(c.expression);
    EXPECT_EQ(allMatches(re, c.subject, c.templ), c.expected);
}

// The expressions with which the program reads handset replies and ringtone text.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Replies, ProgramExpressionTest,
    testing::Values(
        ProgramCase{"StorageCounts", R"(CPMS:[\s]*([\d]{1,2})\,([\d]{1,2}))", "\r\n+CPMS: 5,30,5,30,5,30\r\n\r\nOK\r\n", "$1|$2", {"5|30"}},
        ProgramCase{"ThreeDigitStorageCountIsNoMatch", R"(CPMS:[\s]*([\d]{1,2})\,([\d]{1,2}))", "\r\n+CPMS: 100,250,100,250\r\n", "$1", {}},
        ProgramCase{"UpperCaseExpressionMissesLowerCase", R"(D=([\d]*))", "d=4", "$1", {}},
        ProgramCase{"ListedMessages", R"(CMGL:[\s]*(\d+)\,(\d+)\,[^\r]*\r([^\r]*))", "+CMGL: 1,0,,22\r\n0791AB\r\n+CMGL: 123,1,\"\",23\r\n11000A\r\n\r\nOK\r\n", "$1|$2|$3", {"1|0|\n0791AB", "123|1|\n11000A"}},
        ProgramCase{"PhonebookSlots", R"(\+CPBS:[\s]*"[^"]*"\,[\d]*\,([\d]*))",
                    "at+cpbs?\r\r\n+CPBS: \"SM\",3,250\r\n\r\nOK\r\n", "$1", {"250"}},
        ProgramCase{"PhonebookEntriesKeepNameBytes", R"re(\+CPBR:[\s]*([\d]*),"([^"]*)"\,([\d]*)\,"([^"]*)")re", "+CPBR: 1,\"+79161234567\",145,\"\xC8\xE2\xE0\xED\"\r\n" "+CPBR: 7,\"84951234567\",129,\"Bob\"\r\n+CPBR: 9,\"1\",129,\"\"\r\n\r\nOK", "$1|$2|$3|$4", {"1|+79161234567|145|\xC8\xE2\xE0\xED", "7|84951234567|129|Bob", "9|1|129|"}},
        ProgramCase{"RingtoneTitle", "([^:]*):", "Intro:D=4,O=5,B=125:8C#6", "$1|$0", {"Intro|Intro:", "D=4,O=5,B=125|D=4,O=5,B=125:"}},
        ProgramCase{"RingtoneHeader", R"(D=([\d]*),O=([\d]*),B=([\d]*):)", "D=4,O=5,B=125:8C#6", "$1|$2|$3", {"4|5|125"}},
        ProgramCase{"RingtoneNotes", R"(([\d]{0,2})([\#]?[ABCDEFGHP\-][\#]?)([\.\;\&]?)([0-8]{0,1}))", "8C#.6,4P,16A#5,B", "$1|$2|$3|$4", {"8|C#|.|6", "4|P||", "16|A#||5", "|B||"}}),
    test::ByLabel());
// clang-format on

struct ErrorCase {
    const char* label;
    QByteArray expression;
    int code;
    int pos;
    const char* message;
};

class CompileErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(CompileErrorTest, RaisesTheTableMessageWithPosition) {
    const ErrorCase& c = GetParam();
    TRegExpr re(c.expression);
    const ERegExpr e = errorOf([&] { re.Exec("abc"); });
    EXPECT_EQ(e.ErrorCode, c.code);
    EXPECT_EQ(e.CompilerErrorPos, c.pos);
    EXPECT_EQ(e.message(), QString::fromLatin1(c.message));
    EXPECT_EQ(re.LastError(), c.code);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CompileErrorTest,
    testing::Values(
        ErrorCase{"EmptyExpression", "", 100, 0, "TRegExpr(comp): Null Argument (pos 0)"},
        ErrorCase{"UnclosedGroup", "(abc", 103, 5, "TRegExpr(comp): ParseReg Unmatched () (pos 5)"},
        ErrorCase{"UnopenedGroup", "abc)", 104, 4, "TRegExpr(comp): ParseReg Unmatched () (pos 4)"},
        ErrorCase{"UnclosedSet", "[abc", 113, 5, "TRegExpr(comp): Unmatched [] (pos 5)"},
        ErrorCase{"RangeOutOfOrder", "[z-a]", 109, 4, "TRegExpr(comp): Invalid [] Range (pos 4)"},
        ErrorCase{"RangeFromClass", R"([\d-z])", 109, 4, "TRegExpr(comp): Invalid [] Range (pos 4)"},
        ErrorCase{"NothingToRepeat", "*a", 115, 1, "TRegExpr(comp): ?+*{ Follows Nothing (pos 1)"},
        ErrorCase{"BraceMinAboveMax", "a{3,2}", 124, 6, "TRegExpr(comp): BRACE Min Param Greater then Max (pos 6)"},
        ErrorCase{"BraceTooBig", "a{70000}", 122, 8, "TRegExpr(comp): BRACES Argument Too Big (pos 8)"},
        ErrorCase{"TrailingBackslash", R"(abc\)", 110, 4, R"(TRegExpr(comp): Parse Atom Trailing \ (pos 4))"},
        ErrorCase{"TrailingBackslashInSet", R"([ab\)", 116, 4, R"(TRegExpr(comp): Trailing \ (pos 4))"},
        ErrorCase{"NoHexDigitAfterX", R"(\xZZ)", 111, 3, R"(TRegExpr(comp): No Hex Code After \x (pos 3))"},
        ErrorCase{"BadHexDigit", R"(\x{zz})", 108, 4, "TRegExpr(comp): Bad Hex Digit (pos 4)"},
        ErrorCase{"HexCodeAboveByte", R"(\x{100})", 112, 7, R"(TRegExpr(comp): Hex Code After \x Is Too Big (pos 7))"},
        ErrorCase{"UnclosedComment", "a(?#note", 125, 2, "TRegExpr(comp): Unclosed (?#Comment) (pos 2)"},
        ErrorCase{"UnknownModifier", "(?ix)a", 127, 4, "TRegExpr(comp): Urecognized Modifier (pos 4)"},
        ErrorCase{"PositionCountsInTheExpression", "(?g)a{3,2}", 124, 10, "TRegExpr(comp): BRACE Min Param Greater then Max (pos 10)"},
        ErrorCase{"OtherFaultsAreInternalUrp", "(?<=a+)b", 114, 1, "TRegExpr(comp): Internal Urp (pos 1)"}),
    test::ByLabel());
// clang-format on

TEST(RunTimeErrorTest, RaisesTheTableMessageAlone) {
    TRegExpr re("a");
    const struct {
        std::function<void()> action;
        int code;
        const char* message;
        // clang-format off
    } cases[] = {
        {[&] { re.ExecPos(1); }, 1005, "TRegExpr(exec): No Inpit String Specified"},
        {[&] { re.Substitute("$1"); }, 1005, "TRegExpr(exec): No Inpit String Specified"},
        {[&] { re.ExecNext(); }, 1007, "TRegExpr(exec): ExecNext Without Exec[Pos]"},
        {[&] {re.Exec("b"); re.ExecNext();}, 1007, "TRegExpr(exec): ExecNext Without Exec[Pos]"},
        {[&] { re.ExecPos(0); }, 1006, "TRegExpr(exec): Offset Must Be Greater Then 0"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const ERegExpr e = errorOf(c.action);
        EXPECT_EQ(e.ErrorCode, c.code);
        EXPECT_EQ(e.CompilerErrorPos, 0);
        EXPECT_EQ(e.message(), QString::fromLatin1(c.message));
    }
}

TEST(MatchLimitTest, CatastrophicBacktrackingIsAnErrorNotANoMatch) {
    for (const char* expression : {"(a+)+$", R"((\w+\s?)*$)", "(a|aa)*$"}) {
        TRegExpr re(expression);
        const ERegExpr e = errorOf([&] { re.Exec(QByteArray(30, 'a') + "!"); });
        EXPECT_EQ(e.ErrorCode, 1008) << expression;
        EXPECT_EQ(e.message(), QStringLiteral("TRegExpr(exec): Match Limit Exceeded"));
    }
}

TEST(ExecNextTest, StopsAfterTheLastMatchAndStepsOverEmptyMatches) {
    TRegExpr re("x*");
    std::vector<int> positions;
    for (bool ok = re.Exec("ab"); ok; ok = re.ExecNext()) {
        positions.push_back(re.MatchPos(0));
        EXPECT_EQ(re.MatchLen(0), 0);
    }
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(re.SubExprMatchCount(), -1);
    EXPECT_EQ(re.Match(0), QByteArray());
    EXPECT_FALSE(re.ExecPos(4));  // beyond the end plus one: a plain failure
}

struct SubstituteCase {
    const char* label;
    const char* templ;
    const char* expected;
};

class SubstituteTest : public testing::TestWithParam<SubstituteCase> {};

TEST_P(SubstituteTest, FillsTheTemplate) {
    TRegExpr re("(a)(b)?(c)");
    ASSERT_TRUE(re.Exec("xac"));
    EXPECT_EQ(re.Substitute(GetParam().templ), QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Templates, SubstituteTest,
    testing::Values(SubstituteCase{"Groups", "<$1$3>", "<ac>"},
                    SubstituteCase{"WholeMatch", "$0", "ac"},
                    SubstituteCase{"GroupBeyondTheExpressionIsEmpty", "[$5]", "[]"},
                    SubstituteCase{"GroupBeyondFourteenIsEmpty", "[$15][$99999999999]", "[][]"},
                    SubstituteCase{"GroupThatTookNoPartIsEmpty", "[$2]", "[]"},
                    SubstituteCase{"LeadingZeroes", "$003", "c"},
                    SubstituteCase{"BackslashTakesTheNextByte", R"(\$1\\n)", R"($1\n)"},
                    SubstituteCase{"LoneDollarAndBackslashStay", R"($x $ \)", R"($x $ \)"},
                    SubstituteCase{"EmptyTemplate", "", ""}),
    test::ByLabel());

struct ModifierCase {
    const char* label;
    const char* expression;
    const char* subject;
    const char* modifiers;  // letters switched on, after "-" switched off
    const char* expected;   // whole match, or null for none
};

class ModifierTest : public testing::TestWithParam<ModifierCase> {};

TEST_P(ModifierTest, ChangesWhatMatches) {
    const ModifierCase& c = GetParam();
    TRegExpr re(c.expression);
    bool on = true;
    for (const char* m = c.modifiers; *m != '\0'; ++m) {
        const std::function<void(bool)> setters[] = {
            [&](bool v) { re.setModifierI(v); }, [&](bool v) { re.setModifierR(v); },
            [&](bool v) { re.setModifierS(v); }, [&](bool v) { re.setModifierG(v); },
            [&](bool v) { re.setModifierM(v); }};
        if (*m == '-') {
            on = false;
        } else {
            setters[QByteArrayView("irsgm").indexOf(*m)](on);
        }
    }
    const bool found = re.Exec(c.subject);
    EXPECT_EQ(found, c.expected != nullptr);
    if (found && c.expected != nullptr) {
        EXPECT_EQ(re.Match(0), QByteArray(c.expected));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modifiers, ModifierTest,
    testing::Values(
        ModifierCase{"CaseSensitiveByDefault", "abc", "ABC", "", nullptr},
        ModifierCase{"CaseInsensitive", "abc", "xABC", "i", "ABC"},
        ModifierCase{"InlineCaseInsensitive", "(?i)abc", "ABC", "", "ABC"},
        ModifierCase{"InlineLettersInUpperCase", "(?I)abc", "ABC", "", "ABC"},
        ModifierCase{"InlineScopedToItsGroup", "((?i)a)b", "ABAb", "", "Ab"},
        ModifierCase{"CyrillicFoldsUnderI", "(?i)\xCF\xD0\xC8\xA8", "\xEF\xF0\xE8\xB8", "", "\xEF\xF0\xE8\xB8"},
        ModifierCase{"DotTakesLineBreaksByDefault", "a.b", "a\nb", "", "a\nb"},
        ModifierCase{"DotStopsAtCrWithoutS", "a.b", "a\rb", "-s", nullptr},
        ModifierCase{"InlineMinusS", "(?-s)a.b", "a\nb", "", nullptr},
        ModifierCase{"SingleLineAnchorsByDefault", "^b", "a\nb", "", nullptr},
        ModifierCase{"MultiLineAnchorsAtCrLf", "^b$", "a\r\nb\r\nc", "m", "b"},
        ModifierCase{"GreedyByDefault", "a+", "aaa", "", "aaa"},
        ModifierCase{"NotGreedyWithoutG", "a+", "aaa", "-g", "a"},
        ModifierCase{"InlineMinusG", "(?-g)a+", "aaa", "", "a"},
        ModifierCase{"InlineGroupOfSeveralLetters", "(?ig-m)A+", "aaa", "m-g", "aaa"},
        ModifierCase{"RussianRangeTakesYo", "[\xE0-\xFF]+", "\xB8\xE6", "", "\xB8\xE6"},
        ModifierCase{"RussianRangeInHexTakesYo", R"([\xE0-\xFF]+)", "\xB8", "", "\xB8"},
        ModifierCase{"CapitalRangeTakesYo", "[\xC0-\xDF]", "\xA8", "", "\xA8"},
        ModifierCase{"WholeRangeTakesBoth", "[\xC0-\xFF]+", "\xA8\xB8", "", "\xA8\xB8"},
        ModifierCase{"NegatedRangeLeavesYoOut", "[^\xE0-\xFF]", "\xB8z", "", "z"},
        ModifierCase{"HyphenAfterRangeStaysLiteral", "[\xE0-\xFF-z]+", "\xB8-z", "", "\xB8-z"},
        ModifierCase{"NoYoWithoutR", "[\xE0-\xFF]", "\xB8", "-r", nullptr},
        ModifierCase{"InlineMinusRInItsGroup", "(?-r:[\xE0-\xFF])[\xE0-\xFF]", "\xB8\xB8\xE0\xB8", "", "\xE0\xB8"},
        ModifierCase{"SpaceIsFiveCharacters", R"(\s+)", "\x0B \t\n\r\f\x0B", "", " \t\n\r\f"},
        ModifierCase{"WordIsAscii", R"(\w+)", "\xE0" "ab_1\xE0", "", "ab_1"},
        ModifierCase{"CommentGroup", "a(?#note)b", "ab", "", "ab"}),
    test::ByLabel());
// clang-format on

TEST(ByteInputTest, NulAndHighBytesAreOrdinary) {
    const QByteArray subject("x\0\xFF\x80y", 5);
    for (const QByteArray& expression :
         {QByteArray(R"(\x00[\x80-\xFF]+)"), QByteArray("\0[\x80-\xFF]+", 7)}) {
        TRegExpr re(expression);
        ASSERT_TRUE(re.Exec(subject));
        EXPECT_EQ(re.MatchPos(0), 2);
        EXPECT_EQ(re.Match(0), QByteArray("\0\xFF\x80", 3));
    }
}

TEST(GroupSlotsTest, GroupsBeyondFourteenMatchButAreNotReadable) {
    TRegExpr re(R"((a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)\15)");
    ASSERT_TRUE(re.Exec("abcdefghijklmnoo"));
    EXPECT_EQ(re.Match(14), QByteArray("n"));
    EXPECT_EQ(re.Match(15), QByteArray());
    EXPECT_EQ(re.SubExprMatchCount(), 14);
    EXPECT_EQ(re.Substitute("$14$15"), QByteArray("n"));
}

TEST(CompileTest, RecompilesOnlyWhenTheExpressionOrAModifierChanges) {
    TRegExpr re("a+");
    re.Exec("aa");
    re.setExpression("a+");
    re.setModifierI(false);
    re.Exec("aa");
    EXPECT_EQ(re.CompileCount(), 1);
    re.setExpression("b");
    EXPECT_FALSE(re.Exec("aa"));
    re.setModifierI(true);
    EXPECT_TRUE(re.Exec("B"));
    EXPECT_EQ(re.CompileCount(), 3);
}

}  // namespace
}  // namespace pelmar
