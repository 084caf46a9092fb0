#include "XPortOsprey.h"

#include <cstdlib>
#include <new>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonUnits.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kOspreyFileType = 2;

// A top-level element, or the one inside the "vp_contact" wrapper.
pugi::xml_node FindTopLevel(const pugi::xml_document& doc, const char* pName) {
    const pugi::xml_node node = doc.child(pName);
    return node ? node : doc.child("vp_contact").child(pName);
}

int LineOf(const pugi::xml_node& node) {
    const char* pLine = node.attribute("line").as_string("");
    return *pLine == '\0' ? -1 : std::atoi(pLine);
}

std::string PhotoOf(const pugi::xml_node& node) {
    const char* pPhoto = node.attribute("default_photo").as_string("");
    if (*pPhoto != '\0') {
        return CXPortBase::MyRealPath(pPhoto, PHFILE_TYPE_PHOTO);
    }
    return CommonUnits_GetImagePathByIndex(std::atoi(node.attribute("selected_photo").as_string("0")));
}

}  // namespace

CXPortOsprey::CXPortOsprey() : CXPortBase(kOspreyFileType) {}

int CXPortOsprey::Import(const char* pPath) {
    if (pPath == nullptr || *pPath == '\0') {
        return XPORT_RESULT_NO_PATH;
    }
    try {
        pugi::xml_document doc;
        MyLoadDocument(doc, pPath);
        const int nGroups = MyImportGroups(doc);
        if (nGroups != XPORT_RESULT_OK) {
            return nGroups;
        }
        return MyImportContacts(doc);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CXPortOsprey::Import, [%s] invalid!\n", pPath);
        return XPORT_RESULT_INVALID_FILE;
    }
}

int CXPortOsprey::MyImportGroups(const pugi::xml_document& doc) {
    const pugi::xml_node root = FindTopLevel(doc, "root_group");
    if (!root.first_child()) {
        return XPORT_RESULT_OK;
    }
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return XPORT_RESULT_NO_MODEL;
    }
    for (pugi::xml_node node = root.child("group"); node; node = node.next_sibling("group")) {
        MyInsertNewGroup(*pModel, node.attribute("display_name").as_string(""),
                         MyRealPath(node.attribute("ring").as_string(""), PHFILE_TYPE_RING));
    }
    return XPORT_RESULT_OK;
}

int CXPortOsprey::MyImportContacts(const pugi::xml_document& doc) {
    const pugi::xml_node root = FindTopLevel(doc, "root_contact");
    if (!root.first_child()) {
        return XPORT_RESULT_OK;
    }
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return XPORT_RESULT_NO_MODEL;
    }
    for (pugi::xml_node node = root.child("contact"); node; node = node.next_sibling("contact")) {
        CContactGeneralModel::ItemData item;
        item.m_strDisplayName = node.attribute("display_name").as_string("");
        if (item.m_strDisplayName.empty()) {
            continue;
        }
        item.m_strOfficeNumber = node.attribute("office_number").as_string("");
        item.m_strMobileNumber = node.attribute("mobile_number").as_string("");
        item.m_strOtherNumber = node.attribute("other_number").as_string("");
        item.m_strRing = MyRealPath(node.attribute("ring").as_string(""), PHFILE_TYPE_RING);
        item.m_nLine = LineOf(node);
        item.m_strDefaultPhoto = PhotoOf(node);
        item.m_nGroupId = MyGroupIdForName(*pModel, node.attribute("group_id_name").as_string(""));
        MyInsertContact(*pModel, item);
    }
    return XPORT_RESULT_OK;
}

}  // namespace NS_DIRECTORY
