// Records and their casts, the page parsers of every directory kind, the custom-directory list, page copies,
// the combined list order, and clearing lists.

#include <list>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "RealDocs.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A model without network (no probe, no downloads) and a list under each URL to parse pages into.
class BroadSoftParseTest : public bsfttest::BroadSoftFixture {
protected:
    void SetUp() override {
        BroadSoftFixture::SetUp();
        Configure({"BsftGroup", "BsftEnterprise", "BsftPersonal"});
        HostControl::SetNetworkReady(false);
        Model();
    }

    // Writes the document and parses it into the list of the URL (made when missing).
    bool Parse(const std::string& strSuffix, const std::string& strDoc, int nStart = 1) {
        BroadSoftModelPeer::MakeReady(ModelUrl(strSuffix));
        m_root.WriteFile("/tmp/page.xml", strDoc);
        return BroadSoftModelPeer::LoadPage(ModelUrl(strSuffix), "/tmp/page.xml", nStart);
    }
    std::vector<ContactBroadSoftItemData> Records(const std::string& strSuffix) {
        BroadSoftModelPeer::SetStatus(ModelUrl(strSuffix), CContactBroadSoftModel::LIST_LOADED);
        ContactBroadSoftListData page;
        page.m_nCountToGet = 100;
        EXPECT_TRUE(BroadSoftModelPeer::CopyDirectory(&page, ModelUrl(strSuffix)));
        return {page.m_listData.begin(), page.m_listData.end()};
    }
};

std::string Counted(const std::string& strRoot, const std::string& strBody, int nCount) {
    const std::string strCount = std::to_string(nCount);
    return "<" + strRoot +
           " xmlns=\"http://schema.broadsoft.com/xsi\"><startIndex>1</startIndex><numberOfRecords>" +
           strCount + "</numberOfRecords><totalAvailableRecords>" + strCount + "</totalAvailableRecords>" +
           strBody + "</" + strRoot + ">";
}

std::string Fields(const ContactBroadSoftItemData& d) {
    return std::to_string(d.m_eType) + "|" + d.m_strName + "|" + d.m_strNumber + "|" + d.m_strUserId + "|" +
           d.m_strGroupId + "|" + d.m_strExtension + "|" + d.m_strMobile + "|" + d.m_strYahooId + "|" +
           d.m_strPaper + "|" + d.m_strEmailAddress + "|" + d.m_strTitle + "|" + d.m_strLocation + "|" +
           d.m_strAddressLine1 + "|" + d.m_strAddressLine2 + "|" + d.m_strCity + "|" + d.m_strState + "|" +
           d.m_strZip + "|" + d.m_strCountry + "|" + d.m_strDepartment + "|" + d.m_strImpId;
}

TEST(BroadSoftRecordTest, CastsCheckTheTypeAndTheCopyFillsWhatEachKindHas) {
    ContactBroadSoftGroup group;
    ContactBroadSoftEnterprise enterprise;
    ContactBroadSoftPersonal personal;
    ContactBroadSoftCommon common;
    ContactBroadSoftCustom custom;
    const ContactBroadSoftItemBase* const kRecords[] = {&group, &personal, &common, &enterprise, &custom};
    for (int i = 0; i < 5; ++i) {
        const ContactBroadSoftItemBase* pItem = kRecords[i];
        EXPECT_EQ(pItem->GetType(), i + 1);
        EXPECT_EQ(Base2Group(pItem) != nullptr, i == 0);
        EXPECT_EQ(Base2Personal(pItem) != nullptr, i == 1);
        EXPECT_EQ(Base2Common(pItem) != nullptr, i == 2);
        EXPECT_EQ(Base2Enterprise(pItem) != nullptr, i == 3);
        EXPECT_EQ(Base2Custom(pItem) != nullptr, i == 4);
    }

    enterprise.m_strFirstName = "Ana";
    enterprise.m_strLastName = "Silva";
    enterprise.m_strNumber = "1";
    enterprise.m_strCountry = "PT";
    custom.m_strFirstName = "Eve";
    custom.m_strNumber = "2";
    custom.m_strImpId = "eve@im";
    custom.m_strName = "nick";
    personal.m_strName = "Bob";
    personal.m_strNumber = "3";
    ContactBroadSoftItemData data;
    EXPECT_TRUE(BroadSoftItem2Data(&enterprise, data));
    EXPECT_EQ(Fields(data), "4|Ana,Silva|1|||||||||||||||PT||");
    EXPECT_TRUE(BroadSoftItem2Data(&custom, data));
    EXPECT_EQ(Fields(data), "5|Eve,|2|||||||||||||||||eve@im");
    EXPECT_TRUE(BroadSoftItem2Data(&personal, data));
    EXPECT_EQ(Fields(data), "2|Bob|3|||||||||||||||||");
    EXPECT_FALSE(BroadSoftItem2Data(nullptr, data));
    EXPECT_EQ(Fields(data), Fields(ContactBroadSoftItemData()));

    ContactBroadSoftEnterprise copy;
    copy = enterprise;
    copy = copy;
    EXPECT_EQ(copy.GetDisplayName(), "Ana,Silva");
    copy.Reset();
    EXPECT_EQ(copy.GetDisplayName(), ",");
    EXPECT_EQ(copy.GetType(), BSFT_ITEM_ENTERPRISE);
}

