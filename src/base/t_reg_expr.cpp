#include "base/t_reg_expr.h"

#include <pcre2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace pelmar {

namespace {

// --- Messages ------------------------------------------------------------------------------

struct ErrorText {
    int code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {100, "TRegExpr(comp): Null Argument"},
    {101, "TRegExpr(comp): Regexp Too Big"},
    {102, "TRegExpr(comp): ParseReg Too Many ()"},
    {103, "TRegExpr(comp): ParseReg Unmatched ()"},
    {104, "TRegExpr(comp): ParseReg Unmatched ()"},
    {105, "TRegExpr(comp): ParseReg Junk On End"},
    {106, "TRegExpr(comp): *+ Operand Could Be Empty"},
    {107, "TRegExpr(comp): Nested *?+"},
    {108, "TRegExpr(comp): Bad Hex Digit"},
    {109, "TRegExpr(comp): Invalid [] Range"},
    {110, "TRegExpr(comp): Parse Atom Trailing \\"},
    {111, "TRegExpr(comp): No Hex Code After \\x"},
    {112, "TRegExpr(comp): Hex Code After \\x Is Too Big"},
    {113, "TRegExpr(comp): Unmatched []"},
    {114, "TRegExpr(comp): Internal Urp"},
    {115, "TRegExpr(comp): ?+*{ Follows Nothing"},
    {116, "TRegExpr(comp): Trailing \\"},
    {119, "TRegExpr(comp): RarseAtom Internal Disaster"},
    {122, "TRegExpr(comp): BRACES Argument Too Big"},
    {124, "TRegExpr(comp): BRACE Min Param Greater then Max"},
    {125, "TRegExpr(comp): Unclosed (?#Comment)"},
    {127, "TRegExpr(comp): Urecognized Modifier"},
    {1005, "TRegExpr(exec): No Inpit String Specified"},
    {1006, "TRegExpr(exec): Offset Must Be Greater Then 0"},
    {1007, "TRegExpr(exec): ExecNext Without Exec[Pos]"},
    {TRegExpr::MatchLimitExceeded, "TRegExpr(exec): Match Limit Exceeded"},
};

constexpr int kNullArgument = 100;
constexpr int kTrailingBackslashInAtom = 110;
constexpr int kNoHexCode = 111;
constexpr int kTrailingBackslashInSet = 116;
constexpr int kInternalUrp = 114;
constexpr int kUnclosedComment = 125;
constexpr int kUnknownModifier = 127;
constexpr int kNoInputString = 1005;
constexpr int kOffsetBelowOne = 1006;
constexpr int kExecNextWithoutExec = 1007;

// PCRE2's compile errors, by the nearest number of the matcher's own table; the rest is 114.
constexpr std::pair<int, int> kCompileErrors[] = {
    {PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS, 103},
    {PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS, 104},
    {PCRE2_ERROR_MISSING_SQUARE_BRACKET, 113},
    {PCRE2_ERROR_CLASS_RANGE_ORDER, 109},
    {PCRE2_ERROR_CLASS_INVALID_RANGE, 109},
    {PCRE2_ERROR_QUANTIFIER_INVALID, 115},
    {PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER, 124},
    {PCRE2_ERROR_QUANTIFIER_TOO_BIG, 122},
    {PCRE2_ERROR_END_BACKSLASH, kTrailingBackslashInAtom},
    {PCRE2_ERROR_END_BACKSLASH_C, kTrailingBackslashInAtom},
    {PCRE2_ERROR_INVALID_HEXADECIMAL, 108},
    {PCRE2_ERROR_MISSING_OCTAL_OR_HEX_DIGITS, kNoHexCode},
    {PCRE2_ERROR_CODE_POINT_TOO_BIG, 112},
    {PCRE2_ERROR_MISSING_COMMENT_CLOSING, kUnclosedComment},
    {PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, kUnknownModifier},
    {PCRE2_ERROR_INVALID_HYPHEN_IN_OPTIONS, kUnknownModifier},
    {PCRE2_ERROR_TOO_MANY_CAPTURES, 102},
    {PCRE2_ERROR_PATTERN_TOO_LARGE, 101},
    {PCRE2_ERROR_PATTERN_STRING_TOO_LONG, 101},
    {PCRE2_ERROR_PATTERN_TOO_COMPLICATED, 101},
    {PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP, 101},
    {PCRE2_ERROR_NULL_PATTERN, kNullArgument},
};

int compileErrorCode(int pcre2Code) {
    for (const auto& [pcre2, code] : kCompileErrors) {
        if (pcre2 == pcre2Code) {
            return code;
        }
    }
    return kInternalUrp;
}

// --- Limits --------------------------------------------------------------------------------

// PCRE2 restarts its backtracking count at every start position, so the limit per position
// shrinks with the length searched: a search gives up (error 1008) after about kSearchSteps
// steps (about a quarter of a second), or kMinStepsPerPosition per position on inputs far longer
// than any handset reply. The program's own expressions need a few dozen steps per position.
constexpr quint64 kSearchSteps = 20'000'000;
constexpr quint64 kMinStepsPerPosition = 10'000;
constexpr uint32_t kDepthLimit = 200'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;

// --- Character tables for Windows-1251 -----------------------------------------------------

// PCRE2's table layout (pcre2_maketables): lower case, flip case, class bitmaps, type bits.
constexpr int kLowerCase = 0;
constexpr int kFlipCase = 256;
constexpr int kClassBits = 512;
constexpr int kCharTypes = kClassBits + 320;
constexpr int kTablesLength = kCharTypes + 256;
enum ClassBitmap {
    Space = 0,
    XDigit = 32,
    Digit = 64,
    Upper = 96,
    Lower = 128,
    Word = 160,
    Graph = 192,
    Print = 224,
    Punct = 256,
    Cntrl = 288
};
enum CharType {
    TypeSpace = 0x01,
    TypeLetter = 0x02,
    TypeLowerLetter = 0x04,
    TypeDigit = 0x08,
    TypeWord = 0x10
};

// Cyrillic capital and small letters of Windows-1251 outside the run А..я (0xC0..0xFF).
constexpr std::pair<quint8, quint8> kCyrillicCasePairs[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};
constexpr quint8 kVerticalTab = 0x0B;

bool isAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isAsciiUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
bool isAsciiLower(int c) {
    return c >= 'a' && c <= 'z';
}
bool isAsciiLetter(int c) {
    return isAsciiUpper(c) || isAsciiLower(c);
}
bool isAsciiAlnum(int c) {
    return isAsciiLetter(c) || isAsciiDigit(c);
}
bool isHexDigit(int c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    return isAsciiDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}

void setBit(std::array<quint8, kTablesLength>& t, int map, int c) {
    t[kClassBits + map + c / 8] |= static_cast<quint8>(1u << (c % 8));
}

// The tables of the "C" locale, as PCRE2 builds them itself.
std::array<quint8, kTablesLength> cLocaleTables() {
    std::array<quint8, kTablesLength> t{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = isAsciiUpper(c), lower = isAsciiLower(c), digit = isAsciiDigit(c);
        const bool space = c == ' ' || (c >= '\t' && c <= '\r');
        const bool graph = c > ' ' && c < 0x7F, print = c >= ' ' && c < 0x7F;
        const bool word = upper || lower || digit || c == '_';
        t[kLowerCase + c] = static_cast<quint8>(upper ? c + 32 : c);
        t[kFlipCase + c] = static_cast<quint8>(upper ? c + 32 : lower ? c - 32 : c);
        const std::pair<bool, int> bitmaps[] = {{space, Space},
                                                {isHexDigit(c), XDigit},
                                                {digit, Digit},
                                                {upper, Upper},
                                                {lower, Lower},
                                                {word, Word},
                                                {graph, Graph},
                                                {print, Print},
                                                {graph && !isAsciiAlnum(c), Punct},
                                                {c < ' ' || c == 0x7F, Cntrl}};
        for (const auto& [in, map] : bitmaps) {
            if (in) {
                setBit(t, map, c);
            }
        }
        t[kCharTypes + c] = static_cast<quint8>(
            (space ? TypeSpace : 0) | (upper || lower ? TypeLetter : 0) |
            (lower ? TypeLowerLetter : 0) | (digit ? TypeDigit : 0) | (word ? TypeWord : 0));
    }
    return t;
}

// True when this PCRE2 lays its tables out as cLocaleTables() expects (compared on ASCII, which
// every locale classifies alike).
bool layoutMatchesLibrary(const std::array<quint8, kTablesLength>& ours) {
    const uint8_t* library = pcre2_maketables(nullptr);
    if (library == nullptr) {
        return false;
    }
    bool same = true;
    for (int block : {kLowerCase, kFlipCase, kCharTypes}) {
        same = same && std::memcmp(ours.data() + block, library + block, 128) == 0;
    }
    for (int map = 0; map < 320; map += 32) {
        same = same &&
               std::memcmp(ours.data() + kClassBits + map, library + kClassBits + map, 16) == 0;
    }
    pcre2_maketables_free(nullptr, library);
    return same;
}

// Windows-1251 tables: Cyrillic letters fold under `i`, and "\s" leaves out the vertical tab.
// Classes stay ASCII, as "\w" is defined. Null (PCRE2's built-in tables) if the layout is not
// the expected one.
const uint8_t* windows1251Tables() {
    static const std::optional<std::array<quint8, kTablesLength>> tables =
        []() -> std::optional<std::array<quint8, kTablesLength>> {
        std::array<quint8, kTablesLength> t = cLocaleTables();
        if (!layoutMatchesLibrary(t)) {
            return std::nullopt;
        }
        t[kClassBits + Space + kVerticalTab / 8] &=
            static_cast<quint8>(~(1u << (kVerticalTab % 8)));
        t[kCharTypes + kVerticalTab] &= static_cast<quint8>(~TypeSpace);
        auto pair = [&t](int upper, int lower) {
            t[kLowerCase + upper] = static_cast<quint8>(lower);
            t[kFlipCase + upper] = static_cast<quint8>(lower);
            t[kFlipCase + lower] = static_cast<quint8>(upper);
        };
        for (int c = 0xC0; c < 0xE0; ++c) {
            pair(c, c + 0x20);
        }
        for (const auto& [upper, lower] : kCyrillicCasePairs) {
            pair(upper, lower);
        }
        return t;
    }();
    return tables ? tables->data() : nullptr;
}

// --- Expression to PCRE2 pattern -----------------------------------------------------------

struct CompileError {
    int code;
    qsizetype index;  // 0-based in the expression
};

struct Translation {
    QByteArray pattern;
    std::vector<qsizetype> origin;  // expression index of each pattern byte, for error positions
};

// With `r`, a bracket range of exactly these ends also takes ё (0xB8) and/or Ё (0xA8).
struct RussianRange {
    quint8 low;
    quint8 high;
    const char* extra;
};
constexpr RussianRange kRussianRanges[] = {
    {0xE0, 0xFF, "\\xB8"},       // а-я
    {0xC0, 0xDF, "\\xA8"},       // А-Я
    {0xC0, 0xFF, "\\xA8\\xB8"},  // А-я
};

// Rewrites the matcher's syntax into PCRE2's: the modifier letters r and g, which PCRE2 does not
// know, are taken out of inline groups (g becomes PCRE2's inverted U), the Russian ranges get
// their ё and Ё, and "\x" without a hex digit is refused. It follows PCRE2's own rules for
// where bracket sets, escapes and comments end, so both read the expression alike.
class PatternTranslator {
  public:
    PatternTranslator(QByteArrayView expression, bool russianRanges)
        : m_src(expression), m_russian{russianRanges} {}

