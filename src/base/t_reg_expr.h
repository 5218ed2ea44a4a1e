#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

#include "base/error.h"

namespace pelmar {

// Error of the pattern matcher: compile errors (codes below 1000) carry the position in the
// expression and read "<text> (pos N)", run-time errors (1000 and up) the text alone. 1008
// means the search gave up at its step or memory limit: it is never a silent "no match".
class ERegExpr : public Error {
  public:
    ERegExpr(int code, const QString& message, int compilerErrorPos = 0);

    int ErrorCode;
    int CompilerErrorPos;  // 1-based position in the expression; 0 for run-time errors
};

// Perl-style regular expressions over 8-bit input (handset replies, RTTTL text), run by PCRE2
// on bytes (no UTF): leftmost match, greedy backtracking, 15 sub-match slots (0 = whole match,
// 1..14 = groups; further groups match but cannot be read), case-sensitive unless the `i`
// modifier is on. Texts are Windows-1251: under `i` the Cyrillic letters fold as well, "\s" is
// " \t\n\r\f" and "\w" is ASCII letters, digits and "_". Inline groups "(?i)", "(?-s)",
// "(?ig-m)", "(?r:...)" take the five modifier letters in either case. The program is compiled
// lazily at the next search after the expression or a modifier changed.
class TRegExpr {
  public:
    static constexpr int NSUBEXP = 15;
    static constexpr int MatchLimitExceeded = 1008;

    TRegExpr();
    explicit TRegExpr(QByteArrayView expression);
    ~TRegExpr();
    TRegExpr(const TRegExpr&) = delete;
    TRegExpr& operator=(const TRegExpr&) = delete;

    // The same text again keeps the compiled program.
    void setExpression(QByteArrayView expression);
    QByteArray Expression() const;

    // Modifiers: i (case-insensitive, off), r (Russian ranges: "а-я" also takes "ё", "А-Я" also
    // "Ё", on), s (dot matches CR and LF, on), g (greedy, on), m (multi-line anchors, off).
    bool ModifierI() const;
    void setModifierI(bool on);
    bool ModifierR() const;
    void setModifierR(bool on);
    bool ModifierS() const;
    void setModifierS(bool on);
    bool ModifierG() const;
    void setModifierG(bool on);
    bool ModifierM() const;
    void setModifierM(bool on);

    // Searches `input` from its first character; keeps a copy of it for Match and Substitute.
    // An empty expression is error 100, a bad one its compile error.
    bool Exec(QByteArrayView input);
    // Searches the stored input from 1-based position `pos` (error 1005 without input, 1006
    // below 1; beyond the end plus one it is a plain failure).
    bool ExecPos(int pos = 1);
    // Searches again from the end of the previous match, one further after an empty match.
    // Error 1007 when the last search found nothing (or there was none).
    bool ExecNext();

    // Text of sub-match n; empty when n is outside 0..14, there is no input, or the group
    // took no part in the match.
    QByteArray Match(int n) const;
    // 1-based start of sub-match n, or -1; its length, or -1.
    int MatchPos(int n) const;
    int MatchLen(int n) const;
    // Highest group number that took part in the last match (0 for the whole match only),
    // -1 when nothing matched.
    int SubExprMatchCount() const;

    // Template copied with "$n" (decimal, any number of digits) replaced by sub-match n, empty
    // when it took no part or n > 14, and "\c" by c. Error 1005 without input.
    QByteArray Substitute(QByteArrayView templ) const;

    QByteArray InputString() const;
    // Number of the last error raised by this matcher, 0 when none was.
    int LastError() const;
    // How many times the program was compiled (shows that an unchanged expression is reused).
    int CompileCount() const;

    // The standard message text for an error code.
    static QString ErrorMsg(int code);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace pelmar
