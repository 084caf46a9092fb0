// Recognising the three contact file formats and the limit check before an import.

#include <gtest/gtest.h>

#include <string>

#include "CommonAPI.h"
#include "TempRoot.h"

namespace {

const char* const kPath = "/config/data/contact_xported.xml";

const char* const kRootGroupFile = R"(<?xml version="1.0" encoding="utf-8"?>
<root_group><group display_name="All Contacts" /><group display_name="Friends" /><group display_name="Blacklist" />
</root_group>
<root_contact><contact display_name="Ann" group_id_name="Friends" /><contact display_name="Bob" group_id_name="Work" />
<contact display_name="bob" group_id_name="" /><contact display_name="Spam" group_id_name="Blacklist" /></root_contact>
)";

const char* const kWrappedFile =
    R"(<vp_contact><root_contact><contact display_name="Ann" /></root_contact></vp_contact>)";

const char* const kGroupNameFile = R"(<contactData>
	<group sGroupName="Anonymous"><contact sLocalRename="Ann" /></group>
	<group sGroupName="Family" sGroupRing=""><contact sLocalRename="Mum" /><contact sLocalRename="" /></group>
	<group sGroupName="Black List"><contact sLocalRename="Spam1" /><contact sLocalRename="Spam2" /></group>
</contactData>)";

const char* const kGroupInfoFile = R"(<contactData>
	<groupinfo><group name="Work" Ring="" /><group name="Golf" Ring="" /></groupinfo>
	<group><contact sDisplayName="Ann" group="Work" /><contact sDisplayName="Zed" group="" /></group>
</contactData>)";

class ContactFileCheckTest : public testsupport::HostFixture {
protected:
    int TypeOf(const std::string& strContent) {
        m_root.WriteFile(kPath, strContent);
        return CommonAPI_ParseContactFileType(kPath);
    }
};

TEST_F(ContactFileCheckTest, RecognisesEachFormat) {
    EXPECT_EQ(TypeOf(kGroupInfoFile), 0);
    EXPECT_EQ(TypeOf(kGroupNameFile), 1);
    EXPECT_EQ(TypeOf(kRootGroupFile), 2);
    EXPECT_EQ(TypeOf(kWrappedFile), 2);
    EXPECT_EQ(TypeOf("<contactData/>"), 1);
    EXPECT_EQ(TypeOf("<phonebook><entry/></phonebook>"), -1);
    EXPECT_EQ(TypeOf("<root_group><group"), -1) << "unparsable";
    EXPECT_EQ(CommonAPI_ParseContactFileType("/config/data/missing.xml"), -1);
    EXPECT_EQ(CommonAPI_ParseContactFileType(""), -1);
}

// Both older formats have "group" elements under "contactData"; an oldest-format file without group
// definitions used to be taken for the middle format, whose reader then found none of its contacts.
TEST_F(ContactFileCheckTest, TheOlderFormatsAreToldApartByWhatTheirGroupsAndContactsCarry) {
    const std::pair<const char*, int> kCases[] = {
        {"<contactData><group><contact sDisplayName=\"Ann\" group=\"Work\"/></group></contactData>", 0},
        {"<contactData><group/><group><contact sDisplayName=\"Ann\"/></group></contactData>", 0},
        {"<contactData><group><contact sLocalRename=\"Ann\"/></group></contactData>", 1},
        {"<contactData><group sGroupName=\"Family\"/></contactData>", 1},
        {"<contactData><group sGroupName=\"\"><contact sDisplayName=\"Ann\"/></group></contactData>", 1},
        {"<contactData><group><contact name=\"Ann\"/></group></contactData>", -1},
        {"<contactData><group/></contactData>", -1},
    };
    for (const auto& entry : kCases) {
        EXPECT_EQ(TypeOf(entry.first), entry.second) << entry.first;
    }
    m_root.WriteFile(kPath, kCases[0].first);
    EXPECT_EQ(CommonAPI_CanContactFileImported(kPath, 3, 1, 0), 0);
    EXPECT_EQ(CommonAPI_CanContactFileImported(kPath, 3, 0, 0), -7);
}

TEST_F(ContactFileCheckTest, LimitCheckCountsGroupsContactsAndBlacklist) {
    struct Case {
        const char* content;
        int maxGroups, maxContacts, maxBlack;
        int expected;
    };
    // kRootGroupFile: user groups Friends and Work (+2 built-in = 4), contacts Ann and Bob (bob is the same
    // name), one blacklisted. kGroupNameFile: Family (3 groups), Ann and Mum, two blacklisted.
    // kGroupInfoFile: Work and Golf (4 groups), Ann and Zed.
    const Case cases[] = {
        {kRootGroupFile, 4, 2, 1, 0},  {kRootGroupFile, 3, 2, 1, -9}, {kRootGroupFile, 4, 1, 1, -7},
        {kRootGroupFile, 4, 2, 0, -8}, {kGroupNameFile, 3, 2, 2, 0},  {kGroupNameFile, 3, 2, 1, -8},
        {kGroupNameFile, 2, 0, 0, -9}, {kGroupInfoFile, 4, 2, 0, 0},  {kGroupInfoFile, 4, 1, 0, -7},
        {"<other/>", 50, 1000, 30, 1},
    };
    for (const Case& c : cases) {
        m_root.WriteFile(kPath, c.content);
        EXPECT_EQ(CommonAPI_CanContactFileImported(kPath, c.maxGroups, c.maxContacts, c.maxBlack), c.expected)
            << c.content << "\nlimits " << c.maxGroups << "/" << c.maxContacts << "/" << c.maxBlack;
    }
    EXPECT_EQ(CommonAPI_CanContactFileImported("/config/data/none.xml", 50, 1000, 30), 1);
}

}  // namespace
