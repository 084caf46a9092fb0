// Group editing and the group insertion rule shared with the loaders and the import.

#include <strings.h>

#include <algorithm>
#include <string_view>

#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

namespace {

constexpr std::string_view kAllContactsName = "All Contacts";
constexpr std::string_view kBlacklistName = "Blacklist";

CContactGeneralModel::GroupData MakeGroup(int nId, std::string_view name, bool bReadOnly) {
    CContactGeneralModel::GroupData group;
    group.m_nId = nId;
    group.m_strDisplayName = std::string(name);
    group.m_bReadOnly = bReadOnly;
    return group;
}

}  // namespace

bool CContactGeneralModel::MyFindGroupSlot(const std::string& strName, size_t* pSlot) const {
    // Loaders meet names in order: a name after the last user group (the list keeps them sorted, between
    // "All Contacts" first and "Blacklist" last) goes right before "Blacklist".
    const size_t nEnd =
        m_listGroup.size() - (!m_listGroup.empty() && m_listGroup.back()->m_nId == kBlacklistGroupId ? 1 : 0);
    if (nEnd > 0 && !MyIsGroupReadOnly(m_listGroup[nEnd - 1]->m_nId) &&
        strcasecmp(m_listGroup[nEnd - 1]->m_strDisplayName.c_str(), strName.c_str()) < 0) {
        *pSlot = nEnd;
        return true;
    }
    // With "All Contacts" first and "Blacklist" last, the user groups between them are in name order.
    if (m_listGroup.size() >= 2 && m_listGroup.front()->m_nId == kAllContactsGroupId &&
        m_listGroup.back()->m_nId == kBlacklistGroupId) {
        const auto found =
            std::lower_bound(m_listGroup.begin() + 1, m_listGroup.end() - 1, strName,
                             [](const std::unique_ptr<GroupData>& pGroup, const std::string& strKey) {
                                 return strcasecmp(pGroup->m_strDisplayName.c_str(), strKey.c_str()) < 0;
                             });
        if (found != m_listGroup.end() - 1 &&
            strcasecmp((*found)->m_strDisplayName.c_str(), strName.c_str()) == 0) {
            return MyRefuse(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        *pSlot = static_cast<size_t>(found - m_listGroup.begin());
        return true;
    }
    size_t nIndex = 0;
    for (; nIndex < m_listGroup.size(); ++nIndex) {
        const GroupData& existing = *m_listGroup[nIndex];
        if (existing.m_nId == kAllContactsGroupId) {
            continue;
        }
        if (existing.m_nId == kBlacklistGroupId) {
            break;
        }
        const int nOrder = strcasecmp(existing.m_strDisplayName.c_str(), strName.c_str());
        if (nOrder == 0) {
            return MyRefuse(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        if (nOrder > 0) {
            break;
        }
    }
    *pSlot = nIndex;
    return true;
}

int CContactGeneralModel::MyInsertGroup(const GroupData& group, bool bSave) {
    return MyNoThrow(-1, [&]() -> int {
        if (group.m_strDisplayName.empty()) {
            return MyRefuseInt(CONTACT_RESULT_MISSING_ARGUMENT);
        }
        if (GetCurrentGroupCount() >= m_nMaxGroupCount) {
            return MyRefuseInt(CONTACT_RESULT_GROUPS_FULL);
        }
        const std::string_view name = group.m_strDisplayName;
        const bool bSecondAllContacts = name == kAllContactsName && !m_listGroup.empty() &&
                                        m_listGroup.front()->m_strDisplayName == kAllContactsName;
        const bool bSecondBlacklist = name == kBlacklistName && m_listGroup.size() >= 2 &&
                                      m_listGroup.back()->m_strDisplayName == kBlacklistName;
        if (bSecondAllContacts || bSecondBlacklist) {
            return MyRefuseInt(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        size_t nSlot = 0;
        if (!MyFindGroupSlot(group.m_strDisplayName, &nSlot)) {
            return -1;
        }
        if (group.m_nId == kAllContactsGroupId) {
            nSlot = 0;
        } else if (group.m_nId == kBlacklistGroupId) {
            nSlot = m_listGroup.size();
        }
        m_listGroup.insert(m_listGroup.begin() + static_cast<std::ptrdiff_t>(nSlot),
                           std::make_unique<GroupData>(group));
        if (bSave) {
            MySetGroupDirty(true);
        }
        return static_cast<int>(nSlot);
    });
}

// A refused group still uses up the id it was given.
int CContactGeneralModel::MyAddGroup(const ContactGroupData& data, int nId) {
    return MyNoThrow(-1, [&]() -> int {
        if (data.m_strDisplayName.empty()) {
            return MyRefuseInt(CONTACT_RESULT_MISSING_ARGUMENT);
        }
        if (MyFindGroupByDisplayName(data.m_strDisplayName) != nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        if (GetCurrentGroupCount() >= m_nMaxGroupCount) {
            return MyRefuseInt(CONTACT_RESULT_GROUPS_FULL);
        }
        if (nId == -1) {
            nId = m_pIdGenerator ? m_pIdGenerator->GenId() : -1;
            if (nId < 0) {
                return MyRefuseInt(CONTACT_RESULT_BAD_GROUP_ID);
            }
        } else if (MyFindGroupById(nId) != nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        GroupData group;
        if (!MyCGD2GD(&group, nId, data)) {
            return -1;
        }
        return MyInsertGroup(group, true);
    });
}

int CContactGeneralModel::AddGroup(const ContactGroupData& rawData) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    return MyNoThrow(-1, [&]() -> int {
        ContactGroupData clean;
        return MyAddGroup(MyXmlSafeRecord(rawData, &clean), -1);
    });
}

int CContactGeneralModel::UpdateGroupData(const std::string& strOldName, const ContactGroupData& rawData) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    if (strOldName.empty()) {
        return MyRefuseInt(CONTACT_RESULT_MISSING_ARGUMENT);
    }
    return MyNoThrow(-1, [&]() -> int {
        ContactGroupData clean;
        const ContactGroupData& data = MyXmlSafeRecord(rawData, &clean);
        size_t nIndex = 0;
        while (nIndex < m_listGroup.size() && m_listGroup[nIndex]->m_strDisplayName != strOldName) {
            ++nIndex;
        }
        if (nIndex == m_listGroup.size()) {
            return MyRefuseInt(CONTACT_RESULT_NO_SUCH_GROUP);
        }
        GroupData& group = *m_listGroup[nIndex];
        if (data.m_strDisplayName == strOldName) {
            if (group.m_strRing != data.m_strRing) {
                group.m_strRing = data.m_strRing;
                MySetGroupDirty(true);
            }
            return static_cast<int>(nIndex);
        }
        if (MyFindGroupByDisplayName(data.m_strDisplayName) != nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NAME_OR_ID_IN_USE);
        }
        // Re-filed under the new name with its id; put back as it was when the new name is refused.
        std::unique_ptr<GroupData> pOld = std::move(m_listGroup[nIndex]);
        m_listGroup.erase(m_listGroup.begin() + static_cast<std::ptrdiff_t>(nIndex));
        const int nNewIndex = MyAddGroup(data, pOld->m_nId);
        if (nNewIndex < 0) {
            m_listGroup.insert(m_listGroup.begin() + static_cast<std::ptrdiff_t>(nIndex), std::move(pOld));
        }
        return nNewIndex;
    });
}

bool CContactGeneralModel::RemoveGroup(const std::string& strName) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const GroupData* pGroup = MyFindGroupByDisplayName(strName);
    if (pGroup == nullptr) {
        return MyRefuse(CONTACT_RESULT_NO_SUCH_GROUP);
    }
    if (MyIsGroupReadOnly(pGroup->m_nId)) {
        return MyRefuse(CONTACT_RESULT_GROUP_READ_ONLY);
    }
    return MyNoThrow(false, [&]() -> bool {
        MyUpdateAllContactGroupId(pGroup->m_nId, kAllContactsGroupId);
        m_listGroup.erase(std::find_if(
            m_listGroup.begin(), m_listGroup.end(),
            [pGroup](const std::unique_ptr<GroupData>& pStored) { return pStored.get() == pGroup; }));
        MySetGroupDirty(true);
        return true;
    });
}

bool CContactGeneralModel::RemoveAllGroup() {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        std::vector<int> listIds;
        for (const auto& pGroup : m_listGroup) {
            if (!MyIsGroupReadOnly(pGroup->m_nId)) {
                listIds.push_back(pGroup->m_nId);
            }
        }
        if (listIds.empty()) {
            return MyRefuse(CONTACT_RESULT_NO_SUCH_GROUP);
        }
        if (MyMoveGroupContacts(listIds, kAllContactsGroupId)) {
            MySetContactDirty(true);
        }
        m_listGroup.erase(std::remove_if(m_listGroup.begin(), m_listGroup.end(),
                                         [](const std::unique_ptr<GroupData>& pGroup) {
                                             return !MyIsGroupReadOnly(pGroup->m_nId);
                                         }),
                          m_listGroup.end());
        MySetGroupDirty(true);
        return true;
    });
}

bool CContactGeneralModel::MyCreateDefaultGroup() {
    MyInsertGroup(MakeGroup(kAllContactsGroupId, kAllContactsName, true), false);
    MyInsertGroup(MakeGroup(kBlacklistGroupId, kBlacklistName, true), false);
    if (m_pIdGenerator) {
        m_pIdGenerator->SetBegin(1);
    }
    return true;
}

}  // namespace NS_DIRECTORY