    Translation run() {
        while (m_pos < m_src.size()) {
            switch (m_src[m_pos]) {
                case '\\':
                    escape(false);
                    break;
                case '[':
                    bracketSet();
                    break;
                case '(':
                    openParenthesis();
                    break;
                case ')':
                    if (m_russian.size() > 1) {
                        m_russian.pop_back();
                    }
                    copy(1);
                    break;
                default:
                    copy(1);
            }
        }
        return std::move(m_out);
    }

  private:
    bool at(qsizetype i, char c) const { return i < m_src.size() && m_src[i] == c; }

    void put(QByteArrayView bytes, qsizetype from) {
        m_out.pattern += bytes;
        m_out.origin.insert(m_out.origin.end(), static_cast<size_t>(bytes.size()), from);
    }

    void copy(qsizetype n) {
        n = std::min(n, m_src.size() - m_pos);
        put(m_src.sliced(m_pos, n), m_pos);
        m_pos += n;
    }

    [[noreturn]] static void fail(int code, qsizetype index) { throw CompileError{code, index}; }

    // At a backslash. Returns the byte it stands for when it is a literal or "\x" code, so that
    // a bracket range can see its ends.
    std::optional<quint8> escape(bool inSet) {
        if (m_pos + 1 >= m_src.size()) {
            fail(inSet ? kTrailingBackslashInSet : kTrailingBackslashInAtom, m_pos);
        }
        const char next = m_src[m_pos + 1];
        if (next == 'Q') {  // quoted text runs to "\E" or the end
            qsizetype end = m_pos + 2;
            while (end < m_src.size() && !(m_src[end] == '\\' && at(end + 1, 'E'))) {
                ++end;
            }
            copy(std::min(end + 2, m_src.size()) - m_pos);
            return std::nullopt;
        }
        if (next == 'c') {  // control character: the byte after it is taken whatever it is
            copy(3);
            return std::nullopt;
        }
        if (next == 'x') {
            return hexEscape();
        }
        copy(2);
        if (isAsciiAlnum(next)) {
            return std::nullopt;
        }
        return static_cast<quint8>(next);
    }

