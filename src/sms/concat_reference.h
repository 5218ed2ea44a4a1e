#pragma once

#include "base/error.h"

// Concatenated short messages (3GPP TS 23.040, 9.2.3.24.1): the parts of one long text or one
// picture message carry the same reference, the number of parts and their own number.
namespace pelmar {

// A concatenation reference that no message may carry (0, 255).
class EConcatReference : public Error {
  public:
    using Error::Error;
};

// Where one part stands in its concatenated message.
struct ConcatPart {
    int reference = 1;
    int total = 1;
    int number = 1;  // counted from 1

    friend bool operator==(const ConcatPart&, const ConcatPart&) = default;
};

// The reference number of the next concatenated message (a long text or a picture message): 1 at
// start, then 2 ... 254 and 1 again (0 and 255 are never sent). The sender advances it only after
// every part went out, so a send that an error cut short is repeated under the same reference.
class ConcatReference {
  public:
    ConcatReference() = default;
    explicit ConcatReference(int start);  // throws EConcatReference outside 1..254

    int value() const { return m_value; }
    void advance() { m_value = m_value >= kLast ? kFirst : m_value + 1; }

    static constexpr int kFirst = 1;
    static constexpr int kLast = 254;

  private:
    int m_value = kFirst;
};

}  // namespace pelmar
