#include "sms/concat_reference.h"

#include <QString>

namespace pelmar {

ConcatReference::ConcatReference(int start) : m_value(start) {
    if (start < kFirst || start > kLast) {
        throw EConcatReference(
            QStringLiteral("A concatenation reference must lie between %1 and %2.")
                .arg(kFirst)
                .arg(kLast));
    }
}

}  // namespace pelmar
