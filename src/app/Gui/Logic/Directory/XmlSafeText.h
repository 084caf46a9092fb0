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
#include <string>

namespace NS_DIRECTORY {

// True when the text already follows the rule.
bool IsXmlSafeText(const std::string& strText);
bool IsXmlSafeText(const char* pText, std::size_t nSize);
// True when every byte is printable ASCII (0x20 to 0x7F): such text follows the rule and holds no white
// space but the space.
bool IsPlainAsciiText(const char* pText, std::size_t nSize);
// Applies the rule in place; true when the text changed.
bool MakeXmlSafeText(std::string& strText);
// The text with the rule applied.
std::string XmlSafeText(const std::string& strText);

}  // namespace NS_DIRECTORY
