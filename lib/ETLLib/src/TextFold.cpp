#include "TextFold.h"

#include <utf8proc.h>

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

// Latin letters with a stroke that have no decomposition, folded to their base letter.
utf8proc_int32_t BaseOfStrokedLetter(utf8proc_int32_t cp) {
    switch (cp) {
        case 0x00F8:
            return 'o';  // ø
        case 0x0111:
            return 'd';  // đ
        case 0x0127:
            return 'h';  // ħ
        case 0x0131:
            return 'i';  // ı
        case 0x0142:
            return 'l';  // ł
        case 0x0167:
            return 't';  // ŧ
        default:
            return cp;
    }
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

// Folded UTF-8 of every code point from 0x80 to kTableEnd: offset << 8 | length into the pool.
class FoldTable {
public:
    FoldTable() {
        m_vecEntry.reserve(kTableEnd - 0x80);
        for (uint32_t cp = 0x80; cp < kTableEnd; ++cp) {
            const size_t nOffset = m_strPool.size();
            AppendFoldedByLibrary(m_strPool, cp);
            m_vecEntry.push_back(static_cast<uint32_t>(nOffset << 8 | (m_strPool.size() - nOffset)));
        }
    }

    void Append(std::string& strOut, uint32_t nCodePoint) const {
        const uint32_t nEntry = m_vecEntry[nCodePoint - 0x80];
        strOut.append(m_strPool, nEntry >> 8, nEntry & 0xFF);
    }

private:
    std::vector<uint32_t> m_vecEntry;
    std::string m_strPool;
};

const FoldTable& Table() {
    static const FoldTable table;
    return table;
}

void AppendFolded(std::string& strOut, const std::string& strText, bool bDropTruncatedTail) {
    const char* const pText = strText.data();
    const size_t nLength = strText.size();
    for (size_t i = 0; i < nLength;) {
        const unsigned char c = static_cast<unsigned char>(pText[i]);
        if (c < 0x80) {
            strOut += LowerAscii(c);
            ++i;
            continue;
        }
        uint32_t nCodePoint = 0;
        bool bTruncated = false;
        const size_t nSequence = DecodeUtf8(pText + i, nLength - i, nCodePoint, bTruncated);
        if (nSequence == 0) {
            if (bTruncated && bDropTruncatedTail) {
                return;
            }
            strOut += static_cast<char>(c);
            ++i;
            continue;
        }
        if (nCodePoint < kTableEnd) {
            Table().Append(strOut, nCodePoint);
        } else {
            AppendFoldedByLibrary(strOut, nCodePoint);
        }
        i += nSequence;
    }
}

// The calling thread's buffers: its last key with its folded form, and the folded text.
struct MatchScratch {
    bool bHasKey = false;
    std::string strKey;
    std::string strFoldedKey;
    std::string strFoldedText;
};

}  // namespace

bool IsAscii(const std::string& strText) {
    for (const char c : strText) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

size_t DecodeUtf8(const char* pText, size_t nLength, uint32_t& nCodePoint, bool& bTruncated) {
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

std::string Fold(const std::string& strText) {
    std::string strOut;
    strOut.reserve(strText.size());
    AppendFolded(strOut, strText, false);
    return strOut;
}

std::string FoldKey(const std::string& strKey) {
    std::string strOut;
    strOut.reserve(strKey.size());
    AppendFolded(strOut, strKey, true);
    return strOut;
}

bool FoldedContains(const std::string& strText, const std::string& strKey, bool bFromStart) {
    thread_local MatchScratch scratch;
    if (!scratch.bHasKey || scratch.strKey != strKey) {
        scratch.bHasKey = false;
        scratch.strKey = strKey;
        scratch.strFoldedKey.clear();
        AppendFolded(scratch.strFoldedKey, strKey, true);
        scratch.bHasKey = true;
    }
    const std::string_view folded(scratch.strFoldedKey);
    if (folded.empty()) {
        return true;
    }
    scratch.strFoldedText.clear();
    AppendFolded(scratch.strFoldedText, strText, false);
    const std::string_view text(scratch.strFoldedText);
    if (bFromStart) {
        return text.substr(0, folded.size()) == folded;
    }
    return text.find(folded) != std::string_view::npos;
}

}  // namespace etl_text
