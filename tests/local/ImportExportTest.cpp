// Contact import in the three file formats, append versus replace, the limit check, files that must not
// empty the phone book, and export read back by import.

#include "LocalModelFixture.h"
#include "XPortFactory.h"
#include "XPortKestrel.h"
#include "XPortMarlin.h"
#include "XPortOsprey.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CXPortKestrel;
using NS_DIRECTORY::XPortFactory;

constexpr const char* kImportFile = "/config/data/contact_xported.xml";

class ImportExportTest : public LocalModelFixture {
protected:
    void SetUp() override {
        ASSERT_GE(Model().AddContact(Contact("Alice", "Company", "100")), 0);
        DropRecords();
    }

    int Import(const std::string& strXml, bool bKeep = false, bool bCheckLimits = false) {
        m_root.WriteFile(kImportFile, strXml);
        return XPortFactory::ImportByPath(nullptr, bKeep, bKeep, bCheckLimits);
    }

    ContactGeneralItemData Get(const std::string& strName) {
        ContactGeneralItemData data;
        EXPECT_TRUE(Model().GetContactData(&data, strName)) << strName;
        return data;
    }

    // Every contact as name=group, in store order.
    Strings Memberships() {
        Strings listOut;
        for (const std::string& strName : AllNames()) {
            listOut.push_back(strName + "=" + Get(strName).m_strGroupName);
        }
        return listOut;
    }

    // Ring and photo as stored, not as a page shows them (a page hides files that do not exist).
    std::string StoredRing(const std::string& strName) {
        return Model().MyFindContact(strName) ? Model().MyFindContact(strName)->m_strRing : "?";
    }
    std::string StoredPhoto(const std::string& strName) {
        return Model().MyFindContact(strName) ? Model().MyFindContact(strName)->m_strDefaultPhoto : "?";
    }
};

const char* const kOspreyBody =
    "<root_group><group display_name=\"Work\" ring=\"Config:work.wav\"/><group "
    "display_name=\"\"/></root_group>"
    "<root_contact><contact display_name=\"Bea\" mobile_number=\"200\" office_number=\"201\" "
    "other_number=\"202\""
    " line=\"2\" ring=\"Config:bea.wav\" group_id_name=\"Work\" default_photo=\"Config:bea.png\" "
    "is_favorate=\"1\"/>"
    "<contact display_name=\"Cid\" line=\"\" group_id_name=\"Nowhere\" selected_photo=\"3\"/>"
    "<contact display_name=\"Dan\" group_id_name=\"Blacklist\"/><contact display_name=\"Eve\"/>"
    "<contact display_name=\"\" mobile_number=\"999\"/></root_contact>";

TEST_F(ImportExportTest, TheNewestFormatImportsWithOrWithoutItsWrapper) {
    for (const std::string& strXml : {std::string("<?xml version=\"1.0\"?>") + kOspreyBody,
                                      "<vp_contact>" + std::string(kOspreyBody) + "</vp_contact>"}) {
        ASSERT_EQ(Import(strXml), 0);
        EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Nowhere", "Work", "Blacklist"}));
        EXPECT_EQ(Memberships(), (Strings{"Bea=Work", "Cid=Nowhere", "Dan=Blacklist", "Eve=All Contacts"}));
        const ContactGeneralItemData bea = Get("Bea");
        EXPECT_EQ(bea.m_strMobileNumber + bea.m_strOfficeNumber + bea.m_strOtherNumber, "200201202");
        EXPECT_EQ(bea.m_nLine, 2);
        EXPECT_EQ(StoredRing("Bea"), CommonUnits_GetUserUploadRingFolder() + "bea.wav");
        EXPECT_EQ(StoredPhoto("Bea"), CommonUnits_GetUserUploadPhotoFolder() + "bea.png");
        EXPECT_EQ(Get("Cid").m_nLine, -1);
        EXPECT_EQ(StoredPhoto("Cid"), CommonUnits_GetImagePathByIndex(3));
        EXPECT_EQ(Model().GetCurrentFavorateCount(), 0);
        ExpectCountersInStep();
    }
    EXPECT_NE(m_root.ReadFile(kContactFile).find("Bea"), std::string::npos);
}

