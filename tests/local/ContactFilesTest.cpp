// The two local files: first start, repair, round trip, write-through, the mark file, the save timer and a
// save interrupted by a crash.

#include <pugixml.hpp>

#include "LocalModelFixture.h"
#include "MsgQueue.h"

namespace localtest {
namespace {

class ContactFilesTest : public LocalModelFixture {
protected:
    pugi::xml_document Parse(const char* pPath) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(m_root.ReadFile(pPath).c_str()));
        return doc;
    }

    std::vector<std::string> AttributeNames(const pugi::xml_node& node) {
        std::vector<std::string> listNames;
        for (const auto& attr : node.attributes()) {
            listNames.push_back(attr.name());
        }
        return listNames;
    }
};

TEST_F(ContactFilesTest, FirstStartWritesTheDefaultGroupFileAndNoContactFile) {
    Model();
    ASSERT_TRUE(m_root.Exists(kGroupFile));
    EXPECT_FALSE(m_root.Exists(kContactFile));
    EXPECT_EQ(m_root.ReadFile(kGroupFile).rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);

    pugi::xml_document doc = Parse(kGroupFile);
    const char* const names[] = {"All Contacts", "Blacklist", "Company", "Family", "Friend"};
    int nId = 0;
    for (pugi::xml_node group : doc.child("root_group").children("group")) {
        EXPECT_EQ(AttributeNames(group), (Strings{"id_name", "display_name", "ring", "read_only"}));
        EXPECT_EQ(group.attribute("id_name").as_int(), nId);
        EXPECT_STREQ(group.attribute("display_name").value(), names[nId]);
        EXPECT_STREQ(group.attribute("read_only").value(), nId < 2 ? "1" : "0");
        ++nId;
    }
    EXPECT_EQ(nId, 5);
    EXPECT_EQ(Model().AddGroup({"Work", ""}), 4);
    EXPECT_EQ(Model().GetGIdByGName("Work"), 5);
    EXPECT_EQ(Model().GetCurrentContactCount(), 0);
}

TEST_F(ContactFilesTest, MisnamedOrMissingBuiltInGroupsAreRepairedAndRewrittenAtOnce) {
    m_root.WriteFile(kGroupFile,
                     GroupFileXml(GroupElement(3, "Family") + GroupElement(1, "Black", "read_only=\"1\"") +
                                  GroupElement(7, "all contacts")));
    // The built-in groups are taken before any user group, so "all contacts" cannot keep them out.
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "all contacts", "Family", "Blacklist"}));

    pugi::xml_document doc = Parse(kGroupFile);
    std::vector<std::string> listWritten;
    for (pugi::xml_node group : doc.child("root_group").children("group")) {
        listWritten.push_back(group.attribute("display_name").value());
    }
    EXPECT_EQ(listWritten, (Strings{"All Contacts", "all contacts", "Family", "Blacklist"}));
    EXPECT_EQ(MarkBits(), 2);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);
    EXPECT_EQ(Model().AddGroup({"Work", ""}), 3);
    EXPECT_EQ(Model().GetGIdByGName("Work"), 8);  // above every id the file named
}

TEST_F(ContactFilesTest, GroupsWithoutAUsableIdOrNameAreDropped) {
    const std::string strFile = GroupFileXml(
        GroupElement(0, "All Contacts") + GroupElement(1, "Blacklist") + GroupElement(2, "Work") +
        GroupElement(2, "Play") + GroupElement(3, "") + GroupElement(4, "WORK") +
        "<group display_name=\"NoId\"/>" + GroupElement(-3, "Negative") + GroupElement(5, "Kept"));
    m_root.WriteFile(kGroupFile, strFile);
    Model();
    m_root.WriteFile(kGroupFile, strFile);
    EXPECT_FALSE(Model().ReloadGroupXml());
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Kept", "Work", "Blacklist"}));
}

TEST_F(ContactFilesTest, UnreadableGroupFileStillGivesTheBuiltInGroupsWithoutOverwritingIt) {
    m_root.WriteFile(kGroupFile, "<root_group><group id_name=");
    Model();
    EXPECT_EQ(Model().GetCurrentGroupCount(), 2);
    EXPECT_EQ(Model().GetGroupNameByIndex(1), "Blacklist");
    EXPECT_EQ(m_root.ReadFile(kGroupFile), "<root_group><group id_name=");
}

