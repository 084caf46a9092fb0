#include "ContactLocalSaveAction.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonUnits.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kMaxGroupsAroundBuiltIns = 49;

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& strOut) : m_strOut(strOut) {}
    void write(const void* pData, size_t nSize) override {
        m_strOut.append(static_cast<const char*>(pData), nSize);
    }

private:
    std::string& m_strOut;
};

// atoi, clamped to the int range instead of overflowing.
int ToInt(const char* pText) {
    const long long nValue = std::strtoll(pText, nullptr, 10);
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, nValue)));
}

std::string RealPath(const char* pStored, int nFileType) {
    std::string strPath = pStored;
    if (!strPath.empty()) {
        CommonUnits_Hide2Real(strPath, nFileType);
    }
    return strPath;
}

std::string StoredPath(const std::string& strReal, int nFileType) {
    std::string strPath = strReal;
    if (!strPath.empty()) {
        CommonUnits_Real2Hide(strPath, nFileType);
    }
    return strPath;
}

const char* Flag(bool bSet) {
    return bSet ? "1" : "0";
}

bool IsFlagSet(const pugi::xml_attribute& attr) {
    return std::strcmp(attr.value(), "1") == 0;
}

CContactGeneralModel::GroupData BuiltInGroup(int nId) {
    CContactGeneralModel::GroupData group;
    group.m_nId = nId;
    group.m_strDisplayName = nId == kAllContactsGroupId ? "All Contacts" : "Blacklist";
    group.m_bReadOnly = true;
    return group;
}

CContactGeneralModel::GroupData ReadGroup(const pugi::xml_node& node) {
    CContactGeneralModel::GroupData group;
    if (const pugi::xml_attribute attr = node.attribute("id_name")) {
        group.m_nId = ToInt(attr.value());
    }
    group.m_strDisplayName = node.attribute("display_name").value();
    group.m_strRing = RealPath(node.attribute("ring").value(), PHFILE_TYPE_RING);
    group.m_bReadOnly = IsFlagSet(node.attribute("read_only"));
    return group;
}

void ReadItem(const pugi::xml_node& node, CContactGeneralModel::ItemData& item) {
    item.m_strOfficeNumber = node.attribute("office_number").value();
    item.m_strMobileNumber = node.attribute("mobile_number").value();
    item.m_strOtherNumber = node.attribute("other_number").value();
    if (const pugi::xml_attribute attr = node.attribute("line")) {
        item.m_nLine = ToInt(attr.value());
    }
    item.m_strRing = RealPath(node.attribute("ring").value(), PHFILE_TYPE_RING);
    if (const pugi::xml_attribute attr = node.attribute("group_id_name")) {
        item.m_nGroupId = ToInt(attr.value());
    }
    item.m_strDefaultPhoto = RealPath(node.attribute("default_photo").value(), PHFILE_TYPE_PHOTO);
    if (const pugi::xml_attribute attr = node.attribute("selected_photo")) {
        item.m_nSelectedPhoto = ToInt(attr.value());
    }
    item.m_bFavorate = IsFlagSet(node.attribute("is_favorate"));
    item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
}

pugi::xml_node AppendRoot(pugi::xml_document& doc, const char* pRootName) {
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("utf-8");
    return doc.append_child(pRootName);
}

bool WriteDocument(const pugi::xml_document& doc, const std::string& strPath) {
    std::string strData;
    StringWriter writer(strData);
    doc.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
    return ETL_MiscHelper::fileWriteAtomic(ETL_MiscHelper::pathMapToRoot(strPath), strData);
}

// A file that does not parse to its end counts as unreadable.
bool LoadDocument(pugi::xml_document& doc, const std::string& strPath) {
    return static_cast<bool>(doc.load_file(ETL_MiscHelper::pathMapToRoot(strPath).c_str()));
}

}  // namespace

CContactLocalSaveAction::CContactLocalSaveAction()
    : NS_TA::CTaskAction(NS_TA::TA_REQUEST_LOCAL_CONTACT_SAVE) {}

bool CContactLocalSaveAction::Exec() {
    return IsRead() ? Load() : Save();
}

void CContactLocalSaveAction::SetGroupFilePath(const std::string& strPath) {
    if (m_strGroupFilePath != strPath) {
        m_strGroupFilePath = strPath;
    }
}

