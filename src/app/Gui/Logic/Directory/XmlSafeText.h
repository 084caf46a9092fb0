#pragma once
// The rule for text that enters the local phone book (and so its files "contact_list.xml",
// "contact_group_list.xml" and the export): everything stored must be writable as well-formed XML 1.0 in
// UTF-8, because other programs read these files with strict parsers. Text is cleaned, never refused, so
// an imported or copied contact is kept:
// - well-formed UTF-8 stays as it is, except characters XML 1.0 cannot carry, which are dropped: NUL, the
//   other control characters below U+0020 but tab, line feed and carriage return, and U+FFFE and U+FFFF;
// - every ill-formed UTF-8 sequence (stray continuation byte, overlong form, surrogate, value above
//   U+10FFFF, a sequence cut short) becomes one U+FFFD per maximal ill-formed subpart.
// A name that is empty once cleaned counts as empty. Used by local edits, imports and file loads, and by
// every directory that copies entries into the local phone book.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace NS_DIRECTORY {

// True when the text already follows the rule.
bool IsXmlSafeText(const std::string& strText);
bool IsXmlSafeText(const char* pText, std::size_t nSize);
// True when every byte is printable ASCII (0x20 to 0x7F): such text follows the rule and holds no white
// space but the space. Inline: it is asked of every text a contact file gives.
inline bool IsPlainAsciiText(const char* pText, std::size_t nSize) {
    // Eight bytes at a time, the last eight overlapping the word before them. In a word minus 0x20 in every
    // byte, a byte below 0x20 borrows and so gets its high bit set (a borrow can mark a further byte, but
    // only after a byte that is marked itself); a byte of 0x80 or more has it set already.
    constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const auto marks = [pText](std::size_t nAt) {
        std::uint64_t nWord = 0;
        std::memcpy(&nWord, pText + nAt, sizeof(nWord));
        return ((nWord - kSpaces) | nWord) & kHighBits;
    };
    if (nSize < 8) {
        for (std::size_t nIndex = 0; nIndex < nSize; ++nIndex) {
            const auto nByte = static_cast<unsigned char>(pText[nIndex]);
            if (nByte < 0x20 || nByte >= 0x80) {
                return false;
            }
        }
        return true;
    }
    std::uint64_t nMarks = marks(nSize - 8);
    for (std::size_t nIndex = 0; nIndex + 8 < nSize; nIndex += 8) {
        nMarks |= marks(nIndex);
    }
    return nMarks == 0;
}
// Applies the rule in place; true when the text changed.
bool MakeXmlSafeText(std::string& strText);
// The text with the rule applied.
std::string XmlSafeText(const std::string& strText);

}  // namespace NS_DIRECTORY
