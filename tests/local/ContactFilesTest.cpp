// The two local files: first start, repair, round trip, write-through, the mark file, the save timer and a
// save interrupted by a crash.

#include <sys/types.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>

#include <gmock/gmock.h>
#include <pugixml.hpp>

#include "CommonUnits.h"
#include "ContactFileReference.h"
#include "FaultyFileSystem.h"
#include "LocalModelFixture.h"
#include "MsgQueue.h"
#include "XPortBase.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

using NS_DIRECTORY::XPortFactory;

class ContactFilesTest : public LocalModelFixture {
protected:
    // Every element under the root of the file in written order, as its attributes "name=value" or as the
    // value of the one attribute asked for.
    Strings Rows(const char* pPath, const char* pAttr = nullptr) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(m_root.ReadFile(pPath).c_str()));
        Strings listRows;
        for (const pugi::xml_node& node : doc.first_child().children()) {
            std::string strRow = pAttr ? node.attribute(pAttr).value() : "";
            for (const auto& attr : node.attributes()) {
                strRow +=
                    pAttr ? "" : std::string(strRow.empty() ? "" : " ") + attr.name() + "=" + attr.value();
            }
            listRows.push_back(strRow);
        }
        return listRows;
    }

    std::string SavedByPugixml() {
        return testsupport::ContactFileSavedByPugixml(ContactGeneralModelTestPeer::Items(Model()));
    }
};

TEST_F(ContactFilesTest, FirstStartWritesTheDefaultGroupFileAndNoContactFile) {
    Model();
    EXPECT_FALSE(m_root.Exists(kContactFile));
    EXPECT_EQ(m_root.ReadFile(kGroupFile).rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_EQ(Rows(kGroupFile), (Strings{"id_name=0 display_name=All Contacts ring= read_only=1",
                                         "id_name=1 display_name=Blacklist ring= read_only=1",
                                         "id_name=2 display_name=Company ring= read_only=0",
                                         "id_name=3 display_name=Family ring= read_only=0",
                                         "id_name=4 display_name=Friend ring= read_only=0"}));
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
    EXPECT_EQ(Rows(kGroupFile, "display_name"),
              (Strings{"All Contacts", "all contacts", "Family", "Blacklist"}));
    EXPECT_EQ(MarkBits(), 2);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);
    EXPECT_EQ(Model().AddGroup({"Work", ""}), 3);
    EXPECT_EQ(Model().GetGIdByGName("Work"), 8);  // above every id the file named
}

TEST_F(ContactFilesTest, GroupsWithoutAUsableIdOrNameAreDroppedAndAnUnreadableFileIsLeftAlone) {
    const std::string strFile = GroupFileXml(
        GroupElement(0, "All Contacts") + GroupElement(1, "Blacklist") + GroupElement(2, "Work") +
        GroupElement(2, "Play") + GroupElement(3, "") + GroupElement(4, "WORK") +
        "<group display_name=\"NoId\"/>" + GroupElement(-3, "Negative") + GroupElement(5, "Kept"));
    m_root.WriteFile(kGroupFile, "<root_group><group id_name=");
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Blacklist"}));
    EXPECT_EQ(m_root.ReadFile(kGroupFile), "<root_group><group id_name=");
    m_root.WriteFile(kGroupFile, strFile);
    EXPECT_FALSE(Model().ReloadGroupXml());
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Kept", "Work", "Blacklist"}));
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
    EXPECT_THAT(
        Rows(kContactFile),
        ::testing::Contains(
            "display_name=Jürgen Çelik 李 office_number=0301 mobile_number=+49 170 1 other_number=#77 line=2 "
            "ring=Config:tone.wav group_id_name=5 default_photo=Resource:contact_03.png selected_photo=3 "
            "is_favorate=1 name_index=58743623545"));
    EXPECT_THAT(Rows(kGroupFile),
                ::testing::Contains("id_name=5 display_name=Work ring=Config:tone.wav read_only=0"));
    CContactGeneralModel::ReleaseInstance();
    ContactGeneralItemData loaded;
    ASSERT_TRUE(Model().GetContactData(&loaded, "Jürgen Çelik 李"));
    EXPECT_EQ(Describe(loaded), Describe(data));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    EXPECT_EQ(Model().GetGroupRingByContact("Jürgen Çelik 李"), "/config/data/ring/tone.wav");
    EXPECT_EQ(Model().GetGIdByGName("Work"), 5);
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("666"), "Spam");
}

