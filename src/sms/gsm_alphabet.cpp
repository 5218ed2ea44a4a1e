#include "sms/gsm_alphabet.h"

#include <QHash>
#include <array>

namespace pelmar {
namespace {

// The default alphabet, indexed by septet. 0x1B is the escape, which no character maps to.
constexpr std::array<char16_t, 128> kDefaultAlphabet = {
    u'@', u'£', u'$',  u'¥',  u'è', u'é',  u'ù', u'ì',   // 0x00
    u'ò', u'Ç', u'\n', u'Ø',  u'ø', u'\r', u'Å', u'å',   // 0x08
    u'Δ', u'_', u'Φ',  u'Γ',  u'Λ', u'Ω',  u'Π', u'Ψ',   // 0x10
    u'Σ', u'Θ', u'Ξ',  u'\0', u'Æ', u'æ',  u'ß', u'É',   // 0x18
    u' ', u'!', u'"',  u'#',  u'¤', u'%',  u'&', u'\'',  // 0x20
    u'(', u')', u'*',  u'+',  u',', u'-',  u'.', u'/',   // 0x28
    u'0', u'1', u'2',  u'3',  u'4', u'5',  u'6', u'7',   // 0x30
    u'8', u'9', u':',  u';',  u'<', u'=',  u'>', u'?',   // 0x38
    u'¡', u'A', u'B',  u'C',  u'D', u'E',  u'F', u'G',   // 0x40
    u'H', u'I', u'J',  u'K',  u'L', u'M',  u'N', u'O',   // 0x48
    u'P', u'Q', u'R',  u'S',  u'T', u'U',  u'V', u'W',   // 0x50
    u'X', u'Y', u'Z',  u'Ä',  u'Ö', u'Ñ',  u'Ü', u'§',   // 0x58
    u'¿', u'a', u'b',  u'c',  u'd', u'e',  u'f', u'g',   // 0x60
    u'h', u'i', u'j',  u'k',  u'l', u'm',  u'n', u'o',   // 0x68
    u'p', u'q', u'r',  u's',  u't', u'u',  u'v', u'w',   // 0x70
    u'x', u'y', u'z',  u'ä',  u'ö', u'ñ',  u'ü', u'à',   // 0x78
};

struct ExtensionChar {
    quint8 code;  // the septet after the escape
    char16_t character;
};

// The extension table; 0x0A is the page break, shown as a form feed.
constexpr std::array<ExtensionChar, 10> kExtensionTable = {{
    {0x0A, u'\f'},
    {0x14, u'^'},
    {0x28, u'{'},
    {0x29, u'}'},
    {0x2F, u'\\'},
    {0x3C, u'['},
    {0x3D, u'~'},
    {0x3E, u']'},
    {0x40, u'|'},
    {0x65, u'€'},
}};

// Septets of one character: the default code, or ESC then the extension code.
struct SeptetCode {
    quint8 septet;
    bool extension;
};

const QHash<char16_t, SeptetCode>& encodingTable() {
    static const QHash<char16_t, SeptetCode> table = [] {
        QHash<char16_t, SeptetCode> t;
        for (quint8 s = 0; s < kDefaultAlphabet.size(); ++s) {
            if (s != kGsmEscape)
                t.insert(kDefaultAlphabet[s], {s, false});
        }
        for (const ExtensionChar& e : kExtensionTable)
            t.insert(e.character, {e.code, true});
        return t;
    }();
    return table;
}

char16_t extensionChar(quint8 code) {
    for (const ExtensionChar& e : kExtensionTable) {
        if (e.code == code)
            return e.character;
    }
    return 0;
}

}  // namespace

int GsmSeptetsOf(QChar c) {
    const auto it = encodingTable().constFind(c.unicode());
    if (it == encodingTable().cend())
        return 0;
    return it->extension ? 2 : 1;
}

int GsmSeptetCount(const QString& text) {
    int count = 0;
    for (const QChar c : text)
        count += GsmSeptetsOf(c);
    return count;
}

bool IsGsmText(const QString& text) {
    return FirstNonGsmChar(text) < 0;
}

qsizetype FirstNonGsmChar(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (GsmSeptetsOf(text[i]) == 0)
            return i;
    }
    return -1;
}

QString StripNonGsmChars(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (GsmSeptetsOf(c) > 0)
            out += c;
    }
    return out;
}

QByteArray TextToGsmSeptets(const QString& text) {
    QByteArray septets;
    septets.reserve(text.size());
    for (const QChar c : text) {
        const auto it = encodingTable().constFind(c.unicode());
        if (it == encodingTable().cend())
            continue;
        if (it->extension)
            septets += static_cast<char>(kGsmEscape);
        septets += static_cast<char>(it->septet);
    }
    return septets;
}

QString GsmSeptetsToText(QByteArrayView septets) {
    QString text;
    text.reserve(septets.size());
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 s = static_cast<quint8>(septets[i]) & 0x7F;
        if (s != kGsmEscape) {
            text += QChar(kDefaultAlphabet[s]);
            continue;
        }
        if (++i >= septets.size())
            break;
        const quint8 code = static_cast<quint8>(septets[i]) & 0x7F;
        // A second escape would switch to a further table that does not exist: a space.
        if (code == kGsmEscape) {
            text += QLatin1Char(' ');
        } else if (const char16_t ext = extensionChar(code)) {
            text += QChar(ext);
        } else {
            text += QChar(kDefaultAlphabet[code]);
        }
    }
    return text;
}

}  // namespace pelmar
