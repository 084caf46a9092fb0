// Personal directory editing against the mock Xsi server: adds uploaded as the entry document, edits made of
// a delete and a later add, batches of deletes sent one at a time, and names that need encoding.

#include <list>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonUnits.h"
#include "FaultyFileSystem.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;
using testsupport::XsiDirectory;
using testsupport::XsiNamedEntry;

constexpr const char* kPersonalAction = "broadsoft_phonebook_x1";

using bsfttest::Personal;

// Keeps the host's four workers busy with downloads the server holds, so actions handed over meanwhile wait
// until the server lets go.
class BusyWorkers : public NS_TA::CTaskActionCallbackBase {
public:
    BusyWorkers(testsupport::MockXsiServer& xsi, const std::string& strPath) {
        xsi.Stall(strPath);
        for (int i = 0; i < 4; ++i) {
            NS_TA::CNetworkFileAction* pAction =
                TaskAction_CreateNetworkFileAction("/tmp/busy" + std::to_string(i), xsi.Url(strPath));
            pAction->SetCallback(this);
            TaskAction_ExecAction(pAction);
        }
    }
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        TaskAction_DestroyNetworkFileAction(static_cast<NS_TA::CNetworkFileAction*>(pAction));
    }
};

class BroadSoftPersonalTest : public bsfttest::BroadSoftFixture {
protected:
    void SetUp() override {
        BroadSoftFixture::SetUp();
        Configure({"BsftPersonal"});
    }

    CContactBroadSoftModel* Start(std::vector<testsupport::XsiEntry> vecEntries) {
        m_xsi.SetEntries(XsiDirectory::Personal, std::move(vecEntries));
        CContactBroadSoftModel* pModel = StartModel();
        m_xsi.ClearRequests();
        HostControl::TakeLogLines();
        return pModel;
    }
    std::string PersonalUrl() const { return ModelUrl("Personal"); }
    std::vector<std::string> ServerNames() const { return ShownNames(XsiDirectory::Personal); }
    // POST and DELETE requests in arrival order: the method and the raw target after "directories/".
    std::vector<std::string> Changes() const {
        std::vector<std::string> vecChanges;
        for (const testsupport::RecordedRequest& request : m_xsi.Requests()) {
            if (request.strMethod != "GET") {
                const std::size_t nAt = request.strTarget.find("/directories/");
                vecChanges.push_back(request.strMethod + " " + request.strTarget.substr(nAt + 13));
            }
        }
        return vecChanges;
    }
};

