#pragma once
// The GUI's facade for the local groups; forwards to the local phone book. Without a phone book every
// operation answers its failure value.

#include <string>

#include "ContactGeneralTypes.h"

namespace NS_DIRECTORY {

class CContactGroupController {
public:
    static CContactGroupController* GetInstance();
    static void ReleaseInstance();

    int AddGroup(const ContactGroupData& data);
    int UpdateGroupData(const std::string& strOldName, const ContactGroupData& data);
    bool RemoveGroup(const std::string& strName);
    bool GetGroupList(ContactGroupListData* pList, bool bWithBlacklist);
    bool GetGroupSimpleList(ContactGroupSimpleListData* pList);
    // The group named by a "local_contact_x<id>" click action.
    bool GetGroupDataByClickAction(ContactGroupData* pData, const std::string& strAction);
    int GetGIdByGName(const std::string& strName);
    int GetGroupIdByGroupName(const std::string& strName);
    bool IsBlacklistIndex(int nIndex);
    int GetCurrentGroupCount();
    int GetMaxGroupCount();
    int SetMaxGroupCount(int nMax);
    bool SaveGroupToXml();
    bool ReloadGroupXml();
    bool OnTimeoutSaveGroup(unsigned int nTimerId);

private:
    CContactGroupController() = default;

    static CContactGroupController* m_pInst;
};

}  // namespace NS_DIRECTORY
