// Feeds arbitrary bytes to the BMP reader: a file the user picks may be anything. It either
// refuses with an EBitmap or reports a size whose 1-bit pixels were all read from the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "smart/bitmap.h"
#include "smart/picture_message.h"

using namespace pelmar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LoadedBitmap loaded;
    try {
        loaded = ReadBmp(bytes);
    } catch (const EBitmap&) {
        return 0;
    }
    if (loaded.width <= 0 || loaded.height <= 0)
        std::abort();
    if (loaded.isOneBit()) {
        if (loaded.pixels.width() != loaded.width || loaded.pixels.height() != loaded.height) {
            std::abort();
        }
        BitmapToBits(loaded.pixels, loaded.height);
    }
    return 0;
}
