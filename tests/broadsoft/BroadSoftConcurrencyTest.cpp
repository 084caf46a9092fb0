// Combined-list copies, searches and caller lookups on other threads while pages arrive, Personal edits are
// answered, lists are replaced by a refresh and the table is rebuilt. Run under the thread sanitizer build as
// well.

#include <atomic>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonAPI.h"
#include "DirectoryEntry.h"

namespace {

using namespace NS_DIRECTORY;
using testsupport::XsiDirectory;

class BroadSoftConcurrencyTest : public bsfttest::BroadSoftFixture {
protected:
    // Enterprise members "Ent 000"..., Group members "Grp 000"... and Personal entries "p000"...
    void ServeThreeDirectories(int nEnterprise, int nGroup, int nPersonal) {
        Configure({"BsftGroup", "BsftEnterprise", "BsftPersonal"});
        m_xsi.SetEntries(XsiDirectory::Enterprise, Members("Ent", nEnterprise));
        m_xsi.SetEntries(XsiDirectory::Group, Members("Grp", nGroup));
        std::vector<testsupport::XsiEntry> vecPersonal;
        for (int i = 0; i < nPersonal; ++i) {
            vecPersonal.push_back(
                testsupport::XsiNamedEntry(CommonAPI_FormatString("p%03d", i), std::to_string(i)));
        }
        m_xsi.SetEntries(XsiDirectory::Personal, vecPersonal);
    }
};

TEST_F(BroadSoftConcurrencyTest, CombinedCopiesWhilePagesArriveAndListsAreReplaced) {
    ServeThreeDirectories(1500, 400, 200);

    CContactBroadSoftModel* pModel = Model();
    std::atomic<bool> bStop{false};
    std::atomic<int> nCopies{0};
    std::atomic<int> nBadPages{0};
    const auto copyPages = [&] {
        while (!bStop.load()) {
            std::list<std::string> listUrls;
            pModel->GetConfigureUrlList(&listUrls);
            ContactBroadSoftListData page;
            page.m_nIndexFrom = nCopies.load() % 300;
            page.m_nCountToGet = 20;
            BroadSoftModelPeer::CopyCombined(&page, listUrls);
            const int nExpected = std::max(0, std::min(20, page.m_nTotalCount - page.m_nIndexFrom));
            nBadPages += static_cast<int>(page.m_listData.size()) == nExpected ? 0 : 1;
            if (!listUrls.empty()) {
                pModel->IsOnlySearchEnterprise(listUrls.front());
                pModel->GetCofigIndexByFullUrl(listUrls.back());
            }
            ++nCopies;
        }
    };
    std::thread first(copyPages);
    std::thread second(copyPages);
    WaitIdle();
    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    ASSERT_EQ(pModel->ReloadConfigure(true), 0);
    WaitIdle();
    bStop = true;
    first.join();
    second.join();

    EXPECT_GT(nCopies.load(), 0);
    EXPECT_EQ(nBadPages.load(), 0);
    std::list<std::string> listUrls;
    pModel->GetConfigureUrlList(&listUrls);
    ContactBroadSoftListData page;
    ASSERT_TRUE(BroadSoftModelPeer::CopyCombined(&page, listUrls));
    EXPECT_EQ(page.m_nTotalCount, 1500 + 200) << "the loaded Enterprise directory covers the Group one";
}

TEST_F(BroadSoftConcurrencyTest, SearchesAndCallerLookupsWhilePagesArriveAndPersonalEditsAreAnswered) {
    ServeThreeDirectories(600, 200, 150);

    CContactBroadSoftModel* pModel = Model();
    const std::vector<std::string> vecUrls = {ModelUrl("Group"), ModelUrl("Enterprise"), ModelUrl("Personal"),
                                              BSFT_ALL_CONTACT};
    std::atomic<bool> bStop{false};
    std::atomic<int> nSearches{0};
    std::atomic<int> nLookups{0};
    std::atomic<int> nBad{0};
    std::thread searcher([&] {
        const char* const kKeys[] = {"e", "en", "ent", "ent0", "p", "p0", "p00", "1", "12", "0"};
        for (int i = 0; !bStop.load(); ++i) {
            ContactBroadSoftListData page;
            page.m_nCountToGet = 10;
            if (pModel->Search(&page, vecUrls[(i / 10) % vecUrls.size()], kKeys[i % 10])) {
                nBad += page.m_listData.size() <= 10 &&
                                page.m_nTotalCount >= static_cast<int>(page.m_listData.size())
                            ? 0
                            : 1;
            }
            ++nSearches;
        }
    });
    std::thread looker([&] {
        for (int i = 0; !bStop.load(); ++i) {
            const std::string strNumber = std::to_string(i % 10);
            const std::string strName = i % 2 ? pModel->GetContactNameByNumber(strNumber)
                                              : Directory_GetBstContactNameByNumber(strNumber);
            nBad += strName.empty() || strName[0] == 'p' ? 0 : 1;
            ++nLookups;
        }
    });
    WaitIdle();
    ContactBroadSoftPersonal added = bsfttest::Personal("zz-new", "99999");
    EXPECT_TRUE(pModel->AddContact2Personal(&added));
    EXPECT_TRUE(pModel->EditPersonal(ModelUrl("Personal"), "p001", bsfttest::Personal("p001x", "1")));
    EXPECT_TRUE(pModel->DeleteContactsInPersonal({"p002", "p003"}, "broadsoft_phonebook_x3"));
    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    ASSERT_EQ(pModel->ReloadConfigure(true), 0);
    WaitIdle();
    bStop = true;
    searcher.join();
    looker.join();

    EXPECT_GT(nSearches.load(), 0);
    EXPECT_GT(nLookups.load(), 0);
    EXPECT_EQ(nBad.load(), 0);
    EXPECT_EQ(pModel->GetContactNameByNumber("99999"), "zz-new");
    EXPECT_EQ(pModel->GetContactNameByNumber("1"), "p001x");
    EXPECT_EQ(pModel->GetContactNameByNumber("2"), "");
    ContactBroadSoftListData page;
    ASSERT_TRUE(pModel->Search(&page, BSFT_ALL_CONTACT, "p00"));
    EXPECT_EQ(page.m_nTotalCount, 8) << "p000, p004 to p009 and p001x";
}

}  // namespace
