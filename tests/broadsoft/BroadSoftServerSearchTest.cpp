// Server-side search: criteria turned into Xsi query parameters, and search results downloaded into lists of
// their own by the GUI's page requests.

#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using testsupport::XsiDirectory;

using BroadSoftServerSearchTest = bsfttest::BroadSoftFixture;

ContactBroadSoftItemData Criteria(const char* pName, const char* pNumber = "", const char* pMobile = "",
                                  const char* pExtension = "", const char* pDepartment = "",
                                  const char* pEmail = "") {
    ContactBroadSoftItemData criteria;
    criteria.m_strName = pName;
    criteria.m_strNumber = pNumber;
    criteria.m_strMobile = pMobile;
    criteria.m_strExtension = pExtension;
    criteria.m_strDepartment = pDepartment;
    criteria.m_strEmailAddress = pEmail;
    return criteria;
}

TEST_F(BroadSoftServerSearchTest, CriteriaBecomeQueryParametersByDirectoryKind) {
    Configure({"BsftGroup"});
    HostControl::SetNetworkReady(false);
    CContactBroadSoftModel* pModel = Model();
    for (const char* pSuffix : {"Group", "Enterprise", "Personal", "GroupCommon", "CustomContact/S"}) {
        BroadSoftModelPeer::MakeReady(ModelUrl(pSuffix));
    }
    const std::tuple<const char*, ContactBroadSoftItemData, const char*> kCases[] = {
        // directory, criteria, query added ("-" when declined)
        {"Group", Criteria("Ana,"), "?firstName=*Ana*/i"},
        {"Group", Criteria("Ana,Silva", "+351 21"),
         "?firstName=*Ana*/i&lastName=*Silva*/i&number=*%2B351%2021*/i"},
        // A name without a comma: alone in either name part, beside other criteria in the first name.
        {"Group", Criteria("Ana"), "?firstName=*Ana*/i&lastName=*Ana*/i&searchCriteriaModeOr=True"},
        {"Group", Criteria("Ana", "", "91"), "?firstName=*Ana*/i&mobile=91/i"},
        {"Enterprise", Criteria("Ana", "", "", "", "", "a@b"), "?firstName=*Ana*/i&emailAddress=*a%40b*/i"},
        {"CustomContact/S", Criteria("Ana"), "?firstName=*Ana*/i&lastName=*Ana*/i&searchCriteriaModeOr=True"},
        {"Personal", Criteria("Ana"), "?name=*Ana*/i"},
        {"Group", Criteria(","), "-"},
        {"Enterprise", Criteria(",Silva", "1", "2", "3", "R&D", "a@b"),
         "?lastName=*Silva*/i&number=*1*/i&mobile=2/i&extension=*3*/i&department=R%26D&emailAddress=*a%40b*/"
         "i"},
        {"Personal", Criteria("Ana,"), "?name=*Ana*/i"},
        {"Personal", Criteria(",Ana Silva,", "7"), "?name=*Ana%20Silva*/i&number=*7*/i"},
        {"Personal", Criteria("", "", "", "", "Sales"), "-"},
        {"GroupCommon", Criteria("", "5"), "?number=*5*/i"},
        {"CustomContact/S", Criteria("", "", "", "", "", "e@x"), "-"},
        {"CustomContact/S", Criteria("", "", "", "12"), "?extension=*12*/i"},
        {"Missing", Criteria("Ana,"), "-"},
    };
    for (const auto& [pSuffix, criteria, pQuery] : kCases) {
        std::string strUrl = ModelUrl(pSuffix);
        ContactBroadSoftItemData data = criteria;
        const bool bAccepted = pModel->PreSearchProcess(strUrl, data);
        EXPECT_EQ(bAccepted ? strUrl.substr(ModelUrl(pSuffix).size()) : "-", pQuery)
            << pSuffix << " " << criteria.m_strName;
    }
    BroadSoftModelPeer::SetStatus(ModelUrl("Personal"), CContactBroadSoftModel::LIST_FAILED);
    std::string strUrl = ModelUrl("Personal");
    ContactBroadSoftItemData data = Criteria("Ana,");
    EXPECT_FALSE(pModel->PreSearchProcess(strUrl, data)) << "a failed directory is not searched";

    pModel->SetSearchCriteriaModeOr(strUrl, true);
    EXPECT_EQ(strUrl, ModelUrl("Personal") + "?searchCriteriaModeOr=True");
    std::string strEmpty;
    CContactBroadSoftModel::AddUrlParameter(strEmpty, "name", "x", true, false);
    EXPECT_EQ(strEmpty, "");
    const std::pair<const char*, const char*> kFilters[] = {
        {"http://h/d/Group?start=51&results=50", "http://h/d/Group"},
        {"http://h/d/Group?firstName=*a*/i&start=101&results=50", "http://h/d/Group?firstName=*a*/i"},
        {"http://h/d/Group?firstName=*a*/i", "http://h/d/Group?firstName=*a*/i"},
        {"http://h/d/Group?restart=1", "http://h/d/Group?restart=1"},
    };
    for (const auto& [pUrl, pCut] : kFilters) {
        std::string strCut = pUrl;
        CContactBroadSoftModel::FilterParameters(strCut);
        EXPECT_EQ(strCut, pCut);
    }
}