    std::optional<quint8> hexEscape() {
        const qsizetype digits = m_pos + 2;
        if (at(digits, '{')) {
            qsizetype end = digits + 1;
            int value = 0;
            while (end < m_src.size() && isHexDigit(m_src[end]) && value <= 0xFF) {
                value = value * 16 + hexValue(m_src[end++]);
            }
            if (end == digits + 1 || !at(end, '}') || value > 0xFF) {
                copy(2);  // PCRE2 names what is wrong with the braces
                return std::nullopt;
            }
            copy(end + 1 - m_pos);
            return static_cast<quint8>(value);
        }
        if (digits >= m_src.size() || !isHexDigit(m_src[digits])) {
            fail(kNoHexCode, digits);
        }
        const bool two = digits + 1 < m_src.size() && isHexDigit(m_src[digits + 1]);
        const int value = two ? hexValue(m_src[digits]) * 16 + hexValue(m_src[digits + 1])
                              : hexValue(m_src[digits]);
        copy(two ? 4 : 3);
        return static_cast<quint8>(value);
    }

    void bracketSet() {
        copy(1);
        if (at(m_pos, '^')) {
            copy(1);
        }
        if (at(m_pos, ']')) {  // a leading "]" is a member
            copy(1);
        }
        while (m_pos < m_src.size()) {
            if (m_src[m_pos] == ']') {
                copy(1);
                return;
            }
            if (posixClass()) {
                continue;
            }
            const qsizetype memberStart = m_out.pattern.size();
            const std::optional<quint8> low = setMember();
            if (at(m_pos, '-') && m_pos + 1 < m_src.size() && m_src[m_pos + 1] != ']') {
                copy(1);
                if (posixClass()) {
                    continue;
                }
                const std::optional<quint8> high = setMember();
                if (low && high && m_russian.back()) {
                    addRussianLetters(memberStart, *low, *high);
                }
            }
        }
    }

