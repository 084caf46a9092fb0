#include "ContactRemoteMixedParser.h"

#include "AppLog.h"
#include "ContactRemoteModel.h"
#include "RemoteUnitBatch.h"

namespace NS_DIRECTORY {

bool CContactRemoteMixedParser::Parse(const std::string& strFile, const std::string& strUrl,
                                      pugi::xml_node root) {
    CContactRemoteModel* pModel = CContactRemoteModel::PeekInstance();
    if (pModel == nullptr) {
        app_log(6, APP_LOG_INFO, "CContactRemoteUnitParser::Parse g_pContactRemoteModel == NULL\n");
        return false;
    }
    if (root.empty()) {
        app_log(6, APP_LOG_INFO, "CContactRemoteUnitParser::Parse [%s] is not remote menu xml!\n",
                strFile.c_str());
        return false;
    }
    for (pugi::xml_node menuNode = root.child("Menu"); menuNode; menuNode = menuNode.next_sibling("Menu")) {
        ContactRemoteMenu menu;
        if (!MyParseMenuNode(&menu, menuNode)) {
            continue;
        }
        if (pModel->MyAddMixedMenuContact(&menu, strUrl) != 0) {
            continue;
        }
        CRemoteUnitBatch units(pModel, menu.m_strUrl);
        for (pugi::xml_node unitNode = menuNode.child("Unit"); unitNode;
             unitNode = unitNode.next_sibling("Unit")) {
            if (MyParseUnitNode(&units, unitNode)) {
                units.Keep();
            }
        }
        units.Flush();
        pModel->MySortChildrenByUrl(menu.m_strUrl);
    }
    return true;
}

bool CContactRemoteMixedParser::MyParseMenuNode(ContactRemoteMenu* pMenu, pugi::xml_node node) {
    if (pMenu == nullptr || node.empty()) {
        return false;
    }
    const pugi::xml_attribute name = node.attribute("Name");
    if (name && name.value()[0] == '\0') {
        return false;
    }
    pMenu->m_strName = name.value();
    pMenu->m_strUrl = pMenu->m_strName;
    return true;
}

bool CContactRemoteMixedParser::MyParseUnitNode(CRemoteUnitBatch* pUnits, pugi::xml_node node) {
    if (pUnits == nullptr) {
        return false;
    }
    pUnits->Start();
    pUnits->SetName(node.attribute("Name").value());
    for (const char* pPhone : {"Phone1", "Phone2", "Phone3"}) {
        const char* pNumber = node.attribute(pPhone).value();
        if (pNumber[0] != '\0') {
            pUnits->AddNumber(pNumber);
        }
    }
    return true;
}

}  // namespace NS_DIRECTORY
