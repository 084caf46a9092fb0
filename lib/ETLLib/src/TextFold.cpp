#include "TextFold.h"

#include <cstdint>

namespace etl_text {
namespace {

// Base letters of U+00C0 to U+017F; "" keeps the character (the multiplication and division signs).
const char* const kLatinBase[192] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", "d", "n", "o", "o", "o",
    "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "ss", "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e",
    "e", "e", "i", "i", "i", "i", "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th",
    "y", "a", "a", "a", "a", "a", "a", "c", "c", "c", "c", "c", "c", "c", "c", "d", "d", "d", "d", "e", "e",
    "e", "e", "e", "e", "e", "e", "e", "e", "g", "g", "g", "g", "g", "g", "g", "g", "h", "h", "h", "h", "i",
    "i", "i", "i", "i", "i", "i", "i", "i", "i", "ij", "ij", "j", "j", "k", "k", "k", "l", "l", "l", "l", "l",
    "l", "l", "l", "l", "l", "n", "n", "n", "n", "n", "n", "n", "n", "n", "o", "o", "o", "o", "o", "o", "oe",
    "oe", "r", "r", "r", "r", "r", "r", "s", "s", "s", "s", "s", "s", "s", "s", "t", "t", "t", "t", "t", "t",
    "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "u", "w", "w", "y", "y", "y", "z", "z", "z", "z",
    "z", "z", "s",
};

// Length of a well-formed two- or three-byte sequence at text[i] and its code point; 0 when not one.
size_t DecodeShortSequence(const std::string& strText, size_t i, uint32_t& nCodePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(strText[k]); };
    const unsigned char lead = byte(i);
    if ((lead & 0xE0) == 0xC0 && i + 1 < strText.size() && (byte(i + 1) & 0xC0) == 0x80) {
        nCodePoint = ((lead & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
        return nCodePoint >= 0x80 ? 2 : 0;
    }
    return 0;
}

void AppendUtf8(std::string& strOut, uint32_t nCodePoint) {
    strOut += static_cast<char>(0xC0 | (nCodePoint >> 6));
    strOut += static_cast<char>(0x80 | (nCodePoint & 0x3F));
}

// The lower-case form of a two-byte code point outside the Latin table (Greek and Cyrillic capitals).
uint32_t LowerTwoByte(uint32_t cp) {
    if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 0x20;  // Greek capitals
    if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;                 // Cyrillic А..Я
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;                 // Cyrillic Ѐ..Џ
    return cp;
}

}  // namespace

bool IsAscii(const std::string& strText) {
    for (const char c : strText) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::string Fold(const std::string& strText) {
    std::string strOut;
    strOut.reserve(strText.size());
    for (size_t i = 0; i < strText.size();) {
        const unsigned char c = static_cast<unsigned char>(strText[i]);
        if (c < 0x80) {
            strOut += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
            ++i;
            continue;
        }
        uint32_t cp = 0;
        const size_t len = DecodeShortSequence(strText, i, cp);
        if (len == 0) {
            strOut += static_cast<char>(c);
            ++i;
            continue;
        }
        if (cp >= 0xC0 && cp <= 0x17F && kLatinBase[cp - 0xC0][0] != '\0') {
            strOut += kLatinBase[cp - 0xC0];
        } else {
            AppendUtf8(strOut, LowerTwoByte(cp));
        }
        i += len;
    }
    return strOut;
}

}  // namespace etl_text
