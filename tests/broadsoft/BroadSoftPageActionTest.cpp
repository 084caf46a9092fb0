// Page downloads that read their page on the worker: what the action carries back for good, broken and
// failed answers, and the model adding pages whose files are already gone.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftPageAction.h"
#include "BroadSoftTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testsupport::XsiDirectory;

namespace fs = std::filesystem;

// Releases every action it gets back.
class ReleasingReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        TaskAction_DestroyNetworkFileAction(static_cast<NS_TA::CNetworkFileAction*>(pAction));
    }
};

class BroadSoftPageActionTest : public bsfttest::BroadSoftFixture {
protected:
    // Downloads the Group directory's first page with a page action and waits for the worker, delivering
    // nothing; the downloaded file is removed before the page is taken. *pFileLeft tells whether the worker
    // left the file behind, *pRemoved whether the action says it removed it.
    std::unique_ptr<BroadSoftPage> DownloadGroupPage(bool* pSucceeded, bool* pFileLeft = nullptr,
                                                     bool* pRemoved = nullptr) {
        const std::string strUrl = m_xsi.Url(m_xsi.PathOf(XsiDirectory::Group));
        CBroadSoftPageAction* pAction = CBroadSoftPageAction::Create("/tmp/page.xml", strUrl);
        EXPECT_NE(pAction, nullptr);
        if (pAction == nullptr) {
            return nullptr;
        }
        pAction->SetRead(true);
        pAction->SetUsername(bsfttest::kUser);
        pAction->SetPassword(bsfttest::kPassword);
        pAction->SetCallback(&m_receiver);
        EXPECT_TRUE(TaskAction_ExecAction(pAction));
        EXPECT_TRUE(HostControl::WaitForActions(20000));
        std::error_code ec;
        if (pFileLeft != nullptr) {
            *pFileLeft = fs::exists(m_root.Path("/tmp/page.xml"), ec);
        }
        if (pRemoved != nullptr) {
            *pRemoved = pAction->IsFileRemoved();
        }
        fs::remove(m_root.Path("/tmp/page.xml"), ec);
        *pSucceeded = pAction->IsOperationSucceed();
        std::unique_ptr<BroadSoftPage> pPage = pAction->TakePage();
        EXPECT_EQ(pAction->TakePage(), nullptr) << "a page is taken once";
        HostControl::RunUntilIdle(20000);
        return pPage;
    }

    static std::vector<std::string> RecordNames(const BroadSoftPage& page) {
        std::vector<std::string> vecNames;
        for (const auto& pRecord : page.vecRecords) {
            vecNames.push_back(std::to_string(pRecord->GetType()) + ":" + pRecord->GetDisplayName());
        }
        return vecNames;
    }

    // Removes the downloads' temporary files.
    void RemoveDownloadedFiles() {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_root.Path("/tmp"), ec)) {
            if (entry.path().filename().string().rfind("BroadSoftDirectory_", 0) == 0) {
                fs::remove(entry.path(), ec);
            }
        }
    }

    ReleasingReceiver m_receiver;
};

TEST_F(BroadSoftPageActionTest, TheWorkerReadsAGoodPageAndCarriesItsRecordsAndCounts) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 3));
    bool bSucceeded = false;
    bool bFileLeft = true;
    bool bRemoved = false;
    const std::unique_ptr<BroadSoftPage> pPage = DownloadGroupPage(&bSucceeded, &bFileLeft, &bRemoved);
    EXPECT_TRUE(bSucceeded);
    EXPECT_FALSE(bFileLeft) << "the worker removes the file it has read";
    EXPECT_TRUE(bRemoved);
    ASSERT_NE(pPage, nullptr);
    EXPECT_TRUE(pPage->bRead);
    EXPECT_EQ(pPage->strRefusal, "");
    EXPECT_EQ(pPage->strTotal, "3");
    EXPECT_EQ(pPage->strCount, "3");
    EXPECT_THAT(RecordNames(*pPage), ElementsAre("1:Ana,000", "1:Ana,001", "1:Ana,002"));
}

