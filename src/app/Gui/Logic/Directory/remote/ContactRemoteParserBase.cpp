#include "ContactRemoteParserBase.h"

#include "CommonAPI.h"

namespace NS_DIRECTORY {

bool CContactRemoteParserBase::ParseSoftKeyNode(ContactRemoteHotKey* pHotKey, pugi::xml_node node) {
    if (pHotKey == nullptr || node.empty()) {
        return false;
    }
    pHotKey->m_strName = TrimSpaces(node.child("Name").text().get());
    pHotKey->m_strUrl = TrimSpaces(node.child("URL").text().get());
    return !pHotKey->m_strName.empty();
}

std::string CContactRemoteParserBase::TrimSpaces(const char* pText) {
    return CommonAPI_TrimString(pText == nullptr ? "" : pText, " ", TRIM_BOTH);
}

}  // namespace NS_DIRECTORY
