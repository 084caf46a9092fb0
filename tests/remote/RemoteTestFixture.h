#pragma once
// Shared by the remote phonebook tests: a read-only view into the model's tree, and a fixture that gives
// every test a fresh model on a fresh root with a loopback server for its documents.

#include <list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "TempRoot.h"

namespace NS_DIRECTORY {

struct RemoteNodeView {
    std::string strKey;
    std::string strTitle;
    int nStatus = 0;
    int nLevel = -1;
    int nType = 0;  // item type, 0 without item
    std::string strName;
    std::vector<std::string> vecNumbers;
};

class RemoteModelPeer {
public:
    // False when no node has the key.
    static bool Node(const std::string& strKey, RemoteNodeView* pView);
    static std::vector<RemoteNodeView> Children(const std::string& strKey);
    static int UnitCount();
    // How many nodes hold a directory entry (bUnits), or else are in the state nStatus.
    static int CountNodes(bool bUnits, int nStatus = -1);
    static void SetCurUrl(const std::string& strKey);
    // Caller lookup by a walk of the whole tree in index order (then of the last good entries kept aside),
    // as the number index must answer.
    static std::string WalkedNameByNumber(const std::string& strNumber);

private:
    // Calls visit(model) under the model's lock when a model exists.
    template <typename Visit>
    static void WithModel(Visit visit);
};

}  // namespace NS_DIRECTORY

namespace remotetest {

using Slot = std::pair<std::string, std::string>;  // name, url

NS_DIRECTORY::RemoteSearchListData Request(const std::string& strKey, int nFrom = 0, int nCount = 10);
std::vector<std::string> Names(const std::list<NS_DIRECTORY::RemoteSearchItemData>& listItems);
// "name/type=number,number," for each result, in result order.
std::vector<std::string> Described(const std::list<NS_DIRECTORY::RemoteSearchItemData>& listItems);
// How many searches since the last take scanned the tree afresh instead of narrowing remembered results.
int FreshSearches();

// Keeps what every answered background search delivered.
class SearchReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) override {
        m_vecAnswers.push_back(
            static_cast<NS_DIRECTORY::CContactRemoteSearchAction*>(pTaskAction)->GetResultListData());
    }

    std::vector<NS_DIRECTORY::RemoteSearchListData> m_vecAnswers;
};

class RemoteFixture : public testsupport::HostFixture {
protected:
    void SetUp() override;
    // Releases the remote model and the local phone book; expects no temporary file left.
    void TearDown() override;

    void WriteSlots(const std::string& strDisplayName, const std::vector<Slot>& vecSlots);
    // A document of tests/data/remote with "@BASE@" replaced by the server's base URL.
    std::string DataDoc(const std::string& strName) const;
    void ServeData(const std::string& strName);
    // The documents of the company tree: company-menu.xml down to night.xml at level five.
    void ServeCompany();
    std::string Url(const std::string& strName) const { return m_server.Url("/" + strName); }
    NS_DIRECTORY::CContactRemoteModel* Model() { return NS_DIRECTORY::CContactRemoteModel::GetInstance(); }
    // Creates the model (which starts every download) and waits until all work is done.
    NS_DIRECTORY::CContactRemoteModel* StartModel();
    void WaitIdle();
    // Runs the host loop until the server has seen nCount requests to strPath (without waiting for answers
    // the server holds back); fails the test after ten seconds.
    void WaitForRequests(const std::string& strPath, std::size_t nCount);
    // Runs the host loop until the node is in the state nStatus; fails the test after ten seconds.
    void WaitForStatus(const std::string& strKey, int nStatus);
    int Status(const std::string& strKey) const;
    std::vector<std::string> ChildNames(const std::string& strKey) const;
    // Downloads, their parts and the page file left in the temporary folder.
    int TempFileCount() const;
    std::vector<int> NotificationIds();
    // lParam of each of the notifications that has the id, in order.
    static std::vector<int> ResultsOf(const std::vector<HostControl::Notification>& vecNotes, int nId);
    // A synchronous search of slot nScope (-1: every slot), or with bAll of the whole tree.
    NS_DIRECTORY::RemoteSearchListData Search(const std::string& strKey, int nScope, bool bAll, int nFrom = 0,
                                              int nCount = 10);
    // Types nRounds random keys of nStrokes strokes (0: 1 to 4) into slot 0, or in two rounds of three into
    // the whole tree, each answer window equal to a fresh search of the slot's document or the tree. Counts
    // the strokes after the first that narrowed remembered results, and of those the ones of several bytes.
    void TypeKeysAgainstFreshSearches(std::mt19937& random, const std::vector<std::string>& vecStrokes,
                                      int nRounds, int nStrokes, const std::string& strSlotUrl,
                                      int* pNarrowed, int* pMultiByteNarrowed);

    testsupport::LoopbackHttpServer m_server;
};

}  // namespace remotetest
