#include "TextFold.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace etl_text {
namespace {

constexpr utf8proc_option_t kFoldOptions = static_cast<utf8proc_option_t>(
    UTF8PROC_CASEFOLD | UTF8PROC_DECOMPOSE | UTF8PROC_COMPAT | UTF8PROC_STRIPMARK | UTF8PROC_IGNORE);
// The longest decomposition of one code point is 18 code points (U+FDFA).
constexpr utf8proc_ssize_t kMaxDecomposition = 32;
// Code points below this fold through a table filled from the library on first use; the rest ask the
// library each time (scripts whose letters mostly fold to themselves).
constexpr uint32_t kTableEnd = 0x3000;

char LowerAscii(unsigned char c) {
    return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
}

// Latin letters with a stroke that have no decomposition, and their base letters.
struct StrokedLetter {
    utf8proc_int32_t nCodePoint;
    char cBase;
};
constexpr StrokedLetter kStrokedLetters[] = {
    {0x00F8, 'o'} /* ø */, {0x0111, 'd'} /* đ */, {0x0127, 'h'} /* ħ */,
    {0x0131, 'i'} /* ı */, {0x0142, 'l'} /* ł */, {0x0167, 't'} /* ŧ */,
};

utf8proc_int32_t BaseOfStrokedLetter(utf8proc_int32_t cp) {
    for (const StrokedLetter& letter : kStrokedLetters) {
        if (letter.nCodePoint == cp) {
            return letter.cBase;
        }
    }
    return cp;
}

void AppendCodePoint(std::string& strOut, utf8proc_int32_t cp) {
    utf8proc_uint8_t bytes[4];
    const utf8proc_ssize_t nBytes = utf8proc_encode_char(cp, bytes);
    strOut.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(nBytes));
}

void AppendFoldedByLibrary(std::string& strOut, uint32_t nCodePoint) {
    utf8proc_int32_t folded[kMaxDecomposition];
    int nBoundClass = 0;
    const utf8proc_ssize_t nCount = utf8proc_decompose_char(static_cast<utf8proc_int32_t>(nCodePoint), folded,
                                                            kMaxDecomposition, kFoldOptions, &nBoundClass);
    if (nCount < 0 || nCount > kMaxDecomposition) {
        AppendCodePoint(strOut, static_cast<utf8proc_int32_t>(nCodePoint));
        return;
    }
    for (utf8proc_ssize_t i = 0; i < nCount; ++i) {
        AppendCodePoint(strOut, BaseOfStrokedLetter(folded[i]));
    }
}

// DecodeUtf8, inlined into the folding loop.
inline size_t DecodeSequence(const char* pText, size_t nLength, uint32_t& nCodePoint, bool& bTruncated) {
    bTruncated = false;
    const unsigned char lead = static_cast<unsigned char>(pText[0]);
    if (lead < 0x80) {
        nCodePoint = lead;
        return 1;
    }
    size_t nNeed = 0;
    uint32_t nValue = 0;
    unsigned char lowest = 0x80;  // bounds of the second byte; later ones are always 0x80..0xBF
    unsigned char highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        nNeed = 2;
        nValue = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        nNeed = 3;
        nValue = lead & 0x0Fu;
        lowest = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        highest = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        nNeed = 4;
        nValue = lead & 0x07u;
        lowest = lead == 0xF0 ? 0x90 : 0x80;
        highest = lead == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    for (size_t k = 1; k < nNeed; ++k) {
        if (k >= nLength) {
            bTruncated = true;
            return 0;
        }
        const unsigned char next = static_cast<unsigned char>(pText[k]);
        if (next < lowest || next > highest) {
            return 0;
        }
        lowest = 0x80;
        highest = 0xBF;
        nValue = nValue << 6 | (next & 0x3Fu);
    }
    nCodePoint = nValue;
    return nNeed;
}

// The folded UTF-8 of one code point, when it is short enough to be kept inline.
struct FoldEntry {
    char szBytes[7];
    uint8_t nLength;  // kLongFold: ask the library
};
constexpr uint8_t kLongFold = 0xFF;

// The folded form of every code point from 0x80 to kTableEnd, asked of the library once.
class FoldTable {
public:
    FoldTable() : m_vecEntry(kTableEnd - 0x80) {
        std::string strFolded;
        for (uint32_t cp = 0x80; cp < kTableEnd; ++cp) {
            strFolded.clear();
            AppendFoldedByLibrary(strFolded, cp);
            FoldEntry& entry = m_vecEntry[cp - 0x80];
            entry.nLength = kLongFold;
            if (strFolded.size() <= sizeof(entry.szBytes)) {
                std::memcpy(entry.szBytes, strFolded.data(), strFolded.size());
                entry.nLength = static_cast<uint8_t>(strFolded.size());
            }
        }
    }

    // The entries from U+0080 on.
    const FoldEntry* Entries() const { return m_vecEntry.data(); }

private:
    std::vector<FoldEntry> m_vecEntry;
};