TEST_F(ImportExportTest, TheMiddleFormatFilesContactsUnderTheirGroupElement) {
    ASSERT_EQ(
        Import("<contactData><group sGroupName=\"Anonymous\" sGroupRing=\"Config:none.wav\">"
               "<contact sLocalRename=\"Ann\" sMobilNumber=\"1\" sOfficeNumber=\"2\" "
               "sOtherNumber=\"3\"/></group>"
               "<group sGroupName=\"Black List\"><contact sLocalRename=\"Spam\"/>"
               "<contact sLocalRename=\"Scam\"/></group><group sGroupName=\"Friends\" "
               "sGroupRing=\"Config:f.wav\">"
               "<contact sLocalRename=\"Flo\" sRingFile=\"Config:flo.wav\" sImagePath=\"Config:flo.png\"/>"
               "<contact sLocalRename=\"\"/></group></contactData>"),
        0);
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Friends", "Blacklist"}));
    EXPECT_EQ(Memberships(),
              (Strings{"Ann=All Contacts", "Flo=Friends", "Scam=Blacklist", "Spam=Blacklist"}));
    EXPECT_EQ(Get("Ann").m_strOtherNumber, "3");
    EXPECT_EQ(Model().GetCurrentBlackCount(), 2);
    EXPECT_EQ(StoredRing("Flo"), CommonUnits_GetUserUploadRingFolder() + "flo.wav");
    EXPECT_EQ(StoredPhoto("Flo"), CommonUnits_GetUserUploadPhotoFolder() + "flo.png");
    EXPECT_EQ(Model().MyFindGroupByDisplayName("Friends")->m_strRing,
              CommonUnits_GetUserUploadRingFolder() + "f.wav");
}

// A name of nothing but characters the files cannot carry is empty once cleaned: such a contact once came in
// under the empty name, in every format.
TEST_F(ImportExportTest, AContactWhoseNameCleansAwayIsNotImported) {
    const std::string strGone = "\x1c\x01";
    const std::string kFiles[] = {
        "<contactData><group sGroupName=\"Family\"><contact sLocalRename=\"" + strGone +
            "\"/><contact sLocalRename=\"M\"/></group></contactData>",
        "<root_contact><contact display_name=\"" + strGone +
            "\"/><contact display_name=\"M\"/></root_contact>",
        "<contactData><group><contact sDisplayName=\"" + strGone +
            "\"/><contact sDisplayName=\"M\"/>"
            "</group></contactData>",
    };
    for (const std::string& strXml : kFiles) {
        for (const bool bKeep : {false, true}) {
            ASSERT_EQ(Import(strXml, bKeep), 0) << strXml;
            EXPECT_TRUE(Model().IsContactExist("M")) << strXml;
            for (const auto& pItem : Model().MyGetItemList()) {
                EXPECT_FALSE(pItem->m_strDisplayName.empty()) << strXml;
            }
        }
    }
}

// Imported files once named any file of the phone as a ring or photo, which the phone then played or showed.
TEST_F(ImportExportTest, RingAndPhotoPathsOutsideTheMediaFoldersAreDroppedInEveryFormat) {
    m_root.WriteFile("/etc/passwd", "root:x:0:0");
    m_root.WriteFile("/config/data/ring/ok.wav", "RIFF");
    const char* const kOutside[] = {"../../etc/passwd",
                                    "Config:../../etc/passwd",
                                    "/etc/passwd",
                                    "Resource:../../../etc/passwd",
                                    "/config/data/ring/../../../etc/passwd",
                                    "/config/data/contact_list.xml"};
    for (const char* pPath : kOutside) {
        SCOPED_TRACE(pPath);
        const std::string strPath = pPath;
        ASSERT_EQ(Import("<vp_contact><root_group><group display_name=\"G\" ring=\"" + strPath +
                         "\"/></root_group><root_contact><contact display_name=\"Osprey\" ring=\"" + strPath +
                         "\" default_photo=\"" + strPath +
                         "\" group_id_name=\"G\"/><contact display_name=\"Kept\" ring=\"Config:ok.wav\" "
                         "default_photo=\"Resource:contact_02.png\"/></root_contact></vp_contact>"),
                  0);
        EXPECT_EQ(StoredRing("Osprey"), "");
        EXPECT_EQ(StoredPhoto("Osprey"), "");
        EXPECT_EQ(Model().MyFindGroupByDisplayName("G")->m_strRing, "");
        EXPECT_EQ(StoredRing("Kept"), "/config/data/ring/ok.wav");
        EXPECT_EQ(StoredPhoto("Kept"), "/phone/resource/photo/contact_02.png");

        ASSERT_EQ(Import("<contactData><group sGroupName=\"M\" sGroupRing=\"" + strPath +
                         "\"><contact sLocalRename=\"Marlin\" sRingFile=\"" + strPath + "\" sImagePath=\"" +
                         strPath + "\"/></group></contactData>"),
                  0);
        EXPECT_EQ(StoredRing("Marlin"), "");
        EXPECT_EQ(StoredPhoto("Marlin"), "");
        EXPECT_EQ(Model().MyFindGroupByDisplayName("M")->m_strRing, "");

        ASSERT_EQ(Import("<contactData><groupinfo><group name=\"K\" Ring=\"" + strPath +
                         "\"/></groupinfo><group><contact sDisplayName=\"Kestrel\" sRing=\"" + strPath +
                         "\" group=\"K\"/></group></contactData>"),
                  0);
        EXPECT_EQ(StoredRing("Kestrel"), "");
        EXPECT_EQ(Model().MyFindGroupByDisplayName("K")->m_strRing, "");
    }
}

