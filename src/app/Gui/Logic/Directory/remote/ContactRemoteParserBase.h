#pragma once
// Interface of the remote document parsers: each turns the root of one document format into items and
// hands them to the remote model, as children of the node the document was downloaded for.

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "ContactRemoteItem.h"

namespace NS_DIRECTORY {

class CContactRemoteParserBase {
public:
    virtual ~CContactRemoteParserBase() = default;
    // strFile is the local file (for log lines), strUrl the key of the node the items go under.
    virtual bool Parse(const std::string& strFile, const std::string& strUrl, pugi::xml_node root) = 0;

    // A SoftKeyItem's trimmed Name and URL; true when the name is non-empty.
    static bool ParseSoftKeyNode(ContactRemoteHotKey* pHotKey, pugi::xml_node node);

protected:
    // The text with spaces removed at both ends.
    static std::string TrimSpaces(const char* pText);
    // The same as a view into the text, for callers that copy it into a string of their own.
    static std::string_view TrimmedSpaces(const char* pText);
};

}  // namespace NS_DIRECTORY
