// Contact editing: position counts, refusals with their codes, counters and the call log.

#include "LocalModelFixture.h"

namespace localtest {
namespace {

class ContactEditTest : public LocalModelFixture {
protected:
    void AddToCompany(std::initializer_list<const char*> names) {
        for (const char* pName : names) {
            ASSERT_GE(Model().AddContact(Contact(pName, "Company")), 0) << pName;
        }
    }
};

TEST_F(ContactEditTest, AdditionsAnswerThePositionCountWithinTheGroupOrAreRefusedWithTheirCodes) {
    AddToCompany({"Alice", "Carl"});
    ASSERT_GE(Model().AddContact(Contact("Beth", "Friend")), 0);
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "")), 0);
    const struct {
        const char* pName;
        const char* pGroup;
        int nCount;
    } kCases[] = {{"Bob", "Company", 2},
                  {"Dave", "Company", 2},
                  {"Aaron", "Company", 1},
                  {"Bob", "All Contacts", 3},
                  {"Zed", "Friend", 1}};
    for (const auto& c : kCases) {
        EXPECT_EQ(Model().AddContact(Contact(c.pName, c.pGroup)), c.nCount) << c.pName << " in " << c.pGroup;
        ASSERT_TRUE(Model().RemoveContact(c.pName));
    }
    ExpectRefused([&] { return Model().AddContact(Contact("alice", "Friend")); }, -1, -2);
    ExpectRefused([&] { return Model().AddBlackContact(Contact("ALICE", "")); }, -1, -2);
    ExpectRefused([&] { return Model().AddContact(Contact("spam", "Friend")); }, -1, -2);
    ExpectRefused([&] { return Model().AddContact(Contact("New", "friend")); }, -1, -4);
    ExpectRefused([&] { return Model().AddContactById(9, Contact("New", "")); }, -1, -3);
    ExpectRefused([&] { return Model().AddContact(Contact("", "Friend")); }, -1, -100);
}