TEST_F(ContactFilesTest, EveryFieldSurvivesASaveAndALoad) {
    m_root.WriteFile("/config/data/ring/tone.wav", "RIFF");
    m_root.WriteFile("/phone/resource/photo/contact_03.png", "PNG");
    ASSERT_GE(Model().AddGroup({"Work", ""}), 0);
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "", "666")), 0);
    ContactGeneralItemData data = Contact("Jürgen Çelik 李", "Work", "+49 170 1", "0301", "#77");
    data.m_strRing = "/config/data/ring/tone.wav";
    data.m_strDefaultPhoto = "/phone/resource/photo/contact_03.png";
    data.m_nLine = 2;
    data.m_nSelectedPhoto = 3;
    ASSERT_EQ(Model().AddContact(data), 0);
    std::list<std::string> listNames = Names({"Jürgen Çelik 李"});
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    ASSERT_EQ(Model().UpdateGroupData("Work", {"Work", "/config/data/ring/tone.wav"}), 4);

    pugi::xml_document doc = Parse(kContactFile);
    pugi::xml_node contact =
        doc.child("root_contact").find_child_by_attribute("contact", "group_id_name", "5");
    EXPECT_EQ(AttributeNames(contact),
              (Strings{"display_name", "office_number", "mobile_number", "other_number", "line", "ring",
                       "group_id_name", "default_photo", "selected_photo", "is_favorate", "name_index"}));
    EXPECT_STREQ(contact.attribute("ring").value(), "Config:tone.wav");
    EXPECT_STREQ(contact.attribute("default_photo").value(), "Resource:contact_03.png");
    EXPECT_STREQ(contact.attribute("is_favorate").value(), "1");
    EXPECT_STREQ(contact.attribute("name_index").value(), "58743623545");
    pugi::xml_document groups = Parse(kGroupFile);
    EXPECT_STREQ(
        groups.child("root_group").find_child_by_attribute("group", "id_name", "5").attribute("ring").value(),
        "Config:tone.wav");

    CContactGeneralModel::ReleaseInstance();
    ContactGeneralItemData loaded;
    ASSERT_TRUE(Model().GetContactData(&loaded, "Jürgen Çelik 李"));
    EXPECT_EQ(loaded.m_strDisplayName, data.m_strDisplayName);
    EXPECT_EQ(loaded.m_strGroupName, "Work");
    EXPECT_EQ(loaded.m_strMobileNumber, "+49 170 1");
    EXPECT_EQ(loaded.m_strOfficeNumber, "0301");
    EXPECT_EQ(loaded.m_strOtherNumber, "#77");
    EXPECT_EQ(loaded.m_strRing, data.m_strRing);
    EXPECT_EQ(loaded.m_strDefaultPhoto, data.m_strDefaultPhoto);
    EXPECT_EQ(loaded.m_nLine, 2);
    EXPECT_EQ(loaded.m_nSelectedPhoto, 3);
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    EXPECT_EQ(Model().GetGroupRingByContact("Jürgen Çelik 李"), "/config/data/ring/tone.wav");
    EXPECT_EQ(Model().GetGIdByGName("Work"), 5);
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("666"), "Spam");
}

TEST_F(ContactFilesTest, LoadTakesAttributesAtTheirWordAndDropsWhatTheStoreRefuses) {
    m_root.WriteFile(
        kContactFile,
        ContactFileXml("<contact display_name=\"NoGroup\" is_favorate=\"1\"/>" + ContactElement("Stray", 42) +
                       ContactElement("Truthy", 3, "is_favorate=\"true\"") +
                       ContactElement("Anna", 2, "line=\"x\"") + ContactElement("anna", 3) +
                       ContactElement("Black1", 1) + ContactElement("Black2", 1)));
    Model().SetMaxBlackCount(1);
    EXPECT_FALSE(Model().ReloadContactXml());
    EXPECT_EQ(AllNames(), (Strings{"Anna", "Black1", "NoGroup", "Stray", "Truthy"}));
    EXPECT_EQ(Model().GetContactGroupId("NoGroup"), 0);
    EXPECT_EQ(Model().GetContactGroupId("Stray"), 0);
    EXPECT_EQ(Model().GetContactGroupId("Anna"), 2);
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);  // only NoGroup: "true" is not "1"
    ContactGeneralItemData anna;
    ASSERT_TRUE(Model().GetContactData(&anna, "Anna"));
    EXPECT_EQ(anna.m_nLine, 0);
    ExpectCountersInStep();
}

TEST_F(ContactFilesTest, EveryChangeIsWrittenThroughMarkedAndAnnounced) {
    Model();
    m_root.WriteFile(kMarkFile, "[update]\ntype=4\n");  // the mark is ored into what the file held
    DropRecords();
    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family", "123")), 0);
    EXPECT_NE(m_root.ReadFile(kContactFile).find("display_name=\"Anna\""), std::string::npos);
    EXPECT_FALSE(Model().MyGetContactDirty());
    EXPECT_EQ(MarkBits(), 5);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);

    ASSERT_TRUE(Model().RemoveContact("Anna"));
    EXPECT_EQ(m_root.ReadFile(kContactFile).find("Anna"), std::string::npos);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);

    ASSERT_GE(Model().AddGroup({"Work", ""}), 0);
    EXPECT_NE(m_root.ReadFile(kGroupFile).find("Work"), std::string::npos);
    EXPECT_EQ(MarkBits(), 7);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);
}