TEST(BroadSoftRecordTest, CombinedOrderComparesLowerCasedKeysAndEqualKeysKeepTheEarlierListFirst) {
    auto member = [](const char* pLast, const char* pFirst) {
        auto pGroup = std::make_unique<ContactBroadSoftGroup>();
        pGroup->m_strLastName = pLast;
        pGroup->m_strFirstName = pFirst;
        return pGroup;
    };
    auto named = [](const char* pName) {
        auto pPersonal = std::make_unique<ContactBroadSoftPersonal>();
        pPersonal->m_strName = pName;
        return pPersonal;
    };
    const auto pAnnBo = member("Ann", "Bo");  // key "annbo"
    const auto pAnnb = named("ANNB");         // key "annb"
    const auto pAnnBo2 = named("annbo");      // equal to pAnnBo
    const auto pZed = member("zed", "");
    EXPECT_TRUE(Comp(pAnnb.get(), pAnnBo.get()));
    EXPECT_FALSE(Comp(pAnnBo.get(), pAnnb.get()));
    EXPECT_FALSE(Comp(pAnnBo.get(), pAnnBo2.get()));
    EXPECT_FALSE(Comp(pAnnBo2.get(), pAnnBo.get()));
    EXPECT_TRUE(Comp(pAnnBo.get(), pZed.get()));
    EXPECT_TRUE(Comp(nullptr, pZed.get()));

    BroadSoftItemList listOut{pZed.get()};
    mergeList({pAnnBo2.get(), pZed.get()}, {pAnnb.get(), pAnnBo.get()}, listOut);
    EXPECT_THAT(listOut, ElementsAre(pAnnb.get(), pAnnBo.get(), pAnnBo2.get(), pZed.get()));
    mergeList({}, {pZed.get()}, listOut);
    EXPECT_THAT(listOut, ElementsAre(pZed.get()));
}