TEST_F(BroadSoftServerSearchTest, SearchResultsDownloadIntoListsOfTheirOwnAndPageWithTheirQuery) {
    Configure({"BsftGroup", "BsftPersonal"});
    std::vector<testsupport::XsiEntry> vecMembers = Members("Ana", 120);
    for (const testsupport::XsiEntry& entry : Members("Bob", 5)) {
        vecMembers.push_back(entry);
    }
    m_xsi.SetEntries(XsiDirectory::Group, vecMembers);
    m_xsi.SetEntries(XsiDirectory::Personal,
                     {testsupport::XsiNamedEntry("Bobby", "1"), testsupport::XsiNamedEntry("Carl", "2")});
    CContactBroadSoftModel* pModel = StartModel();
    auto search = [pModel](const char* pAction, ContactBroadSoftItemData criteria, bool bClear = false) {
        ContactBroadSoftListData page;
        page.m_nCountToGet = 3;
        const int nResult = pModel->GetContactListByClickAction(&page, pAction, criteria, bClear, true);
        std::string strNames = std::to_string(nResult) + ":";
        for (const ContactBroadSoftItemData& item : page.m_listData) {
            strNames += item.m_strName + "|";
        }
        return strNames + std::to_string(page.m_nTotalCount);
    };
    m_xsi.ClearRequests();
    EXPECT_EQ(search("broadsoft_phonebook_x1", Criteria("an,")), "1:0");
    WaitIdle();
    EXPECT_EQ(search("broadsoft_phonebook_x1", Criteria("an,")), "0:Ana,000|Ana,001|Ana,002|120");
    std::vector<std::string> vecTargets;
    for (const testsupport::RecordedRequest& request : m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group))) {
        vecTargets.push_back(request.strQuery);
    }
    EXPECT_THAT(vecTargets, UnorderedElementsAre("firstName=*an*/i", "firstName=*an*/i&start=51&results=50",
                                                 "firstName=*an*/i&start=101&results=50"));
    EXPECT_EQ(Names("Group").size(), 125u) << "the directory stays as it was";
    EXPECT_EQ(search("broadsoft_phonebook_x2", Criteria("", "", "", "", "Sales")), "0:0")
        << "declined, nothing copied";
    EXPECT_EQ(search("broadsoft_phonebook_x1", Criteria("04")), "1:0");
    WaitIdle();
    EXPECT_EQ(search("broadsoft_phonebook_x1", Criteria("04")), "0:Ana,004|Ana,040|Ana,041|13")
        << "a name without a comma is found in the last name too";

    // A combined search downloads what is still missing, though another directory's result is already in.
    EXPECT_EQ(search("broadsoft_phonebook_x2", Criteria("bob,")), "1:0");
    WaitIdle();
    EXPECT_EQ(search("broadsoft_phonebook_x0", Criteria("bob,")), "1:0");
    WaitIdle();
    EXPECT_EQ(search("broadsoft_phonebook_x0", Criteria("bob,")), "0:Bob,000|Bob,001|Bob,002|6");
    EXPECT_EQ(search("broadsoft_phonebook_x0", Criteria(",")), "6:0");

    EXPECT_EQ(BroadSoftModelPeer::ListKeys().size(), 7u);
    int nResult = -1;
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x2", &nResult, 0, 5, true), "Bobby|Carl/2");
    EXPECT_THAT(BroadSoftModelPeer::ListKeys(),
                ElementsAre("All Contact", ModelUrl("Group"), ModelUrl("Personal")))
        << "the clear flag drops the search results";
}

}  // namespace