TEST_F(ContactFilesTest, AReloadReadsTheFileAgainTakingAttributesAtTheirWordAndDroppingWhatTheStoreRefuses) {
    Model().SetMaxBlackCount(1);
    m_root.WriteFile(
        kContactFile,
        ContactFileXml("<contact display_name=\"NoGroup\" is_favorate=\"1\"/>" + ContactElement("Stray", 42) +
                       ContactElement("Truthy", 3, "is_favorate=\"true\"") +
                       ContactElement("Anna", 2, "line=\"x\" mobile_number=\"111\" mobile_number=\"222\"") +
                       ContactElement("anna", 3) + ContactElement("Black1", 1) +
                       ContactElement("Black2", 1)));
    EXPECT_FALSE(Model().ReloadContactXml());
    EXPECT_EQ(HostControl::TakeCallLogResets(), 1);
    EXPECT_EQ(AllNames(), (Strings{"Anna", "Black1", "NoGroup", "Stray", "Truthy"}));
    EXPECT_EQ(Model().GetContactGroupId("NoGroup"), 0);
    EXPECT_EQ(Model().GetContactGroupId("Stray"), 0);
    EXPECT_EQ(Model().GetContactGroupId("Anna"), 2);
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);  // only NoGroup: "true" is not "1"
    ContactGeneralItemData anna;
    ASSERT_TRUE(Model().GetContactData(&anna, "Anna"));
    EXPECT_EQ(anna.m_nLine, 0);
    EXPECT_EQ(anna.m_strMobileNumber, "222");  // the last of a repeated attribute counts
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("222"), "Anna");
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
    testsupport::FaultyFileSystem faults;
    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family", "123")), 0);
    const std::string strBefore = m_root.ReadFile(kContactFile);
    m_root.WriteFile(kMarkFile, "[update]\ntype=0\n");
    DropRecords();
    faults.CutShortBeforeRename();
    ASSERT_EQ(Model().AddContact(Contact("Bert", "Family", "456")), 1);
    EXPECT_EQ(m_root.ReadFile(kContactFile), strBefore);
    EXPECT_TRUE(Model().MyGetContactDirty());
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);  // the phone book did change in memory
    EXPECT_FALSE(Model().SaveContactToXml());
    EXPECT_EQ(MarkBits(), 0);
    const std::vector<std::string> listLines = HostControl::TakeLogLines();
    EXPECT_TRUE(std::any_of(listLines.begin(), listLines.end(), [](const std::string& strLine) {
        return strLine.find("contact_list.xml") != std::string::npos;
    }));
    faults.Clear();
    EXPECT_FALSE(Model().OnTimeoutSaveContact(91110));
    EXPECT_TRUE(Model().MyGetContactDirty());
    EXPECT_TRUE(Model().OnTimeoutSaveContact(NS_DIRECTORY::kLocalSaveTimerId));
    EXPECT_FALSE(Model().MyGetContactDirty());
    EXPECT_NE(m_root.ReadFile(kContactFile).find("Bert"), std::string::npos);
    EXPECT_EQ(MarkBits(), 1);
    // A failed save is also retried by the next change.
    faults.CutShortBeforeRename();
    ASSERT_GE(Model().AddGroup({"Work", ""}), 0);
    EXPECT_TRUE(Model().MyGetGroupDirty());
    faults.Clear();
    ASSERT_GE(Model().AddGroup({"Play", ""}), 0);
    EXPECT_FALSE(Model().MyGetGroupDirty());
    EXPECT_THAT(Rows(kGroupFile, "display_name"), ::testing::IsSupersetOf({"Work", "Play"}));
}