TEST_F(BroadSoftParseTest, MemberPagesReadDetailsWhereverTheyStand) {
    const std::string kDirect =
        "<directoryDetails><userId>a@x</userId><firstName>Ana</firstName><lastName>Silva</lastName>"
        "<groupId>G1</groupId><number>100</number><extension>10</extension><mobile>9</mobile>"
        "<yahooId>y</yahooId><paper>p</paper><emailAddress>a@m</emailAddress><title>Boss</title>"
        "<location>L</location><addressLine1>A1</addressLine1><addressLine2>A2</addressLine2><city>C</city>"
        "<state>S</state><zip>Z</zip><country>PT</country><department>D</department><other>o</other>"
        "</directoryDetails>";
    // The nested details name the pager "pager", as Xsi does; the direct ones "paper".
    const std::string kNested =
        "<directoryDetails><userId>a@x</userId><firstName>Ana</firstName><lastName>Silva</lastName>"
        "<groupId>G1</groupId><number>100</number><extension>10</extension><additionalDetails><mobile>9</"
        "mobile>"
        "<yahooId>y</yahooId><pager>p</pager><emailAddress>a@m</emailAddress><title>Boss</title>"
        "<location>L</location><addressLine1>A1</addressLine1><addressLine2>A2</addressLine2><city>C</city>"
        "<state>S</state><zip>Z</zip><country>PT</country><department>D</department><lastName>no</lastName>"
        "</additionalDetails></directoryDetails>";
    ASSERT_TRUE(Parse("Group", Counted("Group", "<groupDirectory>" + kDirect + "</groupDirectory>", 1)));
    ASSERT_TRUE(
        Parse("Enterprise",
              Counted("Enterprise", "<enterpriseDirectory>" + kNested + "</enterpriseDirectory>", 1)));
    const std::vector<ContactBroadSoftItemData> vecGroup = Records("Group");
    const std::vector<ContactBroadSoftItemData> vecEnterprise = Records("Enterprise");
    ASSERT_EQ(vecGroup.size(), 1u);
    ASSERT_EQ(vecEnterprise.size(), 1u);
    EXPECT_EQ(Fields(vecGroup[0]), "1|Ana,Silva|100|a@x|G1|10|9|y|p|a@m|Boss|L|A1|A2|C|S|Z|PT|D|");
    EXPECT_EQ(Fields(vecEnterprise[0]).substr(1), Fields(vecGroup[0]).substr(1));

    // "entry" children win over the container; a wrong container yields no entries.
    ASSERT_TRUE(Parse("GroupA", Counted("Group",
                                        "<entry><firstName>E</firstName></entry><groupDirectory>" + kDirect +
                                            "</groupDirectory>",
                                        1)));
    EXPECT_THAT(Names("GroupA"), ElementsAre("E,"));
    ASSERT_TRUE(
        Parse("GroupB", Counted("Group", "<enterpriseDirectory>" + kDirect + "</enterpriseDirectory>", 1)));
    EXPECT_THAT(Names("GroupB"), IsEmpty());

    // Text, CDATA and comments between the elements are no fields; an element named twice keeps its last
    // text, an empty one included, and a CDATA text is read as it stands.
    ASSERT_TRUE(Parse("GroupC", Counted("Group",
                                        "<entry>t<!-- c --><firstName>A</firstName><![CDATA[cd]]>"
                                        "<number>1</number><number>2</number><lastName></lastName>"
                                        "<lastName>B</lastName><extension>9</extension><extension/>"
                                        "<userId><![CDATA[u&1]]></userId><additionalDetails>t<!-- c -->"
                                        "<mobile>m1</mobile><mobile>m2</mobile></additionalDetails></entry>",
                                        1)));
    ASSERT_EQ(Records("GroupC").size(), 1u);
    EXPECT_EQ(Fields(Records("GroupC")[0]), "1|A,B|2|u&1|||m2|||||||||||||");
}

TEST_F(BroadSoftParseTest, PersonalCommonAndCustomPages) {
    ASSERT_TRUE(Parse("Personal", Counted("Personal",
                                          "<entry><name>Bob</name><number></number></entry>"
                                          "<entry><number>7</number><name>Cy</name></entry>",
                                          2)));
    EXPECT_EQ(Fields(Records("Personal")[0]), "2|Bob||||||||||||||||||");
    EXPECT_EQ(Records("Personal")[1].m_strNumber, "7");
    for (const char* pRoot : {"GroupCommon", "EnterpriseCommon"}) {
        ASSERT_TRUE(Parse(pRoot, "<?xml version=\"1.0\"?><!-- x --><Other/>" +
                                     Counted(pRoot,
                                             "<commonPhoneEntry><name>Lobby</name><number>5</number>"
                                             "</commonPhoneEntry>",
                                             1)));
        EXPECT_EQ(Fields(Records(pRoot)[0]), "3|Lobby|5|||||||||||||||||") << pRoot;
    }
    ASSERT_TRUE(Parse("CustomContact/S",
                      Counted("Directory",
                              "<contacts><contact><firstName>Eve</firstName><lastName>Owl</lastName>"
                              "<userId>u</userId><number>3</number><extension>33</extension>"
                              "<mobile> 0171 2 \t</mobile><emailAddress>e@m</emailAddress>"
                              "<name>nick</name><impId>im</impId></contact></contacts>",
                              1)));
    EXPECT_EQ(Fields(Records("CustomContact/S")[0]), "5|Eve,Owl|3|u||33|0171 2|||e@m||||||||||im");
    EXPECT_FALSE(
        Parse("CustomContact/T", Counted("Directory", "<contact><firstName>X</firstName></contact>", 1)));
}

