#pragma once
// Shared by the network directory tests: a view into the model's lists, and a fixture that gives every test
// a fresh model on a fresh root, configured for a mock Xsi server on loopback.

#include <list>
#include <string>
#include <vector>

#include "ContactBroadSoftModel.h"
#include "HostControl.h"
#include "MockXsiServer.h"
#include "TempRoot.h"

namespace NS_DIRECTORY {

struct BroadSoftListView {
    bool bEntry = false;  // the map has the URL
    bool bList = false;   // ... with a list
    int nStatus = -1;
    int nTotal = 0;
    std::vector<std::string> vecNames;  // shown names in list order
};

class BroadSoftModelPeer {
public:
    // Deletes the singleton, as a restart of the GUI would.
    static void Destroy();
    static BroadSoftListView List(const std::string& strUrl);
    static std::vector<std::string> ListKeys();
    static int MakeReady(const std::string& strUrl);
    static bool LoadPage(const std::string& strUrl, const std::string& strPath, int nStart = 1);
    static bool LoadCustomList(std::string& strWanted, const std::string& strPath);
    static int AddPersonal(const std::string& strUrl, const std::string& strName,
                           const std::string& strNumber);
    static void SetStatus(const std::string& strUrl, int eStatus);
    static bool CopyDirectory(ContactBroadSoftListData* pList, const std::string& strUrl);
    static bool CopyCombined(ContactBroadSoftListData* pList, const std::list<std::string>& listUrls);
    static void ClearMap(bool bKeepConfigured);
    static bool RemoveList(const std::string& strUrl);
    static std::string NextFilePath();
    // Puts an entry of that name into the search engine's memory, so that a search answered from memory
    // shows it and a fresh one does not.
    static void PlantSearchResult(const std::string& strName);
    // The combined list's storage: at another address after every rebuild, the same while none happens.
    static const void* CombinedStorage();
    static std::vector<std::string> PendingDeletes();
    static std::string CurUrl();
    static bool IsServerReady();

private:
    static CContactBroadSoftModel* Peek();
};

}  // namespace NS_DIRECTORY

namespace bsfttest {

using testsupport::XsiDirectory;

constexpr const char* kUser = "alice@example.test";
constexpr const char* kPassword = "s3cret-Pw";

inline NS_DIRECTORY::ContactBroadSoftPersonal Personal(const std::string& strName,
                                                       const std::string& strNumber) {
    NS_DIRECTORY::ContactBroadSoftPersonal record;
    record.m_strName = strName;
    record.m_strNumber = strNumber;
    return record;
}

struct Notice {
    int nWParam;
    int nLParam;
    std::string strUrl;
};

class BroadSoftFixture : public testsupport::HostFixture {
protected:
    BroadSoftFixture() : m_xsi(kUser, kPassword) {}
    void SetUp() override;
    void TearDown() override;

    // The account of the mock server and the directories to enable, by their enable keys ("BsftGroup", ...).
    void Configure(const std::vector<std::string>& vecEnabled, const std::string& strPort = "@mock");
    NS_DIRECTORY::CContactBroadSoftModel* Model() {
        return NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
    }
    // Creates the model (which probes and then downloads every directory) and waits until all work is done.
    NS_DIRECTORY::CContactBroadSoftModel* StartModel();
    void WaitIdle();
    // The URL the model uses for a directory path below "directories/" ("Group", "CustomContact/Sales").
    std::string ModelUrl(const std::string& strSuffix) const;
    // The shown names and the state of a directory's list, by the path below "directories/".
    std::vector<std::string> Names(const std::string& strSuffix) const;
    int Status(const std::string& strSuffix) const;
    // Fails the test for every log line since the last take that holds the account's password.
    static void ExpectPasswordNeverLogged();
    std::vector<std::string> ShownNames(XsiDirectory eDirectory) const;
    std::vector<std::string> TableNames();
    // Message 1920 notices since the last take.
    std::vector<Notice> TakeNotices();
    // The bodies of the POST requests the server has seen, in arrival order.
    std::vector<std::string> PostBodies() const;
    // Temporary files of downloads and uploads.
    int TempFileCount() const;
    // Entries "<prefix> 000" to "<prefix> nCount-1", first name the prefix, last name the number.
    static std::vector<testsupport::XsiEntry> Members(const std::string& strPrefix, int nCount);
    // The shown names of a page joined with "|", then "/" and the total count.
    static std::string Page(NS_DIRECTORY::CContactBroadSoftModel* pModel, const std::string& strClickAction,
                            int* pResult, int nFrom = 0, int nCount = 1000, bool bClear = false);

    testsupport::MockXsiServer m_xsi;
};

}  // namespace bsfttest
