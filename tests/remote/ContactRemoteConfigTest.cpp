// The settings file, the slot queries, the entry points over them and the refresh timer.

#include <cstdio>
#include <filesystem>
#include <list>
#include <string>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "HostControl.h"
#include "MsgQueue.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using namespace ::testing;

const char* const kSettings = "/config/data/remote_phonebook_list.xml";

using ContactRemoteConfigTest = remotetest::RemoteFixture;

TEST_F(ContactRemoteConfigTest, FewerSlotsAreFilledUpToFiveAndSearchUrlIsCut) {
    const std::string strSearch = "http://dir.example/search.php?name=#SEARCH&mac=#MAC";
    WriteSlots("", {{"Named only", ""}, {"", strSearch}});
    CContactRemoteModel* pModel = StartModel();
    EXPECT_EQ(pModel->GetTotalConfigurableItemCount(), 5);
    EXPECT_TRUE(pModel->IsItemConfigured(0));
    EXPECT_TRUE(pModel->IsItemConfigured(1));
    EXPECT_FALSE(pModel->IsItemConfigured(2));
    EXPECT_FALSE(pModel->IsItemConfigured(-1));
    EXPECT_FALSE(pModel->IsItemConfigured(5));
    EXPECT_TRUE(Directory_IsRemoteContactConfigured());

    std::list<std::string> listNames{"stale"};
    EXPECT_TRUE(pModel->GetConfiguredList(&listNames));
    EXPECT_THAT(listNames, ElementsAre("stale", "Named only"));
    ASSERT_TRUE(Directory_GetAllConfiguredItemName(&listNames));
    EXPECT_THAT(listNames, ElementsAre("Named only", ""));
    EXPECT_EQ(Directory_GetRemoteGroupName(0), "Named only");
    EXPECT_EQ(pModel->GetConfiguredItemUrl(9), "");

    std::string strCut = pModel->GetConfiguredItemUrl(1);
    EXPECT_EQ(strCut, "http://dir.example/search.php");
    EXPECT_TRUE(pModel->IsSearchContact(strCut));
    EXPECT_EQ(pModel->GetFulUrl(strCut), strSearch);
    std::string strOther = "http://elsewhere/";
    EXPECT_EQ(pModel->GetFulUrl(strOther), strOther);
    EXPECT_EQ(pModel->GetSelectedIndex(), 0);

    CContactRemoteModel::ReleaseInstance();
    WriteSlots("Phonebooks", {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}, {"f", ""}, {"g", ""}});
    pModel = StartModel();
    EXPECT_EQ(pModel->GetTotalConfigurableItemCount(), 5) << "only the first five items are read";
    EXPECT_EQ(pModel->GetConfiguredItemName(4), "e");
    EXPECT_EQ(pModel->GetConfiguredItemName(5), "");
    EXPECT_EQ(Directory_GetRemoteDisplayName(), "Phonebooks");
}

TEST_F(ContactRemoteConfigTest, UnusableSettingsFileIsReplacedByTheDefault) {
    const char* const kContents[] = {nullptr, "<<<", "<settings><item name=\"x\"/></settings>"};
    for (const char* pContent : kContents) {
        const std::string strCase = pContent == nullptr ? "missing" : pContent;
        CContactRemoteModel::ReleaseInstance();
        if (pContent == nullptr) {
            std::remove(m_root.Path(kSettings).c_str());
        } else {
            m_root.WriteFile(kSettings, pContent);
        }
        CContactRemoteModel* pModel = StartModel();
        EXPECT_EQ(pModel->GetTotalConfigurableItemCount(), 5) << strCase;
        EXPECT_FALSE(pModel->IsRemotePhoneBookConfigured()) << strCase;
        const std::string strWritten = m_root.ReadFile(kSettings);
        EXPECT_THAT(strWritten, HasSubstr("<?xml version=\"1.0\" encoding=\"utf-8\"?>")) << strCase;
        EXPECT_THAT(strWritten,
                    HasSubstr("<root_remote_phonebook display_name=\"\">\n\t<item name=\"\" url=\"\" />"))
            << strCase;
    }
    // A folder where the file should be makes both the load and the default write fail.
    CContactRemoteModel::ReleaseInstance();
    std::remove(m_root.Path(kSettings).c_str());
    std::filesystem::create_directories(m_root.Path(kSettings));
    HostControl::TakeLogLines();
    EXPECT_EQ(StartModel()->GetTotalConfigurableItemCount(), 0);
    EXPECT_FALSE(Directory_IsRemoteContactConfigured());
    EXPECT_THAT(HostControl::TakeLogLines(), Contains(HasSubstr("Fail to Preload remote config file")));
}

class ContactRemoteTimerTest : public remotetest::RemoteFixture {
protected:
    void SetUp() override {
        RemoteFixture::SetUp();
        m_server.Serve("/book.xml", "<AcmeIPPhoneDirectory/>");
        WriteSlots("", {{"Book", Url("book.xml")}});
    }
    std::size_t Fetches() const { return m_server.RequestsTo("/book.xml").size(); }
    void Advance(int nSeconds) {
        HostControl::AdvanceClock(nSeconds * 1000);
        WaitIdle();
    }
};

TEST_F(ContactRemoteTimerTest, RefreshPeriodIsNeverBelowTwoMinutes) {
    const std::pair<int, int> kCases[] = {{0, 120}, {30, 120}, {600, 600}};  // setting, period
    for (const auto& [nSetting, nPeriod] : kCases) {
        CContactRemoteModel::ReleaseInstance();
        configParser_SetConfigInt("SRemoteNameFlashTime", nSetting);
        StartModel();
        const std::size_t nStart = Fetches();
        Advance(nPeriod - 1);
        EXPECT_EQ(Fetches(), nStart) << nSetting;
        Advance(1);
        EXPECT_EQ(Fetches(), nStart + 1) << nSetting;
        Advance(nPeriod);
        EXPECT_EQ(Fetches(), nStart + 2) << nSetting;
    }
}

TEST_F(ContactRemoteTimerTest, RefreshDueDuringACallIsSkipped) {
    StartModel();
    const std::size_t nStart = Fetches();
    HostControl::SetCallSessionExists(true);
    Advance(120);
    EXPECT_EQ(Fetches(), nStart);
    HostControl::SetCallSessionExists(false);
    Advance(119);
    EXPECT_EQ(Fetches(), nStart) << "the skipped refresh is not queued";
    Advance(1);
    EXPECT_EQ(Fetches(), nStart + 1);
}

TEST_F(ContactRemoteTimerTest, PeriodChangeRestartsTheTimerOtherTimersAreIgnoredAndReleaseStopsIt) {
    CContactRemoteModel* pModel = StartModel();
    const std::size_t nStart = Fetches();
    configParser_SetConfigInt("SRemoteNameFlashTime", 300);
    pModel->ProcessAutoUpdate();
    Advance(299);
    EXPECT_EQ(Fetches(), nStart);
    Advance(1);
    EXPECT_EQ(Fetches(), nStart + 1);

    ETL_MsgQueueHelper::msgObject other(TM_TIMER, 83179, 0);
    EXPECT_TRUE(pModel->OnTimeout(other));
    EXPECT_EQ(CContactRemoteModel::OnMessage(other), 0);
    WaitIdle();
    EXPECT_EQ(Fetches(), nStart + 1);

    CContactRemoteModel::ReleaseInstance();
    Advance(600);
    EXPECT_EQ(Fetches(), nStart + 1);
    EXPECT_EQ(CContactRemoteModel::PeekInstance(), nullptr);
}

}  // namespace