TEST_F(BroadSoftPersonalTest, AddsKeepNameOrderRefuseCaseDuplicatesAndUploadTheEntryDocument) {
    CContactBroadSoftModel* pModel = Start({XsiNamedEntry("alice", "1"), XsiNamedEntry("Carol", "3")});
    ContactBroadSoftPersonal tom = Personal("Tom & <Jerry>\x01", "+1 (555) 0100");
    ASSERT_TRUE(pModel->AddContact2Personal(&tom));
    ContactBroadSoftPersonal bob = Personal("Bob", "2");
    ASSERT_TRUE(pModel->AddContact2Personal(&bob));
    EXPECT_THAT(Names("Personal"), ElementsAre("alice", "Bob", "Carol", "Tom & <Jerry>"));
    WaitIdle();
    const std::string kDocument =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Personal xmlns=\"http://schema.broadsoft.com/xsi\">\n"
        "\t<startIndex>1</startIndex>\n"
        "\t<numberOfRecords>1</numberOfRecords>\n"
        "\t<totalAvailableRecords>1</totalAvailableRecords>\n"
        "\t<entry>\n"
        "\t\t<name>Tom &amp; &lt;Jerry&gt;</name>\n"
        "\t\t<number>+1 (555) 0100</number>\n"
        "\t</entry>\n"
        "</Personal>\n";
    EXPECT_THAT(PostBodies(), UnorderedElementsAre(kDocument, HasSubstr("<name>Bob</name>")));
    EXPECT_THAT(m_root.ReadFile("/config/data/Personal.xml"), HasSubstr("<name>Bob</name>"));
    EXPECT_THAT(Changes(), ElementsAre("POST Personal", "POST Personal"));
    EXPECT_THAT(ServerNames(), UnorderedElementsAre("alice", "Carol", "Tom & <Jerry>", "Bob"));

    ContactBroadSoftPersonal twin = Personal("ALICE", "9");
    CommonUnits_SetErrorId(0);
    EXPECT_FALSE(pModel->AddContact2Personal(&twin));
    EXPECT_EQ(CommonUnits_GetErrorId(), -2);
    ContactBroadSoftPersonal dave = Personal("dave", "4");
    ASSERT_TRUE(pModel->AddContact2Personal(&dave));
    EXPECT_THAT(Names("Personal"), ElementsAre("alice", "Bob", "Carol", "dave", "Tom & <Jerry>"));
    for (ContactBroadSoftPersonal bad : {Personal("", "5"), Personal("Eve", ""), Personal("\x02", "6")}) {
        EXPECT_FALSE(pModel->AddContact2Personal(&bad)) << bad.m_strName;
    }
    EXPECT_FALSE(pModel->AddPersonal(ModelUrl("Missing"), dave, false));
    EXPECT_THAT(HostControl::TakeLogLines(), Contains(HasSubstr("pList == NULL\n")));

    // A list not loaded is left alone and tests nothing; the server refuses the duplicate.
    BroadSoftModelPeer::SetStatus(PersonalUrl(), CContactBroadSoftModel::LIST_FAILED);
    EXPECT_TRUE(pModel->AddPersonal(PersonalUrl(), twin, false));
    EXPECT_THAT(Names("Personal"), Not(Contains("ALICE")));
    WaitIdle();
    EXPECT_THAT(HostControl::TakeLogLines(),
                Contains(HasSubstr("BroadSoft upload to " + PersonalUrl() + " refused")));
    EXPECT_THAT(ServerNames(), Not(Contains("ALICE")));

    HostControl::SetNetworkReady(false);
    ContactBroadSoftPersonal fay = Personal("Fay", "7");
    EXPECT_FALSE(pModel->AddContact2Personal(&fay));
    HostControl::SetNetworkReady(true);
}

TEST_F(BroadSoftPersonalTest, AddsMadeBeforeAnyUploadRunsEachSendTheirOwnEntry) {
    CContactBroadSoftModel* pModel = Start({XsiNamedEntry("Cy", "3")});
    BusyWorkers busy(m_xsi, m_xsi.DirectoriesPath() + "Busy");
    ContactBroadSoftPersonal ann = Personal("Ann", "1");
    ContactBroadSoftPersonal ben = Personal("Ben", "2");
    ASSERT_TRUE(pModel->AddContact2Personal(&ann));
    ASSERT_TRUE(pModel->AddContact2Personal(&ben));
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_THAT(ServerNames(), UnorderedElementsAre("Cy", "Ann", "Ben"));
}

TEST_F(BroadSoftPersonalTest, AnEntryDocumentThatCannotBeWrittenIsNotUploaded) {
    CContactBroadSoftModel* pModel = Start({XsiNamedEntry("Cy", "3")});
    testsupport::FaultyFileSystem faults;
    for (int nFailingWrite : {1, 2}) {  // "Personal.xml", then the copy the upload sends
        faults.FailNth(testsupport::FileFault::NoSpace, nFailingWrite);
        ContactBroadSoftPersonal entry = Personal("Entry" + std::to_string(nFailingWrite), "1");
        EXPECT_FALSE(pModel->AddContact2Personal(&entry));
        faults.Clear();
    }
    WaitIdle();
    EXPECT_THAT(Changes(), IsEmpty());
    EXPECT_THAT(ServerNames(), ElementsAre("Cy"));
    EXPECT_THAT(Names("Personal"), ElementsAre("Cy", "Entry2")) << "only the entry written is shown";
}

