#include <pcre2.h>

#include <array>
#include <cstring>
#include <utility>

#include "base/t_reg_expr_syntax.h"

namespace pelmar::regexpr {

namespace {

// --- Character tables for Windows-1251 -----------------------------------------------------

// PCRE2's table layout (pcre2_maketables): lower case, flip case, class bitmaps, type bits.
constexpr int kLowerCase = 0;
constexpr int kFlipCase = 256;
constexpr int kClassBits = 512;
constexpr int kCharTypes = kClassBits + 320;
constexpr int kTablesLength = kCharTypes + 256;
enum ClassBitmap {
    Space = 0,
    XDigit = 32,
    Digit = 64,
    Upper = 96,
    Lower = 128,
    Word = 160,
    Graph = 192,
    Print = 224,
    Punct = 256,
    Cntrl = 288
};
enum CharType {
    TypeSpace = 0x01,
    TypeLetter = 0x02,
    TypeLowerLetter = 0x04,
    TypeDigit = 0x08,
    TypeWord = 0x10
};

// Cyrillic capital and small letters of Windows-1251 outside the run А..я (0xC0..0xFF).
constexpr std::pair<quint8, quint8> kCyrillicCasePairs[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};
constexpr quint8 kVerticalTab = 0x0B;

void setBit(std::array<quint8, kTablesLength>& t, int map, int c) {
    t[kClassBits + map + c / 8] |= static_cast<quint8>(1u << (c % 8));
}

// The tables of the "C" locale, as PCRE2 builds them itself.
std::array<quint8, kTablesLength> cLocaleTables() {
    std::array<quint8, kTablesLength> t{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = isAsciiUpper(c), lower = isAsciiLower(c), digit = isAsciiDigit(c);
        const bool space = c == ' ' || (c >= '\t' && c <= '\r');
        const bool graph = c > ' ' && c < 0x7F, print = c >= ' ' && c < 0x7F;
        const bool word = upper || lower || digit || c == '_';
        t[kLowerCase + c] = static_cast<quint8>(upper ? c + 32 : c);
        t[kFlipCase + c] = static_cast<quint8>(upper ? c + 32 : lower ? c - 32 : c);
        const std::pair<bool, int> bitmaps[] = {{space, Space},
                                                {isHexDigit(c), XDigit},
                                                {digit, Digit},
                                                {upper, Upper},
                                                {lower, Lower},
                                                {word, Word},
                                                {graph, Graph},
                                                {print, Print},
                                                {graph && !isAsciiAlnum(c), Punct},
                                                {c < ' ' || c == 0x7F, Cntrl}};
        for (const auto& [in, map] : bitmaps) {
            if (in) {
                setBit(t, map, c);
            }
        }
        t[kCharTypes + c] = static_cast<quint8>(
            (space ? TypeSpace : 0) | (upper || lower ? TypeLetter : 0) |
            (lower ? TypeLowerLetter : 0) | (digit ? TypeDigit : 0) | (word ? TypeWord : 0));
    }
    return t;
}

// True when this PCRE2 lays its tables out as cLocaleTables() expects (compared on ASCII, which
// every locale classifies alike).
bool layoutMatchesLibrary(const std::array<quint8, kTablesLength>& ours) {
    const uint8_t* library = pcre2_maketables(nullptr);
    if (library == nullptr) {
        return false;
    }
    bool same = true;
    for (int block : {kLowerCase, kFlipCase, kCharTypes}) {
        same = same && std::memcmp(ours.data() + block, library + block, 128) == 0;
    }
    for (int map = 0; map < 320; map += 32) {
        same = same &&
               std::memcmp(ours.data() + kClassBits + map, library + kClassBits + map, 16) == 0;
    }
    pcre2_maketables_free(nullptr, library);
    return same;
}

}  // namespace

// Windows-1251 tables: Cyrillic letters fold under `i`, and "\s" leaves out the vertical tab.
// Classes stay ASCII, as "\w" is defined. Null (PCRE2's built-in tables) if the layout is not
// the expected one.
const uint8_t* windows1251Tables() {
    static const std::optional<std::array<quint8, kTablesLength>> tables =
        []() -> std::optional<std::array<quint8, kTablesLength>> {
        std::array<quint8, kTablesLength> t = cLocaleTables();
        if (!layoutMatchesLibrary(t)) {
            return std::nullopt;
        }
        t[kClassBits + Space + kVerticalTab / 8] &=
            static_cast<quint8>(~(1u << (kVerticalTab % 8)));
        t[kCharTypes + kVerticalTab] &= static_cast<quint8>(~TypeSpace);
        auto pair = [&t](int upper, int lower) {
            t[kLowerCase + upper] = static_cast<quint8>(lower);
            t[kFlipCase + upper] = static_cast<quint8>(lower);
            t[kFlipCase + lower] = static_cast<quint8>(upper);
        };
        for (int c = 0xC0; c < 0xE0; ++c) {
            pair(c, c + 0x20);
        }
        for (const auto& [upper, lower] : kCyrillicCasePairs) {
            pair(upper, lower);
        }
        return t;
    }();
    return tables ? tables->data() : nullptr;
}

}  // namespace pelmar::regexpr
