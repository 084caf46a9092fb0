#include "RemoteFuzzModel.h"

#include <climits>

#include "FuzzHarness.h"
#include "HostControl.h"

namespace fuzzsupport {

namespace {

using NS_DIRECTORY::CContactRemoteModel;

bool HasOuterSpace(const std::string& strText) {
    return !strText.empty() && (strText.front() == ' ' || strText.back() == ' ');
}

int EntriesInTree(CContactRemoteModel& model) {
    NS_DIRECTORY::RemoteSearchListData all;
    all.m_nCountToGet = 0;
    FUZZ_CHECK(model.SearchWithOneNumber(&all));
    return all.m_nTotalCount;
}

}  // namespace

CContactRemoteModel& FreshRemoteModel() {
    static CContactRemoteModel* s_pModel = nullptr;
    if (s_pModel == nullptr) {
        Sandbox(false);
        WriteFile("/config/data/remote_phonebook_list.xml", "<root_remote_phonebook display_name=\"Fuzz\"/>");
        s_pModel = CContactRemoteModel::GetInstance();
        FUZZ_CHECK(s_pModel != nullptr);
    }
    s_pModel->ReloadConfigure();
    HostControl::TakeLogLines();
    return *s_pModel;
}

pugi::xml_node FirstElement(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element) {
            return node;
        }
    }
    return pugi::xml_node();
}

int CheckRemoteTree(CContactRemoteModel& model, bool bTrimmed, bool bSorted) {
    NS_DIRECTORY::ContactRemoteListData list;
    list.m_nCountToGet = INT_MAX;
    FUZZ_CHECK(model.GetContactList(&list, NS_DIRECTORY::REMOTE_ROOT_KEY) == NS_DIRECTORY::REMOTE_LIST_OK);
    FUZZ_CHECK(list.m_nTotalCount == static_cast<int>(list.m_listData.size()));
    const std::string* pPrevious = nullptr;
    for (const NS_DIRECTORY::ContactRemoteItemData& item : list.m_listData) {
        FUZZ_CHECK(item.m_eType == NS_DIRECTORY::REMOTE_ITEM_MENU ||
                   item.m_eType == NS_DIRECTORY::REMOTE_ITEM_ENTRY);
        FUZZ_CHECK(!bTrimmed || !HasOuterSpace(item.m_strDisplayName));
        for (const std::string& strNumber : item.m_listNumber) {
            FUZZ_CHECK(!strNumber.empty());
            FUZZ_CHECK(!bTrimmed || !HasOuterSpace(strNumber));
        }
        FUZZ_CHECK(!bSorted || pPrevious == nullptr || !(item.m_strDisplayName < *pPrevious));
        pPrevious = &item.m_strDisplayName;
    }
    const int nEntries = EntriesInTree(model);
    FUZZ_CHECK(nEntries <= 5000);
    FUZZ_CHECK(HostControl::PendingActionCount() == 0);
    model.ReloadConfigure();
    FUZZ_CHECK(EntriesInTree(model) == 0);
    return nEntries;
}

}  // namespace fuzzsupport