void CContactLocalSaveAction::SetItemFilePath(const std::string& strPath) {
    if (m_strItemFilePath != strPath) {
        m_strItemFilePath = strPath;
    }
}

// ---- load

bool CContactLocalSaveAction::Load() {
    const bool bGroupSucc = LoadGroup();
    const bool bItemSucc = LoadItem();
    if (bGroupSucc && bItemSucc) {
        SetTaskActionErrorType(NS_TA::TA_NO_ERROR);
    } else if (IsOperationSucceed()) {
        SetTaskActionErrorType(NS_TA::TA_FILE_LOAD_FAILED);  // a file that took no part is no success either
    }
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::Load isGroupSucc[%d] isItemSucc[%d]\n",
            bGroupSucc ? 1 : 0, bItemSucc ? 1 : 0);
    return bGroupSucc && bItemSucc;
}

bool CContactLocalSaveAction::LoadGroup() {
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadGroup begin\n");
    m_listGroup.clear();
    if (!m_bGroupDirty) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadGroup GroupFile[%s]\n",
            m_strGroupFilePath.c_str());
    try {
        return MyReadGroups(m_strGroupFilePath);
    } catch (const std::bad_alloc&) {
        m_listGroup.clear();
        app_log(6, APP_LOG_WARNING, "CContactLocalSaveAction::LoadGroup Fail to load file[%s]\n",
                m_strGroupFilePath.c_str());
        SetTaskActionErrorType(NS_TA::TA_FILE_LOAD_FAILED);
        return false;
    }
}

// Groups without an id, or with an id another group already has, are dropped: nothing could reach them.
bool CContactLocalSaveAction::MyReadGroups(const std::string& strPath) {
    pugi::xml_document doc;
    if (!LoadDocument(doc, strPath)) {
        app_log(6, APP_LOG_WARNING, "CContactLocalSaveAction::LoadGroup Fail to load file[%s]\n",
                strPath.c_str());
        SetTaskActionErrorType(NS_TA::TA_FILE_LOAD_FAILED);
        return false;
    }
    const pugi::xml_node root = doc.child("root_group");
    if (!root) {
        SetTaskActionErrorType(NS_TA::TA_ROOT_ELEMENT_MISSING);
        return false;
    }
    CContactGeneralModel::GroupData allContacts;
    CContactGeneralModel::GroupData blacklist;
    std::set<std::string> setNames;
    std::set<int> setIds;
    for (pugi::xml_node node = root.child("group"); node; node = node.next_sibling("group")) {
        CContactGeneralModel::GroupData group = ReadGroup(node);
        if (group.m_strDisplayName.empty() || !setNames.insert(group.m_strDisplayName).second) {
            continue;
        }
        if (group.m_nId == kAllContactsGroupId) {
            allContacts = group;
        } else if (group.m_nId == kBlacklistGroupId) {
            blacklist = group;
        } else if (group.m_nId >= 0 && setIds.insert(group.m_nId).second) {
            m_listGroup.push_back(std::move(group));
        }
    }
    std::stable_sort(m_listGroup.begin(), m_listGroup.end(), CContactGeneralModel::CompareGroup);
    if (allContacts.m_nId == -1) {
        allContacts = BuiltInGroup(kAllContactsGroupId);
    }
    if (m_listGroup.size() > kMaxGroupsAroundBuiltIns) {
        m_listGroup.pop_back();
    }
    m_listGroup.insert(m_listGroup.begin(), allContacts);
    if (blacklist.m_nId == -1) {
        blacklist = BuiltInGroup(kBlacklistGroupId);
    }
    if (m_listGroup.size() > kMaxGroupsAroundBuiltIns) {
        m_listGroup.pop_back();
    }
    m_listGroup.push_back(blacklist);
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadGroup end\n");
    return true;
}

bool CContactLocalSaveAction::LoadItem() {
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadItem begin\n");
    m_listItem.clear();
    if (!m_bItemDirty) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadItem File[%s]\n", m_strItemFilePath.c_str());
    try {
        return MyReadItems(m_strItemFilePath);
    } catch (const std::bad_alloc&) {
        m_listItem.clear();
        app_log(6, APP_LOG_WARNING, "CContactLocalSaveAction::LoadItem Fail to load file[%s]\n",
                m_strItemFilePath.c_str());
        SetTaskActionErrorType(NS_TA::TA_FILE_LOAD_FAILED);
        return false;
    }
}

