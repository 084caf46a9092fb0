#include "ContactRemoteMenuParser.h"

#include <cstring>

#include "AppLog.h"
#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

namespace {

using Status = CContactRemoteModel::FileDownloadStatus;

Status StatusForLink(const std::string& strUrl) {
    return strUrl.empty() ? CContactRemoteModel::FILE_DOWNLOAD_NO_URL
                          : CContactRemoteModel::FILE_DOWNLOAD_READY;
}

}  // namespace

bool CContactRemoteMenuParser::Parse(const std::string& strFile, const std::string& strUrl,
                                     pugi::xml_node root) {
    CContactRemoteModel* pModel = CContactRemoteModel::PeekInstance();
    if (pModel == nullptr) {
        app_log(6, APP_LOG_INFO, "CContactRemoteMenuParser::Parse g_pContactRemoteModel == NULL\n");
        return false;
    }
    if (root.empty()) {
        app_log(6, APP_LOG_INFO, "CContactRemoteMenuParser::Parse [%s] is not remote menu xml!\n",
                strFile.c_str());
        return false;
    }
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (std::strcmp(child.name(), "MenuItem") == 0) {
            ContactRemoteMenu menu;
            if (MyParseMenuChildren(&menu, child) &&
                pModel->MyAddMenuContact(&menu, StatusForLink(menu.m_strUrl), strUrl) == 0) {
                pModel->MyExecDownload(menu.m_strUrl, false, false);
            }
        } else if (std::strcmp(child.name(), "SoftKeyItem") == 0) {
            ContactRemoteHotKey hotKey;
            if (ParseSoftKeyNode(&hotKey, child) &&
                pModel->MyAddHotKeyContact(&hotKey, StatusForLink(hotKey.m_strUrl), strUrl) == 0) {
                pModel->MyExecDownload(hotKey.m_strUrl, false, false);
            }
        } else if (std::strcmp(child.name(), "Title") == 0) {
            pModel->MySetTitle(child.text().get(), strUrl);
        }
    }
    pModel->MySortChildrenByUrl(strUrl);
    return true;
}

bool CContactRemoteMenuParser::MyParseMenuChildren(ContactRemoteMenu* pMenu, pugi::xml_node node) {
    if (pMenu == nullptr || node.empty()) {
        return false;
    }
    pMenu->m_strName = TrimSpaces(node.child("Name").text().get());
    pMenu->m_strUrl = TrimSpaces(node.child("URL").text().get());
    return !pMenu->m_strName.empty();
}

}  // namespace NS_DIRECTORY
