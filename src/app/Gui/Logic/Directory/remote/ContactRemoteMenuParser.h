#pragma once
// Reads menu documents (root name ending in "IPPhoneMenu"): menus and soft keys, each fetched at once.

#include "ContactRemoteParserBase.h"

namespace NS_DIRECTORY {

class CContactRemoteMenuParser : public CContactRemoteParserBase {
public:
    bool Parse(const std::string& strFile, const std::string& strUrl, pugi::xml_node root) override;

    // A MenuItem's trimmed Name and URL; true when the name is non-empty.
    static bool MyParseMenuChildren(ContactRemoteMenu* pMenu, pugi::xml_node node);
};

}  // namespace NS_DIRECTORY