bool CContactLocalSaveAction::MyReadItems(const std::string& strPath) {
    pugi::xml_document doc;
    if (!LoadDocument(doc, strPath)) {
        app_log(6, APP_LOG_WARNING, "CContactLocalSaveAction::LoadItem Fail to load file[%s]\n",
                strPath.c_str());
        SetTaskActionErrorType(NS_TA::TA_FILE_LOAD_FAILED);
        return false;
    }
    const pugi::xml_node root = doc.child("root_contact");
    if (!root) {
        SetTaskActionErrorType(NS_TA::TA_ROOT_ELEMENT_MISSING);
        return false;
    }
    std::set<std::string> setNames;
    for (pugi::xml_node node = root.child("contact"); node; node = node.next_sibling("contact")) {
        CContactGeneralModel::ItemData item;
        item.m_strDisplayName = node.attribute("display_name").value();
        if (item.m_strDisplayName.empty() || !setNames.insert(item.m_strDisplayName).second) {
            continue;
        }
        ReadItem(node, item);
        m_listItem.push_back(std::move(item));
    }
    std::stable_sort(m_listItem.begin(), m_listItem.end(), CContactGeneralModel::CompareItem);
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::LoadItem end\n");
    return true;
}

// ---- save

bool CContactLocalSaveAction::Save() {
    const bool bGroupSucc = SaveGroup();
    const bool bItemSucc = SaveItem();
    if (bGroupSucc && bItemSucc) {
        SetTaskActionErrorType(NS_TA::TA_NO_ERROR);
    }
    return bGroupSucc && bItemSucc;
}

bool CContactLocalSaveAction::SaveGroup() {
    if (!m_bGroupDirty) {
        return false;
    }
    try {
        pugi::xml_document doc;
        pugi::xml_node root = AppendRoot(doc, "root_group");
        for (const CContactGeneralModel::GroupData& group : m_listGroup) {
            pugi::xml_node node = root.append_child("group");
            node.append_attribute("id_name").set_value(group.m_nId);
            node.append_attribute("display_name").set_value(group.m_strDisplayName.c_str());
            node.append_attribute("ring").set_value(StoredPath(group.m_strRing, PHFILE_TYPE_RING).c_str());
            node.append_attribute("read_only").set_value(Flag(group.m_bReadOnly));
        }
        if (root && WriteDocument(doc, m_strGroupFilePath)) {
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    SetTaskActionErrorType(NS_TA::TA_NO_WORKING_OBJECT);
    return false;
}

bool CContactLocalSaveAction::SaveItem() {
    if (!m_bItemDirty) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::SaveItem()\n");
    try {
        pugi::xml_document doc;
        pugi::xml_node root = AppendRoot(doc, "root_contact");
        for (const CContactGeneralModel::ItemData& item : m_listItem) {
            pugi::xml_node node = root.append_child("contact");
            node.append_attribute("display_name").set_value(item.m_strDisplayName.c_str());
            node.append_attribute("office_number").set_value(item.m_strOfficeNumber.c_str());
            node.append_attribute("mobile_number").set_value(item.m_strMobileNumber.c_str());
            node.append_attribute("other_number").set_value(item.m_strOtherNumber.c_str());
            node.append_attribute("line").set_value(item.m_nLine);
            node.append_attribute("ring").set_value(StoredPath(item.m_strRing, PHFILE_TYPE_RING).c_str());
            node.append_attribute("group_id_name").set_value(item.m_nGroupId);
            node.append_attribute("default_photo")
                .set_value(StoredPath(item.m_strDefaultPhoto, PHFILE_TYPE_PHOTO).c_str());
            node.append_attribute("selected_photo").set_value(item.m_nSelectedPhoto);
            node.append_attribute("is_favorate").set_value(Flag(item.m_bFavorate));
            node.append_attribute("name_index").set_value(item.m_strNameIndex.c_str());
        }
        if (root && WriteDocument(doc, m_strItemFilePath)) {
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    SetTaskActionErrorType(NS_TA::TA_NO_WORKING_OBJECT);
    return false;
}

}  // namespace NS_DIRECTORY
