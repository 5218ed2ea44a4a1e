// Feeds arbitrary text to the ringtone encoder: whatever the user pastes, it either refuses with
// an ERingtone or writes whole octets that start like every ringtone and end in the command end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/hex_text.h"
#include "smart/ringtone.h"

using namespace pelmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QByteArray hex;
    try {
        hex = EncodeRingtone(text);
    } catch (const ERingtone&) {
        return 0;
    }
    if (!HexToBytes(hex) || !hex.startsWith("024A3A") || !hex.endsWith("00") ||
        RingtoneOctetCount(hex) != hex.size() / 2) {
        std::abort();
    }
    return 0;
}
