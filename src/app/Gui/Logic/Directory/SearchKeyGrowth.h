#pragma once
// When a typed search key grew by exactly one character, so that an incremental search may narrow its
// remembered matches instead of searching afresh. Keys are UTF-8: one character is one byte, or one
// lead byte with the continuation bytes it announces ("и" after "" is one character of two bytes).

#include <string>

namespace NS_DIRECTORY {

// True when strKey is strLastKey followed by one more character.
inline bool IsOneCharacterLonger(const std::string& strKey, const std::string& strLastKey) {
    if (strKey.size() <= strLastKey.size() || strKey.compare(0, strLastKey.size(), strLastKey) != 0) {
        return false;
    }
    const size_t nAdded = strKey.size() - strLastKey.size();
    if (nAdded == 1) {
        return true;
    }
    const unsigned char lead = static_cast<unsigned char>(strKey[strLastKey.size()]);
    const size_t nAnnounced = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (lead > 0xF4 || nAdded != nAnnounced) {
        return false;
    }
    for (size_t i = strLastKey.size() + 1; i < strKey.size(); ++i) {
        if ((static_cast<unsigned char>(strKey[i]) & 0xC0) != 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace NS_DIRECTORY
