#include "XmlSafeText.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace NS_DIRECTORY {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";

// One UTF-8 sequence: its code point and length when well-formed, else the length of its maximal
// ill-formed subpart.
struct Sequence {
    char32_t nCode;
    std::size_t nLength;
    bool bWellFormed;
};

Sequence SequenceAt(const unsigned char* pText, std::size_t nLeft) {
    const unsigned char nLead = pText[0];
    if (nLead < 0x80) {
        return {nLead, 1, true};
    }
    std::size_t nFollowing = 0;
    char32_t nCode = 0;
    unsigned char nLow = 0x80;
    unsigned char nHigh = 0xBF;
    if (nLead >= 0xC2 && nLead <= 0xDF) {
        nFollowing = 1;
        nCode = nLead & 0x1F;
    } else if (nLead >= 0xE0 && nLead <= 0xEF) {
        nFollowing = 2;
        nCode = nLead & 0x0F;
        nLow = nLead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        nHigh = nLead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (nLead >= 0xF0 && nLead <= 0xF4) {
        nFollowing = 3;
        nCode = nLead & 0x07;
        nLow = nLead == 0xF0 ? 0x90 : 0x80;   // no overlong forms
        nHigh = nLead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return {kReplacement, 1, false};
    }
    std::size_t nLength = 1;
    for (std::size_t nIndex = 0; nIndex < nFollowing; ++nIndex, ++nLength) {
        if (nLength >= nLeft || pText[nLength] < nLow || pText[nLength] > nHigh) {
            return {kReplacement, nLength, false};
        }
        nCode = (nCode << 6) | (pText[nLength] & 0x3F);
        nLow = 0x80;
        nHigh = 0xBF;
    }
    return {nCode, nLength, true};
}

bool IsXmlChar(char32_t nCode) {
    return nCode == 0x9 || nCode == 0xA || nCode == 0xD || (nCode >= 0x20 && nCode <= 0xD7FF) ||
           (nCode >= 0xE000 && nCode <= 0xFFFD) || (nCode >= 0x10000 && nCode <= 0x10FFFF);
}

bool IsPlainAscii(unsigned char nByte) {
    return nByte >= 0x20 && nByte < 0x80;
}

// The bytes of a word that are not plain ASCII get their high bit set: those below 0x20 by the borrow of the
// subtraction, those of 0x80 or more by their own. A borrow may also mark more significant bytes after a
// marked one; the least significant mark is always true. A false mark costs only a byte-wise step.
constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

std::uint64_t NotPlainMarks(std::uint64_t nWord) {
    return ((nWord - kSpaces) | nWord) & kHighBits;
}

// The position in memory order of the lowest marked byte of a word read in the machine's byte order.
std::size_t FirstMarkedByte(std::uint64_t nMarks) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(nMarks)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(nMarks)) / 8;
#endif
}

std::uint64_t WordAt(const unsigned char* pText) {
    std::uint64_t nWord = 0;
    std::memcpy(&nWord, pText, sizeof(nWord));
    return nWord;
}

// How many bytes from nIndex on are plain ASCII, 32 and then 8 at a time.
std::size_t PlainAsciiRun(const unsigned char* pText, std::size_t nIndex, std::size_t nSize) {
    const std::size_t nStart = nIndex;
    while (nIndex + 32 <= nSize &&
           (NotPlainMarks(WordAt(pText + nIndex)) | NotPlainMarks(WordAt(pText + nIndex + 8)) |
            NotPlainMarks(WordAt(pText + nIndex + 16)) | NotPlainMarks(WordAt(pText + nIndex + 24))) == 0) {
        nIndex += 32;
    }
    while (nIndex + 8 <= nSize) {
        const std::uint64_t nMarks = NotPlainMarks(WordAt(pText + nIndex));
        if (nMarks != 0) {
            return nIndex - nStart + FirstMarkedByte(nMarks);
        }
        nIndex += 8;
    }
    while (nIndex < nSize && IsPlainAscii(pText[nIndex])) {
        ++nIndex;
    }
    return nIndex - nStart;
}

}  // namespace

bool IsXmlSafeText(const char* pChars, std::size_t nSize) {
    const auto* pText = reinterpret_cast<const unsigned char*>(pChars);
    for (std::size_t nIndex = 0; nIndex < nSize;) {
        nIndex += PlainAsciiRun(pText, nIndex, nSize);
        if (nIndex >= nSize) {
            break;
        }
        const Sequence sequence = SequenceAt(pText + nIndex, nSize - nIndex);
        if (!sequence.bWellFormed || !IsXmlChar(sequence.nCode)) {
            return false;
        }
        nIndex += sequence.nLength;
    }
    return true;
}

bool IsXmlSafeText(const std::string& strText) {
    return IsXmlSafeText(strText.data(), strText.size());
}

bool MakeXmlSafeText(std::string& strText) {
    if (IsXmlSafeText(strText)) {
        return false;
    }
    const auto* pText = reinterpret_cast<const unsigned char*>(strText.data());
    const std::size_t nSize = strText.size();
    std::string strClean;
    strClean.reserve(nSize + 2);
    for (std::size_t nIndex = 0; nIndex < nSize;) {
        const Sequence sequence = SequenceAt(pText + nIndex, nSize - nIndex);
        if (!sequence.bWellFormed) {
            strClean += kReplacementUtf8;
        } else if (IsXmlChar(sequence.nCode)) {
            strClean.append(strText, nIndex, sequence.nLength);
        }
        nIndex += sequence.nLength;
    }
    strText.swap(strClean);
    return true;
}

std::string XmlSafeText(const std::string& strText) {
    std::string strClean = strText;
    MakeXmlSafeText(strClean);
    return strClean;
}

}  // namespace NS_DIRECTORY
