#include <algorithm>
#include <optional>
#include <utility>

#include "base/t_reg_expr.h"
#include "base/t_reg_expr_syntax.h"

namespace pelmar::regexpr {

namespace {

// --- Expression to PCRE2 pattern -----------------------------------------------------------

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

Translation TranslateExpression(QByteArrayView expression, bool russianRanges) {
    return PatternTranslator(expression, russianRanges).run();
}

}  // namespace pelmar::regexpr
