// Background and synchronous searches while refreshes and reloads replace the tree under them and downloads
// parse on the workers. Run under the thread sanitizer build as well.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::CContactRemoteSearchAction;
using NS_DIRECTORY::REMOTE_ROOT_KEY;
using NS_DIRECTORY::RemoteSearchListData;

class CountingReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) override {
        ++m_nAnswers;
        m_lastAnswer = static_cast<CContactRemoteSearchAction*>(pTaskAction)->GetResultListData();
    }

    int m_nAnswers = 0;
    RemoteSearchListData m_lastAnswer;
};

RemoteSearchListData Request(const std::string& strKey) {
    RemoteSearchListData data;
    data.m_strKey = strKey;
    data.m_nCountToGet = 20;
    return data;
}

class RemoteSearchStressTest : public remotetest::RemoteFixture {};

TEST_F(RemoteSearchStressTest, BackgroundSearchesWhileRefreshesReplaceTheTree) {
    const testsupport::RemotePhonebookSite first =
        testsupport::ServeRemotePhonebook(m_server, "/a", 3, 3, 1500);
    const testsupport::RemotePhonebookSite second =
        testsupport::ServeRemotePhonebook(m_server, "/b", 2, 2, 400);
    WriteSlots("", {{"A", first.strTopUrl}, {"B", second.strTopUrl}});
    const char* const kKeys[] = {"p", "pe", "per", "person 1", "7", "73", "737", "1000", "2001", "team"};

    CountingReceiver receiver;
    int nStarted = 0;
    std::string strSlotB = "remote_phonebook_x1";
    std::string strNoAction;
    for (int nRound = 0; nRound < 30; ++nRound) {
        CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
        for (const char* pKey : kKeys) {
            nStarted += pModel->SearchAsync(pKey, nRound % 4, 20, &receiver,
                                            nRound % 2 == 0 ? strNoAction : strSlotB, nRound % 2 == 0)
                            ? 1
                            : 0;
        }
        RemoteSearchListData sync = Request(kKeys[nRound % 10]);
        pModel->Search(&sync, nRound % 3 - 1, nRound % 3 == 2);
        RemoteSearchListData whole = Request("person");
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
    EXPECT_EQ(receiver.m_nAnswers, nStarted) << "every accepted search is answered once";

    CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
    std::string strAll;
    ASSERT_TRUE(pModel->SearchAsync("son 12", 0, 1000, &receiver, strAll, true));
    WaitIdle();
    RemoteSearchListData sync = Request("son 12");
    sync.m_nCountToGet = 1000;
    ASSERT_TRUE(pModel->Search(&sync, -1, true));
    RemoteSearchListData whole = Request("son 12");
    ASSERT_TRUE(pModel->SearchWithOneNumber(&whole));
    EXPECT_EQ(receiver.m_lastAnswer.m_nTotalCount, (1 + 10 + 100) + (1 + 10));
    EXPECT_EQ(sync.m_nTotalCount, receiver.m_lastAnswer.m_nTotalCount);
    EXPECT_EQ(whole.m_nTotalCount, receiver.m_lastAnswer.m_nTotalCount);
}

}  // namespace