TEST_F(BroadSoftParseTest, RefusedDocumentsLeaveTheListAsItWas) {
    ASSERT_TRUE(Parse("Group", Counted("Group", "<entry><firstName>Old</firstName></entry>", 1)));
    const std::string strGood = Counted("Group", "<entry><firstName>New</firstName></entry>", 1);
    const std::string kBad[] = {
        "",
        "not xml at all",
        "<Unknown><entry><firstName>X</firstName></entry></Unknown>",
        strGood.substr(0, strGood.size() - 12),  // a body cut short
        "<Group><entry><firstName>X</firstName></entry>",
        // NUL bytes end the document where they stand, however the bytes after them would close it.
        strGood.substr(0, strGood.size() - 1) + std::string("\0\0\3>", 4),
        strGood.substr(0, strGood.size() - 8) + std::string("\0", 1) + strGood.substr(strGood.size() - 8),
    };
    for (const std::string& strDoc : kBad) {
        EXPECT_FALSE(Parse("Group", strDoc)) << strDoc;
        EXPECT_THAT(Names("Group"), ElementsAre("Old,")) << strDoc;
    }
    EXPECT_FALSE(BroadSoftModelPeer::LoadPage(ModelUrl("Group"), "/tmp/missing.xml"));
    EXPECT_FALSE(BroadSoftModelPeer::LoadPage(ModelUrl("Group"), ""));
    m_root.WriteFile("/tmp/page.xml", strGood);
    EXPECT_FALSE(BroadSoftModelPeer::LoadPage(ModelUrl("NoList"), "/tmp/page.xml"));
    EXPECT_FALSE(BroadSoftModelPeer::LoadPage("All Contact", "/tmp/page.xml"));

    // A later page is added; a first page replaces what an earlier download left.
    const std::string strLater =
        "<Group><startIndex>2</startIndex><numberOfRecords>1</numberOfRecords>"
        "<totalAvailableRecords>2</totalAvailableRecords><entry><firstName>Two</firstName>"
        "</entry></Group>";
    ASSERT_TRUE(Parse("Group", strLater, 2));
    EXPECT_THAT(Names("Group"), ElementsAre("Old,", "Two,"));
    ASSERT_TRUE(Parse("Group", strLater, 3));
    EXPECT_THAT(Names("Group"), ElementsAre("Old,", "Two,")) << "a page answering another start is dropped";
    ASSERT_TRUE(Parse("Group", strGood + std::string(1, '\0'))) << "what follows the end is not read";
    EXPECT_THAT(Names("Group"), ElementsAre("New,"));
}

TEST_F(BroadSoftParseTest, DeclaredLatin1IsReadAsLatin1AndRealXsiAnswersParse) {
    ASSERT_TRUE(
        Parse("Personal", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" +
                              Counted("Personal", "<entry><name>M\xfcller \xc9mile</name></entry>", 1)));
    EXPECT_THAT(Names("Personal"), ElementsAre("M\xc3\xbcller \xc3\x89mile"));
    ASSERT_TRUE(Parse("Personal", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                                      Counted("Personal", "<entry><name>M\xc3\xbcller</name></entry>", 1)));
    EXPECT_THAT(Names("Personal"), ElementsAre("M\xc3\xbcller"));

    std::string strReal;
    if (!testsupport::ReadRealDoc("xsi/enterprise-fixture.xml", &strReal)) {
        GTEST_SKIP() << "the real Xsi answer is not on this machine";
    }
    ASSERT_TRUE(Parse("Enterprise", strReal));
    const std::vector<ContactBroadSoftItemData> vecRecords = Records("Enterprise");
    ASSERT_EQ(vecRecords.size(), 2u);
    EXPECT_EQ(Fields(vecRecords[0]),
              "4|Ana,Silva|+351210000001|a@onenet.pt|G1|411|+351912345678|||ana@x.pt"
              "||||||||||");
    EXPECT_EQ(vecRecords[1].m_strName, "Rui,") << "an empty lastName";
    EXPECT_EQ(vecRecords[1].m_strNumber, "") << "an entry without number";
    EXPECT_EQ(vecRecords[1].m_strExtension, "412");
    EXPECT_EQ(BroadSoftModelPeer::List(ModelUrl("Enterprise")).nTotal, 2);
}

