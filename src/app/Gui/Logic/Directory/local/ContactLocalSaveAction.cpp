#include "ContactLocalSaveAction.h"

#include <algorithm>
#include <new>
#include <set>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonUnits.h"
#include "ContactFileFormat.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kMaxGroupsAroundBuiltIns = 49;

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
// Built-in groups keep their fixed names, which no user group may carry (the rule of the load at start).
bool CContactLocalSaveAction::MyReadGroups(const std::string& strPath) {
    pugi::xml_document doc;
    if (!CContactFileFormat::LoadDocument(doc, strPath)) {
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
    CContactFileFormat format(CContactFileFormat::READING);
    for (pugi::xml_node node = root.child("group"); node; node = node.next_sibling("group")) {
        CContactGeneralModel::GroupData group = format.ReadGroup(node);
        if (CContactGeneralModel::MyIsGroupReadOnly(group.m_nId)) {
            CContactGeneralModel::MyRepairBuiltInName(group);
            (group.m_nId == kAllContactsGroupId ? allContacts : blacklist) = group;  // a later one replaces
            continue;
        }
        if (group.m_strDisplayName.empty() || CContactGeneralModel::MyTakesBuiltInName(group) ||
            !setNames.insert(group.m_strDisplayName).second) {
            continue;
        }
        if (group.m_nId >= 0 && setIds.insert(group.m_nId).second) {
            m_listGroup.push_back(std::move(group));
        }
    }
    std::stable_sort(m_listGroup.begin(), m_listGroup.end(), CContactGeneralModel::CompareGroup);
    if (allContacts.m_nId == -1) {
        allContacts = CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId);
    }
    if (m_listGroup.size() > kMaxGroupsAroundBuiltIns) {
        m_listGroup.pop_back();
    }
    m_listGroup.insert(m_listGroup.begin(), allContacts);
    if (blacklist.m_nId == -1) {
        blacklist = CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId);
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
    if (!CContactFileFormat::LoadDocument(doc, strPath)) {
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
    CContactFileFormat format(CContactFileFormat::READING);
    for (pugi::xml_node node = root.child("contact"); node; node = node.next_sibling("contact")) {
        CContactGeneralModel::ItemData item;
        format.ReadContact(node, item);
        if (item.m_strDisplayName.empty() || !setNames.insert(item.m_strDisplayName).second) {
            continue;
        }
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
    return MyWriteFile([this](CContactFileFormat& format) {
        pugi::xml_document doc;
        pugi::xml_node root = CContactFileFormat::AppendRoot(doc, "root_group");
        for (const auto& group : m_listGroup) {
            format.AppendGroup(root, group);
        }
        return root && CContactFileFormat::WriteDocument(doc, m_strGroupFilePath);
    });
}

bool CContactLocalSaveAction::SaveItem() {
    if (!m_bItemDirty) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "CContactLocalSaveAction::SaveItem()\n");
    return MyWriteFile([this](CContactFileFormat& format) {
        return format.WriteContactFile(
            [this](const CContactFileFormat::ContactVisitor& visit) {
                for (const auto& item : m_listItem) {
                    visit(item);
                }
            },
            m_strItemFilePath);
    });
}

bool CContactLocalSaveAction::MyWriteFile(const std::function<bool(CContactFileFormat&)>& write) {
    try {
        CContactFileFormat format(CContactFileFormat::WRITING);
        if (write(format)) {
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    SetTaskActionErrorType(NS_TA::TA_NO_WORKING_OBJECT);
    return false;
}

}  // namespace NS_DIRECTORY
