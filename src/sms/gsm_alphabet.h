#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038): which characters
// Standard coding can carry, and the septets that stand for them.
namespace pelmar {

// The escape septet that puts the next septet into the extension table.
constexpr quint8 kGsmEscape = 0x1B;

// Septets that `c` takes in Standard coding: 1 in the default alphabet, 2 (ESC + code) in the
// extension table, 0 when Standard coding cannot carry it.
int GsmSeptetsOf(QChar c);

// Septets of the whole text; characters that Standard coding cannot carry count 0.
int GsmSeptetCount(const QString& text);

// Whether every character of the text can go in Standard coding.
bool IsGsmText(const QString& text);

// Index of the first character that Standard coding cannot carry, or -1.
qsizetype FirstNonGsmChar(const QString& text);

// The text without the characters that Standard coding cannot carry (the Send page's filter).
QString StripNonGsmChars(const QString& text);

// One septet value (0..127) per byte, ESC + code for extension characters; characters that
// Standard coding cannot carry are left out.
QByteArray TextToGsmSeptets(const QString& text);

// The text that septet values spell. An escape before a code the extension table lacks shows
// the default character, as TS 23.038 asks of a receiver; a trailing escape is dropped.
QString GsmSeptetsToText(QByteArrayView septets);

}  // namespace pelmar
