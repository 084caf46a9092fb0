// Bad input at the network directory's boundary: null pointers at every operation that takes one, empty and
// 1 MiB names, numbers and keys, control characters and invalid UTF-8 in Personal entries, and names full of
// URL syntax, which reach the server percent-encoded as one path segment or one query value.

#include <functional>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <pugixml.hpp>

#include "BroadSoftTestFixture.h"
#include "ConfigParser.h"
#include "ContactBSTSearchHelper.h"
#include "DirectoryEntry.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using testsupport::XsiDirectory;
using testsupport::XsiNamedEntry;

const std::string kMiB(1024 * 1024, '7');
const std::string kControl = "a\x01\x02\x1b[2Jb\x7f\tc";
const std::string kInvalidUtf8 = "\xff\xfe\xc3\x28\xed\xa0\x80\xf8\x88\x80\x80\x80";
const std::string kUrlSyntax = "a/b?c&d#e%f=g+h";
constexpr const char* kPersonalAction = "broadsoft_phonebook_x2";

using bsfttest::Personal;

class BroadSoftBadInputTest : public bsfttest::BroadSoftFixture {
protected:
    CContactBroadSoftModel* Start() {
        Configure({"BsftGroup", "BsftPersonal"});
        m_xsi.SetEntries(XsiDirectory::Group, Members("Ana", 3));
        m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("Pia", "777")});
        CContactBroadSoftModel* pModel = StartModel();
        m_xsi.ClearRequests();
        TakeNotices();
        return pModel;
    }
};

TEST_F(BroadSoftBadInputTest, NullPointersGetTheFallbackAnswer) {
    CContactBroadSoftModel* pModel = Start();
    ContactBroadSoftItemData criteria;
    const std::vector<std::pair<const char*, std::function<bool()>>> kCalls = {
        {"GetConfiguredList", [&] { return !pModel->GetConfiguredList(nullptr); }},
        {"GetConfigureUrlList", [&] { return !pModel->GetConfigureUrlList(nullptr); }},
        {"GetContactListByClickAction",
         [&] {
             return pModel->GetContactListByClickAction(nullptr, "broadsoft_phonebook_x1", criteria, false,
                                                        false) == BSFT_LIST_BAD_REQUEST &&
                    pModel->GetContactListByClickAction(nullptr, "broadsoft_phonebook_x0", criteria, true,
                                                        true) == BSFT_LIST_BAD_REQUEST;
         }},
        {"AddContact2Personal", [&] { return !pModel->AddContact2Personal(nullptr); }},
        {"Search", [&] { return !pModel->Search(nullptr, ModelUrl("Group"), "a"); }},
        {"Search of the combined list", [&] { return !pModel->Search(nullptr, BSFT_ALL_CONTACT, "a"); }},
        {"SearchLocal", [&] { return !pModel->SearchLocal(nullptr, "broadsoft_phonebook_x1", "a"); }},
        {"OnTaskActionCallback",
         [&] {
             pModel->OnTaskActionCallback(nullptr);
             return true;
         }},
        {"Base2*",
         [] {
             return !Base2Group(static_cast<ContactBroadSoftItemBase*>(nullptr)) &&
                    !Base2Personal(static_cast<const ContactBroadSoftItemBase*>(nullptr)) &&
                    !Base2Common(static_cast<ContactBroadSoftItemBase*>(nullptr)) &&
                    !Base2Enterprise(static_cast<const ContactBroadSoftItemBase*>(nullptr)) &&
                    !Base2Custom(static_cast<ContactBroadSoftItemBase*>(nullptr));
         }},
        {"Comp",
         [] {
             const ContactBroadSoftPersonal record = Personal("a", "1");
             return !Comp(nullptr, nullptr) && Comp(nullptr, &record) != Comp(&record, nullptr);
         }},
        {"mergeList",
         [] {
             ContactBroadSoftPersonal record = Personal("a", "1");
             BroadSoftItemList listOut;
             mergeList({nullptr, &record}, {nullptr}, listOut);
             return listOut.size() == 3u;
         }},
    };
    for (const auto& [pName, call] : kCalls) {
        EXPECT_TRUE(call()) << pName;
    }
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("Pia"));
    EXPECT_EQ(pModel->GetContactNameByNumber("+4930001"), "Ana,001");
    EXPECT_TRUE(m_xsi.Requests().empty()) << "nothing was sent";
}

