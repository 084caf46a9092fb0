#pragma once
// A background search of the remote phonebook tree: Exec runs the shared engine on a worker and the model
// hands a copy of the answer to the waiting receiver on the GUI thread.

#include <list>
#include <string>

#include "ContactRemoteSearchHelper.h"
#include "ContactRemoteTypes.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CContactRemoteSearchAction : public NS_TA::CTaskAction {
public:
    CContactRemoteSearchAction();

    // Read: searches; write: refused with error type 46.
    bool Exec() override;
    bool Read();
    bool Write();

    // The key and the integers live in the result record; without one the getters answer "" and 0.
    void SetKey(const std::string& strKey);
    std::string GetKey() const;
    void SetFromIndex(int nFrom);
    int GetFromIndex() const;
    void SetCountToGet(int nCount);
    int GetCountToGet() const;
    void SetTotalCount(int nTotal);
    int GetTotalCount() const;
    void SetUrl(const std::string& strUrl) { m_strUrl = strUrl; }
    const std::string& GetUrl() const { return m_strUrl; }
    void SetSearchLocal(bool bLocal) { m_bSearchLocal = bLocal; }
    bool IsSearchLocal() const { return m_bSearchLocal; }
    std::list<RemoteSearchItemData> GetResultList() const;
    RemoteSearchListData GetResultListData() const;
    void SetResultList(const std::list<RemoteSearchItemData>& listResult);

    // The engine every background search shares; it lives as long as the library.
    static CContactRemoteSearchHelper staSearchHelper;

protected:
    ~CContactRemoteSearchAction() override;

private:
    std::string m_strUrl;
    bool m_bSearchLocal;
    RemoteSearchListData* m_pResult;
};

}  // namespace NS_DIRECTORY