    std::optional<quint8> setMember() {
        if (m_src[m_pos] == '\\') {
            return escape(true);
        }
        const auto c = static_cast<quint8>(m_src[m_pos]);
        copy(1);
        return c;
    }

    // "[:name:]", "[.x.]" or "[=x=]" inside a set, found the way PCRE2 finds it.
    bool posixClass() {
        if (m_src[m_pos] != '[' || m_pos + 1 >= m_src.size()) {
            return false;
        }
        const char terminator = m_src[m_pos + 1];
        if (terminator != ':' && terminator != '.' && terminator != '=') {
            return false;
        }
        for (qsizetype i = m_pos + 2; i + 1 < m_src.size(); ++i) {
            const char c = m_src[i], after = m_src[i + 1];
            if (c == '\\' && (after == ']' || after == '\\')) {
                ++i;
            } else if ((c == '[' && after == terminator) || c == ']') {
                return false;
            } else if (c == terminator && after == ']') {
                copy(i + 2 - m_pos);
                return true;
            }
        }
        return false;
    }

    // Put before the range, where no "-" can join them into a new range.
    void addRussianLetters(qsizetype at, quint8 low, quint8 high) {
        for (const RussianRange& range : kRussianRanges) {
            if (range.low == low && range.high == high) {
                const QByteArrayView extra(range.extra);
                m_out.pattern.insert(at, extra);
                m_out.origin.insert(m_out.origin.begin() + at, static_cast<size_t>(extra.size()),
                                    m_out.origin[static_cast<size_t>(at)]);
            }
        }
    }

