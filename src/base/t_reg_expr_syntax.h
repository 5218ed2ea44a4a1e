#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

// The two halves of the pattern matcher behind TRegExpr: its expression syntax rewritten into
// PCRE2's, and PCRE2's character tables for Windows-1251 text. Only t_reg_expr*.cpp include this.
namespace pelmar::regexpr {

inline bool isAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}
inline bool isAsciiUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
inline bool isAsciiLower(int c) {
    return c >= 'a' && c <= 'z';
}
inline bool isAsciiLetter(int c) {
    return isAsciiUpper(c) || isAsciiLower(c);
}
inline bool isAsciiAlnum(int c) {
    return isAsciiLetter(c) || isAsciiDigit(c);
}
inline bool isHexDigit(int c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline int hexValue(char c) {
    return isAsciiDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The matcher's compile error codes that the translation itself gives.
constexpr int kTrailingBackslashInAtom = 110;
constexpr int kNoHexCode = 111;
constexpr int kTrailingBackslashInSet = 116;
constexpr int kUnclosedComment = 125;
constexpr int kUnknownModifier = 127;

// An expression PCRE2 will not take, with the matcher's error code and where it stands.
struct CompileError {
    int code;
    qsizetype index;  // 0-based in the expression
};

struct Translation {
    QByteArray pattern;
    std::vector<qsizetype> origin;  // expression index of each pattern byte, for error positions
};

// The expression in PCRE2's syntax; `russianRanges` is the `r` modifier. Throws CompileError.
Translation TranslateExpression(QByteArrayView expression, bool russianRanges);

// PCRE2's character tables for Windows-1251 text: Cyrillic letters are letters and word
// characters, and case-blind matching folds them.
const uint8_t* windows1251Tables();

}  // namespace pelmar::regexpr