TEST_F(BroadSoftPersonalTest, EditsRemoveTheOldEntryAtOnceAndAddTheNewOneWhenTheDeleteIsAnswered) {
    CContactBroadSoftModel* pModel =
        Start({XsiNamedEntry("Ann", "1"), XsiNamedEntry("Bob", "2"), XsiNamedEntry("Cy", "3")});
    ASSERT_TRUE(pModel->EditPersonalContact(kPersonalAction, "Bob", Personal("Bob", "22")));
    EXPECT_THAT(Names("Personal"), ElementsAre("Ann", "Cy"));
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("Ann", "Bob", "Cy"));
    EXPECT_THAT(Changes(), ElementsAre("DELETE Personal/Bob", "POST Personal"));

    ASSERT_TRUE(pModel->EditPersonalContact(kPersonalAction, "Cy", Personal("Abe", "33")));
    EXPECT_THAT(Names("Personal"), ElementsAre("Ann", "Bob"));
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("Abe", "Ann", "Bob"));

    // The server refuses this delete; the new entry still follows its answer.
    m_xsi.Fail(m_xsi.PathOf(XsiDirectory::Personal) + "/Ann", 500);
    ASSERT_TRUE(pModel->EditPersonal(PersonalUrl(), "Ann", Personal("Anna", "11")));
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("Abe", "Anna", "Bob"));
    EXPECT_THAT(HostControl::TakeLogLines(),
                Contains(HasSubstr("BroadSoft delete of " + PersonalUrl() + "/Ann refused")));
    m_xsi.Restore(m_xsi.PathOf(XsiDirectory::Personal) + "/Ann");
    EXPECT_THAT(ServerNames(), UnorderedElementsAre("Ann", "Bob", "Abe", "Anna"));
    for (const testsupport::XsiEntry& entry : m_xsi.Entries(XsiDirectory::Personal)) {
        if (entry.Field("name") == "Bob") {
            EXPECT_EQ(entry.Field("number"), "22");
        }
    }

    // Refusals: a name another entry has (ignoring case), an unknown old name, empty fields, no network,
    // a click action that is not the Personal directory.
    CommonUnits_SetErrorId(0);
    EXPECT_FALSE(pModel->EditPersonal(PersonalUrl(), "Abe", Personal("BOB", "5")));
    EXPECT_EQ(CommonUnits_GetErrorId(), -2);
    EXPECT_THAT(HostControl::TakeLogLines(),
                Contains(HasSubstr("CContactBroadSoftModel::EditPersonal Found ReName Contact!\n")));
    EXPECT_FALSE(pModel->EditPersonal(PersonalUrl(), "Nobody", Personal("Zed", "5")));
    EXPECT_FALSE(pModel->EditPersonal(PersonalUrl(), "Abe", Personal("", "5")));
    EXPECT_FALSE(pModel->EditPersonal(ModelUrl("Missing"), "Abe", Personal("Zed", "5")));
    EXPECT_FALSE(pModel->EditPersonalContact("broadsoft_phonebook_x0", "Abe", Personal("Zed", "5")));
    HostControl::SetNetworkReady(false);
    EXPECT_FALSE(pModel->EditPersonal(PersonalUrl(), "Abe", Personal("Zed", "5")));
    EXPECT_EQ(CommonUnits_GetErrorId(), -14);
    HostControl::SetNetworkReady(true);
    EXPECT_THAT(Names("Personal"), ElementsAre("Abe", "Anna", "Bob"));

    // A case-only rename is the entry's own name.
    ASSERT_TRUE(pModel->EditPersonal(PersonalUrl(), "Abe", Personal("ABE", "44")));
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("ABE", "Anna", "Bob"));

    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    EXPECT_THAT(Names("Personal"), UnorderedElementsAre("Ann", "Bob", "ABE", "Anna"))
        << "read back from the server";
}

TEST_F(BroadSoftPersonalTest, AnEditWhoseListWentWithAReloadStillReachesTheServer) {
    CContactBroadSoftModel* pModel = Start({XsiNamedEntry("Bob", "2")});
    m_xsi.Stall(m_xsi.PathOf(XsiDirectory::Personal) + "/Bob");
    ASSERT_TRUE(pModel->EditPersonal(PersonalUrl(), "Bob", Personal("Bobby", "2")));
    ASSERT_EQ(pModel->ReloadConfigure(false), 0);
    EXPECT_FALSE(BroadSoftModelPeer::List(PersonalUrl()).bEntry);
    m_xsi.ReleaseStalls();
    WaitIdle();
    EXPECT_THAT(ServerNames(), ElementsAre("Bobby"));
}

