// Downloads against the mock Xsi server: paging and its end, the custom-directory list, the GUI's page
// requests and their codes, bad answers, superseded answers, temporary files and the refresh timer.

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonUnits.h"
#include "ConfigParser.h"

namespace {

using namespace NS_DIRECTORY;
using bsfttest::Notice;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
using testsupport::MockXsiServer;
using testsupport::XsiDirectory;

class BroadSoftDownloadTest : public bsfttest::BroadSoftFixture {
protected:
    std::vector<std::string> Targets(XsiDirectory eDirectory) const {
        std::vector<std::string> vecTargets;
        for (const testsupport::RecordedRequest& request : m_xsi.RequestsTo(m_xsi.PathOf(eDirectory))) {
            vecTargets.push_back(request.strTarget);
        }
        return vecTargets;
    }
    std::string Path(const std::string& strSuffix) const {
        return "/com.broadsoft.xsi-actions/v2.0/user/alice%40example.test/directories/" + strSuffix;
    }
    // Waits until every transfer has finished without delivering any answer, so answers arrive together.
    static void WaitForTransfers() {
        while (HostControl::PendingActionCount() > 0) {
            std::this_thread::yield();
        }
    }
};

TEST_F(BroadSoftDownloadTest, A120EntryDirectoryComesInThreePagesOf50ReadInOrder) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Group) + "?start=51&results=50");
    Model();
    while (m_xsi.Requests().size() < 4 || HostControl::PendingActionCount() > 1) {  // probe and three pages
        HostControl::RunUntilIdle(1);
    }
    HostControl::RunUntilIdle(1);
    EXPECT_EQ(Names("Group").size(), 50u) << "the third page waits for the second";
    std::vector<Notice> vecNotices = TakeNotices();
    EXPECT_EQ(vecNotices.size(), 1u);
    m_xsi.ReleaseStalls();
    WaitIdle();
    const std::vector<std::string> vecTargets = Targets(XsiDirectory::Group);
    ASSERT_EQ(vecTargets.size(), 3u);
    EXPECT_EQ(vecTargets[0], Path("Group"));
    EXPECT_THAT(vecTargets, UnorderedElementsAre(Path("Group"), Path("Group?start=51&results=50"),
                                                 Path("Group?start=101&results=50")));
    for (const Notice& notice : TakeNotices()) {
        vecNotices.push_back(notice);
    }
    ASSERT_EQ(vecNotices.size(), 3u);
    const std::string kQueries[] = {"", "?start=51&results=50", "?start=101&results=50"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::make_tuple(vecNotices[i].nWParam, vecNotices[i].nLParam, vecNotices[i].strUrl),
                  std::make_tuple(2, 1, ModelUrl("Group") + kQueries[i]));
    }
    EXPECT_THAT(Names("Group"), ElementsAreArray(ShownNames(XsiDirectory::Group)));
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_LOADED);
    for (const testsupport::RecordedRequest& request : m_xsi.Requests()) {
        EXPECT_EQ(request.Header("Authorization"),
                  testsupport::BasicAuthorization(bsfttest::kUser, bsfttest::kPassword));
    }
    ExpectPasswordNeverLogged();
}

// Three pages download at once; each has the next one waiting behind it, which goes out only when it is in.
TEST_F(BroadSoftDownloadTest, ALongDirectoryHasThreePagesDownloadingAtOnceAndEveryPageAskedForOnce) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 575));
    const std::string strPath = m_xsi.PathOf(XsiDirectory::Group);
    std::vector<std::string> vecPages = {Path("Group")};
    for (int nStart = 51; nStart <= 575; nStart += 50) {
        const std::string strQuery = "?start=" + std::to_string(nStart) + "&results=50";
        vecPages.push_back(Path("Group" + strQuery));
        if (nStart <= 151) {
            m_xsi.Stall(strPath + strQuery);
        }
    }
    Model();
    while (Targets(XsiDirectory::Group).size() < 4 || HostControl::PendingActionCount() < 6) {
        HostControl::RunUntilIdle(1);
    }
    HostControl::RunUntilIdle(20);
    EXPECT_THAT(Targets(XsiDirectory::Group),
                UnorderedElementsAre(vecPages[0], vecPages[1], vecPages[2], vecPages[3]))
        << "the pages behind the three stalled ones wait for them";
    EXPECT_EQ(HostControl::PendingActionCount(), 6);
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_THAT(Targets(XsiDirectory::Group), UnorderedElementsAreArray(vecPages));
    EXPECT_THAT(Names("Group"), ElementsAreArray(ShownNames(XsiDirectory::Group)));
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_LOADED);
}

