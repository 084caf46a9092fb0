#pragma once
// Recognises the format of a remote document by the name of its root and forwards it to the one parser of
// that format it owns.

#include <memory>
#include <string>

#include <pugixml.hpp>

#include "ContactRemoteParserBase.h"

namespace NS_DIRECTORY {

// The first top-level node whose name ends in strMask (case-sensitive), or an empty node.
pugi::xml_node FindRootNodeByMask(pugi::xml_document& doc, const std::string& strMask);

class CContactRemoteParserDelegator {
public:
    CContactRemoteParserDelegator();

    void ToMenuParser();
    void ToUnitParser();
    void ToMixedParser();
    // False for an empty root, else the current parser's result.
    bool Parse(const std::string& strFile, const std::string& strUrl, pugi::xml_node root);

    // The first top-level node whose name ends in "IPPhoneMenu", "IPPhoneDirectory" or "IPPhoneBook",
    // with the matching parser chosen; an empty node when none matches.
    pugi::xml_node ChooseParserFor(pugi::xml_document& doc);

private:
    std::unique_ptr<CContactRemoteParserBase> m_pParser;
};

}  // namespace NS_DIRECTORY
