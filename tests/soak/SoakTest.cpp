// Everything at once for a bounded time: remote refreshes, cancels and reloads with background remote
// searches; network directory pages, refreshes, cancels and Personal adds and deletes with searches and
// caller lookups on two other threads; local edits, background local searches and background reloads of the
// local files. At the end nothing is left running or on disk and the counters agree. The default run is a
// few seconds; scripts/soak.sh runs it as long as asked under the thread sanitizer
// (DIRECTORY_SOAK_SECONDS).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "HostControl.h"
#include "LocalContactSearchAction.h"
#include "MockXsiServer.h"
#include "Receivers.h"
#include "RemoteDocBuilder.h"
#include "TempRoot.h"
#include "UrlCodec.h"
#include "XsiAccount.h"

namespace {

using namespace NS_DIRECTORY;
using testsupport::CountingReceiver;
using testsupport::XsiDirectory;

constexpr const char* kUser = "soak@example.test";
constexpr const char* kPassword = "soak-Pw";

int SoakSeconds() {
    const char* pValue = std::getenv("DIRECTORY_SOAK_SECONDS");
    const int nSeconds = pValue != nullptr ? std::atoi(pValue) : 0;
    return nSeconds > 0 ? nSeconds : 3;
}

class SoakTest : public testsupport::HostFixture {
protected:
    SoakTest() : m_xsi(kUser, kPassword) {}

    void SetUp() override {
        HostControl::SetManualClock(true);
        configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
        testsupport::ConfigureXsiAccount(m_xsi, kUser, kPassword, m_xsi.Port());
        for (const char* pKey : {"BsftGroup", "BsftEnterprise", "BsftPersonal"}) {
            configParser_SetConfigInt(pKey, 1);
        }
        std::vector<testsupport::XsiEntry> vecMembers;
        for (int i = 0; i < 260; ++i) {
            const std::string strNumber = CommonAPI_FormatString("%03d", i);
            vecMembers.push_back(testsupport::XsiMember("Mem", strNumber, "+4930" + strNumber, strNumber));
        }
        m_xsi.SetEntries(XsiDirectory::Group, vecMembers);
        m_xsi.SetEntries(XsiDirectory::Enterprise, vecMembers);
        m_xsi.SetEntries(XsiDirectory::Personal, {testsupport::XsiNamedEntry("Base", "500")});

        m_site = testsupport::ServeRemotePhonebook(m_http, "/soak", 3, 3, 900);
        m_root.WriteFile("/config/data/remote_phonebook_list.xml",
                         testsupport::BuildRemoteSettings("", {{"Soak", m_site.strTopUrl}}));
    }

    void TearDown() override {
        m_xsi.ReleaseStalls();
        CContactRemoteModel::ReleaseInstance();
        CContactGeneralModel::ReleaseInstance();
        delete CContactBroadSoftModel::GetInstance();
        EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    }

    std::vector<std::string> TempFiles() const {
        std::vector<std::string> vecNames;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_root.Path("/tmp"), ec)) {
            const std::string strName = entry.path().filename().string();
            if (strName.rfind("Remote", 0) == 0 || strName.rfind("BroadSoft", 0) == 0 ||
                strName.find(".part.") != std::string::npos || strName.find(".tmp") != std::string::npos) {
                vecNames.push_back(strName);
            }
        }
        return vecNames;
    }

    testsupport::MockXsiServer m_xsi;
    testsupport::LoopbackHttpServer m_http;
    testsupport::RemotePhonebookSite m_site;
};

