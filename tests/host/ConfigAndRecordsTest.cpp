// The configuration store, log lines and the phone services the host records.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "AppLog.h"
#include "ConfigParser.h"
#include "HostControl.h"
#include "PhoneServices.h"
#include "TempRoot.h"

namespace {

using ConfigAndRecordsTest = testsupport::HostFixture;

TEST_F(ConfigAndRecordsTest, IntValuesParseOnlyWholeNumbers) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"42", 42}, {" -7 ", -7}, {"+3", 3},          {"", 0},
        {"abc", 0}, {"12abc", 0}, {"99999999999", 0}, {"1 2", 0},
    };
    for (const auto& c : cases) {
        configParser_SetConfigString("DirUpdateInterval", c.first);
        EXPECT_EQ(configParser_GetConfigInt("DirUpdateInterval"), c.second) << "'" << c.first << "'";
    }
    EXPECT_TRUE(configParser_SetConfigInt("DirActive", 1));
    EXPECT_EQ(configParser_GetConfigString("DirActive"), "1");
    EXPECT_EQ(configParser_GetConfigString("unset"), "");
    EXPECT_EQ(configParser_GetConfigInt("unset"), 0);
    EXPECT_FALSE(configParser_SetConfigString("", "x"));
    EXPECT_EQ(configParser_GetAccountConfigName("account.user", 0), "account.user");
    EXPECT_EQ(configParser_GetAccountConfigName("account.user", 2), "account.user.2");
    EXPECT_EQ(configParser_GetAccountConfigName("account.user", -1), "");
    HostControl::Reset();
    EXPECT_EQ(configParser_GetConfigString("DirActive"), "");
}

TEST_F(ConfigAndRecordsTest, LogLinesAreKeptExactlyAndEchoedToStderrOnlyWhenEnabled) {
    const std::string strLong(5000, 'n');
    testing::internal::CaptureStderr();
    app_log(6, APP_LOG_INFO, "loaded %d contacts from %s\n", 12, "contact_list.xml");
    app_log(6, APP_LOG_INFO, "%s|\n", strLong.c_str());
    ETL_TraceHelper::etlWarningMessage("ContactRemoteModel.cpp", "Prase Fail %d", 3);
    HostControl::SetLogEcho(true);
    app_log(6, APP_LOG_WARNING, "echoed line %d\n", 2);
    HostControl::SetLogEcho(false);
    const std::string strErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(strErr.find("loaded 12"), std::string::npos);
    EXPECT_NE(strErr.find("echoed line 2\n"), std::string::npos);

    const auto lines = HostControl::TakeLogLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "loaded 12 contacts from contact_list.xml\n");
    EXPECT_EQ(lines[1], strLong + "|\n");
    EXPECT_EQ(lines[2], "[ContactRemoteModel.cpp] Prase Fail 3");
    EXPECT_EQ(lines[3], "echoed line 2\n");
    EXPECT_TRUE(HostControl::TakeLogLines().empty());
    EXPECT_EQ(HostControl::TakeWarningLines(),
              (std::vector<std::string>{"[ContactRemoteModel.cpp] Prase Fail 3", "echoed line 2\n"}));
    EXPECT_TRUE(HostControl::TakeWarningLines().empty());
}

TEST_F(ConfigAndRecordsTest, LoggingFromManyThreadsKeepsEveryLine) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i) {
                app_log(6, APP_LOG_INFO, "thread %d line %d\n", t, i);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(HostControl::TakeLogLines().size(), 1000u);
}

TEST_F(ConfigAndRecordsTest, PhoneStateComesFromTheControlSettersUntilReset) {
    PhoneStatusData status;
    EXPECT_FALSE(NS_SETTING::CStatusController::GetPhoneStatusData(nullptr));
    HostControl::SetNetworkReady(false);
    HostControl::SetWanIP("10.1.2.3");
    HostControl::SetMacAddress("0015650a0b0c");
    HostControl::SetCallSessionExists(true);
    HostControl::SetLdapOn(true);
    EXPECT_FALSE(netIsNetworkReady());
    EXPECT_EQ(netGetWanIP(), "10.1.2.3");
    ASSERT_TRUE(NS_SETTING::CStatusController::GetPhoneStatusData(&status));
    EXPECT_EQ(status.m_strMac, "0015650a0b0c");
    EXPECT_TRUE(talkLogic_SessionExist(false));
    EXPECT_TRUE(Ldap_IsOn());

    HostControl::Reset();
    EXPECT_TRUE(netIsNetworkReady());
    EXPECT_EQ(netGetWanIP(), "192.168.0.10");
    NS_SETTING::CStatusController::GetPhoneStatusData(&status);
    EXPECT_EQ(status.m_strMac, "001565000001");
    EXPECT_FALSE(talkLogic_SessionExist(false));
    EXPECT_FALSE(Ldap_IsOn());
}

TEST_F(ConfigAndRecordsTest, CallsToThePhoneAreRecordedUntilTaken) {
    EXPECT_TRUE(talkLogic_CallOut("1001", "Ann", -1, nullptr));
    EXPECT_FALSE(talkLogic_CallOut("", "Nobody", 0, nullptr));
    CallLogUpdateData update;
    update.m_strNumber1 = "1001";
    update.m_strDisplayName = "Ann";
    EXPECT_TRUE(CallLog_UpdateLog(update));
    CallLog_ResetLogContactName();
    NS_CALLLOG::CCallLogModel::GetInstance()->UpdateDispName({SuperSearchItemData{"Ann", "1001"}});
    NS_MENU::CMenuTitleManager::GetInstance()->SetTitle("OpenSubPage(remote_phonebook_x0)", "Work");

    const auto callOuts = HostControl::TakeCallOuts();
    ASSERT_EQ(callOuts.size(), 1u);
    EXPECT_EQ(callOuts[0].strNumber + "/" + callOuts[0].strName + "/" + std::to_string(callOuts[0].nAccount),
              "1001/Ann/-1");
    EXPECT_EQ(HostControl::TakeCallLogUpdates().at(0).m_strDisplayName, "Ann");
    EXPECT_EQ(HostControl::TakeCallLogResets(), 1);
    EXPECT_EQ(HostControl::TakeCallLogDispNames().at(0).at(0).m_strNumber, "1001");
    EXPECT_EQ(HostControl::TakeMenuTitles().at(0).strTitle, "Work");
    EXPECT_TRUE(HostControl::TakeCallOuts().empty());
    EXPECT_EQ(HostControl::TakeCallLogResets(), 0);
}

TEST_F(ConfigAndRecordsTest, CallLogRecordingCanBeSwitchedOffUntilReset) {
    EXPECT_TRUE(CallLog_IsTakingUpdates());
    HostControl::SetCallLogRecording(false);
    EXPECT_FALSE(CallLog_IsTakingUpdates());
    CallLogUpdateData update;
    update.m_strNumber1 = "1001";
    EXPECT_TRUE(CallLog_UpdateLog(update));
    NS_CALLLOG::CCallLogModel::GetInstance()->UpdateDispName({SuperSearchItemData{"Ann", "1001"}});
    EXPECT_TRUE(HostControl::TakeCallLogUpdates().empty());
    EXPECT_TRUE(HostControl::TakeCallLogDispNames().empty());
    HostControl::Reset();
    EXPECT_TRUE(CallLog_IsTakingUpdates());
    EXPECT_TRUE(CallLog_UpdateLog(update));
    EXPECT_EQ(HostControl::TakeCallLogUpdates().size(), 1u);
}

}  // namespace
