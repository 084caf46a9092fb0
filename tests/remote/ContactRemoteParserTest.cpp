// Format recognition and the parts of the parsers that the download tests do not reach.

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "ContactRemoteMenuParser.h"
#include "ContactRemoteMixedParser.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteParserDelegator.h"
#include "ContactRemoteUnitParser.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;

pugi::xml_node Load(pugi::xml_document& doc, const char* pText) {
    EXPECT_TRUE(doc.load_string(pText));
    return doc.first_child();
}

TEST(ContactRemoteParserTest, RootIsRecognisedByTheEndOfItsName) {
    const struct {
        const char* pDoc;
        const char* pMask;
        const char* pFound;  // "" for no match
    } kCases[] = {
        {"<IPPhoneDirectory/>", "IPPhoneDirectory", "IPPhoneDirectory"},
        {"<AcmeIPPhoneDirectory/>", "IPPhoneDirectory", "AcmeIPPhoneDirectory"},
        {"<AcmeIPPhoneDirectoryX/>", "IPPhoneDirectory", ""},
        {"<acmeipphonedirectory/>", "IPPhoneDirectory", ""},
        {"<Menu/>", "IPPhoneMenu", ""},
        {"<Other/><AcmeIPPhoneMenu/>", "IPPhoneMenu", "AcmeIPPhoneMenu"},
        {"<AcmeIPPhoneBook><AcmeIPPhoneMenu/></AcmeIPPhoneBook>", "IPPhoneMenu", ""},
    };
    for (const auto& test : kCases) {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(test.pDoc)) << test.pDoc;
        EXPECT_STREQ(FindRootNodeByMask(doc, test.pMask).name(), test.pFound) << test.pDoc;
    }
}

TEST(ContactRemoteParserTest, DelegatorChoosesTheFirstRecognisedTopLevelNode) {
    const struct {
        const char* pDoc;
        const char* pRoot;
    } kCases[] = {{"<X/><AcmeIPPhoneBook/><AcmeIPPhoneMenu/>", "AcmeIPPhoneBook"},
                  {"<!-- c --><AcmeIPPhoneDirectory/>", "AcmeIPPhoneDirectory"},
                  {"<X/><Y/>", ""}};
    for (const auto& test : kCases) {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(test.pDoc)) << test.pDoc;
        CContactRemoteParserDelegator delegator;
        const pugi::xml_node root = delegator.ChooseParserFor(doc);
        EXPECT_STREQ(root.name(), test.pRoot) << test.pDoc;
        EXPECT_FALSE(delegator.Parse("f", "k", pugi::xml_node()));
    }
}

TEST(ContactRemoteParserTest, PhoneBookNodesKeepTheirTextAsItIs) {
    const struct {
        const char* pDoc;
        bool bResult;
        const char* pName;
    } kMenus[] = {{"<Menu Name=\" Sales \"/>", true, " Sales "},
                  {"<Menu/>", true, ""},
                  {"<Menu Name=\"\"/>", false, ""}};
    for (const auto& test : kMenus) {
        pugi::xml_document doc;
        ContactRemoteMenu menu;
        EXPECT_EQ(CContactRemoteMixedParser::MyParseMenuNode(&menu, Load(doc, test.pDoc)), test.bResult)
            << test.pDoc;
        EXPECT_EQ(menu.m_strName, test.pName);
        EXPECT_EQ(menu.m_strUrl, test.pName);
    }
    pugi::xml_document doc;
    ContactRemoteUnit unit;
    EXPECT_TRUE(CContactRemoteMixedParser::MyParseUnitNode(
        &unit, Load(doc, "<Unit Name=\" Bo \" Phone1=\"\" Phone3=\"3\" Phone2=\" 2 \" Phone4=\"4\"/>")));
    EXPECT_EQ(unit.m_strName, " Bo ");
    EXPECT_THAT(unit.m_listNumber, ElementsAre(" 2 ", "3"));
}

// Without a model the parsers refuse; with one, an item for an unknown parent is freed and refused.
class ContactRemoteParserModelTest : public remotetest::RemoteFixture {};

TEST_F(ContactRemoteParserModelTest, ParsersNeedAModelAndAKnownParent) {
    pugi::xml_document doc;
    const pugi::xml_node root = Load(
        doc, "<AcmeIPPhoneDirectory><DirectoryEntry><Name>a</Name></DirectoryEntry></AcmeIPPhoneDirectory>");
    ASSERT_EQ(CContactRemoteModel::PeekInstance(), nullptr);
    EXPECT_FALSE(CContactRemoteMenuParser().Parse("f", REMOTE_ROOT_KEY, root));
    EXPECT_FALSE(CContactRemoteUnitParser().Parse("f", REMOTE_ROOT_KEY, root));
    EXPECT_FALSE(CContactRemoteMixedParser().Parse("f", REMOTE_ROOT_KEY, root));

    WriteSlots("", {});
    CContactRemoteModel::GetInstance();
    EXPECT_TRUE(CContactRemoteUnitParser().Parse("f", "no such node", root));
    EXPECT_EQ(RemoteModelPeer::UnitCount(), 0);
    EXPECT_TRUE(CContactRemoteUnitParser().Parse("f", REMOTE_ROOT_KEY, root));
    EXPECT_EQ(RemoteModelPeer::UnitCount(), 1);
}

}  // namespace