TEST_F(SoakTest, EverythingAtOnceForABoundedTime) {
    const int nSeconds = SoakSeconds();
    CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    CContactBroadSoftModel* pXsi = CContactBroadSoftModel::GetInstance();
    CContactRemoteModel* pRemote = CContactRemoteModel::GetInstance();
    ASSERT_TRUE(pLocal != nullptr && pXsi != nullptr && pRemote != nullptr);
    ASSERT_TRUE(HostControl::RunUntilIdle(60000));

    // Network directory readers on two other threads, as the GUI's helpers may be.
    std::atomic<bool> bStop{false};
    std::atomic<long> nLookups{0};
    std::atomic<long> nBadLookups{0};
    const auto reader = [&](int nSeed) {
        std::mt19937 random(nSeed);
        while (!bStop.load()) {
            const int nMember = static_cast<int>(random() % 260);
            const std::string strName =
                pXsi->GetContactNameByNumber(CommonAPI_FormatString("+4930%03d", nMember));
            // A member is found under its own name or not at all (while its lists are not in).
            if (!strName.empty() && strName != CommonAPI_FormatString("Mem,%03d", nMember)) {
                ++nBadLookups;
            }
            ContactBroadSoftListData page;
            page.m_nCountToGet = 10;
            pXsi->Search(&page, BSFT_ALL_CONTACT, random() % 2 == 0 ? "mem" : "49");
            ++nLookups;
        }
    };
    std::thread first(reader, 1);
    std::thread second(reader, 2);

    CountingReceiver localAnswers;
    CountingReceiver remoteAnswers;
    int nLocalSearches = 0;
    int nRemoteSearches = 0;
    int nLocalAdded = 0;
    int nLocalRemoved = 0;
    int nLocalBusy = 0;
    int nReloads = 0;
    int nXsiAdds = 0;
    int nXsiDeletes = 0;
    long nTurns = 0;
    std::vector<std::string> vecLocalNames;
    std::mt19937 random(7);
    std::string strAllSlots;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        ++nTurns;
        switch (random() % 12) {
            case 0:
                pRemote->ReDownload(REMOTE_ROOT_KEY);
                break;
            case 1:
                pRemote->CancelDownload(random() % 2 == 0 ? m_site.strTopUrl : "");
                break;
            case 2:
                if (random() % 8 == 0) {
                    pRemote->ReloadConfigure();
                }
                break;
            case 3:
                nRemoteSearches += pRemote->SearchAsync(random() % 2 == 0 ? "person" : "7", 0, 20,
                                                        &remoteAnswers, strAllSlots, true)
                                       ? 1
                                       : 0;
                pRemote->GetContactNameByNumber("100042");
                break;
            case 4:
                if (random() % 4 == 0) {
                    pXsi->Update();
                } else if (random() % 4 == 0) {
                    pXsi->ReloadConfigure(true);
                }
                break;
            case 5: {
                ContactBroadSoftListData page;
                ContactBroadSoftItemData criteria;
                pXsi->GetContactListByClickAction(
                    &page, "broadsoft_phonebook_x" + std::to_string(random() % 4), criteria, false, false);
                if (random() % 6 == 0) {
                    pXsi->CancelDownload();
                }
                break;
            }
            case 6: {
                ContactBroadSoftPersonal record;
                record.m_strName = "P" + std::to_string(nTurns);
                record.m_strNumber = std::to_string(nTurns);
                if (pXsi->AddContact2Personal(&record)) {
                    ++nXsiAdds;
                    if (random() % 2 == 0 &&
                        pXsi->DeleteContactsInPersonal({record.m_strName}, "broadsoft_phonebook_x3")) {
                        ++nXsiDeletes;
                    }
                }
                break;
            }
            case 7:
            case 8: {
                const std::string strName = "L" + std::to_string(nTurns);
                ContactGeneralItemData data;
                data.m_strDisplayName = strName;
                data.m_strMobileNumber = std::to_string(nTurns);
                if (pLocal->AddContactById(0, data) >= 0) {
                    ++nLocalAdded;
                    vecLocalNames.push_back(strName);
                } else {
                    ++nLocalBusy;
                }
                break;
            }
            case 9:
                if (!vecLocalNames.empty()) {
                    const std::size_t nAt = random() % vecLocalNames.size();
                    if (pLocal->RemoveContact(vecLocalNames[nAt])) {
                        ++nLocalRemoved;
                        vecLocalNames.erase(vecLocalNames.begin() + static_cast<long>(nAt));
                    } else {
                        ++nLocalBusy;
                    }
                }
                break;
            case 10:
                nLocalSearches += pLocal->SearchAsync("local_contact_x0", random() % 2 == 0 ? "l1" : "5", 0,
                                                      20, &localAnswers)
                                      ? 1
                                      : 0;
                break;
            case 11:
                if (random() % 4 == 0 && pLocal->ReloadGroupAndItemByHttp()) {
                    ++nReloads;
                }
                break;
        }
        HostControl::RunUntilIdle(1);
    }
    bStop = true;
    first.join();
    second.join();
    m_xsi.ReleaseStalls();
    ASSERT_TRUE(HostControl::RunUntilIdle(120000)) << "work still running after the soak: a deadlock?";

    // Every accepted background search was answered (a local one replaced by a newer key at most dropped).
    EXPECT_EQ(remoteAnswers.m_nAnswers, nRemoteSearches);
    EXPECT_LE(localAnswers.m_nAnswers, nLocalSearches);
    EXPECT_GT(localAnswers.m_nAnswers, 0);
    EXPECT_EQ(nBadLookups.load(), 0);
    EXPECT_GT(nLookups.load(), 0);
    // The book holds exactly the contacts added and not removed, and its files say the same.
    EXPECT_EQ(pLocal->GetCurrentContactCount(), nLocalAdded - nLocalRemoved);
    CContactGeneralModel::ReleaseInstance();
    pLocal = CContactGeneralModel::GetInstance();
    EXPECT_EQ(pLocal->GetCurrentContactCount(), nLocalAdded - nLocalRemoved) << "the files hold the book";
    // After one more refresh the phone's Personal list is the server's.
    ASSERT_TRUE(pXsi->Update());
    ASSERT_TRUE(HostControl::RunUntilIdle(60000));
    std::vector<std::string> vecServer;
    for (const testsupport::XsiEntry& entry : m_xsi.Entries(XsiDirectory::Personal)) {
        vecServer.push_back(entry.Field("name"));
    }
    ContactBroadSoftListData page;
    page.m_nCountToGet = 1000;
    ContactBroadSoftItemData criteria;
    ASSERT_EQ(pXsi->GetContactListByClickAction(&page, "broadsoft_phonebook_x3", criteria, false, false),
              BSFT_LIST_COPIED);
    std::vector<std::string> vecPhone;
    for (const ContactBroadSoftItemData& item : page.m_listData) {
        vecPhone.push_back(item.m_strName);
    }
    EXPECT_THAT(vecPhone, ::testing::UnorderedElementsAreArray(vecServer));
    EXPECT_EQ(HostControl::PendingActionCount(), 0);
    EXPECT_THAT(TempFiles(), ::testing::IsEmpty());
    std::printf(
        "soak: %d s, %ld GUI turns, %ld lookups on other threads, local +%d -%d (%d refused while busy), "
        "%d local reloads, %d/%d local searches answered, %d/%d remote searches answered, %d Personal "
        "adds, %d deletes, %zu Personal entries at the end\n",
        nSeconds, nTurns, nLookups.load(), nLocalAdded, nLocalRemoved, nLocalBusy, nReloads,
        localAnswers.m_nAnswers, nLocalSearches, remoteAnswers.m_nAnswers, nRemoteSearches, nXsiAdds,
        nXsiDeletes, vecServer.size());
}

}  // namespace