// Such files used to stay for ever: 200 kills during edits left 87 of them.
TEST_F(ContactFilesTest, TemporaryFilesLeftByInterruptedSavesAreRemovedAtTheNextStart) {
    testsupport::FaultyFileSystem faults;
    Model();
    faults.CutShortBeforeRename();
    ASSERT_EQ(Model().AddContact(Contact("Anna", "Family")), 0);
    ASSERT_GE(Model().AddGroup({"Work", ""}), 0);
    ASSERT_EQ(XPortFactory::ExportToPath(nullptr), NS_DIRECTORY::XPORT_RESULT_NOT_WRITTEN);
    faults.Clear();
    const Strings listForeign = {".contact_list.xml.1.5.tmp",  // its writer still runs
                                 ".contact_list.xml.tmp", ".remote_phonebook_list.xml.99999.1.tmp"};
    for (const std::string& strName : listForeign) {
        m_root.WriteFile(std::string("/config/data/") + strName, "not ours");
    }
    // One a killed process left while it wrote the update mark (pid above any in use).
    const std::string strDeadMarkTemp =
        "/tmp/.contact_update_mark.ini." + std::to_string(std::numeric_limits<pid_t>::max()) + ".3.tmp";
    m_root.WriteFile(strDeadMarkTemp, "[update]\ntype=");
    CContactGeneralModel::ReleaseInstance();
    DropRecords();
    Model();
    Strings listLeft;
    for (const auto& entry : std::filesystem::directory_iterator(m_root.Path("/config/data"))) {
        listLeft.push_back(entry.path().filename().string());
    }
    Strings listExpected = listForeign;
    listExpected.push_back("contact_group_list.xml");
    EXPECT_THAT(listLeft, ::testing::UnorderedElementsAreArray(listExpected));
    EXPECT_FALSE(m_root.Exists(strDeadMarkTemp));
    EXPECT_THAT(
        HostControl::TakeLogLines(),
        ::testing::Contains(::testing::HasSubstr("removed 4 temporary file(s) left by interrupted saves")));
}

// Whether a strict XML 1.0 parser takes the file.
bool StrictlyWellFormed(const std::string& strRealPath) {
    return std::system(("xmllint --noout '" + strRealPath + "' 2>/dev/null").c_str()) == 0;
}

// Such text used to be written as pugixml reads it back but strict parsers refuse the whole file, and a NUL
// cut the name at the next load.
TEST_F(ContactFilesTest, TextXmlCannotCarryIsCleanedWhereItEntersSoEveryWrittenFileIsWellFormed) {
    ASSERT_EQ(std::system("command -v xmllint >/dev/null 2>&1"), 0)
        << "xmllint is missing: run scripts/deps.sh";
    const std::string kFffd = "\xEF\xBF\xBD";
    ASSERT_GE(Model().AddGroup({"Cl\x02ub\xFF", "/ring\x1b.wav"}), 0);
    const std::string strTyped = std::string(
                                     "Zo\x01"
                                     "e\0\t!",
                                     7) +
                                 "\xC3(\xED\xA0\x80\xEF\xBF\xBE";
    const std::string strStored = "Zoe\t!" + kFffd + "(" + kFffd + kFffd + kFffd;
    ASSERT_GE(Model().AddContact(Contact(strTyped, "Club" + kFffd,
                                         std::string("12\0"
                                                     "3",
                                                     4),
                                         "4\x7f")),
              0);
    EXPECT_EQ(Model().AddContactById(0, Contact("\x01\x02", "")), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), -100);
    ASSERT_GE(Model().UpdateContactData(strStored, Contact(strStored, "Club" + kFffd, "123", "5\x10")), 0);
    m_root.WriteFile("/config/data/contact_xported.xml",
                     "<root_contact><contact display_name=\"Im&#1;port\xFE\" group_id_name=\"Cl&#2;ub\xFF\"/>"
                     "</root_contact>");
    ASSERT_EQ(XPortFactory::ImportByPath(nullptr, true, true, false), 0);
    ASSERT_EQ(XPortFactory::ExportToPath(nullptr), 0);
    for (const char* pPath : {kContactFile, kGroupFile, "/config/data/contact_xported.xml"}) {
        EXPECT_TRUE(StrictlyWellFormed(m_root.Path(pPath))) << pPath << ":\n" << m_root.ReadFile(pPath);
    }
    EXPECT_EQ(GroupNames(),
              (Strings{"All Contacts", "Club" + kFffd, "Company", "Family", "Friend", "Blacklist"}));
    CContactGeneralModel::ReleaseInstance();
    EXPECT_EQ(AllNames(), (Strings{"Import" + kFffd, strStored}));
    ContactGeneralItemData zoe;
    ASSERT_TRUE(Model().GetContactData(&zoe, strStored));
    EXPECT_EQ(zoe.m_strMobileNumber + "|" + zoe.m_strOfficeNumber, "123|5");
    EXPECT_EQ(zoe.m_strGroupName, "Club" + kFffd);
    EXPECT_EQ(Model().GetContactGroupId("Import" + kFffd), Model().GetGIdByGName("Club" + kFffd));
    // A file written elsewhere is cleaned as it is read, so the next save is well-formed too.
    m_root.WriteFile(kContactFile, ContactFileXml(ContactElement("Pro&#3;v", 0, "mobile_number=\"9&#27;\"")));
    ASSERT_TRUE(Model().ReloadContactXml());
    ASSERT_GE(Model().AddContact(Contact("Ulla", "All Contacts")), 0);
    EXPECT_EQ(AllNames(), (Strings{"Prov", "Ulla"}));
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("9"), "Prov");
    EXPECT_TRUE(StrictlyWellFormed(m_root.Path(kContactFile))) << m_root.ReadFile(kContactFile);
}