TEST_F(BroadSoftParseTest, CustomDirectoryListKeepsTheWantedNamesTheServerOffers) {
    auto list = [](std::initializer_list<const char*> names) {
        std::string strBody;
        for (const char* pName : names) {
            strBody += std::string("<directory><name>") + pName + "</name></directory>";
        }
        return "<CustomContact xmlns=\"x\">" + strBody + "<directory><name/></directory></CustomContact>";
    };
    const std::tuple<std::string, const char*, const char*, const char*> kCases[] = {
        // document, wanted before, wanted after, all
        {list({"Sales", "Support", "Admin"}), "Admin,Old", "Admin", "Sales,Support,Admin"},
        {list({"A", "B", "C", "D", "E", "F", "G"}), "", "A,B,C,D,E", "A,B,C,D,E,F,G"},
        {list({"A", "B"}), "", "A,B", "A,B"},
        {list({"Sales", "Support"}), "Sale", "", "Sales,Support"},
        {list({"Sales", "Support"}), "Support,,Sales", "Support,,Sales", "Sales,Support"},
    };
    for (const auto& [strDoc, pBefore, pAfter, pAll] : kCases) {
        configParser_SetConfigString("BsftCustomListUse", pBefore);
        m_root.WriteFile("/tmp/list.xml", strDoc);
        std::string strWanted = "stale";
        ASSERT_TRUE(BroadSoftModelPeer::LoadCustomList(strWanted, "/tmp/list.xml")) << strDoc;
        EXPECT_EQ(strWanted, pAfter) << strDoc;
        EXPECT_EQ(configParser_GetConfigString("BsftCustomListUse"), pAfter);
        EXPECT_EQ(configParser_GetConfigString("BsftCustomListAll"), pAll);
    }
    m_root.WriteFile("/tmp/list.xml", "<Other><directory><name>A</name></directory></Other>");
    std::string strWanted;
    EXPECT_FALSE(BroadSoftModelPeer::LoadCustomList(strWanted, "/tmp/list.xml"));
    EXPECT_FALSE(BroadSoftModelPeer::LoadCustomList(strWanted, "/tmp/none.xml"));
}

TEST_F(BroadSoftParseTest, PageCopiesAndTheCombinedList) {
    ASSERT_TRUE(Parse("Group", Counted("Group",
                                       "<entry><lastName>b</lastName><firstName>1</firstName></entry>"
                                       "<entry><lastName>D</lastName></entry>",
                                       2)));
    ASSERT_TRUE(Parse("Personal", Counted("Personal",
                                          "<entry><name>a</name></entry><entry><name>B1</name></entry>"
                                          "<entry><name>c</name></entry>",
                                          3)));
    const std::list<std::string> listUrls{ModelUrl("Group"), ModelUrl("Personal"), ModelUrl("Missing")};
    const std::tuple<int, int, const char*> kWindows[] = {
        {0, 0, "a|1,b|B1|c|,D"}, {1, 2, "1,b|B1"}, {4, 9, ",D"}, {5, 1, ""}, {-3, 1, "a"}};
    for (const auto& [nFrom, nCount, pNames] : kWindows) {
        ContactBroadSoftListData page;
        page.m_nIndexFrom = nFrom;
        page.m_nCountToGet = nCount;
        ASSERT_TRUE(BroadSoftModelPeer::CopyCombined(&page, listUrls));
        std::string strNames;
        for (const ContactBroadSoftItemData& item : page.m_listData) {
            strNames += (strNames.empty() ? "" : "|") + item.m_strName;
        }
        EXPECT_EQ(strNames, pNames) << nFrom << "+" << nCount;
        EXPECT_EQ(page.m_nTotalCount, 5);
    }
    EXPECT_FALSE(BroadSoftModelPeer::CopyCombined(nullptr, listUrls));

    // A directory copies only when loaded; a window past the end is empty with the whole size.
    ContactBroadSoftListData page;
    EXPECT_FALSE(BroadSoftModelPeer::CopyDirectory(&page, ModelUrl("Group")));
    BroadSoftModelPeer::SetStatus(ModelUrl("Group"), CContactBroadSoftModel::LIST_LOADED);
    page.m_nIndexFrom = 7;
    page.m_nCountToGet = 5;
    ASSERT_TRUE(BroadSoftModelPeer::CopyDirectory(&page, ModelUrl("Group")));
    EXPECT_THAT(page.m_listData, IsEmpty());
    EXPECT_EQ(page.m_nTotalCount, 2);
    page.m_nIndexFrom = -1;
    EXPECT_FALSE(BroadSoftModelPeer::CopyDirectory(&page, ModelUrl("Group")));
    EXPECT_FALSE(BroadSoftModelPeer::CopyDirectory(nullptr, ModelUrl("Group")));

    // The loaded Enterprise directory covers the Group one.
    ASSERT_TRUE(Parse("Enterprise", Counted("Enterprise", "<entry><lastName>e</lastName></entry>", 1)));
    BroadSoftModelPeer::SetStatus(ModelUrl("Enterprise"), CContactBroadSoftModel::LIST_LOADED);
    page = ContactBroadSoftListData();
    ASSERT_TRUE(BroadSoftModelPeer::CopyCombined(&page, {ModelUrl("Group"), ModelUrl("Enterprise")}));
    EXPECT_EQ(page.m_nTotalCount, 1);
    EXPECT_TRUE(Model()->IsOnlySearchEnterprise(ModelUrl("Group") + "?firstName=*a*/i"));
    EXPECT_FALSE(Model()->IsOnlySearchEnterprise(ModelUrl("GroupCommon")));
}