TEST_F(BroadSoftDownloadTest, PagingEndsWhenTheServerRepeatsAPageOrSendsAnEmptyOne) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    for (const MockXsiServer::PagingFault eFault :
         {MockXsiServer::PagingFault::RepeatFirstPage, MockXsiServer::PagingFault::EmptyLaterPages}) {
        m_xsi.SetPagingFault(eFault);
        m_xsi.ClearRequests();
        BroadSoftModelPeer::Destroy();
        StartModel();
        EXPECT_THAT(Targets(XsiDirectory::Group),
                    UnorderedElementsAre(Path("Group"), Path("Group?start=51&results=50"),
                                         Path("Group?start=101&results=50")))
            << "the pages asked for ahead, and no more";
        EXPECT_EQ(Names("Group").size(), 50u);
        EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_LOADED);
    }
}

TEST_F(BroadSoftDownloadTest, PagesShorterThanAskedForStillComeInWholeAndInOrder) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    m_xsi.SetPagingFault(MockXsiServer::PagingFault::CappedLaterPages);
    StartModel();
    EXPECT_THAT(Names("Group"), ElementsAreArray(ShownNames(XsiDirectory::Group)));
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_LOADED);
    // The page asked for ahead at 101 no longer fits once the second page brought 30: it is asked again.
    EXPECT_THAT(Targets(XsiDirectory::Group),
                UnorderedElementsAre(Path("Group"), Path("Group?start=51&results=50"),
                                     Path("Group?start=101&results=50"), Path("Group?start=81&results=30"),
                                     Path("Group?start=111&results=30")));
}

TEST_F(BroadSoftDownloadTest, CustomListFetchOutcomes) {
    Configure({"BsftGroup", "BsftCustom"});
    m_xsi.SetCustomDirectory("Sales", {testsupport::XsiCustomContact("Sam", "Seller", "302")});
    m_xsi.SetCustomDirectory("Support", {});
    const std::string strList = m_xsi.CustomListPath();
    const std::tuple<const char*, int, int, const char*> kCases[] = {
        // answer, status kept from an earlier start, status after, reason
        {"ok", 0, 3, ""},
        {"ok", 2, 3, ""},  // a fetch the phone lost by a restart does not block the next one
        {"not xml", 0, 4, "Prase Fail"},
        {"401", 0, 4, "auth error"},
        {"500", 0, 4, "Load Fail"},
    };
    for (const auto& [pAnswer, nStatusBefore, nStatusAfter, pReason] : kCases) {
        const std::string strAnswer = pAnswer;
        m_xsi.Restore(strList);
        if (strAnswer == "not xml") {
            m_xsi.Http().Serve(strList, "<CustomContact><directory>");
        } else if (strAnswer != "ok") {
            m_xsi.Fail(strList, std::stoi(strAnswer));
        }
        configParser_SetConfigInt("BsftCustomListStatus", nStatusBefore);
        configParser_SetConfigString("BsftCustomListUse", "");
        BroadSoftModelPeer::Destroy();
        m_xsi.ClearRequests();
        StartModel();
        EXPECT_EQ(configParser_GetConfigInt("BsftCustomListStatus"), nStatusAfter) << strAnswer;
        EXPECT_EQ(configParser_GetConfigString("BsftCustomListFailReason"), pReason) << strAnswer;
        EXPECT_EQ(m_xsi.RequestsTo(strList).size(), 1u) << strAnswer;
        EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_LOADED) << "the directories download anyway";
        if (nStatusAfter == 3) {
            EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Group", "Sales", "Support"));
            EXPECT_THAT(Names("CustomContact/Sales"), ElementsAre("Sam,Seller"));
            EXPECT_EQ(configParser_GetConfigString("BsftCustomListUse"), "Sales,Support");
        } else {
            EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Group"));
        }
    }
}

