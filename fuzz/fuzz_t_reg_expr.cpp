// Any expression against any subject, with any modifiers: the matcher may refuse with ERegExpr,
// but must never crash, read out of bounds or run away.
//
// Input layout: byte 0 switches the five modifiers (bits i, r, s, g, m), byte 1 is the length
// of the expression that follows; the rest is the subject.

#include <cstddef>
#include <cstdint>

#include "base/t_reg_expr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const char*>(data);
    const uint8_t modifiers = data[0];
    const size_t expressionLength = data[1] < size - 2 ? data[1] : size - 2;
    const QByteArrayView expression(bytes + 2, static_cast<qsizetype>(expressionLength));
    const QByteArrayView subject(bytes + 2 + expressionLength,
                                 static_cast<qsizetype>(size - 2 - expressionLength));

    pelmar::TRegExpr re;
    re.setModifierI(modifiers & 1);
    re.setModifierR(modifiers & 2);
    re.setModifierS(modifiers & 4);
    re.setModifierG(modifiers & 8);
    re.setModifierM(modifiers & 16);
    re.setExpression(expression);
    try {
        bool found = re.Exec(subject);
        for (int round = 0; found && round < 64; ++round) {
            for (int n = -1; n <= pelmar::TRegExpr::NSUBEXP; ++n) {
                const int pos = re.MatchPos(n), len = re.MatchLen(n);
                const bool inside = pos < 0 ? len == -1 && re.Match(n).isEmpty()
                                            : pos + len - 1 <= subject.size() &&
                                                  re.Match(n) == subject.sliced(pos - 1, len);
                if (!inside) {
                    __builtin_trap();
                }
            }
            re.Substitute(QByteArrayView(R"($0|$1\$2$14$15$999\)"));
            re.Substitute(subject.first(subject.size() < 16 ? subject.size() : 16));
            found = re.ExecNext();
        }
    } catch (const pelmar::ERegExpr&) {
    }
    return 0;
}