// Every byte the store keeps as it is (tab, line feed, carriage return and printable ASCII), characters XML
// escapes, non-ASCII text, empty and long values: the file is byte for byte what pugixml saves.
TEST_F(ContactFilesTest, TheContactFileIsWhatPugixmlSavesForADocumentOfTheSameContacts) {
    std::string strEveryByte = "\t\n\r";
    for (char c = ' '; c != '\x80'; ++c) {
        strEveryByte += c;
    }
    const std::string strLong = std::string(6000, 'x') + "&" + std::string(6000, '\xC3') + "<";
    m_root.WriteFile("/config/data/ring/tone.wav", "RIFF");
    m_root.WriteFile("/phone/resource/photo/contact_03.png", "PNG");
    ASSERT_GE(Model().AddGroup({"Work & \"Play\"", "/config/data/ring/tone.wav"}), 0);
    struct Case {
        const char* pWhat;
        ContactGeneralItemData data;
        int nLine;  // 0: empty ring and photo as well
    };
    const Case kCases[] = {
        {"every byte kept as it is",
         Contact("All " + strEveryByte, "All Contacts", strEveryByte, strEveryByte), 1},
        {"markup",
         Contact("<a href=\"x\">Tom &amp; 'Jerry'</a> ]]> &#9;", "Work & \"Play\"", "<1>", "\"2\"", "&3;"),
         2},
        {"white space only", Contact(" \t\r\n ", "All Contacts", "\t", "\n", "\r"), 3},
        {"non-ASCII", Contact("Jürgen Çelik 李 \xF0\x9F\x98\x80 \xEF\xBF\xBD", "Blacklist", "\xC2\xA0١٢٣"),
         4},
        {"empty values", Contact("Empty", "All Contacts"), 0},
        {"long values", Contact("Long" + strLong, "All Contacts", strLong, strLong, strLong), 5},
    };
    for (const Case& entry : kCases) {
        ContactGeneralItemData data = entry.data;
        if (entry.nLine != 0) {
            data.m_strRing = "/config/data/ring/tone.wav";
            data.m_strDefaultPhoto = "/phone/resource/photo/contact_03.png";
            data.m_nLine = entry.nLine;
            data.m_nSelectedPhoto = 12;
        }
        ASSERT_GE(Model().AddContact(data), 0) << entry.pWhat;
        EXPECT_EQ(m_root.ReadFile(kContactFile), SavedByPugixml()) << entry.pWhat;
    }
    std::list<std::string> listNames = Names({"Empty"});
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    EXPECT_EQ(m_root.ReadFile(kContactFile), SavedByPugixml());
    EXPECT_THAT(m_root.ReadFile(kContactFile),
                ::testing::AllOf(::testing::HasSubstr("ring=\"Config:tone.wav\""),
                                 ::testing::HasSubstr("default_photo=\"Resource:contact_03.png\""),
                                 ::testing::HasSubstr("&amp;amp;"), ::testing::HasSubstr("&#10;")));
    while (Model().GetCurrentContactCount() + Model().GetCurrentBlackCount() > 0) {
        ASSERT_TRUE(Model().RemoveContact(AllNames().front()));
        EXPECT_EQ(m_root.ReadFile(kContactFile), SavedByPugixml()) << AllNames().size() << " left";
    }
    EXPECT_THAT(m_root.ReadFile(kContactFile), ::testing::EndsWith("<root_contact />\n"));
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

}  // namespace
}  // namespace localtest