TEST_F(BroadSoftParseTest, ClearingAndRemovedListsAreAbsentEverywhere) {
    for (const char* pSuffix : {"Group", "Personal", "Group?firstName=*a*/i", "CustomContact/Old"}) {
        ASSERT_TRUE(Parse(pSuffix, Counted("Personal", "<entry><name>n</name></entry>", 1))) << pSuffix;
    }
    ContactBroadSoftListData page;
    ASSERT_TRUE(BroadSoftModelPeer::CopyCombined(&page, {ModelUrl("Group"), ModelUrl("Personal")}));
    EXPECT_EQ(page.m_nTotalCount, 2);

    ASSERT_TRUE(BroadSoftModelPeer::RemoveList(ModelUrl("Group")));
    EXPECT_FALSE(BroadSoftModelPeer::RemoveList(ModelUrl("Group")));
    EXPECT_FALSE(BroadSoftModelPeer::RemoveList("All Contact"));
    const BroadSoftListView removed = BroadSoftModelPeer::List(ModelUrl("Group"));
    EXPECT_TRUE(removed.bEntry && !removed.bList);
    page = ContactBroadSoftListData();
    ASSERT_TRUE(BroadSoftModelPeer::CopyCombined(&page, {ModelUrl("Group"), ModelUrl("Personal")}));
    EXPECT_EQ(page.m_nTotalCount, 1);
    EXPECT_FALSE(BroadSoftModelPeer::CopyDirectory(&page, ModelUrl("Group")));
    EXPECT_EQ(BroadSoftModelPeer::AddPersonal(ModelUrl("Group"), "x", "1"), -1);
    m_root.WriteFile("/tmp/page.xml", Counted("Personal", "", 0));
    EXPECT_FALSE(BroadSoftModelPeer::LoadPage(ModelUrl("Group"), "/tmp/page.xml"));
    std::string strSearchUrl = ModelUrl("Group");
    ContactBroadSoftItemData criteria;
    criteria.m_strNumber = "1";
    EXPECT_FALSE(Model()->PreSearchProcess(strSearchUrl, criteria));
    EXPECT_EQ(BroadSoftModelPeer::MakeReady(ModelUrl("Group")), CContactBroadSoftModel::LIST_READY);
    EXPECT_TRUE(BroadSoftModelPeer::List(ModelUrl("Group")).bList);
    EXPECT_EQ(BroadSoftModelPeer::AddPersonal(ModelUrl("Group"), "x", "1"), 0);

    BroadSoftModelPeer::ClearMap(true);
    EXPECT_THAT(BroadSoftModelPeer::ListKeys(),
                ElementsAre("All Contact", ModelUrl("Group"), ModelUrl("Personal")));
    BroadSoftModelPeer::ClearMap(false);
    EXPECT_THAT(BroadSoftModelPeer::ListKeys(), ElementsAre("All Contact"));
}

}  // namespace