    void openParenthesis() {
        if (at(m_pos + 1, '?')) {
            if (at(m_pos + 2, '#')) {
                comment();
                return;
            }
            if (modifierGroup()) {
                return;
            }
        }
        m_russian.push_back(m_russian.back());
        copy(1);
    }

    void comment() {  // ends at the first ")", as in PCRE2
        qsizetype end = m_pos + 3;
        while (end < m_src.size() && m_src[end] != ')') {
            ++end;
        }
        if (end >= m_src.size()) {
            fail(kUnclosedComment, m_pos);
        }
        copy(end + 1 - m_pos);
    }

    // "(?ig-m)" sets modifiers for the rest of the enclosing group, "(?ig-m:...)" for its own.
    bool modifierGroup() {
        const qsizetype first = m_pos + 2;
        qsizetype end = first;
        while (end < m_src.size() &&
               (isAsciiLetter(m_src[end]) || m_src[end] == '-' || m_src[end] == '^')) {
            ++end;
        }
        if (end == first || end >= m_src.size() || (m_src[end] != ')' && m_src[end] != ':')) {
            return false;  // a lookaround, named group, back reference or the like
        }
        QByteArray on, off;
        bool negated = false;
        bool russian = m_russian.back();
        for (qsizetype i = first; i < end; ++i) {
            const char letter = static_cast<char>(m_src[i] | 0x20);
            if (m_src[i] == '-' && !negated) {
                negated = true;
            } else if (letter == 'i' || letter == 's' || letter == 'm') {
                (negated ? off : on) += letter;
            } else if (letter == 'g') {
                (negated ? on : off) += 'U';
            } else if (letter == 'r') {
                russian = !negated;
            } else {
                fail(kUnknownModifier, i);
            }
        }
        const bool scoped = m_src[end] == ':';
        QByteArray text = "(?" + on;
        if (!off.isEmpty()) {
            text += '-' + off;
        }
        text += m_src[end];
        put(text, m_pos);
        if (scoped) {
            m_russian.push_back(russian);
        } else {
            m_russian.back() = russian;
        }
        m_pos = end + 1;
        return true;
    }

    QByteArrayView m_src;
    qsizetype m_pos = 0;
    Translation m_out;
    std::vector<bool> m_russian;  // `r` in each open group, outermost first
};

}  // namespace

// --- TRegExpr ------------------------------------------------------------------------------

ERegExpr::ERegExpr(int code, const QString& message, int compilerErrorPos)
    : Error(message), ErrorCode(code), CompilerErrorPos(compilerErrorPos) {}

struct TRegExpr::Impl {
    QByteArray expression;
    bool modI = false, modR = true, modS = true, modG = true, modM = false;

    pcre2_code* code = nullptr;  // null: not compiled or stale
    int compileCount = 0;

    QByteArray input;
    bool hasInput = false;
    bool matched = false;
    qsizetype lastSearchOffset = 0;
    std::array<qsizetype, NSUBEXP> starts{};
    std::array<qsizetype, NSUBEXP> ends{};
    int lastError = 0;

    pcre2_match_data* matchData = nullptr;
    pcre2_match_context* matchContext = nullptr;