TEST_F(BroadSoftDownloadTest, PageRequestsOfADirectoryAnswerWithTheirCodes) {
    Configure({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 3));
    m_xsi.SetEntries(XsiDirectory::Personal, {testsupport::XsiNamedEntry("Bob", "7")});
    CContactBroadSoftModel* pModel = StartModel();
    int nResult = -1;
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x1", &nResult, 1, 5), "Ana,001|Ana,002/3");
    EXPECT_EQ(nResult, BSFT_LIST_COPIED);
    m_xsi.ClearRequests();
    EXPECT_EQ(Page(pModel, "OpenSubPage(broadsoft_phonebook_x1)", &nResult), "Ana,000|Ana,001|Ana,002/3");
    EXPECT_THAT(m_xsi.Requests(), IsEmpty()) << "a loaded directory is copied, not downloaded";
    ContactBroadSoftItemData criteria;
    ContactBroadSoftListData page;
    EXPECT_EQ(pModel->GetContactListByClickAction(&page, "", criteria, false, false), 11);
    for (const char* pAction : {"broadsoft_phonebook_x3", "broadsoft_phonebook_x", "remote_phonebook_x1"}) {
        EXPECT_EQ(pModel->GetContactListByClickAction(&page, pAction, criteria, false, false), 6) << pAction;
    }
    BroadSoftConfigItem noUrl;
    noUrl.m_strName = "Nowhere";
    pModel->SetConfigDataByIndex(2, noUrl);
    EXPECT_EQ(pModel->GetContactListByClickAction(&page, "broadsoft_phonebook_x2", criteria, false, false),
              6);

    // Cancelled, the list downloads again on the next request: 7 without network, 2 when the executor refuses
    // (and the list is failed, not left waiting), 1 while it runs, 0 once it is in.
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    ASSERT_TRUE(pModel->CancelDownload());
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_CANCELED);
    HostControl::SetNetworkReady(false);
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x1", &nResult), "/0");
    EXPECT_EQ(nResult, BSFT_LIST_NO_NETWORK);
    HostControl::SetNetworkReady(true);
    HostControl::SetRefuseTaskActions(true);
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    EXPECT_EQ(nResult, BSFT_LIST_REFUSED);
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_FAILED);
    HostControl::SetRefuseTaskActions(false);
    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Group));
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    EXPECT_EQ(nResult, BSFT_LIST_DOWNLOADING);
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    EXPECT_EQ(nResult, BSFT_LIST_DOWNLOADING);
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group)).size(), 1u);
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x1", &nResult, 2, 1), "Ana,002/3");
    EXPECT_EQ(nResult, BSFT_LIST_COPIED);
    EXPECT_EQ(BroadSoftModelPeer::CurUrl(), ModelUrl("Group"));
}

TEST_F(BroadSoftDownloadTest, TheCombinedListMergesEveryDirectoryInNameOrder) {
    Configure({"BsftGroup", "BsftGroupCommon", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group, {testsupport::XsiMember("Zoe", "Baker", "1", "1"),
                                           testsupport::XsiMember("Al", "Dunn", "2", "2")});
    m_xsi.SetEntries(XsiDirectory::GroupCommon, {testsupport::XsiNamedEntry("lobby", "3")});
    m_xsi.SetEntries(XsiDirectory::Personal,
                     {testsupport::XsiNamedEntry("bakerzoe", "5"), testsupport::XsiNamedEntry("Carla", "4")});
    CContactBroadSoftModel* pModel = StartModel();
    int nResult = -1;
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult), "Zoe,Baker|bakerzoe|Carla|Al,Dunn|lobby/5");
    EXPECT_EQ(nResult, BSFT_LIST_COPIED);
    EXPECT_EQ(BroadSoftModelPeer::CurUrl(), "All Contact");
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult, 3, 0), "Al,Dunn|lobby/5")
        << "count 0 takes the rest";

    // While a refresh runs the combined list shows what is in; without network it is still copied.
    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Personal));
    ASSERT_TRUE(pModel->Update());
    while (Status("Group") != CContactBroadSoftModel::LIST_LOADED ||
           Status("GroupCommon") != CContactBroadSoftModel::LIST_LOADED) {
        HostControl::RunUntilIdle(10);
    }
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult), "Zoe,Baker|Al,Dunn|lobby/3");
    HostControl::SetNetworkReady(false);
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult), "Zoe,Baker|Al,Dunn|lobby/3");
    EXPECT_EQ(nResult, BSFT_LIST_COPIED);
    EXPECT_FALSE(pModel->Update());
    EXPECT_EQ(CommonUnits_GetErrorId(), -14);
    HostControl::SetNetworkReady(true);
}