TEST_F(ContactFilesTest, ASaveInterruptedBeforeTheRenameLeavesThePreviousFileWholeAndIsRetried) {
    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family", "123")), 0);
    const std::string strBefore = m_root.ReadFile(kContactFile);
    m_root.WriteFile(kMarkFile, "[update]\ntype=0\n");
    DropRecords();

    HostControl::SetAtomicWriteFault(true);
    ASSERT_EQ(Model().AddContact(Contact("Bert", "Family", "456")), 1);
    EXPECT_EQ(m_root.ReadFile(kContactFile), strBefore);
    EXPECT_TRUE(Model().MyGetContactDirty());
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);  // the phone book did change in memory
    EXPECT_FALSE(Model().SaveContactToXml());
    EXPECT_EQ(MarkBits(), 0);
    bool bWarned = false;
    for (const std::string& strLine : HostControl::TakeLogLines()) {
        bWarned = bWarned || strLine.find("contact_list.xml") != std::string::npos;
    }
    EXPECT_TRUE(bWarned);

    HostControl::SetAtomicWriteFault(false);
    EXPECT_FALSE(Model().OnTimeoutSaveContact(91110));
    EXPECT_TRUE(Model().MyGetContactDirty());
    EXPECT_TRUE(Model().OnTimeoutSaveContact(NS_DIRECTORY::kLocalSaveTimerId));
    EXPECT_FALSE(Model().MyGetContactDirty());
    EXPECT_NE(m_root.ReadFile(kContactFile).find("Bert"), std::string::npos);
    EXPECT_EQ(MarkBits(), 1);

    // A failed save is also retried by the next change.
    HostControl::SetAtomicWriteFault(true);
    ASSERT_GE(Model().AddGroup({"Work", ""}), 0);
    EXPECT_TRUE(Model().MyGetGroupDirty());
    HostControl::SetAtomicWriteFault(false);
    ASSERT_GE(Model().AddGroup({"Play", ""}), 0);
    EXPECT_FALSE(Model().MyGetGroupDirty());
    const std::string strGroups = m_root.ReadFile(kGroupFile);
    EXPECT_NE(strGroups.find("Work"), std::string::npos);
    EXPECT_NE(strGroups.find("Play"), std::string::npos);
}

int g_nSaveTimerExpiries = 0;

int CountSaveTimer(ETL_MsgQueueHelper::msgObject& msg) {
    g_nSaveTimerExpiries += msg.wParam == NS_DIRECTORY::kLocalSaveTimerId ? 1 : 0;
    return 0;
}

TEST_F(ContactFilesTest, EverySaveStopsThePendingSaveTimer) {
    Model();
    HostControl::SetManualClock(true);
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, CountSaveTimer);
    g_nSaveTimerExpiries = 0;
    timerSetThreadTimer(NS_DIRECTORY::kLocalSaveTimerId, 1000);
    HostControl::AdvanceClock(1500);
    ASSERT_EQ(g_nSaveTimerExpiries, 1);

    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family")), 0);
    HostControl::AdvanceClock(5000);
    EXPECT_EQ(g_nSaveTimerExpiries, 1);
    EtlMsgHandler_UnregisterMsgHandle(TM_TIMER, TM_TIMER, CountSaveTimer);
}

TEST_F(ContactFilesTest, SynchronousReloadsReadTheFilesAgain) {
    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family")), 0);
    m_root.WriteFile(kContactFile, ContactFileXml(ContactElement("Zed", 4) + ContactElement("Yan", 1)));
    m_root.WriteFile(kGroupFile, GroupFileXml(GroupElement(0, "All Contacts") + GroupElement(4, "Pals") +
                                              GroupElement(1, "Blacklist")));
    DropRecords();
    EXPECT_TRUE(Model().ReloadGroupXml());
    EXPECT_TRUE(Model().ReloadContactXml());
    EXPECT_EQ(HostControl::TakeCallLogResets(), 1);
    EXPECT_EQ(AllNames(), (Strings{"Yan", "Zed"}));
    EXPECT_EQ(Model().GetContactGroupId("Zed"), 4);
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    EXPECT_EQ(Model().GetGroupNameByIndex(1), "Pals");
    EXPECT_EQ(HostControl::TakeCallLogUpdates().size(), 2u);
}

}  // namespace
}  // namespace localtest
