#pragma once
// Loads one directory page for the remote model's paging and, still on the worker, reads it into a page
// of its own, so the GUI thread only swaps the finished page in. A load the model gave up because the model
// went away removes its downloaded file when the action ends, since no callback will handle it.

#include <atomic>
#include <list>
#include <string>

#include "ContactRemoteItem.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

// The items of one directory page (entries and page keys, in document order) and its page URLs, as the
// model holds the page on show; owns the items.
struct RemotePageContent {
    RemotePageContent() = default;
    ~RemotePageContent() { Clear(); }
    RemotePageContent(const RemotePageContent&) = delete;
    RemotePageContent& operator=(const RemotePageContent&) = delete;
    void Clear();

    std::list<ContactRemoteItemBase*> m_listPageItem;
    std::string m_strNextPageUrl;
    std::string m_strPrevPageUrl;
};

class CContactRemotePageAction : public NS_TA::CNetworkFileAction {
public:
    // A new action holding one reference (released with TaskAction_DestroyNetworkFileAction), or null for an
    // empty URL or when memory ran out. A page keeps at most nMaxEntries entries.
    static CContactRemotePageAction* Create(const std::string& strLocalPath, const std::string& strUrl,
                                            int nMaxEntries);

    // Downloads, then reads the page when the download succeeded; IsPageRead() tells whether it could.
    bool Exec() override;
    bool IsPageRead() const { return m_bPageRead; }
    // The page read; the caller may swap it out (on the GUI thread, after the callback arrived).
    RemotePageContent& Page() { return m_page; }

    void Abandon() { m_bAbandoned = true; }

protected:
    ~CContactRemotePageAction() override;

private:
    CContactRemotePageAction(const std::string& strLocalPath, const std::string& strUrl, int nMaxEntries);

    const int m_nMaxEntries;
    RemotePageContent m_page;
    std::atomic<bool> m_bPageRead{false};
    std::atomic<bool> m_bAbandoned{false};
};

}  // namespace NS_DIRECTORY