TEST_F(BroadSoftPageActionTest, ABrokenBodyIsRefusedWithItsReasonAndAFailedDownloadCarriesNoPage) {
    Configure({"BsftGroup"});
    m_xsi.Fail(m_xsi.PathOf(XsiDirectory::Group), 200, "<Group><entry><lastName>cut");
    bool bSucceeded = false;
    std::unique_ptr<BroadSoftPage> pPage = DownloadGroupPage(&bSucceeded);
    EXPECT_TRUE(bSucceeded);
    ASSERT_NE(pPage, nullptr);
    EXPECT_FALSE(pPage->bRead);
    EXPECT_NE(pPage->strRefusal, "");
    EXPECT_TRUE(pPage->vecRecords.empty()) << "a body cut short is never read in part";

    m_xsi.Fail(m_xsi.PathOf(XsiDirectory::Group), 500, "<Group/>");
    bool bFileLeft = true;
    bool bRemoved = true;
    pPage = DownloadGroupPage(&bSucceeded, &bFileLeft, &bRemoved);
    EXPECT_FALSE(bSucceeded);
    EXPECT_EQ(pPage, nullptr);
    EXPECT_FALSE(bFileLeft);
    EXPECT_FALSE(bRemoved) << "a failed download has no file to remove";
}

// What the reader makes of local files that are not a downloaded page: a path naming no regular file is
// not read and not refused; an empty or cut file is refused with pugixml's reason.
TEST_F(BroadSoftPageActionTest, PathsThatAreNoPageAreNotReadAndEmptyFilesAreRefused) {
    fs::create_directories(m_root.Path("/tmp/folder.xml"));
    struct Case {
        const char* pPath;
        const char* pContent;  // null: no file is written
        bool bRefused;
    };
    const Case kCases[] = {
        {"/tmp/missing.xml", nullptr, false},
        {"/tmp/folder.xml", nullptr, false},
        {"/tmp/empty.xml", "", true},
        {"/tmp/cut.xml", "<Group><totalAvailableRecords>1</totalAvailableRecords><entry>", true},
        {"/tmp/good.xml", "<Group><totalAvailableRecords>1</totalAvailableRecords><entry/></Group>", false},
    };
    for (const Case& test : kCases) {
        if (test.pContent != nullptr) {
            std::ofstream(m_root.Path(test.pPath), std::ios::binary) << test.pContent;
        }
        BroadSoftPage page;
        ReadBroadSoftPage(test.pPath, page);
        EXPECT_EQ(!page.strRefusal.empty(), test.bRefused) << test.pPath << ": " << page.strRefusal;
        const bool bGood = std::string(test.pPath) == "/tmp/good.xml";
        EXPECT_EQ(page.bRead, bGood) << test.pPath;
        EXPECT_EQ(page.vecRecords.size(), bGood ? 1u : 0u) << test.pPath;
        EXPECT_EQ(page.strTotal, bGood ? "1" : "") << test.pPath;
    }
}

// Every page is read before its answer reaches the model: the model never needs the file again.
TEST_F(BroadSoftPageActionTest, TheModelAddsEveryPageOfADirectoryWhoseFilesAreGoneBeforeItsAnswers) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    Model();
    for (;;) {
        ASSERT_TRUE(HostControl::WaitForActions(20000));
        RemoveDownloadedFiles();
        if (!HostControl::DeliverOneCallback()) {
            break;
        }
    }
    const BroadSoftListView list = BroadSoftModelPeer::List(ModelUrl("Group"));
    EXPECT_EQ(list.nStatus, CContactBroadSoftModel::LIST_LOADED);
    EXPECT_THAT(list.vecNames, ElementsAreArray(ShownNames(XsiDirectory::Group)));
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group)).size(), 3u);
}

}  // namespace