    Impl() {
        matchData = pcre2_match_data_create(NSUBEXP, nullptr);
        matchContext = pcre2_match_context_create(nullptr);
        if (matchData == nullptr || matchContext == nullptr) {
            release();
            throw std::bad_alloc();
        }
        pcre2_set_depth_limit(matchContext, kDepthLimit);
        pcre2_set_heap_limit(matchContext, kHeapLimitKiB);
        clearMatch();
    }
    ~Impl() { release(); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void release() {
        invalidate();
        pcre2_match_data_free(matchData);
        pcre2_match_context_free(matchContext);
    }

    void invalidate() {
        pcre2_code_free(code);
        code = nullptr;
    }

    void setModifier(bool& modifier, bool on) {
        if (modifier != on) {
            modifier = on;
            invalidate();
        }
    }

    [[noreturn]] void raise(int errorCode, int position = 0) {
        lastError = errorCode;
        QString message = ErrorMsg(errorCode);
        if (errorCode < 1000) {
            message += QStringLiteral(" (pos %1)").arg(position);
        }
        throw ERegExpr(errorCode, message, errorCode < 1000 ? position : 0);
    }

    void compile() {
        if (code != nullptr) {
            return;
        }
        if (expression.isEmpty()) {
            raise(kNullArgument);
        }
        Translation translation;
        try {
            translation = PatternTranslator(expression, modR).run();
        } catch (const CompileError& e) {
            raise(e.code, static_cast<int>(e.index) + 1);
        }
        pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
        if (context == nullptr) {
            throw std::bad_alloc();
        }
        pcre2_set_character_tables(context, windows1251Tables());
        pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);  // CR and LF both separate lines
        const uint32_t options = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | (modI ? PCRE2_CASELESS : 0u) |
                                 (modS ? PCRE2_DOTALL : 0u) | (modM ? PCRE2_MULTILINE : 0u) |
                                 (modG ? 0u : PCRE2_UNGREEDY);
        int errorNumber = 0;
        PCRE2_SIZE errorOffset = 0;
        code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translation.pattern.constData()),
                             static_cast<PCRE2_SIZE>(translation.pattern.size()), options,
                             &errorNumber, &errorOffset, context);
        pcre2_compile_context_free(context);
        if (code == nullptr) {
            const qsizetype index = errorOffset < translation.origin.size()
                                        ? translation.origin[errorOffset]
                                        : expression.size();
            raise(compileErrorCode(errorNumber), static_cast<int>(index) + 1);
        }
        ++compileCount;
    }

    void clearMatch() {
        matched = false;
        starts.fill(-1);
        ends.fill(-1);
    }

    bool search(qsizetype offset) {
        clearMatch();
        if (offset > input.size()) {
            return false;
        }
        const quint64 positions = static_cast<quint64>(input.size() - offset) + 1;
        const quint64 steps = std::max(kSearchSteps / positions, kMinStepsPerPosition);
        pcre2_set_match_limit(matchContext, static_cast<uint32_t>(steps));
        const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(input.constData()),
                                   static_cast<PCRE2_SIZE>(input.size()),
                                   static_cast<PCRE2_SIZE>(offset), 0, matchData, matchContext);
        if (rc == PCRE2_ERROR_NOMATCH) {
            return false;
        }
        if (rc < 0) {  // a limit or memory: the answer is unknown, which is not "no match"
            raise(MatchLimitExceeded);
        }
        // rc is one more than the highest group set; 0 says that groups beyond 14 were left out.
        // Pairs from rc on keep whatever an earlier search left in them.
        const int set = rc == 0 ? NSUBEXP : std::min(rc, NSUBEXP);
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(matchData);
        for (int n = 0; n < set; ++n) {
            if (vector[2 * n] != PCRE2_UNSET) {
                starts[static_cast<size_t>(n)] = static_cast<qsizetype>(vector[2 * n]);
                ends[static_cast<size_t>(n)] =
                    std::max(static_cast<qsizetype>(vector[2 * n + 1]), starts[n]);
            }
        }
        matched = true;
        lastSearchOffset = offset;
        return true;
    }

    bool execPos(qsizetype position) {
        compile();
        if (!hasInput) {
            raise(kNoInputString);
        }
        if (position < 1) {
            raise(kOffsetBelowOne);
        }
        return search(position - 1);
    }

    bool valid(int n) const { return matched && n >= 0 && n < NSUBEXP && starts[n] >= 0; }
};

