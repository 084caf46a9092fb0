#include "ContactRemoteParserBase.h"

#include <cstring>

namespace NS_DIRECTORY {

bool CContactRemoteParserBase::ParseSoftKeyNode(ContactRemoteHotKey* pHotKey, pugi::xml_node node) {
    if (pHotKey == nullptr || node.empty()) {
        return false;
    }
    pHotKey->m_strName = TrimSpaces(node.child("Name").text().get());
    pHotKey->m_strUrl = TrimSpaces(node.child("URL").text().get());
    return !pHotKey->m_strName.empty();
}

// Built in place from the document's text: one string per field, not three.
std::string CContactRemoteParserBase::TrimSpaces(const char* pText) {
    return std::string(TrimmedSpaces(pText));
}

std::string_view CContactRemoteParserBase::TrimmedSpaces(const char* pText) {
    if (pText == nullptr) {
        return std::string_view();
    }
    const char* pBegin = pText;
    while (*pBegin == ' ') {
        ++pBegin;
    }
    const char* pEnd = pBegin + std::strlen(pBegin);
    while (pEnd != pBegin && pEnd[-1] == ' ') {
        --pEnd;
    }
    return std::string_view(pBegin, static_cast<std::size_t>(pEnd - pBegin));
}

}  // namespace NS_DIRECTORY
