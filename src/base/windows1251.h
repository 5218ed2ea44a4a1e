#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Windows-1251, the code page of the phonebook files, the names the handset stores and ringtone
// titles: our own table, so that the files read the same on every platform whatever the system
// offers.
namespace pelmar {

// Every byte decodes; 0x98, which the code page leaves unassigned, becomes U+0098 so that any
// byte sequence survives a decode and an encode unchanged.
QString decodeWindows1251(QByteArrayView bytes);

// The byte of one character, or nothing when the code page has no byte for it.
std::optional<char> encodeWindows1251Char(char16_t c);

// Nothing when `text` holds a character that the code page cannot hold.
std::optional<QByteArray> encodeWindows1251(QStringView text);

// Index of the first character of `text` that the code page cannot hold, or -1.
qsizetype firstNonWindows1251(QStringView text);

}  // namespace pelmar
