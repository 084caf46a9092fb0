#pragma once
// Case and accent folding shared by the string match and the digit-key conversion, on utf8proc.
//
// Folding a character applies Unicode case folding, compatibility decomposition and removal of combining
// marks and of default-ignorable characters ("Müller" -> "muller", "Straße" -> "strasse", "ﬁ" -> "fi",
// "Ёж" -> "еж", "Άρης" -> "αρης"). The Latin letters with a stroke that Unicode does not decompose
// (ø ł đ ħ ŧ and the dotless ı) fold to their base letter as well, so "lodz" finds "Łódź"; ligatures the
// library keeps whole (æ œ) stay as they are. Every character folds on its own, so the folded form of a
// text is the folded forms of its characters one after another: a key that matches a text makes every
// prefix of that key match it too. Bytes that are not well-formed UTF-8 are kept as they are, one by one.

#include <cstddef>
#include <cstdint>
#include <string>

namespace etl_text {

// True when every byte is ASCII.
bool IsAscii(const std::string& strText);

// Decodes the well-formed UTF-8 sequence at pText[0..nLength) (RFC 3629: no overlong forms, no
// surrogates, nothing past U+10FFFF). Returns its length and sets nCodePoint; returns 0 when the bytes
// are not a well-formed sequence, with bTruncated set when they are the start of one that the end of
// the text cut short.
size_t DecodeUtf8(const char* pText, size_t nLength, uint32_t& nCodePoint, bool& bTruncated);

// The folded text. Ill-formed bytes are kept one by one.
std::string Fold(const std::string& strText);
// The folded form of a search key: as Fold, except that a character cut short by the end of the key
// (one being typed) is left out, so a key and the same key one byte longer fold to a prefix and its
// extension.
std::string FoldKey(const std::string& strKey);
// Whether the folded key occurs in the folded text (at its start with bFromStart). Folds the text into a
// buffer of the calling thread and remembers that thread's last key, so repeated calls do not allocate.
bool FoldedContains(const std::string& strText, const std::string& strKey, bool bFromStart);

}  // namespace etl_text