TEST_F(BroadSoftPersonalTest, DeletesOfABatchGoOneAfterAnotherToTheRightEntries) {
    const std::string kOdd = "x/y?z&w#v%u+1";
    CContactBroadSoftModel* pModel =
        Start({XsiNamedEntry("a b", "1"), XsiNamedEntry(kOdd, "2"), XsiNamedEntry("Cy", "3"),
               XsiNamedEntry("Dee", "4"), XsiNamedEntry("x", "5")});
    ASSERT_TRUE(pModel->DeleteContactsInPersonal({"Dee", "a b", kOdd}, kPersonalAction));
    EXPECT_THAT(Names("Personal"), ElementsAre("Cy", "x"));
    for (std::size_t nSent = 1; nSent <= 3; ++nSent) {
        ASSERT_TRUE(HostControl::WaitForActions(10000));
        EXPECT_EQ(Changes().size(), nSent) << "one delete on its way at a time";
        ASSERT_TRUE(HostControl::DeliverOneCallback());
    }
    WaitIdle();
    EXPECT_THAT(Changes(), ElementsAre("DELETE Personal/Dee", "DELETE Personal/a%20b",
                                       "DELETE Personal/x%2Fy%3Fz%26w%23v%25u%2B1"));
    EXPECT_THAT(ServerNames(), ElementsAre("Cy", "x"));
    EXPECT_THAT(HostControl::TakeLogLines(),
                Contains(HasSubstr("CContactBroadSoftModel::RetryMyExecDelete,strUrl = " + PersonalUrl() +
                                   ",strName = a%20b\n")));
}

TEST_F(BroadSoftPersonalTest, RefusedDeletesStayPendingAndMergeWithTheNextBatch) {
    CContactBroadSoftModel* pModel =
        Start({XsiNamedEntry("Ann", "1"), XsiNamedEntry("Bee", "2"), XsiNamedEntry("Dee", "3"),
               XsiNamedEntry("Eve", "4"), XsiNamedEntry("Fay", "5"), XsiNamedEntry("Gus", "6")});
    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(pModel->DeleteContactsInPersonal({"Dee", "Bee", "Fay"}, kPersonalAction));
    EXPECT_THAT(BroadSoftModelPeer::PendingDeletes(), ElementsAre("Bee", "Fay"));
    HostControl::SetRefuseTaskActions(false);
    ASSERT_TRUE(pModel->DeleteContactsInPersonal({"Eve", "Ann"}, kPersonalAction));
    WaitIdle();
    EXPECT_THAT(Changes(), ElementsAre("DELETE Personal/Bee", "DELETE Personal/Eve", "DELETE Personal/Ann",
                                       "DELETE Personal/Fay"));
    EXPECT_THAT(BroadSoftModelPeer::PendingDeletes(), IsEmpty());
    EXPECT_THAT(Names("Personal"), ElementsAre("Gus"));
    EXPECT_THAT(ServerNames(), ElementsAre("Dee", "Gus")) << "the refused delete was not sent";

    EXPECT_FALSE(pModel->DeleteContactsInPersonal({}, kPersonalAction));
    EXPECT_FALSE(pModel->DeleteContactsInPersonal({"Gus"}, "broadsoft_phonebook_x0"));
    EXPECT_FALSE(pModel->DeletePersonal(PersonalUrl())) << "nothing pending";
    HostControl::SetNetworkReady(false);
    EXPECT_FALSE(pModel->BeforeDeleteList(PersonalUrl(), {"Gus"}));
    HostControl::SetNetworkReady(true);
    EXPECT_FALSE(pModel->BeforeDeleteList(ModelUrl("Missing"), {"Gus"}));
    EXPECT_THAT(Names("Personal"), ElementsAre("Gus"));
}

}  // namespace
