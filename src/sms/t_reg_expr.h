#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

#include "link/error.h"

namespace pelmar {

// Error of the pattern matcher: compile errors (codes below 1000) carry the position in the
// expression, run-time errors (1000 and up) the message alone.
class ERegExpr : public Error {
public:
    ERegExpr(int code, const QString& message, int compilerErrorPos = 0);

    int ErrorCode;
    int CompilerErrorPos;  // 1-based position in the expression; 0 for run-time errors
};

// Perl-style regular expressions over 8-bit input (handset replies, RTTTL text).
// Leftmost match, greedy backtracking, 15 sub-match slots (0 = whole match, 1..14 = groups),
// case-sensitive unless the `i` modifier is on. The program is compiled lazily at the next
// search after the expression changed.
class TRegExpr {
public:
    static constexpr int NSUBEXP = 15;

    TRegExpr();
    explicit TRegExpr(QByteArrayView expression);
    ~TRegExpr();
    TRegExpr(const TRegExpr&) = delete;
    TRegExpr& operator=(const TRegExpr&) = delete;

    void setExpression(QByteArrayView expression);
    QByteArray Expression() const;

    // Modifiers: i (case-insensitive, off), r (Russian ranges, on), s (dot matches line
    // separators, on), g (greedy, on), m (multi-line anchors, off).
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
    bool Exec(QByteArrayView input);
    // Searches the stored input from 1-based position `pos` (error 1006 below 1).
    bool ExecPos(int pos = 1);
    // Searches again from the end of the previous match, one further after an empty match.
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

    // Template copied with "$n" replaced by sub-match n and "\c" by c.
    QByteArray Substitute(QByteArrayView templ) const;

    QByteArray InputString() const;
    int LastError() const;

    // The standard message text for an error code.
    static QString ErrorMsg(int code);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace pelmar
