#include "XPortMarlin.h"

#include <cstring>
#include <new>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonUnits.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kMarlinFileType = 1;

}  // namespace

CXPortMarlin::CXPortMarlin() : CXPortBase(kMarlinFileType) {}

int CXPortMarlin::Import(const char* pPath) {
    if (pPath == nullptr || *pPath == '\0') {
        return XPORT_RESULT_INVALID_FILE;
    }
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return XPORT_RESULT_NO_MODEL;
    }
    try {
        pugi::xml_document doc;
        MyLoadDocument(doc, pPath);
        const pugi::xml_node root = doc.child("contactData");
        if (!root) {
            return XPORT_RESULT_INVALID_FILE;
        }
        for (pugi::xml_node group = root.child("group"); group; group = group.next_sibling("group")) {
            const int nGroupId = MyGroupIdOf(*pModel, group);
            for (pugi::xml_node node = group.child("contact"); node; node = node.next_sibling("contact")) {
                CContactGeneralModel::ItemData item;
                item.m_strDisplayName = node.attribute("sLocalRename").as_string("");
                if (item.m_strDisplayName.empty()) {
                    continue;
                }
                item.m_strOfficeNumber = node.attribute("sOfficeNumber").as_string("");
                item.m_strMobileNumber = node.attribute("sMobilNumber").as_string("");
                item.m_strOtherNumber = node.attribute("sOtherNumber").as_string("");
                item.m_strRing = MyRealPath(node.attribute("sRingFile").as_string(""), PHFILE_TYPE_RING);
                item.m_strDefaultPhoto =
                    MyRealPath(node.attribute("sImagePath").as_string(""), PHFILE_TYPE_PHOTO);
                item.m_nGroupId = nGroupId;
                MyInsertContact(*pModel, item);
            }
        }
        return XPORT_RESULT_OK;
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CXPortMarlin::Import [%s] invalid!\n", pPath);
        return XPORT_RESULT_INVALID_FILE;
    }
}

int CXPortMarlin::MyGroupIdOf(CContactGeneralModel& model, const pugi::xml_node& group) {
    const char* pName = group.attribute("sGroupName").as_string("");
    if (std::strcmp(pName, "Anonymous") == 0) {
        return kAllContactsGroupId;
    }
    if (std::strcmp(pName, "Black List") == 0) {
        return kBlacklistGroupId;
    }
    return MyGroupIdForName(model, pName,
                            MyRealPath(group.attribute("sGroupRing").as_string(""), PHFILE_TYPE_RING));
}

}  // namespace NS_DIRECTORY