TEST_F(BroadSoftDownloadTest, BadAnswersFailTheListKeepTheOldEntriesAndLeaveNoFile) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 3));
    CContactBroadSoftModel* pModel = StartModel();
    int nResult = -1;
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    TakeNotices();
    HostControl::TransferLimits limits;
    limits.nMaxDownloadBytes = 4096;
    HostControl::SetTransferLimits(limits);
    const std::string strGroup = m_xsi.PathOf(XsiDirectory::Group);
    const std::string strPage =
        "<Group><startIndex>1</startIndex><numberOfRecords>1</numberOfRecords><totalAvailableRecords>1"
        "</totalAvailableRecords><groupDirectory><directoryDetails><firstName>New</firstName>";
    const std::tuple<const char*, int> kAnswers[] = {{"not xml", 0},   {"wrong root", 0}, {"too large", 0},
                                                     {"cut short", 0}, {"500", 0},        {"401", 401}};
    for (const auto& [pAnswer, nLParam] : kAnswers) {
        const std::string strAnswer = pAnswer;
        if (strAnswer == "not xml") {
            m_xsi.Http().Serve(strGroup, "Service Unavailable");
        } else if (strAnswer == "wrong root") {
            m_xsi.Http().Serve(strGroup, "<ErrorInfo><summary>busy</summary></ErrorInfo>");
        } else if (strAnswer == "too large") {
            m_xsi.Http().ServeOversized(strGroup, 10000, true);
        } else if (strAnswer == "cut short") {
            m_xsi.Http().ServeTruncated(strGroup, strPage.size() + 100, strPage);
        } else if (strAnswer == "500") {
            m_xsi.Fail(strGroup, 500);
        } else {
            m_xsi.Restore(strGroup);
            m_xsi.SetPassword("other");
        }
        ASSERT_TRUE(pModel->CancelDownload());
        Page(pModel, "broadsoft_phonebook_x1", &nResult);
        EXPECT_EQ(nResult, BSFT_LIST_DOWNLOADING) << strAnswer;
        WaitIdle();
        EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_FAILED) << strAnswer;
        EXPECT_THAT(Names("Group"), ElementsAre("Ana,000", "Ana,001", "Ana,002")) << strAnswer;
        EXPECT_EQ(TempFileCount(), 0) << strAnswer;
        const std::vector<Notice> vecNotices = TakeNotices();
        ASSERT_EQ(vecNotices.size(), 1u) << strAnswer;
        EXPECT_EQ(std::make_tuple(vecNotices[0].nWParam, vecNotices[0].nLParam), std::make_tuple(2, nLParam))
            << strAnswer;
        EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult), "Ana,000|Ana,001|Ana,002/3") << strAnswer;
    }
    m_xsi.SetPassword(bsfttest::kPassword);
    m_xsi.SetEntries(XsiDirectory::Group, Members("Bo", 2));
    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    WaitIdle();
    EXPECT_THAT(Names("Group"), ElementsAre("Bo,000", "Bo,001"))
        << "a new first page replaces the old entries";
    ExpectPasswordNeverLogged();
}

// Cancelling once let the paging run on to the last page.
TEST_F(BroadSoftDownloadTest, CancellingADownloadStopsItsPaging) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 300));
    const std::string strGroup = m_xsi.PathOf(XsiDirectory::Group);
    for (const char* pQuery : {"?start=51&results=50", "?start=101&results=50", "?start=151&results=50"}) {
        m_xsi.Stall(strGroup + pQuery);
    }
    CContactBroadSoftModel* pModel = Model();
    while (Names("Group").size() < 50u || m_xsi.RequestsTo(strGroup).size() < 4u) {
        HostControl::RunUntilIdle(1);
    }
    int nResult = -1;
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x1", &nResult, 0, 2), "Ana,000|Ana,001/50")
        << "the directory in view shows what is in";
    ASSERT_TRUE(pModel->CancelDownload());
    m_xsi.ReleaseStalls();
    WaitForTransfers();
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(strGroup).size(), 4u) << "no page asked for after the cancel";
    EXPECT_EQ(Names("Group").size(), 50u) << "pages on their way are dropped";
    EXPECT_EQ(Status("Group"), CContactBroadSoftModel::LIST_CANCELED);
    TakeNotices();

    Page(pModel, "broadsoft_phonebook_x1", &nResult);
    EXPECT_EQ(nResult, BSFT_LIST_DOWNLOADING) << "a cancelled directory downloads again when asked for";
    WaitIdle();
    EXPECT_EQ(Names("Group").size(), 300u);
}

