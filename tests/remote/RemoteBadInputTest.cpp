// Bad input at the remote model's boundary: null pointers at every operation that takes one, empty and
// 1 MiB keys and numbers, control characters and invalid UTF-8, and search keys full of URL syntax, which
// must reach the search server percent-encoded as exactly one query value.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include "ConfigParser.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using testsupport::BuildRemoteDirectory;

const std::string kMiB(1024 * 1024, '7');
const std::string kControl = "a\x01\x02\x1b[2Jb\x7f\tc";
const std::string kWithNul = std::string(
    "12\0"
    "34",
    5);
const std::string kInvalidUtf8 = "\xff\xfe\xc3\x28\xed\xa0\x80\xf8\x88\x80\x80\x80";

class RemoteBadInputTest : public remotetest::RemoteFixture {
protected:
    // A browsable slot with a directory and a search slot; the user stands on the directory.
    void StartBook(const std::vector<testsupport::RemoteEntry>& vecEntries) {
        m_server.Serve("/book.xml", BuildRemoteDirectory("Book", vecEntries, {{"Help", Url("help.xml")}},
                                                         {{"next-page", Url("page2.xml")}}));
        m_server.Serve("/help.xml", BuildRemoteDirectory("Help", {}));
        m_server.Serve("/search.php", BuildRemoteDirectory("Found", {{"Hit", {"1"}}}));
        WriteSlots("", {{"Book", Url("book.xml")}, {"Find", Url("search.php?name=#SEARCH&mac=#MAC")}});
        StartModel();
        ContactRemoteListData list;
        ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
    }
};

TEST_F(RemoteBadInputTest, NullPointersGetTheFallbackAnswer) {
    StartBook({{"Ann", {"1"}}});
    CContactRemoteModel* pModel = Model();
    const std::string strBook = Url("book.xml");
    std::string strAction = "remote_phonebook_x0";
    const std::vector<std::pair<const char*, std::function<bool()>>> kCalls = {
        {"GetConfiguredList", [&] { return !pModel->GetConfiguredList(nullptr); }},
        {"GetContactListByClickAction",
         [&] {
             return pModel->GetContactListByClickAction(nullptr, strAction, "", false) ==
                    REMOTE_LIST_BAD_REQUEST;
         }},
        {"GetContactList",
         [&] { return pModel->GetContactList(nullptr, strBook) == REMOTE_LIST_BAD_REQUEST; }},
        {"GetContactListBySoftkey",
         [&] { return pModel->GetContactListBySoftkey(nullptr, 'H') == REMOTE_LIST_NOTHING_THERE; }},
        {"EnterContactByIndex", [&] { return pModel->EnterContactByIndex(2, nullptr, strBook) == 3; }},
        {"GetUnitContactByIndex(unit)",
         [&] {
             return !pModel->GetUnitContactByIndex(static_cast<ContactRemoteUnit*>(nullptr), 0, strBook);
         }},
        {"GetUnitContactByIndex(item)",
         [&] { return !pModel->GetUnitContactByIndex(static_cast<ContactRemoteItemData*>(nullptr), 0); }},
        {"GetPageListData", [&] { return !pModel->GetPageListData(nullptr); }},
        {"Search", [&] { return !pModel->Search(nullptr, 0, true); }},
        {"SearchWithOneNumber", [&] { return !pModel->SearchWithOneNumber(nullptr); }},
        {"SearchWithMultNumber", [&] { return !pModel->SearchWithMultNumber(nullptr); }},
        {"GetSearchListByClickAction",
         [&] {
             return pModel->GetSearchListByClickAction(nullptr, "remote_phonebook_x1", "k", true) ==
                    REMOTE_LIST_BAD_REQUEST;
         }},
        {"GetFailedMissonList", [&] { return !pModel->GetFailedMissonList(nullptr); }},
        {"OnTaskActionCallback",
         [&] {
             pModel->OnTaskActionCallback(nullptr);
             return true;
         }},
        {"CancelSearchCallBack",
         [&] {
             pModel->CancelSearchCallBack(nullptr);
             return true;
         }},
        // A search without receiver runs and its answer goes nowhere.
        {"SearchAsync", [&] { return pModel->SearchAsync("a", 0, 10, nullptr, strAction, true); }},
        {"Directory_GetAllConfiguredItemName", [] { return !Directory_GetAllConfiguredItemName(nullptr); }},
        {"Directory_SearchRemoteWithOneNumber", [] { return !Directory_SearchRemoteWithOneNumber(nullptr); }},
        {"Directory_SearchRemoteWithMultNumber",
         [] { return !Directory_SearchRemoteWithMultNumber(nullptr); }},
        {"Directory_DestroyContactRemoteAction",
         [] {
             Directory_DestroyContactRemoteAction(nullptr);
             TaskAction_DestroyRemoteContactSearchAction(nullptr);
             return true;
         }},
    };
    for (const auto& [pName, call] : kCalls) {
        EXPECT_TRUE(call()) << pName;
    }
    WaitIdle();
    EXPECT_EQ(pModel->GetContactNameByNumber("1"), "") << "caller lookup is off";
}

