// Refreshes, cancels, reloads and releases of the model while several downloads parse on the workers.
// Run under the thread sanitizer build as well.

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "ContactRemoteModel.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::REMOTE_ROOT_KEY;
using NS_DIRECTORY::RemoteModelPeer;

class ContactRemoteStressTest : public remotetest::RemoteFixture {
protected:
    void ExpectConsistentTree() {
        EXPECT_EQ(RemoteModelPeer::UnitCount(), RemoteModelPeer::UnitNodeCount());
        const std::vector<int> vecStatuses = RemoteModelPeer::AllStatuses();
        EXPECT_EQ(std::count(vecStatuses.begin(), vecStatuses.end(), CContactRemoteModel::FILE_DOWNLOADING),
                  0);
    }
    void Turn() { HostControl::RunUntilIdle(1); }
};

TEST_F(ContactRemoteStressTest, RefreshCancelReloadAndReleaseWhileParsing) {
    const testsupport::RemotePhonebookSite first =
        testsupport::ServeRemotePhonebook(m_server, "/a", 4, 4, 2400);
    const testsupport::RemotePhonebookSite second =
        testsupport::ServeRemotePhonebook(m_server, "/b", 3, 3, 900);
    WriteSlots("", {{"A", first.strTopUrl}, {"B", second.strTopUrl}, {"Same as A", first.strTopUrl}});

    for (int nRound = 0; nRound < 6; ++nRound) {
        CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
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
    CContactRemoteModel::GetInstance()->ReDownload(REMOTE_ROOT_KEY);
    WaitIdle();
    ExpectConsistentTree();
    EXPECT_EQ(RemoteModelPeer::UnitCount(), first.nEntries + second.nEntries);
    EXPECT_EQ(TempFileCount(), 0);

    CContactRemoteModel::GetInstance()->ReDownload(first.vecDocumentUrls.back());
    CContactRemoteModel::GetInstance()->CancelDownload(first.strTopUrl);
    WaitIdle();
    ExpectConsistentTree();
    EXPECT_EQ(TempFileCount(), 0);
}

}  // namespace
