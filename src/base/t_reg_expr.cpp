#include "base/t_reg_expr.h"

#include "base/t_reg_expr_syntax.h"

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
constexpr int kInternalUrp = 114;
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
    {PCRE2_ERROR_END_BACKSLASH, regexpr::kTrailingBackslashInAtom},
    {PCRE2_ERROR_END_BACKSLASH_C, regexpr::kTrailingBackslashInAtom},
    {PCRE2_ERROR_INVALID_HEXADECIMAL, 108},
    {PCRE2_ERROR_MISSING_OCTAL_OR_HEX_DIGITS, regexpr::kNoHexCode},
    {PCRE2_ERROR_CODE_POINT_TOO_BIG, 112},
    {PCRE2_ERROR_MISSING_COMMENT_CLOSING, regexpr::kUnclosedComment},
    {PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, regexpr::kUnknownModifier},
    {PCRE2_ERROR_INVALID_HYPHEN_IN_OPTIONS, regexpr::kUnknownModifier},
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
        regexpr::Translation translation;
        try {
            translation = regexpr::TranslateExpression(expression, modR);
        } catch (const regexpr::CompileError& e) {
            raise(e.code, static_cast<int>(e.index) + 1);
        }
        pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
        if (context == nullptr) {
            throw std::bad_alloc();
        }
        pcre2_set_character_tables(context, regexpr::windows1251Tables());
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
        } else if (c == '$' && i + 1 < templ.size() && regexpr::isAsciiDigit(templ[i + 1])) {
            int n = 0;
            for (++i; i < templ.size() && regexpr::isAsciiDigit(templ[i]); ++i) {
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
