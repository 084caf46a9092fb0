#pragma once
// Reads directory documents (root name ending in "IPPhoneDirectory"): entries, soft keys (fetched at once)
// and page keys (never fetched through the tree).

#include "ContactRemoteParserBase.h"

namespace NS_DIRECTORY {

class CRemoteUnitBatch;

class CContactRemoteUnitParser : public CContactRemoteParserBase {
public:
    bool Parse(const std::string& strFile, const std::string& strUrl, pugi::xml_node root) override;

    // Starts an entry of the batch with a DirectoryEntry's trimmed Name and its non-empty trimmed Telephone
    // texts; true when the name is non-empty.
    static bool MyParseUnitChildren(CRemoteUnitBatch* pUnits, pugi::xml_node node);
    // A paging MenuItem: its trimmed Item text is the key's name; true when the name is non-empty.
    static bool ParsePageKeyNode(ContactRemotePageKey* pPageKey, pugi::xml_node node);
};

}  // namespace NS_DIRECTORY
