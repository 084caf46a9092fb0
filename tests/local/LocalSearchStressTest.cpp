// Background searches walk their snapshot on a worker while the GUI thread keeps editing the store; run
// under the tsan preset this proves the two never share data, and every answer stays a true answer.

#include <cstring>

#include "LocalContactSearchAction.h"
#include "LocalModelFixture.h"

namespace localtest {
namespace {

using NS_DIRECTORY::ContactGeneralSearchItemListData;

class CheckingReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        const ContactGeneralSearchItemListData& result =
            *static_cast<NS_DIRECTORY::CLocalContactSearchAction*>(pAction)->GetSearchResult();
        ++m_nAnswers;
        m_last = result;
        for (const auto& record : result.m_listData) {
            EXPECT_NE(strcasestr(record.m_strDisplayName.c_str(), result.m_strSearchKey.c_str()), nullptr)
                << record.m_strDisplayName << " for " << result.m_strSearchKey;
        }
        EXPECT_LE(static_cast<int>(result.m_listData.size()), result.m_nTotalCount);
    }
    int m_nAnswers = 0;
    ContactGeneralSearchItemListData m_last;
};

class LocalSearchStressTest : public LocalModelFixture {};

TEST_F(LocalSearchStressTest, SearchesAndEditsOverlapWithoutSharingData) {
    WriteManyContacts("Name", 600, 2);
    const char* const kKeys[] = {"n", "na", "nam", "name", "name0", "name00", "a", "am", "e0", "Name01"};
    CheckingReceiver receiver;
    for (int nRound = 0; nRound < 300; ++nRound) {
        const std::string strKey = kKeys[nRound % 10];
        ASSERT_TRUE(Model().SearchAsync("local_contact_x0", strKey, nRound % 3, 20, &receiver));
        char szName[32];
        std::snprintf(szName, sizeof(szName), "Name%04d", nRound);
        switch (nRound % 4) {
            case 0:
                ASSERT_TRUE(Model().RemoveContact(szName));
                break;
            case 1:
                ASSERT_GE(Model().AddContact(Contact(std::string("New name ") + szName, "Family")), 0);
                break;
            case 2:
                ASSERT_GE(
                    Model().UpdateContactData(szName, Contact(std::string(szName) + "x", "Friend", "1")), 0);
                break;
            default:
                ASSERT_GE(Model().AddGroup({std::string("G") + szName, ""}), 0);
                ASSERT_TRUE(Model().RemoveGroup(std::string("G") + szName));
                break;
        }
        if (nRound % 7 == 0) {
            ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        }
    }
    ASSERT_TRUE(HostControl::RunUntilIdle(10000));
    EXPECT_GT(receiver.m_nAnswers, 0);
    EXPECT_LE(receiver.m_nAnswers, 300);
    ASSERT_TRUE(Model().SearchAsync("local_contact_x0", "name01", 0, 50, &receiver));
    ASSERT_TRUE(HostControl::RunUntilIdle(10000));
    ContactGeneralSearchItemListData expected;
    expected.m_nCountToGet = 50;
    ASSERT_TRUE(Model().Search(&expected, "local_contact_x0", "name01"));
    EXPECT_EQ(receiver.m_last.m_nTotalCount, expected.m_nTotalCount);
    EXPECT_EQ(NamesOf(receiver.m_last), NamesOf(expected));
}

}  // namespace
}  // namespace localtest