// Keys and numbers that are empty, 1 MiB long, full of control characters or not UTF-8 are answered like any
// other: nothing matches by accident, nothing is cut, and the tree stays as it was.
TEST_F(RemoteBadInputTest, HugeControlAndInvalidTextIsAnsweredLikeAnyOther) {
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    StartBook({{"Ann", {"1"}}, {kControl, {kControl}}, {kInvalidUtf8, {kInvalidUtf8}}, {"Mia", {kMiB}}});
    CContactRemoteModel* pModel = Model();
    const std::pair<std::string, std::string> kCallers[] = {
        {"", ""},       {kMiB, "Mia"}, {kMiB + "7", ""}, {kControl, kControl}, {kInvalidUtf8, kInvalidUtf8},
        {kWithNul, ""}, {"12", ""},    {"1", "Ann"}};
    for (const auto& [strNumber, strName] : kCallers) {
        EXPECT_EQ(pModel->GetContactNameByNumber(strNumber), strName) << strNumber.size();
        EXPECT_EQ(Directory_GetRemoteContactNameByNumber(strNumber), strName);
    }
    for (const std::string& strKey :
         {std::string(), kMiB, kControl, kInvalidUtf8, kWithNul, std::string("\xc3")}) {
        RemoteSearchListData one;
        one.m_strKey = strKey;
        one.m_nCountToGet = 100;
        EXPECT_TRUE(pModel->SearchWithOneNumber(&one));
        RemoteSearchListData multi = one;
        EXPECT_TRUE(pModel->SearchWithMultNumber(&multi));
        EXPECT_EQ(multi.m_nTotalCount, one.m_nTotalCount);
        RemoteSearchListData local = one;
        EXPECT_EQ(pModel->Search(&local, 0, true), !strKey.empty()) << "the engine answers only for a key";
        if (strKey.empty()) {
            EXPECT_EQ(one.m_nTotalCount, 4);
        }
    }
    RemoteSearchListData hugeWindow;
    hugeWindow.m_nIndexFrom = 2147483646;
    hugeWindow.m_nCountToGet = 2147483647;
    EXPECT_TRUE(pModel->SearchWithOneNumber(&hugeWindow));
    EXPECT_TRUE(hugeWindow.m_listData.empty());

    ContactRemoteListData list;
    list.m_nIndexFrom = 2147483647;
    list.m_nCountToGet = 2147483647;
    EXPECT_EQ(pModel->GetContactList(&list, ""), REMOTE_LIST_OK);
    EXPECT_TRUE(list.m_listData.empty());
    EXPECT_EQ(list.m_nTotalCount, 4);
    for (const std::string& strAction :
         {std::string("remote_phonebook_x-1"), "remote_phonebook_x" + kMiB,
          std::string("remote_phonebook_x99999999999999999999"), kControl, kInvalidUtf8}) {
        ContactRemoteListData refused;
        EXPECT_EQ(pModel->GetContactListByClickAction(&refused, strAction, "", false), REMOTE_LIST_NO_SLOT)
            << strAction.size();
        EXPECT_EQ(pModel->GetContactList(&refused, strAction), REMOTE_LIST_BAD_REQUEST);
        EXPECT_EQ(pModel->EnterContactByIndex(0, nullptr, strAction), 2);
    }
    for (const int nKey : {0, -1, 255, 256, 'H' + 256, 2147483647}) {
        ContactRemoteListData soft;
        EXPECT_EQ(pModel->GetContactListBySoftkey(&soft, nKey), REMOTE_LIST_NOTHING_THERE) << nKey;
    }

    // Entries copied into the local phone book keep their text, however long; the files stay loadable.
    // Children: the page key, then Ann, Mia, the control name and the invalid one, then the soft key.
    EXPECT_EQ(pModel->Remote2Local(2), 0);
    EXPECT_EQ(pModel->Remote2Black(1), 0);
    pModel->Remote2Local(3);
    pModel->Remote2Local(4);
    EXPECT_EQ(pModel->Remote2Local(-1), -1);
    EXPECT_EQ(pModel->Remote2Black(2147483647), -1);
    CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    ASSERT_TRUE(pLocal->ReloadContactXml());
    EXPECT_EQ(pLocal->GetContactNameByPhoneNumber(kMiB.c_str()), "Mia");
    EXPECT_TRUE(pLocal->IsBlackContactNumber("1"));
}

