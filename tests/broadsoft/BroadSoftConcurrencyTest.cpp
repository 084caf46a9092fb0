// Combined-list copies on other threads while pages arrive, lists are replaced by a refresh and the table is
// rebuilt. Run under the thread sanitizer build as well.

#include <atomic>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonAPI.h"

namespace {

using namespace NS_DIRECTORY;
using testsupport::XsiDirectory;

using BroadSoftConcurrencyTest = bsfttest::BroadSoftFixture;

TEST_F(BroadSoftConcurrencyTest, CombinedCopiesWhilePagesArriveAndListsAreReplaced) {
    Configure({"BsftGroup", "BsftEnterprise", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Enterprise, Members("Ent", 1500));
    m_xsi.SetEntries(XsiDirectory::Group, Members("Grp", 400));
    std::vector<testsupport::XsiEntry> vecPersonal;
    for (int i = 0; i < 200; ++i) {
        vecPersonal.push_back(
            testsupport::XsiNamedEntry(CommonAPI_FormatString("p%03d", i), std::to_string(i)));
    }
    m_xsi.SetEntries(XsiDirectory::Personal, vecPersonal);

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

}  // namespace