TRegExpr::TRegExpr() : d(std::make_unique<Impl>()) {}

TRegExpr::TRegExpr(QByteArrayView expression) : TRegExpr() {
    setExpression(expression);
}

TRegExpr::~TRegExpr() = default;

void TRegExpr::setExpression(QByteArrayView expression) {
    if (d->expression != expression) {
        d->expression = expression.toByteArray();
        d->invalidate();
    }
}

QByteArray TRegExpr::Expression() const {
    return d->expression;
}

bool TRegExpr::ModifierI() const {
    return d->modI;
}
void TRegExpr::setModifierI(bool on) {
    d->setModifier(d->modI, on);
}
bool TRegExpr::ModifierR() const {
    return d->modR;
}
void TRegExpr::setModifierR(bool on) {
    d->setModifier(d->modR, on);
}
bool TRegExpr::ModifierS() const {
    return d->modS;
}
void TRegExpr::setModifierS(bool on) {
    d->setModifier(d->modS, on);
}
bool TRegExpr::ModifierG() const {
    return d->modG;
}
void TRegExpr::setModifierG(bool on) {
    d->setModifier(d->modG, on);
}
bool TRegExpr::ModifierM() const {
    return d->modM;
}
void TRegExpr::setModifierM(bool on) {
    d->setModifier(d->modM, on);
}

bool TRegExpr::Exec(QByteArrayView input) {
    d->input = input.toByteArray();
    d->hasInput = true;
    d->clearMatch();
    return d->execPos(1);
}

bool TRegExpr::ExecPos(int pos) {
    return d->execPos(pos);
}

bool TRegExpr::ExecNext() {
    if (!d->matched) {
        d->raise(kExecNextWithoutExec);
    }
    // Past an empty match, and never back to where the last search began.
    qsizetype next = d->ends[0] > d->starts[0] ? d->ends[0] : d->starts[0] + 1;
    next = std::max(next, d->lastSearchOffset + 1);
    return d->execPos(next + 1);
}

QByteArray TRegExpr::Match(int n) const {
    if (!d->valid(n)) {
        return {};
    }
    return d->input.sliced(d->starts[n], d->ends[n] - d->starts[n]);
}

int TRegExpr::MatchPos(int n) const {
    return d->valid(n) ? static_cast<int>(d->starts[n]) + 1 : -1;
}

int TRegExpr::MatchLen(int n) const {
    return d->valid(n) ? static_cast<int>(d->ends[n] - d->starts[n]) : -1;
}

int TRegExpr::SubExprMatchCount() const {
    for (int n = NSUBEXP - 1; n >= 0; --n) {
        if (d->valid(n)) {
            return n;
        }
    }
    return -1;
}

QByteArray TRegExpr::Substitute(QByteArrayView templ) const {
    if (!d->hasInput) {
        d->raise(kNoInputString);
    }
    QByteArray result;
    result.reserve(templ.size());
    for (qsizetype i = 0; i < templ.size();) {
        const char c = templ[i];
        if (c == '\\' && i + 1 < templ.size()) {
            result += templ[i + 1];
            i += 2;
        } else if (c == '$' && i + 1 < templ.size() && isAsciiDigit(templ[i + 1])) {
            int n = 0;
            for (++i; i < templ.size() && isAsciiDigit(templ[i]); ++i) {
                n = std::min(n * 10 + (templ[i] - '0'), NSUBEXP);  // past 14 it is empty anyway
            }
            result += Match(n);
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

QByteArray TRegExpr::InputString() const {
    return d->input;
}

int TRegExpr::LastError() const {
    return d->lastError;
}

int TRegExpr::CompileCount() const {
    return d->compileCount;
}

QString TRegExpr::ErrorMsg(int code) {
    for (const ErrorText& e : kErrorTexts) {
        if (e.code == code) {
            return QString::fromLatin1(e.text);
        }
    }
    return QStringLiteral("TRegExpr: Unknown error %1").arg(code);
}

}  // namespace pelmar
