#pragma once
// The background type-ahead search (request type 5). The local model keeps one of these for its whole life
// and runs it again for every request; it searches a snapshot of the store handed over with
// SetSearchSource, never the store itself. The receiver reads the answer with GetSearchResult.

#include <atomic>
#include <memory>
#include <string>

#include "ContactGeneralTypes.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CContactGeneralSearchHelper;
class CContactSearchSource;

class CLocalContactSearchAction : public NS_TA::CTaskAction {
public:
    // Throws std::bad_alloc when its search object or result record cannot be made; use the factory.
    CLocalContactSearchAction();

    // Read set: search (error 0, or 70 when the search failed; 40 without a search source). Read clear: 46.
    bool Exec() override;
    bool Read();
    bool Write();

    void SetSearchString(const std::string& strKey);
    void SetSearchGroupId(int nGroupId);
    void SetSearchBeginIndex(int nBeginIndex);
    void SetSearchCount(int nCount);
    void SetShowMutlNumber(bool bShow);
    void SetSearchSource(std::shared_ptr<const CContactSearchSource> pSource);
    std::string GetSearchString() const { return m_strSearchString; }
    int GetSearchGroupId() const { return m_nGroupId; }
    int GetSearchBeginIndex() const { return m_nBeginIndex; }
    int GetSearchCount() const { return m_nCount; }
    bool IsShowMutlNumber() const { return m_bShowMutlNumber; }

    // The page, key and total of the last search; valid until the action runs again.
    const ContactGeneralSearchItemListData* GetSearchResult() const { return m_pResult; }

    // Forgets the remembered matches. Safe from the GUI thread while a search runs: the search object
    // forgets them before the next search.
    void ResetKey();

protected:
    ~CLocalContactSearchAction() override;

private:
    CContactGeneralSearchHelper* m_pSearchHelper;
    ContactGeneralSearchItemListData* m_pResult;
    std::string m_strSearchString;
    int m_nGroupId = -1;
    int m_nBeginIndex = 0;
    int m_nCount = 0;
    bool m_bShowMutlNumber = false;
    std::shared_ptr<const CContactSearchSource> m_pSource;
    std::shared_ptr<const CContactSearchSource> m_pSearchedSource;  // what the remembered matches point into
    std::atomic<bool> m_bResetKey{false};
};

}  // namespace NS_DIRECTORY