TEST_F(ImportExportTest, TheOldestFormatResolvesRingsAndPhotos) {
    m_root.WriteFile("/phone/resource/ring/old.wav", "RIFF");
    ASSERT_EQ(Import("<contactData><groupinfo><group name=\"Work\" Ring=\"Config:w.wav\"/></groupinfo><group>"
                     "<contact sDisplayName=\"Ada\" sRing=\"Config:ada.wav  trailing\" photoSelect=\"3\" "
                     "group=\"Work\"/>"
                     "<contact sDisplayName=\"Bo\" sRing=\"Resource:bo.wav\" group=\"\"/>"
                     "<contact sDisplayName=\"Cy\" sRing=\"/phone/resource/ring/old.wav\" group=\"Club\"/>"
                     "<contact sDisplayName=\"Di\" sRing=\"/nowhere.wav\" photoSelect=\"0\"/>"
                     "</group><group><contact sDisplayName=\"Ignored\"/></group></contactData>"),
              0);
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Club", "Work", "Blacklist"}));
    EXPECT_EQ(Memberships(), (Strings{"Ada=Work", "Bo=All Contacts", "Cy=Club", "Di=All Contacts"}));
    EXPECT_EQ(StoredRing("Ada"), CommonUnits_GetUserUploadRingFolder() + "ada.wav");
    EXPECT_EQ(StoredRing("Bo"), CommonUnits_GetDefaultRingFolder() + "bo.wav");
    EXPECT_EQ(StoredRing("Cy"), "/phone/resource/ring/old.wav");
    EXPECT_EQ(StoredRing("Di"), "");
    EXPECT_EQ(StoredPhoto("Ada"), CommonUnits_GetImagePathByIndex(3));
    EXPECT_EQ(StoredPhoto("Di"), CommonUnits_GetDefaultContactImage());
}

// Such a file used to be taken for the middle format, whose reader skipped every contact after the phone
// book had been emptied.
TEST_F(ImportExportTest, AnOldestFormatFileWithoutGroupDefinitionsImportsItsContacts) {
    ASSERT_EQ(Import("<contactData><group><contact sDisplayName=\"Ada\" sMobilNumber=\"1\" group=\"Work\"/>"
                     "<contact sDisplayName=\"Bo\" group=\"\"/></group></contactData>"),
              0);
    EXPECT_EQ(Memberships(), (Strings{"Ada=Work", "Bo=All Contacts"}));
    EXPECT_EQ(Get("Ada").m_strMobileNumber, "1");
}

// An append used to file such contacts under "All Contacts", because the group could not be made twice.
TEST_F(ImportExportTest, AppendingAMiddleFormatFileReusesTheGroupOfTheSameName) {
    const int nFamily = Model().GetGIdByGName("Family");
    ASSERT_EQ(Import("<contactData><group sGroupName=\"Family\" sGroupRing=\"Config:f.wav\">"
                     "<contact sLocalRename=\"Mum\"/></group><group sGroupName=\"Company\">"
                     "<contact sLocalRename=\"Boss\"/></group><group sGroupName=\"Family\">"
                     "<contact sLocalRename=\"Dad\"/></group></contactData>",
                     true),
              0);
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Company", "Family", "Friend", "Blacklist"}));
    EXPECT_EQ(Memberships(), (Strings{"Alice=Company", "Boss=Company", "Dad=Family", "Mum=Family"}));
    EXPECT_EQ(Model().GetGIdByGName("Family"), nFamily);
    EXPECT_EQ(Model().MyFindGroupByDisplayName("Family")->m_strRing, "");
}

