#include "base/input_problem.h"

#include <QList>
#include <QStringView>

namespace pelmar {

QString describeChar(const QString& text, qsizetype index) {
    const char32_t code = text.at(index).isHighSurrogate() && index + 1 < text.size()
                              ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
                              : text.at(index).unicode();
    const qsizetype position =
        QStringView(text).first(index).toUcs4().size() + 1;  // a surrogate pair is one character
    const QString shown = code < 0x20 ? QString() : QString::fromUcs4(&code, 1);
    const QString hex = QString::number(static_cast<uint>(code), 16).toUpper();
    return QStringLiteral("\"%1\" (U+%2) at position %3")
        .arg(shown, hex.rightJustified(4, QLatin1Char('0')))
        .arg(position);
}

}  // namespace pelmar