// A refresh used to empty every list until the new pages were in, so callers went unnamed meanwhile.
TEST_F(BroadSoftDownloadTest, CallerLookupKeepsTheLastGoodListsUntilTheNewOnesAreIn) {
    Configure({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 120));
    m_xsi.SetEntries(XsiDirectory::Personal, {testsupport::XsiNamedEntry("Pia", "777")});
    CContactBroadSoftModel* pModel = StartModel();
    ASSERT_EQ(pModel->GetContactNameByNumber("+4930110"), "Ana,110");
    ASSERT_EQ(pModel->GetContactNameByNumber("777"), "Pia");

    const std::string strGroup = m_xsi.PathOf(XsiDirectory::Group);
    m_xsi.Stall(strGroup + "?start=101&results=50");
    ASSERT_EQ(pModel->ReloadConfigure(true), 0);  // what the refresh timer does
    while (Status("Personal") != CContactBroadSoftModel::LIST_LOADED || Names("Group").size() < 100u) {
        HostControl::RunUntilIdle(1);
    }
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930110"), "Ana,110") << "the new list is not whole yet";
    EXPECT_EQ(pModel->GetContactNameByNumber("777"), "Pia");
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930110"), "Ana,110");

    m_xsi.Fail(strGroup, 500);
    m_xsi.SetEntries(XsiDirectory::Personal, {});
    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    ASSERT_EQ(Status("Group"), CContactBroadSoftModel::LIST_FAILED);
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930110"), "Ana,110")
        << "a failed refresh keeps the last list";
    EXPECT_EQ(pModel->GetContactNameByNumber("777"), "") << "a refreshed list replaces the last one";

    m_xsi.Restore(strGroup);
    m_xsi.SetEntries(XsiDirectory::Group, Members("Bo", 2));
    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930110"), "");
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930001"), "Bo,001");

    configParser_SetConfigInt("BSFTActive", 0);
    ASSERT_EQ(pModel->ReloadConfigure(true), 0);
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930001"), "") << "nothing is kept once switched off";
}

TEST_F(BroadSoftDownloadTest, AnswersOfSupersededDownloadsAndProbesAreDropped) {
    Configure({"BsftGroup"});
    m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 60));
    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Personal));
    CContactBroadSoftModel* pModel = Model();
    ASSERT_EQ(pModel->ReloadConfigure(true), 0);
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Personal)).size(), 2u);
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group)).size(), 2u) << "one probe answer counted";

    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Group));
    ASSERT_TRUE(pModel->Update());
    ASSERT_TRUE(pModel->Update());
    m_xsi.ReleaseStalls();
    WaitForTransfers();
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group)).size(), 5u)
        << "two pages, two, one more page";
    EXPECT_THAT(Names("Group"), ElementsAreArray(ShownNames(XsiDirectory::Group)));
}

TEST_F(BroadSoftDownloadTest, TemporaryFilesRotateAndRunningDownloadsNeverShareOne) {
    Configure({"BsftGroup"});
    HostControl::SetNetworkReady(false);
    Model();
    std::vector<std::string> vecPaths;
    for (int i = 0; i < 6; ++i) {
        vecPaths.push_back(BroadSoftModelPeer::NextFilePath());
    }
    EXPECT_THAT(vecPaths, ElementsAre("/tmp/BroadSoftDirectory_1.xml", "/tmp/BroadSoftDirectory_2.xml",
                                      "/tmp/BroadSoftDirectory_3.xml", "/tmp/BroadSoftDirectory_4.xml",
                                      "/tmp/BroadSoftDirectory_0.xml", "/tmp/BroadSoftDirectory_1.xml"));
    HostControl::SetNetworkReady(true);

    // Seven directories download at once and all are in before the first answer is read: every answer still
    // lands in its own list.
    Configure({"BsftGroup", "BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal",
               "BsftCustom"});
    configParser_SetConfigString("BsftCustomListUse", "C1,C2");
    configParser_SetConfigString("BsftCustomListAll", "C1,C2");
    m_xsi.SetEntries(XsiDirectory::Group, Members("Group", 2));
    m_xsi.SetEntries(XsiDirectory::Enterprise, Members("Enterprise", 2));
    m_xsi.SetEntries(XsiDirectory::GroupCommon, {testsupport::XsiNamedEntry("GroupCommon", "1")});
    m_xsi.SetEntries(XsiDirectory::EnterpriseCommon, {testsupport::XsiNamedEntry("EnterpriseCommon", "2")});
    m_xsi.SetEntries(XsiDirectory::Personal, {testsupport::XsiNamedEntry("Personal", "3")});
    m_xsi.SetCustomDirectory("C1", {testsupport::XsiCustomContact("C1", "x", "4")});
    m_xsi.SetCustomDirectory("C2", {testsupport::XsiCustomContact("C2", "x", "5")});
    BroadSoftModelPeer::Destroy();
    CContactBroadSoftModel* pModel = StartModel();
    m_xsi.ClearRequests();
    ASSERT_TRUE(pModel->Update());
    WaitForTransfers();
    EXPECT_EQ(m_xsi.Requests().size(), 7u);
    WaitIdle();
    for (const char* pSuffix : {"Group", "Enterprise"}) {
        EXPECT_THAT(Names(pSuffix),
                    ElementsAre(std::string(pSuffix) + ",000", std::string(pSuffix) + ",001"));
    }
    for (const char* pSuffix : {"GroupCommon", "EnterpriseCommon", "Personal"}) {
        EXPECT_THAT(Names(pSuffix), ElementsAre(pSuffix));
    }
    EXPECT_THAT(Names("CustomContact/C1"), ElementsAre("C1,x"));
    EXPECT_THAT(Names("CustomContact/C2"), ElementsAre("C2,x"));
}