// Keys full of URL syntax reach the search server as one percent-encoded query value, decoded back to the
// very same bytes, with the path and the other values of the configured URL untouched.
TEST_F(RemoteBadInputTest, SearchKeysFullOfUrlSyntaxReachTheServerAsOneValue) {
    HostControl::SetMacAddress("00:15/65?aa&bb#cc%");
    StartBook({{"Ann", {"1"}}});
    const std::string kKeys[] = {"/?&#%",           "a/../../etc/passwd", "%2F%00%",
                                 "x&mac=evil#frag", "a b+c;d=e",          kControl,
                                 kInvalidUtf8,      "M\xC3\xBCller"};
    for (const std::string& strKey : kKeys) {
        m_server.ClearRequests();
        ContactRemoteListData list;
        ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x1", strKey, true),
                  REMOTE_LIST_DOWNLOADING);
        WaitIdle();
        const std::vector<testsupport::RecordedRequest> vecRequests = m_server.Requests();
        ASSERT_EQ(vecRequests.size(), 1u) << strKey;
        EXPECT_EQ(vecRequests[0].strPath, "/search.php");
        httplib::Params params;
        httplib::detail::parse_query_text(vecRequests[0].strQuery, params);
        ASSERT_EQ(params.size(), 2u) << vecRequests[0].strQuery;
        EXPECT_EQ(params.find("name")->second, strKey) << vecRequests[0].strQuery;
        EXPECT_EQ(params.find("mac")->second, "00:15/65?aa&bb#cc%");
        EXPECT_EQ(Status(Url("search.php")), CContactRemoteModel::FILE_DOWNLOADED_OK);
    }
    // A 1 MiB key makes a request line no server takes: the search fails like any refused download.
    ContactRemoteListData list;
    ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x1", kMiB, true),
              REMOTE_LIST_DOWNLOADING);
    WaitIdle();
    EXPECT_EQ(Status(Url("search.php")), CContactRemoteModel::FILE_DOWNLOAD_FAILED);
    EXPECT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x1", "", false),
              REMOTE_LIST_DOWNLOAD_FAILED);
}

}  // namespace