TEST(XPortPath, ANullOrEmptyStoredPathIsEmpty) {
    EXPECT_EQ(NS_DIRECTORY::CXPortBase::MyRealPath(nullptr, PHFILE_TYPE_RING), "");
    EXPECT_EQ(NS_DIRECTORY::CXPortBase::MyRealPath("", PHFILE_TYPE_PHOTO), "");
}

TEST(KestrelRing, ValuesOfAnyLengthFollowTheRingRule) {
    testsupport::TempRoot root;
    const std::string strLong(400, 'r');
    const std::string strUser = CommonUnits_GetUserUploadRingFolder();
    const std::string strDefault = CommonUnits_GetDefaultRingFolder();
    const std::pair<std::string, std::string> kCases[] = {
        {"", ""},
        {"Config:a.wav", strUser + "a.wav"},
        {"Config:a.wav\tb", strUser + "a.wav"},
        {"Other:a.wav", strDefault + "a.wav"},
        {"config:a.wav", strDefault + "a.wav"},
        {"Config:" + strLong, strUser + strLong},
        {strLong + ":" + strLong + " x", strDefault + strLong},
        {"/no/such/ring.wav", ""},
        {strLong, ""},
    };
    for (const auto& entry : kCases) {
        EXPECT_EQ(CXPortKestrel::ResolveRing(entry.first), entry.second) << entry.first.substr(0, 40);
    }
}

TEST_F(ImportExportTest, AppendingKeepsContactsAndReusesGroupsWhileReplacingEmptiesFirst) {
    ASSERT_EQ(Import("<root_group><group display_name=\"Company\"/></root_group><root_contact>"
                     "<contact display_name=\"Bob\" group_id_name=\"Company\"/>"
                     "<contact display_name=\"ALICE\" group_id_name=\"Family\"/></root_contact>",
                     true),
              0);
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Company", "Family", "Friend", "Blacklist"}));
    EXPECT_EQ(Memberships(), (Strings{"Alice=Company", "Bob=Company"}));
    ASSERT_EQ(Import("<root_contact><contact display_name=\"Cat\"/></root_contact>"), 0);
    EXPECT_EQ(AllNames(), (Strings{"Cat"}));
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Blacklist"}));
}

TEST_F(ImportExportTest, AFileOverTheLimitsIsRefusedWithItsCode) {
    Model().SetMaxContactCount(2);
    Model().SetMaxBlackCount(1);
    const std::pair<std::string, int> kCases[] = {
        {"<contact display_name=\"A\"/><contact display_name=\"B\"/><contact display_name=\"C\"/>", -7},
        {"<contact display_name=\"A\" group_id_name=\"Blacklist\"/>"
         "<contact display_name=\"B\" group_id_name=\"Blacklist\"/>",
         -8},
    };
    for (const auto& entry : kCases) {
        EXPECT_EQ(Import("<root_contact>" + entry.first + "</root_contact>", false, true), entry.second);
        EXPECT_EQ(AllNames(), (Strings{"Alice"}));
    }
    EXPECT_EQ(Import("<root_contact><contact display_name=\"A\"/></root_contact>", false, true), 0);
    EXPECT_EQ(AllNames(), (Strings{"A"}));
}