TEST_F(BroadSoftDownloadTest, RefreshRepeatsEveryIntervalSkipsCallsAndStopsAfterAFailedProbe) {
    Configure({"BsftGroup"});
    configParser_SetConfigInt("BstDirUpdateInterVal", 2);
    StartModel();
    m_xsi.ClearRequests();
    const auto refreshes = [this] { return m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group)).size(); };
    HostControl::AdvanceClock(119999);
    WaitIdle();
    EXPECT_EQ(refreshes(), 0u);
    HostControl::AdvanceClock(1);
    WaitIdle();
    EXPECT_EQ(refreshes(), 1u);
    HostControl::AdvanceClock(120000);
    WaitIdle();
    EXPECT_EQ(refreshes(), 2u) << "armed again by the refresh's probe";
    HostControl::SetCallSessionExists(true);
    HostControl::AdvanceClock(120000);
    WaitIdle();
    EXPECT_EQ(refreshes(), 2u) << "no refresh during a call";
    HostControl::SetCallSessionExists(false);
    HostControl::AdvanceClock(120000);
    WaitIdle();
    EXPECT_EQ(refreshes(), 3u) << "the timer kept running through the call";

    m_xsi.SetPassword("changed");
    HostControl::AdvanceClock(120000);
    WaitIdle();
    EXPECT_FALSE(BroadSoftModelPeer::IsServerReady());
    m_xsi.ClearRequests();
    HostControl::AdvanceClock(10 * 120000);
    WaitIdle();
    EXPECT_THAT(m_xsi.Requests(), IsEmpty()) << "idle after a failed probe";

    m_xsi.SetPassword(bsfttest::kPassword);
    for (const int nMinutes : {0, -5}) {
        configParser_SetConfigInt("BstDirUpdateInterVal", nMinutes);
        ASSERT_EQ(Model()->ReloadConfigure(true), 0);
        WaitIdle();
        m_xsi.ClearRequests();
        HostControl::AdvanceClock(24 * 3600 * 1000);
        WaitIdle();
        EXPECT_THAT(m_xsi.Requests(), IsEmpty()) << nMinutes << " minutes: no automatic refresh";
    }
}

TEST_F(BroadSoftDownloadTest, TlsIsVerifiedForHttps) {
    MockXsiServer secure(bsfttest::kUser, bsfttest::kPassword, MockXsiServer::Scheme::Https);
    Configure({"BsftGroup"}, secure.Port());
    configParser_SetConfigString("AccountBroadsoftXSIServerType", secure.ServerType());
    StartModel();
    const std::vector<Notice> vecNotices = TakeNotices();
    ASSERT_EQ(vecNotices.size(), 1u);
    EXPECT_EQ(std::make_tuple(vecNotices[0].nWParam, vecNotices[0].nLParam), std::make_tuple(777, 0));
    EXPECT_EQ(vecNotices[0].strUrl.rfind("https://127.0.0.1:", 0), 0u);
    EXPECT_THAT(secure.Requests(), IsEmpty()) << "the self-signed certificate is refused before any request";
}

}  // namespace
