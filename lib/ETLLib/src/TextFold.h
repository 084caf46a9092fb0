#pragma once
// Case and accent folding shared by the string match and the digit-key conversion.

#include <string>

namespace etl_text {

// True when every byte is ASCII.
bool IsAscii(const std::string& strText);
// Lower-cased text with accented Latin letters replaced by their base letters ("Müller" -> "muller",
// "Æ" -> "ae") and upper-case Cyrillic and Greek letters lower-cased. Invalid UTF-8 bytes are kept as
// they are.
std::string Fold(const std::string& strText);

}  // namespace etl_text