// A file that is missing, unreadable or of another format used to empty the phone book before its reader
// gave up; now it is refused before anything is emptied.
TEST_F(ImportExportTest, AFileThatCannotBeImportedLeavesThePhoneBookAlone) {
    const Strings listBefore = GroupNames();
    const auto withFile = [&](const char* pXml, auto reader) {
        return [this, pXml, reader] {
            m_root.WriteFile(kImportFile, pXml);
            return decltype(reader)().Import(nullptr, false, false, false);
        };
    };
    const std::pair<const char*, std::function<int()>> kCases[] = {
        {"missing file",
         [] { return XPortFactory::ImportByPath("/config/data/none.xml", false, false, false); }},
        {"unparsable file", [&] { return Import("<root_contact><contact display_name=\"X\">"); }},
        {"unknown root", [&] { return Import("<contacts/>"); }},
        {"newest reader, missing file",
         [] { return NS_DIRECTORY::CXPortOsprey().Import("/config/data/none.xml", false, false, false); }},
        {"newest reader, oldest format",
         withFile("<contactData><groupinfo/></contactData>", NS_DIRECTORY::CXPortOsprey())},
        {"middle reader, newest format",
         withFile("<root_contact><contact display_name=\"X\"/></root_contact>",
                  NS_DIRECTORY::CXPortMarlin())},
        {"oldest reader, middle format",
         withFile("<contactData><group sGroupName=\"Anonymous\"/></contactData>", CXPortKestrel())},
        {"groups of neither older format",
         [&] { return Import("<contactData><group><contact name=\"X\"/></group></contactData>"); }},
    };
    for (const auto& entry : kCases) {
        DropRecords();
        EXPECT_EQ(entry.second(), 1) << entry.first;
        EXPECT_EQ(AllNames(), (Strings{"Alice"})) << entry.first;
        EXPECT_EQ(GroupNames(), listBefore) << entry.first;
        EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 0) << entry.first;
    }
    EXPECT_EQ(Import("<vp_contact/>"), 0);
    EXPECT_TRUE(AllNames().empty());
}

// An import during a background reload used to empty the phone book and save the file's contacts, and then
// the reload's answer swapped them away; it is now refused with the busy code before anything is emptied.
TEST_F(ImportExportTest, AnImportWhileABackgroundReloadRunsIsRefusedBeforeAnythingIsEmptied) {
    m_root.WriteFile(kImportFile, "<root_contact><contact display_name=\"Imported\"/></root_contact>");
    const std::string strContacts = m_root.ReadFile(kContactFile);
    const std::string strGroups = m_root.ReadFile(kGroupFile);
    const Strings listGroups = GroupNames();
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    DropRecords();
    const std::pair<const char*, std::function<int()>> kCases[] = {
        {"replace", [] { return XPortFactory::ImportByPath(nullptr, false, false, false); }},
        {"append", [] { return XPortFactory::ImportByPath(nullptr, true, true, false); }},
        {"replace after the limit check",
         [] { return XPortFactory::ImportByPath(nullptr, false, false, true); }},
        {"a reader itself", [] { return NS_DIRECTORY::CXPortOsprey().Import(nullptr, false, false, false); }},
    };
    for (const auto& entry : kCases) {
        EXPECT_EQ(entry.second(), NS_DIRECTORY::XPORT_RESULT_BUSY) << entry.first;
        EXPECT_EQ(AllNames(), (Strings{"Alice"})) << entry.first;
        EXPECT_EQ(GroupNames(), listGroups) << entry.first;
    }
    EXPECT_EQ(m_root.ReadFile(kContactFile), strContacts);
    EXPECT_EQ(m_root.ReadFile(kGroupFile), strGroups);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 0);
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(XPortFactory::ImportByPath(nullptr, true, true, false), 0);
    EXPECT_EQ(AllNames(), (Strings{"Alice", "Imported"}));
}

TEST_F(ImportExportTest, AnExportReadsBackAsTheSameContactsGroupsAndMemberships) {
    ASSERT_GE(Model().AddGroup({"Club", ""}), 0);
    ASSERT_GE(Model().AddContact(Contact("Bob", "Club", "200", "201", "202")), 0);
    ASSERT_GE(Model().AddContact(Contact("Cleo", "All Contacts")), 0);
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "", "666")), 0);
    std::list<std::string> listFavourites{"Bob"};
    ASSERT_TRUE(Model().ToFavorateList(listFavourites));
    const auto contents = [&] {
        Strings listOut = GroupNames();
        for (const std::string& strName : AllNames()) {
            listOut.push_back(Describe(Get(strName)));
        }
        return listOut;
    };
    const Strings listBefore = contents();
    ASSERT_EQ(XPortFactory::ExportToPath(""), 0);
    ASSERT_TRUE(m_root.Exists(kImportFile));
    ASSERT_EQ(XPortFactory::ImportByPath(nullptr, false, false, false), 0);
    EXPECT_EQ(contents(), listBefore);
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 0);
    ExpectCountersInStep();
}

}  // namespace
}  // namespace localtest
