#include "ContactRemoteUnitParser.h"

#include <cstring>

#include "AppLog.h"
#include "ContactRemoteModel.h"
#include "RemoteUnitBatch.h"

namespace NS_DIRECTORY {

bool CContactRemoteUnitParser::Parse(const std::string& strFile, const std::string& strUrl,
                                     pugi::xml_node root) {
    if (root.empty()) {
        app_log(6, APP_LOG_INFO, "Parse [%s] is not remote unit xml!\n", strFile.c_str());
        return false;
    }
    CContactRemoteModel* pModel = CContactRemoteModel::PeekInstance();
    if (pModel == nullptr) {
        return false;
    }
    CRemoteUnitBatch units(pModel, strUrl);
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (std::strcmp(child.name(), "DirectoryEntry") == 0) {
            if (MyParseUnitChildren(&units, child)) {
                units.Keep();
            }
        } else if (std::strcmp(child.name(), "SoftKeyItem") == 0) {
            units.Flush();
            ContactRemoteHotKey hotKey;
            const bool bParsed = ParseSoftKeyNode(&hotKey, child);
            const auto eStatus = hotKey.m_strUrl.empty() ? CContactRemoteModel::FILE_DOWNLOAD_NO_URL
                                                         : CContactRemoteModel::FILE_DOWNLOAD_READY;
            if (bParsed && pModel->MyAddHotKeyContact(&hotKey, eStatus, strUrl) == 0) {
                pModel->MyExecDownload(hotKey.m_strUrl, false, false);
            }
        } else if (std::strcmp(child.name(), "MenuItem") == 0) {
            units.Flush();
            ContactRemotePageKey pageKey;
            if (ParsePageKeyNode(&pageKey, child)) {
                pModel->MyAddPageKeyContact(&pageKey,
                                            pageKey.m_strUrl.empty()
                                                ? CContactRemoteModel::FILE_DOWNLOAD_NO_URL
                                                : CContactRemoteModel::FILE_DOWNLOADED_OK,
                                            strUrl);
            }
        } else if (std::strcmp(child.name(), "Title") == 0) {
            pModel->MySetTitle(child.text().get(), strUrl);
        }
    }
    units.Flush();
    pModel->MySortChildrenByUrl(strUrl);
    return true;
}

bool CContactRemoteUnitParser::MyParseUnitChildren(CRemoteUnitBatch* pUnits, pugi::xml_node node) {
    if (pUnits == nullptr || node.empty()) {
        return false;
    }
    pUnits->Start();
    // One walk over the children: the first "Name" gives the name, every "Telephone" a number, in order.
    // child_value() is the element's first text child, as text().get() is for a parsed document, in one call.
    bool bNamed = false;
    std::string_view name;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        const char* pName = child.name();
        if (!bNamed && std::strcmp(pName, "Name") == 0) {
            name = TrimmedSpaces(child.child_value());
            pUnits->SetName(name);
            bNamed = true;
        } else if (std::strcmp(pName, "Telephone") == 0) {
            const std::string_view number = TrimmedSpaces(child.child_value());
            if (!number.empty()) {
                pUnits->AddNumber(number);
            }
        }
    }
    return !name.empty();
}

bool CContactRemoteUnitParser::ParsePageKeyNode(ContactRemotePageKey* pPageKey, pugi::xml_node node) {
    if (pPageKey == nullptr || node.empty()) {
        return false;
    }
    pPageKey->m_strName = TrimSpaces(node.child("Item").text().get());
    pPageKey->m_strUrl = TrimSpaces(node.child("URL").text().get());
    app_log(6, APP_LOG_INFO, "url = %s,name =%s\n", RemoteUrlForLog(pPageKey->m_strUrl).c_str(),
            pPageKey->m_strName.c_str());
    return !pPageKey->m_strName.empty();
}

}  // namespace NS_DIRECTORY