TEST_F(BroadSoftBadInputTest, EmptyAndHugeNamesNumbersAndKeysAreAnsweredAndNeverSentHalfWay) {
    CContactBroadSoftModel* pModel = Start();
    ContactBroadSoftPersonal empty = Personal("", "");
    EXPECT_FALSE(pModel->AddContact2Personal(&empty));
    ContactBroadSoftPersonal noNumber = Personal("Zed", "");
    EXPECT_FALSE(pModel->AddContact2Personal(&noNumber));
    EXPECT_FALSE(pModel->EditPersonalContact(kPersonalAction, "Pia", Personal("", "")));
    EXPECT_FALSE(pModel->EditPersonalContact(kPersonalAction, "", Personal("Ida", "1")));
    EXPECT_FALSE(pModel->DeleteContactsInPersonal({}, kPersonalAction));
    EXPECT_EQ(pModel->GetContactNameByNumber(""), "");
    EXPECT_EQ(Directory_GetBstContactNameByNumber(""), "");
    EXPECT_EQ(pModel->GetBroadSoftContactByName(""), nullptr);
    ContactBroadSoftListData page;
    EXPECT_TRUE(pModel->Search(&page, ModelUrl("Group"), ""));
    EXPECT_TRUE(page.m_listData.empty()) << "an empty key leaves the page";
    WaitIdle();
    EXPECT_TRUE(m_xsi.Requests().empty());

    EXPECT_EQ(pModel->GetContactNameByNumber(kMiB), "");
    EXPECT_TRUE(pModel->Search(&page, ModelUrl("Group"), kMiB));
    EXPECT_TRUE(page.m_listData.empty());
    EXPECT_EQ(pModel->BroadSoft2Local(kMiB), -1);
    ContactBroadSoftPersonal huge = Personal("Huge " + kMiB, kMiB);
    ASSERT_TRUE(pModel->AddContact2Personal(&huge));
    WaitIdle();
    EXPECT_EQ(pModel->GetContactNameByNumber(kMiB), "Huge " + kMiB);
    ASSERT_TRUE(pModel->DeleteContactsInPersonal({"Huge " + kMiB}, kPersonalAction));
    WaitIdle();
    EXPECT_THAT(Names("Personal"), ElementsAre("Pia"));
    // Whatever the server made of them, every request was whole: the upload carried the whole entry.
    for (const std::string& strBody : PostBodies()) {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(strBody.c_str()));
        EXPECT_EQ(doc.child("Personal").child("entry").child("number").text().as_string(), kMiB);
    }
}

TEST_F(BroadSoftBadInputTest, ControlCharactersAndInvalidUtf8NeverBreakTheEntryDocument) {
    CContactBroadSoftModel* pModel = Start();
    for (const std::string& strOdd : {kControl, kInvalidUtf8, std::string("Nul\0in", 6)}) {
        ContactBroadSoftPersonal record = Personal("X" + strOdd, "5" + strOdd);
        EXPECT_TRUE(pModel->AddContact2Personal(&record));
    }
    WaitIdle();
    const std::vector<std::string> vecBodies = PostBodies();
    EXPECT_EQ(vecBodies.size(), 3u);
    for (const std::string& strBody : vecBodies) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(strBody.c_str())) << strBody;
        EXPECT_NE(std::string(doc.child("Personal").child("entry").child_value("name")), "");
    }
    EXPECT_EQ(Names("Personal").size(), 4u) << "every entry taken, as cleaned";
    EXPECT_EQ(m_xsi.Entries(XsiDirectory::Personal).size(), 4u) << "and the server took each document";
    for (const std::string& strName : Names("Personal")) {
        EXPECT_EQ(strName.find('\x01'), std::string::npos);
        EXPECT_EQ(strName.find('\x1b'), std::string::npos);
    }
}

TEST_F(BroadSoftBadInputTest, UrlSyntaxInNamesStaysInsideItsSegmentOrQueryValue) {
    configParser_SetConfigInt("BsftCustom", 1);
    configParser_SetConfigString("BsftCustomListUse", kUrlSyntax);
    configParser_SetConfigString("BsftCustomListAll", kUrlSyntax);
    m_xsi.SetCustomDirectory(kUrlSyntax, {testsupport::XsiCustomContact("Cu", "Stom", "4242")});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry(kUrlSyntax, "1"), XsiNamedEntry("Pia", "777")});
    CContactBroadSoftModel* pModel = Start();
    EXPECT_EQ(pModel->GetContactNameByNumber("4242"), "Cu,Stom")
        << "the custom directory was found by its name";

    // Server-side search: each criterion arrives as exactly one query value.
    ContactBroadSoftItemData criteria;
    criteria.m_strName = kUrlSyntax + "," + kUrlSyntax;
    ContactBroadSoftListData page;
    EXPECT_EQ(pModel->GetContactListByClickAction(&page, "broadsoft_phonebook_x1", criteria, false, true),
              BSFT_LIST_DOWNLOADING);
    WaitIdle();
    const std::vector<testsupport::RecordedRequest> vecSearches =
        m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Group));
    ASSERT_EQ(vecSearches.size(), 1u);
    httplib::Params params;
    httplib::detail::parse_query_text(vecSearches[0].strQuery, params);
    ASSERT_EQ(params.size(), 2u) << vecSearches[0].strQuery;
    EXPECT_EQ(params.find("firstName")->second, "*" + kUrlSyntax + "*/i");
    EXPECT_EQ(params.find("lastName")->second, "*" + kUrlSyntax + "*/i");

    // A delete goes to the entry's own URL: the name is one path segment.
    ASSERT_TRUE(pModel->DeleteContactsInPersonal({kUrlSyntax}, "broadsoft_phonebook_x2"));
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Personal) + "/" + kUrlSyntax).size(), 1u);
    EXPECT_THAT(ShownNames(XsiDirectory::Personal), ElementsAre("Pia"))
        << "the server removed that entry only";
}

}  // namespace
