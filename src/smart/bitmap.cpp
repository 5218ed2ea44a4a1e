#include "smart/bitmap.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>

namespace pelmar {

MonoBitmap::MonoBitmap(int width, int height)
    : m_width(width > 0 && height > 0 ? width : 0),
      m_height(width > 0 && height > 0 ? height : 0),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), false) {}

bool MonoBitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

void MonoBitmap::setPixel(int x, int y, bool set) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] = set;
}

namespace {

constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kCoreHeaderSize = 12;
constexpr qint64 kInfoHeaderSize = 40;
constexpr quint32 kUncompressed = 0;
// Far beyond any picture a handset shows; keeps every size computation small.
constexpr qint64 kMaxSide = 1 << 16;
constexpr std::array kKnownDepths{1, 4, 8, 16, 24, 32};

// Little-endian fields of the file, read only after their bounds were checked.
class BmpBytes {
  public:
    BmpBytes(QByteArrayView bytes, const QString& fileName) : m_bytes(bytes), m_name(fileName) {}

    qint64 size() const { return m_bytes.size(); }
    bool has(qint64 offset, qint64 count) const {
        return offset >= 0 && count >= 0 && offset <= size() && count <= size() - offset;
    }
    quint8 u8(qint64 offset) const { return static_cast<quint8>(m_bytes[offset]); }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(m_bytes.data() + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(m_bytes.data() + offset); }
    qint32 i32(qint64 offset) const { return qFromLittleEndian<qint32>(m_bytes.data() + offset); }

    [[noreturn]] void refuse(const QString& why) const {
        const QString what =
            m_name.isEmpty() ? QStringLiteral("The file") : QStringLiteral("\"%1\"").arg(m_name);
        throw EBitmap(EBitmap::Reason::NotABitmap,
                      QStringLiteral("%1 is not a bitmap: %2.").arg(what, why));
    }
    void need(qint64 offset, qint64 count, const QString& what) const {
        if (!has(offset, count))
            refuse(QStringLiteral("%1 is cut short").arg(what));
    }

  private:
    QByteArrayView m_bytes;
    QString m_name;
};

struct Header {
    qint64 width = 0;
    qint64 height = 0;  // always positive; `topDown` keeps the row order
    bool topDown = false;
    int depth = 0;
    quint32 compression = kUncompressed;
    qint64 paletteOffset = 0;
    int paletteEntrySize = 4;
    qint64 paletteEntries = 0;
};

Header readHeader(const BmpBytes& in) {
    if (!in.has(0, 2) || in.u8(0) != 'B' || in.u8(1) != 'M') {
        in.refuse(QStringLiteral("it does not start with \"BM\""));
    }
    in.need(0, kFileHeaderSize + 4, QStringLiteral("its file header"));
    const qint64 headerSize = in.u32(kFileHeaderSize);
    in.need(kFileHeaderSize, headerSize, QStringLiteral("its info header"));

    Header h;
    if (headerSize == kCoreHeaderSize) {
        // The old OS/2 header: 16-bit sizes, always bottom-up, three-octet palette entries.
        h.width = in.u16(kFileHeaderSize + 4);
        h.height = in.u16(kFileHeaderSize + 6);
        h.depth = in.u16(kFileHeaderSize + 10);
        h.paletteEntrySize = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        h.width = in.i32(kFileHeaderSize + 4);
        const qint64 height = in.i32(kFileHeaderSize + 8);
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        h.depth = in.u16(kFileHeaderSize + 14);
        h.compression = in.u32(kFileHeaderSize + 16);
        h.paletteEntries = in.u32(kFileHeaderSize + 32);
    } else {
        in.refuse(QStringLiteral("its header size %1 is unknown").arg(headerSize));
    }
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide) {
        in.refuse(QStringLiteral("its size %1 x %2 is not a picture's").arg(h.width).arg(h.height));
    }
    if (std::find(kKnownDepths.begin(), kKnownDepths.end(), h.depth) == kKnownDepths.end()) {
        in.refuse(QStringLiteral("its depth of %1 bits per pixel is unknown").arg(h.depth));
    }
    if (h.depth <= 8 && (h.paletteEntries == 0 || h.paletteEntries > (qint64{1} << h.depth))) {
        h.paletteEntries = qint64{1} << h.depth;
    }
    h.paletteOffset = kFileHeaderSize + headerSize;
    return h;
}

MonoBitmap readOneBitPixels(const BmpBytes& in, const Header& h) {
    if (h.compression != kUncompressed) {
        in.refuse(QStringLiteral("its 1-bit pixels are compressed"));
    }
    in.need(h.paletteOffset, h.paletteEntries * h.paletteEntrySize, QStringLiteral("its palette"));
    // Entries are blue, green, red (and a spare octet); only pure black counts as set.
    std::array<bool, 2> black{false, false};
    for (qint64 i = 0; i < h.paletteEntries && i < 2; ++i) {
        const qint64 at = h.paletteOffset + i * h.paletteEntrySize;
        black[static_cast<size_t>(i)] = in.u8(at) == 0 && in.u8(at + 1) == 0 && in.u8(at + 2) == 0;
    }

    const qint64 dataOffset = in.u32(10);
    const qint64 stride = (h.width + 31) / 32 * 4;  // rows are padded to whole 32-bit words
    in.need(dataOffset, stride * h.height, QStringLiteral("its pixel data"));

    MonoBitmap out(static_cast<int>(h.width), static_cast<int>(h.height));
    for (qint64 row = 0; row < h.height; ++row) {
        const qint64 y = h.topDown ? row : h.height - 1 - row;
        const qint64 rowStart = dataOffset + row * stride;
        for (qint64 x = 0; x < h.width; ++x) {
            const int bit = (in.u8(rowStart + x / 8) >> (7 - x % 8)) & 1;
            out.setPixel(static_cast<int>(x), static_cast<int>(y), black[static_cast<size_t>(bit)]);
        }
    }
    return out;
}

LoadedBitmap readBmp(QByteArrayView file, const QString& fileName) {
    const BmpBytes in(file, fileName);
    const Header h = readHeader(in);
    LoadedBitmap out;
    out.width = static_cast<int>(h.width);
    out.height = static_cast<int>(h.height);
    out.bitsPerPixel = h.depth;
    if (out.isOneBit())
        out.pixels = readOneBitPixels(in, h);
    return out;
}

}  // namespace

LoadedBitmap ReadBmp(QByteArrayView file) {
    return readBmp(file, QString());
}

LoadedBitmap LoadBmpFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        throw EBitmap(EBitmap::Reason::NotABitmap,
                      QStringLiteral("Can not read \"%1\": %2.").arg(fileName, f.errorString()));
    }
    // A bitmap that a handset can show is tiny; do not pull a huge file into memory.
    constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        throw EBitmap(EBitmap::Reason::NotABitmap,
                      QStringLiteral("\"%1\" is too large for a bitmap.").arg(fileName));
    }
    return readBmp(bytes, fileName);
}

MonoBitmap LoadMonoBitmap(const QString& fileName, int width, int height,
                          const QString& formatMessage) {
    const LoadedBitmap loaded = LoadBmpFile(fileName);
    if (!loaded.isOneBit() || loaded.width != width || loaded.height != height) {
        throw EBitmap(EBitmap::Reason::WrongFormat, formatMessage);
    }
    return loaded.pixels;
}

}  // namespace pelmar
