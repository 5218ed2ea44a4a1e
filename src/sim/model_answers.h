#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>

#include "sim/handset_model.h"

// What the handset model's command files share: its result codes and argument readers.
namespace pelmar::simulator::answers {

using Form = AtCommand::Form;

inline const QByteArray kOk = QByteArrayLiteral("OK");
inline const QByteArray kError = QByteArrayLiteral("ERROR");

// The message memory: the SIM's, the only one this handset offers.
inline const QByteArray kMessageMemory = QByteArrayLiteral("SM");

// Verbose texts of the +CME ERROR codes this handset gives (27.007, 9.2).
inline const QHash<int, QByteArray>& cmeTexts() {
    static const QHash<int, QByteArray> texts = {
        {3, QByteArrayLiteral("operation not allowed")},
        {4, QByteArrayLiteral("operation not supported")},
        {10, QByteArrayLiteral("SIM not inserted")},
        {11, QByteArrayLiteral("SIM PIN required")},
        {12, QByteArrayLiteral("SIM PUK required")},
        {16, QByteArrayLiteral("incorrect password")},
        {20, QByteArrayLiteral("memory full")},
        {21, QByteArrayLiteral("invalid index")},
        {22, QByteArrayLiteral("not found")},
        {24, QByteArrayLiteral("text string too long")},
        {26, QByteArrayLiteral("dial string too long")},
        {27, QByteArrayLiteral("invalid characters in dial string")},
        {50, QByteArrayLiteral("Incorrect parameters")},
    };
    return texts;
}

// The character sets offered by AT+CSCS; names are taken byte for byte whichever is chosen.
inline const QList<QByteArray> kCharsets = {QByteArrayLiteral("GSM"), QByteArrayLiteral("IRA"),
                                            QByteArrayLiteral("8859-1")};

inline Answer ok(QList<QByteArray> lines = {}) {
    return {std::move(lines), kOk, false};
}
inline Answer error() {
    return {{}, kError, false};
}
inline Answer cmsError(int code) {
    return {{}, QByteArrayLiteral("+CMS ERROR: ") + QByteArray::number(code), false};
}

inline std::optional<int> toInt(const QByteArray& text) {
    bool good = false;
    const int value = text.toInt(&good);
    if (!good)
        return std::nullopt;
    return value;
}

inline std::optional<int> intArgument(const QList<AtArgument>& args, qsizetype i) {
    if (i >= args.size() || args[i].quoted)
        return std::nullopt;
    return toInt(args[i].value);
}

inline bool isDialString(const QByteArray& number) {
    for (const char c : number) {
        if (!QByteArrayView("0123456789+*#pPwW").contains(c))
            return false;
    }
    return true;
}

inline QByteArray quoted(const QByteArray& text) {
    return '"' + text + '"';
}

}  // namespace pelmar::simulator::answers