TEST_F(ContactEditTest, ContactAndBlacklistLimitsAreSeparate) {
    WriteManyContacts("c", 1000, 2, ContactElement("b00", 1));
    ASSERT_EQ(Model().GetCurrentContactCount(), 1000);
    ExpectRefused([&] { return Model().AddContact(Contact("More", "Friend")); }, -1, -7);
    for (int nIndex = 1; nIndex < 30; ++nIndex) {
        ASSERT_GE(Model().AddBlackContact(Contact("b" + std::to_string(nIndex + 10), "")), 0);
    }
    EXPECT_EQ(Model().GetCurrentBlackCount(), 30);
    ExpectRefused([&] { return Model().AddBlackContact(Contact("b99", "")); }, -1, -8);
    // A blacklisted contact cannot come back into a full store by any path.
    ExpectRefused([&] { return Model().Black2Local("b00") ? 1 : 0; }, 0, -7);
    ExpectRefused([&] { return Model().UpdateContactData("b00", Contact("Renamed", "Friend")); }, -1, -7);
    std::list<std::string> listNames = Names({"b00"});
    ExpectRefused([&] { return Model().MoveListToGroup(listNames, "Friend"); }, -7, -7);
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, UpdateKeepsTheStoredCaseRefilesRenamesAndMovesNumbersInTheCallLog) {
    AddToCompany({"Alice", "Bob", "Carl"});
    std::list<std::string> listNames = Names({"Alice"});
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    ContactGeneralItemData changed = Contact("ALICE", "Friend", "222");
    changed.m_nLine = 4;
    DropRecords();
    ASSERT_EQ(Model().UpdateContactData("alice", changed), 0);  // Alice was not in Friend yet
    ContactGeneralItemData out;
    ASSERT_TRUE(Model().GetContactData(&out, "Alice"));
    EXPECT_EQ(out.m_strDisplayName + "/" + out.m_strGroupName + "/" + out.m_strMobileNumber,
              "Alice/Friend/222");
    EXPECT_EQ(out.m_nLine, 4);
    EXPECT_NE(m_root.ReadFile(kContactFile).find("mobile_number=\"222\""), std::string::npos);
    ASSERT_GE(Model().UpdateContactData("Alice", Contact("Alice", "Friend", "333")), 0);
    EXPECT_EQ(CallLog(), (Strings{"222,,=Alice", "222,,=", "333,,=Alice"})) << "an empty number is never sent";
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 2);
    ASSERT_GE(Model().UpdateContactData("Alice", Contact("Alice", "Friend", "333")), 0);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 0);  // nothing changed, nothing saved
    HostControl::TakeCallLogUpdates();
    // A rename refiles the contact, keeps its favourite mark and takes the old name out of the call log.
    EXPECT_EQ(Model().UpdateContactData("Alice", Contact("Dora", "Company", "444")), 2);
    EXPECT_EQ(AllNames(), (Strings{"Bob", "Carl", "Dora"}));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    EXPECT_EQ(CallLog(), (Strings{"333,,=", ",444,=Dora"}));
    ExpectRefused([&] { return Model().UpdateContactData("Dora", Contact("bob", "Company")); }, -1, -2);
    ExpectRefused([&] { return Model().UpdateContactData("", Contact("X", "Company")); }, -1, -100);
    ExpectRefused([&] { return Model().UpdateContactData("Dora", Contact("", "Company")); }, -1, -100);
    ExpectRefused([&] { return Model().UpdateContactData("Nobody", Contact("X", "Company")); }, -1, -5);
    ExpectRefused([&] { return Model().UpdateContactData("Dora", Contact("X", "company")); }, -1, -4);
    Model().SetMaxBlackCount(0);
    ExpectRefused([&] { return Model().UpdateContactData("Dora", Contact("Dora", "Blacklist")); }, -1, -8);
    // A store over its limit (the limit was lowered) still lets a contact change its name, and keeps it.
    Model().SetMaxContactCount(1);
    EXPECT_EQ(Model().UpdateContactData("Bob", Contact("Bobby", "Company")), 1);
    EXPECT_EQ(AllNames(), (Strings{"Bobby", "Carl", "Dora"}));
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, RemovalMatchesExactNamesAndKeepsTheCountersInStep) {
    AddToCompany({"Alice", "Bob", "Carl", "Dora"});
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "", "666", "777")), 0);
    std::list<std::string> listFavourites = Names({"Alice", "Bob"});
    ASSERT_TRUE(Model().ToFavorateList(listFavourites));
    ExpectRefused([&] { return Model().RemoveContact("alice") ? 1 : 0; }, 0, -5);
    DropRecords();
    ASSERT_TRUE(Model().RemoveContact("Spam"));
    EXPECT_EQ(CallLog(), (Strings{"666,777,="}));
    EXPECT_EQ(Model().GetCurrentBlackCount(), 0);
    std::list<std::string> listNames = Names({"Alice", "carl", "Carl", "Carl", "nobody"});
    ASSERT_TRUE(Model().RemoveContactList(listNames));
    EXPECT_EQ(AllNames(), (Strings{"Bob", "Dora"}));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 2);  // one per operation
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, RemoveAllByClickActionEmptiesOneGroupOrEverything) {
    AddToCompany({"Alice", "Bob"});
    ASSERT_GE(Model().AddContact(Contact("Carl", "Friend")), 0);
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "")), 0);
    ASSERT_TRUE(Model().RemoveAllContactsByClickAction("OpenSubPage(local_contact_x2)"));
    EXPECT_EQ(AllNames(), (Strings{"Carl", "Spam"}));
    ASSERT_TRUE(Model().RemoveAllContactsByClickAction("nonsense"));
    EXPECT_EQ(Model().MyGetContactCountByGroupId(0), 2);
    ASSERT_TRUE(Model().RemoveAllContactsByClickAction("local_contact_x0"));
    EXPECT_EQ(Model().MyGetContactCountByGroupId(0), 0);
    ExpectCountersInStep();
    EXPECT_EQ(m_root.ReadFile(kContactFile).find("<contact"), std::string::npos);
}

