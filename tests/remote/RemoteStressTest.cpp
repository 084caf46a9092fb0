// Refreshes, cancels, reloads and releases of the model while downloads parse on the workers, and searches
// while the tree is replaced under them. Run under the thread sanitizer build as well.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;

using remotetest::Request;

class RemoteStressTest : public remotetest::RemoteFixture {
protected:
    void ExpectConsistentTree() {
        EXPECT_EQ(RemoteModelPeer::UnitCount(), RemoteModelPeer::CountNodes(true));
        EXPECT_EQ(RemoteModelPeer::CountNodes(false, CContactRemoteModel::FILE_DOWNLOADING), 0);
        EXPECT_EQ(TempFileCount(), 0);
    }
    void Turn() { HostControl::RunUntilIdle(1); }
};

TEST_F(RemoteStressTest, RefreshCancelReloadAndReleaseWhileParsing) {
    const testsupport::RemotePhonebookSite first =
        testsupport::ServeRemotePhonebook(m_server, "/a", 4, 4, 2400);
    const testsupport::RemotePhonebookSite second =
        testsupport::ServeRemotePhonebook(m_server, "/b", 3, 3, 900);
    WriteSlots("", {{"A", first.strTopUrl}, {"B", second.strTopUrl}, {"Same as A", first.strTopUrl}});
    for (int nRound = 0; nRound < 6; ++nRound) {
        CContactRemoteModel* pModel = Model();
        Turn();
        pModel->ReDownload(REMOTE_ROOT_KEY);
        Turn();
        pModel->CancelDownload(first.strTopUrl);
        pModel->ReDownload(second.vecDocumentUrls[1]);
        Turn();
        pModel->CancelDownload("");
        pModel->ReloadConfigure();
        Turn();
        pModel->ReDownload(REMOTE_ROOT_KEY);
        Turn();
        pModel->Update(false);
        if (nRound % 2 == 1) {
            CContactRemoteModel::ReleaseInstance();
        }
    }
    Model()->ReDownload(REMOTE_ROOT_KEY);
    WaitIdle();
    ExpectConsistentTree();
    EXPECT_EQ(RemoteModelPeer::UnitCount(), first.nEntries + second.nEntries);

    Model()->ReDownload(first.vecDocumentUrls.back());
    Model()->CancelDownload(first.strTopUrl);
    WaitIdle();
    ExpectConsistentTree();
}

TEST_F(RemoteStressTest, BackgroundSearchesWhileRefreshesReplaceTheTree) {
    const testsupport::RemotePhonebookSite first =
        testsupport::ServeRemotePhonebook(m_server, "/a", 3, 3, 1500);
    const testsupport::RemotePhonebookSite second =
        testsupport::ServeRemotePhonebook(m_server, "/b", 2, 2, 400);
    WriteSlots("", {{"A", first.strTopUrl}, {"B", second.strTopUrl}});
    const char* const kKeys[] = {"p", "pe", "per", "person 1", "7", "73", "737", "1000", "2001", "team"};
    remotetest::SearchReceiver receiver;
    int nStarted = 0;
    std::string strSlotB = "remote_phonebook_x1";
    std::string strNoAction;
    for (int nRound = 0; nRound < 30; ++nRound) {
        CContactRemoteModel* pModel = Model();
        for (const char* pKey : kKeys) {
            nStarted += pModel->SearchAsync(pKey, nRound % 4, 20, &receiver,
                                            nRound % 2 == 0 ? strNoAction : strSlotB, nRound % 2 == 0)
                            ? 1
                            : 0;
        }
        RemoteSearchListData sync = Request(kKeys[nRound % 10], 0, 20);
        pModel->Search(&sync, nRound % 3 - 1, nRound % 3 == 2);
        RemoteSearchListData whole = Request("person", 0, 20);
        pModel->SearchWithMultNumber(&whole);
        pModel->GetContactNameByNumber("100042");
        if (nRound % 5 == 0) {
            pModel->ReDownload(REMOTE_ROOT_KEY);
        }
        if (nRound % 13 == 6) {
            pModel->ReloadConfigure();
        }
        HostControl::RunUntilIdle(1);
    }
    WaitIdle();
    EXPECT_EQ(static_cast<int>(receiver.m_vecAnswers.size()), nStarted)
        << "every accepted search is answered once";

    std::string strAll;
    ASSERT_TRUE(Model()->SearchAsync("son 12", 0, 1000, &receiver, strAll, true));
    WaitIdle();
    RemoteSearchListData sync = Request("son 12", 0, 1000);
    ASSERT_TRUE(Model()->Search(&sync, -1, true));
    RemoteSearchListData whole = Request("son 12", 0, 20);
    ASSERT_TRUE(Model()->SearchWithOneNumber(&whole));
    ASSERT_EQ(static_cast<int>(receiver.m_vecAnswers.size()), nStarted + 1);
    const int nLastTotal = receiver.m_vecAnswers.back().m_nTotalCount;
    EXPECT_EQ(nLastTotal, (1 + 10 + 100) + (1 + 10));
    EXPECT_EQ(sync.m_nTotalCount, nLastTotal);
    EXPECT_EQ(whole.m_nTotalCount, nLastTotal);
}

}  // namespace
