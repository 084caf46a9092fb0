// Page downloads that read their page on the worker: what the action carries back for good, broken and
// failed answers, the page read from a body in memory as from a file, and the model adding pages of
// downloads that never write a file.

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

constexpr const char* kPageFolder = "/tmp/pages";

// The bytes of a literal, NUL bytes inside it included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Releases every action it gets back.
class ReleasingReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        TaskAction_DestroyNetworkFileAction(static_cast<NS_TA::CNetworkFileAction*>(pAction));
    }
};

class BroadSoftPageActionTest : public bsfttest::BroadSoftFixture {
protected:
    // Downloads the Group directory's first page with a page action into a local path whose folder does not
    // exist, and waits for the worker, delivering nothing. *pBodyLeft is the body the action still holds.
    std::unique_ptr<BroadSoftPage> DownloadGroupPage(bool* pSucceeded, std::string* pBodyLeft = nullptr) {
        const std::string strUrl = m_xsi.Url(m_xsi.PathOf(XsiDirectory::Group));
        CBroadSoftPageAction* pAction =
            CBroadSoftPageAction::Create(std::string(kPageFolder) + "/page.xml", strUrl);
        EXPECT_NE(pAction, nullptr);
        if (pAction == nullptr) {
            return nullptr;
        }
        EXPECT_TRUE(pAction->IsKeepBodyInMemory());
        pAction->SetRead(true);
        pAction->SetUsername(bsfttest::kUser);
        pAction->SetPassword(bsfttest::kPassword);
        pAction->SetCallback(&m_receiver);
        EXPECT_TRUE(TaskAction_ExecAction(pAction));
        EXPECT_TRUE(HostControl::WaitForActions(20000));
        EXPECT_FALSE(m_root.Exists(kPageFolder)) << "a page download writes no file";
        if (pBodyLeft != nullptr) {
            *pBodyLeft = pAction->GetFileContent();
        }
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

    ReleasingReceiver m_receiver;
};

TEST_F(BroadSoftPageActionTest, TheWorkerReadsAGoodPageAndCarriesItsRecordsAndCounts) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 3));
    bool bSucceeded = false;
    std::string strBodyLeft = "unset";
    const std::unique_ptr<BroadSoftPage> pPage = DownloadGroupPage(&bSucceeded, &strBodyLeft);
    EXPECT_TRUE(bSucceeded);
    EXPECT_EQ(strBodyLeft, "") << "the worker lets the body go once it has read it";
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
    std::string strBodyLeft = "unset";
    pPage = DownloadGroupPage(&bSucceeded, &strBodyLeft);
    EXPECT_FALSE(bSucceeded);
    EXPECT_EQ(pPage, nullptr);
    EXPECT_EQ(strBodyLeft, "") << "a failed download holds no body";
}

// A body in memory reads as a file of the same bytes: NUL bytes, a Latin-1 declaration the first reading
// did not take (after a comment, after a byte order mark), other encodings, broken and empty documents.
TEST_F(BroadSoftPageActionTest, ABodyInMemoryReadsAsAFileOfTheSameBytes) {
    const std::string kEntries =
        "<totalAvailableRecords>2</totalAvailableRecords><numberOfRecords>2</numberOfRecords>"
        "<entry><lastName>M\xfcller</lastName><firstName>J\xf6rg</firstName></entry>"
        "<entry><lastName>Ruiz</lastName></entry>";
    const std::string kLatin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    const std::string kUtf8Bom = "\xef\xbb\xbf";
    const std::string kUtf16 = Bytes("\xff\xfe<\0G\0r\0o\0u\0p\0/\0>\0");
    const std::vector<std::string> kBodies = {
        "",
        "<Group>" + kEntries + "</Group>",
        kLatin1 + "<Group>" + kEntries + "</Group>",
        "<!-- first -->" + kLatin1 + "<Group>" + kEntries + "</Group>",
        kUtf8Bom + kLatin1 + "<Group>" + kEntries + "</Group>",
        "<?xml version=\"1.0\" encoding=\"ISO&#45;8859-1\"?><Group>" + kEntries + "</Group>",
        kUtf16,
        std::string("<Group>") + kEntries + Bytes("</Group\0>"),
        std::string("<Group>") + kEntries + Bytes("</Group>\0"),
        Bytes("<Group><entry><lastName>A\0B</lastName></entry></Group>"),
        "<Group>" + kEntries,
        "<Personal><entry><name>Li</name><number>7</number></entry></Personal>",
        "<Directory><contacts><contact><mobile> 12 </mobile></contact></contacts></Directory>",
    };
    for (std::size_t n = 0; n < kBodies.size(); ++n) {
        SCOPED_TRACE(n);
        const std::string& strBody = kBodies[n];
        std::ofstream(m_root.Path("/tmp/page.xml"), std::ios::binary | std::ios::trunc) << strBody;
        BroadSoftPage fromFile;
        ReadBroadSoftPage("/tmp/page.xml", fromFile);
        BroadSoftPage fromBody;
        ReadBroadSoftPageBody(strBody, fromBody);
        EXPECT_EQ(fromBody.bRead, fromFile.bRead);
        EXPECT_EQ(fromBody.strRefusal, fromFile.strRefusal);
        EXPECT_EQ(fromBody.strTotal, fromFile.strTotal);
        EXPECT_EQ(fromBody.strCount, fromFile.strCount);
        EXPECT_EQ(RecordNames(fromBody), RecordNames(fromFile));
    }
    BroadSoftPage latin1;
    ReadBroadSoftPageBody(kBodies[3], latin1);
    EXPECT_THAT(RecordNames(latin1), ElementsAre("1:J\xc3\xb6rg,M\xc3\xbcller", "1:,Ruiz"));
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

// No page download of the model writes a file, and every page still lands in its list.
TEST_F(BroadSoftPageActionTest, TheModelAddsEveryPageOfADirectoryWithoutAnyPageFile) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    Model();
    ASSERT_TRUE(HostControl::WaitForActions(20000));
    ASSERT_TRUE(HostControl::DeliverOneCallback()) << "the probe's answer";
    for (;;) {
        ASSERT_TRUE(HostControl::WaitForActions(20000));
        EXPECT_EQ(TempFileCount(), 0);
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