TEST_F(ContactEditTest, BlacklistMovesKeepTheirCountAndRespectTheLimit) {
    AddToCompany({"Alice", "Bob"});
    ASSERT_TRUE(Model().Local2Black("alice"));
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    ExpectRefused([&] { return Model().Local2Black("Alice") ? 1 : 0; }, 0, -10);
    ExpectRefused([&] { return Model().Black2Local("Bob") ? 1 : 0; }, 0, -12);
    ExpectRefused([&] { return Model().Black2Local("Nobody") ? 1 : 0; }, 0, -12);
    ExpectRefused([&] { return Model().Local2Black("Nobody") ? 1 : 0; }, 0, -5);
    ASSERT_TRUE(Model().Black2Local("Alice"));
    EXPECT_EQ(Model().GetCurrentBlackCount(), 0);
    EXPECT_EQ(Model().GetContactGroupId("Alice"), 0);
    Model().SetMaxBlackCount(0);
    ExpectRefused([&] { return Model().Local2Black("Bob") ? 1 : 0; }, 0, -8);
    ExpectRefused([&] { return Model().SetContactGroupId("Bob", 7) ? 1 : 0; }, 0, -4);
    EXPECT_FALSE(Model().SetContactGroupId("Bob", 2));  // already there
    EXPECT_TRUE(Model().SetContactGroupId("Bob", 4));
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, MovingAListChecksTheRoomFirstAndMovesAllOrNothing) {
    WriteManyContacts("b", 28, 1);
    CContactGeneralModel& model = Model();
    AddToCompany({"n1", "n2", "n3", "n4", "n5"});
    std::list<std::string> listFive = Names({"n1", "n2", "n3", "n4", "n5"});
    EXPECT_EQ(model.IsListCanMove(listFive, "Blacklist"), -8);
    ExpectRefused([&] { return model.MoveListToGroup(listFive, "Blacklist"); }, -8, -8);
    EXPECT_EQ(model.IsListCanMove(listFive, "Nowhere"), -4);
    std::list<std::string> listTwo = Names({"n1", "n2", "b0000", "nobody"});
    EXPECT_EQ(model.IsListCanMove(listTwo, "Blacklist"), 0);
    ASSERT_EQ(model.MoveListToGroup(listTwo, "Blacklist"), 0);
    EXPECT_EQ(model.GetCurrentBlackCount(), 30);
    EXPECT_EQ(model.GetContactGroupId("n2"), 1);
    std::list<std::string> listBack = Names({"n1", "b0001"});
    ASSERT_EQ(model.MoveListToGroup(listBack, "Family"), 0);
    EXPECT_EQ(model.GetContactGroupId("b0001"), 3);
    EXPECT_EQ(model.GetCurrentBlackCount(), 28);
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, FavouriteMarksCountOncePerContactAndArePagedInNameOrder) {
    AddToCompany({"Carl", "Bob", "Alice"});
    std::list<std::string> listNames = Names({"Bob", "Alice", "Bob", "carl", "nobody"});
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 2);
    NS_DIRECTORY::ContactGeneralItemListData page;
    page.m_nIndexFrom = 1;
    page.m_nCountToGet = 5;
    ASSERT_TRUE(Model().GetFavorateList(&page));
    EXPECT_EQ(NamesOf(page), (Strings{"Bob"}));
    EXPECT_EQ(page.m_nTotalCount, 2);
    std::list<std::string> listBob = Names({"Bob"});
    ASSERT_TRUE(Model().RemoveFavorateList(listBob));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    ASSERT_TRUE(Model().RemoveContact("Alice"));
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 0);
    ASSERT_TRUE(Model().ToFavorateList(listNames));
    ASSERT_TRUE(Model().RemoveAllFavorates());
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 0);
    EXPECT_EQ(m_root.ReadFile(kContactFile).find("is_favorate=\"1\""), std::string::npos);
    ExpectCountersInStep();
}

TEST_F(ContactEditTest, CallOutAndTheEditorFacadeReachThePhoneAndTheStore) {
    EXPECT_TRUE(Model().CallOut("123", "Alice", 2));
    EXPECT_FALSE(Model().CallOut("", "Nobody", 0));
    const std::vector<HostControl::CallOutRecord> calls = HostControl::TakeCallOuts();
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ(calls[0].strNumber + "/" + calls[0].strName, "123/Alice");
    EXPECT_EQ(calls[0].nAccount, 2);
    NS_DIRECTORY::CContactEditorController* pEditor = NS_DIRECTORY::CContactEditorController::GetInstance();
    ASSERT_NE(pEditor, nullptr);
    EXPECT_EQ(pEditor->AddContact(Contact("Alice", "Family", "1")), 0);
    EXPECT_EQ(pEditor->AddContact(Contact("alice", "Family")), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), -2);
    EXPECT_EQ(pEditor->UpdateContactData("Alice", Contact("Alice", "Family", "2")), 1);
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("2"), "Alice");
}

}  // namespace
}  // namespace localtest
