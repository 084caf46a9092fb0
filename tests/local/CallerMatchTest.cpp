// Caller matching: exact numbers only, the first contact in name order wins, blacklist, ring and photo.

#include <cstdio>
#include <utility>

#include "LocalModelFixture.h"

namespace localtest {
namespace {

class CallerMatchTest : public LocalModelFixture {
protected:
    void SetUp() override {
        ASSERT_GE(Model().AddContact(Contact("Zoe", "Family", "030123456")), 0);
        ASSERT_GE(Model().AddContact(Contact("Adam", "Friend", "", "030123456")), 0);
        ASSERT_GE(Model().AddContact(Contact("Mia", "Company", "", "", "+4930999")), 0);
        ASSERT_GE(Model().AddBlackContact(Contact("Spam", "", "0900666")), 0);
        ASSERT_GE(Model().AddContact(Contact("Empty", "Friend")), 0);
    }
};

TEST_F(CallerMatchTest, OnlyTheWholeNumberMatchesAndOnlyBlacklistedNumbersAreBlack) {
    const std::pair<const char*, const char*> kCases[] = {
        // number, name found
        {"030123456", "Adam"},  // office of Adam sorts before mobile of Zoe
        {"+4930123456", ""},    // international form of a national number
        {"123456", ""},         // last digits only
        {"030 123456", ""},     // separators are not ignored
        {"0301234567", ""},     // longer number
        {"+4930999", "Mia"},    // other number
        {"0900666", "Spam"},    // blacklisted contacts are still found
        {"", ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Model().GetContactNameByPhoneNumber(c.first), c.second) << c.first;
    }
    EXPECT_EQ(Model().MyFindContactByNumber("+4930999", "anything"), Model().MyFindContact("Mia"));
    // Only blacklisted numbers are black.
    EXPECT_TRUE(Model().IsBlackContactNumber("0900666"));
    EXPECT_FALSE(Model().IsBlackContactNumber("030123456"));
    EXPECT_FALSE(Model().IsBlackContactNumber(""));  // Spam's office number is empty
    ASSERT_TRUE(Model().Black2Local("Spam"));
    EXPECT_FALSE(Model().IsBlackContactNumber("0900666"));
}

TEST_F(CallerMatchTest, RingFallsBackFromTheContactToItsGroupAndImageIsTheStoredPath) {
    m_root.WriteFile("/config/data/ring/own.wav", "RIFF");
    ContactGeneralItemData zoe = Contact("Zoe", "Family", "030123456");
    zoe.m_strRing = "/config/data/ring/own.wav";
    ASSERT_GE(Model().UpdateContactData("Zoe", zoe), 0);
    ASSERT_GE(Model().UpdateGroupData("Family", {"Family", "/config/data/ring/group.wav"}), 0);
    ASSERT_GE(Model().AddContact(Contact("Yan", "Family", "555")), 0);
    HostControl::TakeLogLines();
    EXPECT_EQ(Model().GetContactRingByNumber("030123456", nullptr), "");  // Adam: no ring, Friend has none
    EXPECT_EQ(Model().GetContactRingByNumber("555", "x"), "/config/data/ring/group.wav");
    const std::vector<std::string> lines = HostControl::TakeLogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "After locate ring, the path is: /config/data/ring/group.wav\n");
    std::list<std::string> listAdam = Names({"Adam"});
    ASSERT_TRUE(Model().RemoveContactList(listAdam));
    EXPECT_EQ(Model().GetContactRingByNumber("030123456", nullptr), "/config/data/ring/own.wav");
    EXPECT_EQ(HostControl::TakeLogLines().back(),
              "After locate ring, the path is: /config/data/ring/own.wav\n");
    std::remove(m_root.Path("/config/data/ring/own.wav").c_str());
    EXPECT_EQ(Model().GetContactRingByNumber("030123456", nullptr), "/config/data/ring/group.wav");
    EXPECT_EQ(Model().GetContactRingByNumber("000", nullptr), "");
    EXPECT_EQ(Model().GetGroupRingByContact("yan"), "/config/data/ring/group.wav");
    EXPECT_EQ(Model().GetGroupRingByContact("nobody"), "");
    // The image is the stored path while the contact data reports the default for a missing file.
    ContactGeneralItemData mia = Contact("Mia", "Company", "", "", "+4930999");
    mia.m_strDefaultPhoto = "/config/data/photo/gone.png";
    ASSERT_GE(Model().UpdateContactData("Mia", mia), 0);
    EXPECT_EQ(Model().GetContactImageByNumber("+4930999", nullptr), "/config/data/photo/gone.png");
    EXPECT_EQ(Model().GetContactImageByNumber("000", nullptr), "");
    ContactGeneralItemData out;
    ASSERT_TRUE(Model().GetContactDataByNumber(&out, "+4930999"));
    EXPECT_EQ(out.m_strDisplayName, "Mia");
    EXPECT_EQ(out.m_strDefaultPhoto, CommonUnits_GetDefaultContactImage());
    EXPECT_FALSE(Model().GetContactDataByNumber(&out, "000"));
}

}  // namespace
}  // namespace localtest
