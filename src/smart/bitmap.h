#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

#include "base/error.h"

// Black-and-white pictures for picture messages and operator logos, and the BMP files they come
// from. The core reads BMP files itself so that it needs no QtGui.
namespace pelmar {

// A 1-bit picture: a pixel is set (black) or clear. Reads outside the picture give clear pixels
// and writes outside it are ignored, so a short picture can never be read past its end.
class MonoBitmap {
  public:
    MonoBitmap() = default;
    MonoBitmap(int width, int height);  // every pixel clear; negative sizes count as 0

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isNull() const { return m_width == 0 || m_height == 0; }

    bool pixel(int x, int y) const;
    void setPixel(int x, int y, bool set);

    bool operator==(const MonoBitmap& other) const = default;

  private:
    int m_width = 0;
    int m_height = 0;
    std::vector<bool> m_pixels;  // row after row from the top
};

// A bitmap file that cannot be used. `NotABitmap`: not a BMP file, or a damaged one (the picture
// pages ignore such a file); `WrongFormat`: a readable bitmap of the wrong depth or size.
class EBitmap : public Error {
  public:
    enum class Reason { NotABitmap, WrongFormat };
    EBitmap(Reason why, const QString& message) : Error(message), reason(why) {}
    Reason reason;
};

// What a BMP file holds: its size and depth always, its pixels when it has 1 bit per pixel (a
// pixel is set when its palette colour is pure black).
struct LoadedBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    MonoBitmap pixels;

    bool isOneBit() const { return bitsPerPixel == 1; }
};

// Parses the bytes of a BMP file (file header, then a core, info or later info header).
// Throws EBitmap(NotABitmap) for anything that is not a complete, readable bitmap.
LoadedBitmap ReadBmp(QByteArrayView file);

// Reads a BMP file from disk or from the program's resources (":/...").
LoadedBitmap LoadBmpFile(const QString& fileName);

// Loads a 1-bit bitmap of exactly `width` × `height` pixels. Throws EBitmap(NotABitmap) for an
// unreadable file and EBitmap(WrongFormat, formatMessage) for a wrong depth or size.
MonoBitmap LoadMonoBitmap(const QString& fileName, int width, int height,
                          const QString& formatMessage);

}  // namespace pelmar