const FoldTable& Table() {
    static const FoldTable table;
    return table;
}

// Writes the folded text at the start of strRoom, growing it when needed, and returns the folded length.
// strRoom keeps its size, as room for the next text.
size_t FoldInto(std::string& strRoom, const std::string& strText, bool bDropTruncatedTail) {
    const FoldEntry* const pEntries = Table().Entries();  // a local: the bytes written cannot change it
    const char* const pText = strText.data();
    const size_t nLength = strText.size();
    // Keeps room for nMore bytes and then the most the rest of the text can give from the table (a byte for
    // an ASCII or ill-formed byte, seven for a character of at least two); only the library's long forms
    // need more.
    const auto makeRoom = [&strRoom, nLength](size_t nOut, size_t nRead, size_t nMore) {
        const size_t nNeed = nOut + nMore + 4 * (nLength - nRead) + sizeof(FoldEntry::szBytes);
        if (strRoom.size() < nNeed) {
            strRoom.resize(nNeed);
        }
        return strRoom.data();
    };
    char* pOut = makeRoom(0, 0, 0);
    size_t nOut = 0;
    for (size_t i = 0; i < nLength;) {
        const unsigned char c = static_cast<unsigned char>(pText[i]);
        if (c < 0x80) {
            pOut[nOut++] = LowerAscii(c);
            ++i;
            continue;
        }
        uint32_t nCodePoint = 0;
        bool bTruncated = false;
        size_t nSequence = 0;
        if (c >= 0xC2 && c <= 0xDF && i + 1 < nLength &&
            (static_cast<unsigned char>(pText[i + 1]) & 0xC0) == 0x80) {
            nCodePoint =
                (c & 0x1Fu) << 6 | (static_cast<unsigned char>(pText[i + 1]) & 0x3Fu);  // most letters
            nSequence = 2;
        } else {
            nSequence = DecodeSequence(pText + i, nLength - i, nCodePoint, bTruncated);
        }
        if (nSequence == 0) {
            if (bTruncated && bDropTruncatedTail) {
                break;
            }
            pOut[nOut++] = static_cast<char>(c);
            ++i;
            continue;
        }
        i += nSequence;
        if (nCodePoint < kTableEnd) {
            const FoldEntry& entry = pEntries[nCodePoint - 0x80];
            if (entry.nLength != kLongFold) {
                std::memcpy(pOut + nOut, entry.szBytes, sizeof(entry.szBytes));
                nOut += entry.nLength;
                continue;
            }
        }
        std::string strFolded;
        AppendFoldedByLibrary(strFolded, nCodePoint);
        pOut = makeRoom(nOut, i, strFolded.size());
        std::memcpy(pOut + nOut, strFolded.data(), strFolded.size());
        nOut += strFolded.size();
    }
    return nOut;
}

// The calling thread's room for folding: its last key with the key's folded form, and the folded text.
struct MatchScratch {
    bool bHasKey = false;
    std::string strKey;
    std::string strFoldedKey;
    size_t nFoldedKeyLength = 0;
    std::string strFoldedText;
};

}  // namespace

bool IsAscii(const std::string& strText) {
    const char* pText = strText.data();
    const size_t nSize = strText.size();
    size_t i = 0;
    for (; i + 8 <= nSize; i += 8) {  // eight bytes at a time: no high bit set
        uint64_t nWord = 0;
        std::memcpy(&nWord, pText + i, sizeof(nWord));
        if (nWord & 0x8080808080808080ULL) {
            return false;
        }
    }
    for (; i < nSize; ++i) {
        if (static_cast<unsigned char>(pText[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

size_t DecodeUtf8(const char* pText, size_t nLength, uint32_t& nCodePoint, bool& bTruncated) {
    return DecodeSequence(pText, nLength, nCodePoint, bTruncated);
}

std::string Fold(const std::string& strText) {
    std::string strOut;
    strOut.resize(FoldInto(strOut, strText, false));
    return strOut;
}

std::string FoldKey(const std::string& strKey) {
    std::string strOut;
    strOut.resize(FoldInto(strOut, strKey, true));
    return strOut;
}

bool FoldedContains(const std::string& strText, const std::string& strKey, bool bFromStart) {
    thread_local MatchScratch scratch;
    if (!scratch.bHasKey || scratch.strKey != strKey) {
        scratch.bHasKey = false;
        scratch.strKey = strKey;
        scratch.nFoldedKeyLength = FoldInto(scratch.strFoldedKey, strKey, true);
        scratch.bHasKey = true;
    }
    const std::string_view folded(scratch.strFoldedKey.data(), scratch.nFoldedKeyLength);
    if (folded.empty()) {
        return true;
    }
    const size_t nTextLength = FoldInto(scratch.strFoldedText, strText, false);
    const std::string_view text(scratch.strFoldedText.data(), nTextLength);
    if (bFromStart) {
        return text.substr(0, folded.size()) == folded;
    }
    return text.find(folded) != std::string_view::npos;
}

}  // namespace etl_text
