#pragma once
// Reads phone-book documents (root name ending in "IPPhoneBook"): named groups whose entries are inline.
// A group name already in the tree gets the first free suffix "(1)", "(2)", ...

#include "ContactRemoteParserBase.h"

namespace NS_DIRECTORY {

class CRemoteUnitBatch;

class CContactRemoteMixedParser : public CContactRemoteParserBase {
public:
    bool Parse(const std::string& strFile, const std::string& strUrl, pugi::xml_node root) override;

    // The Menu's Name attribute as name and URL; false only for a present but empty Name.
    static bool MyParseMenuNode(ContactRemoteMenu* pMenu, pugi::xml_node node);
    // Starts an entry of the batch with the Unit's Name and its non-empty Phone1, Phone2 and Phone3
    // attributes; succeeds for any node.
    static bool MyParseUnitNode(CRemoteUnitBatch* pUnits, pugi::xml_node node);
};

}  // namespace NS_DIRECTORY
