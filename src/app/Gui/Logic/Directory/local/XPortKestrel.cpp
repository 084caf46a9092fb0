#include "XPortKestrel.h"

#include <cstdlib>
#include <new>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonUnits.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kKestrelFileType = 0;

std::string PhotoOf(const pugi::xml_node& node) {
    const std::string strPhoto =
        CommonUnits_GetImagePathByIndex(std::atoi(node.attribute("photoSelect").as_string("0")));
    if (strPhoto.empty()) {
        return CommonUnits_GetDefaultContactImage();
    }
    return CXPortBase::MyRealPath(strPhoto.c_str(), PHFILE_TYPE_PHOTO);
}

}  // namespace

CXPortKestrel::CXPortKestrel() : CXPortBase(kKestrelFileType) {}

std::string CXPortKestrel::ResolveRing(const std::string& strValue) {
    if (strValue.empty()) {
        return std::string();
    }
    const size_t nColon = strValue.find(':');
    if (nColon == std::string::npos) {
        return CommonUnits_IsRingExist(strValue) ? strValue : std::string();
    }
    const size_t nNameEnd = strValue.find_first_of(" \t\r\n\f\v", nColon + 1);
    const std::string strName = strValue.substr(
        nColon + 1, nNameEnd == std::string::npos ? std::string::npos : nNameEnd - nColon - 1);
    const bool bUserRing = strValue.compare(0, 7, "Config:") == 0;
    std::string strFolder =
        bUserRing ? CommonUnits_GetUserUploadRingFolder() : CommonUnits_GetDefaultRingFolder();
    if (!strFolder.empty() && strFolder.back() != '/') {
        strFolder += '/';
    }
    return strFolder + strName;
}

int CXPortKestrel::Import(const char* pPath) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return XPORT_RESULT_NO_MODEL;
    }
    const std::string strPath = pPath != nullptr ? pPath : "";
    try {
        pugi::xml_document doc;
        MyLoadDocument(doc, strPath);
        const pugi::xml_node root = doc.child("contactData");
        if (!root) {
            return XPORT_RESULT_INVALID_FILE;
        }
        MyImportGroups(*pModel, root);
        MyImportContacts(*pModel, root);
        return XPORT_RESULT_OK;
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CXPortKestrel::Import, invalid file (%s)\n", strPath.c_str());
        return XPORT_RESULT_INVALID_FILE;
    }
}

void CXPortKestrel::MyImportGroups(CContactGeneralModel& model, const pugi::xml_node& root) {
    const pugi::xml_node groups = root.child("groupinfo");
    for (pugi::xml_node node = groups.child("group"); node; node = node.next_sibling("group")) {
        MyInsertNewGroup(model, node.attribute("name").as_string(""),
                         MyRealPath(node.attribute("Ring").as_string(""), PHFILE_TYPE_RING));
    }
}

void CXPortKestrel::MyImportContacts(CContactGeneralModel& model, const pugi::xml_node& root) {
    const pugi::xml_node group = root.child("group");
    for (pugi::xml_node node = group.child("contact"); node; node = node.next_sibling("contact")) {
        CContactGeneralModel::ItemData item;
        item.m_strDisplayName = node.attribute("sDisplayName").as_string("");
        if (item.m_strDisplayName.empty()) {
            continue;
        }
        item.m_strOfficeNumber = node.attribute("sOfficeNumber").as_string("");
        item.m_strMobileNumber = node.attribute("sMobilNumber").as_string("");
        item.m_strOtherNumber = node.attribute("sOtherNumber").as_string("");
        item.m_strRing = MyRealPath(ResolveRing(XmlSafeText(node.attribute("sRing").as_string(""))).c_str(),
                                    PHFILE_TYPE_RING);
        item.m_strDefaultPhoto = PhotoOf(node);
        const std::string strGroup = node.attribute("group").as_string("");
        item.m_nGroupId = strGroup.empty() ? kAllContactsGroupId : MyGroupIdForName(model, strGroup);
        MyInsertContact(model, item);
    }
}

}  // namespace NS_DIRECTORY
