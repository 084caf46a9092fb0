// Format recognition and the node-level parsing of the three remote document formats.

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

TEST(ContactRemoteParserTest, DirectoryEntryIsTrimmedAndDropsEmptyNumbers) {
    pugi::xml_document doc;
    const pugi::xml_node node = Load(doc,
                                     "<DirectoryEntry><Name>  Ann Lee  </Name><Telephone>101</Telephone>"
                                     "<Telephone></Telephone><Telephone>  102  </Telephone>"
                                     "<Telephone>103</Telephone><Telephone>104</Telephone></DirectoryEntry>");
    ContactRemoteUnit unit;
    ASSERT_TRUE(CContactRemoteUnitParser::MyParseUnitChildren(&unit, node));
    EXPECT_EQ(unit.m_strName, "Ann Lee");
    EXPECT_THAT(unit.m_listNumber, ElementsAre("101", "102", "103", "104"));
    EXPECT_FALSE(CContactRemoteUnitParser::MyParseUnitChildren(nullptr, node));
    ContactRemoteUnit nameless;
    EXPECT_FALSE(CContactRemoteUnitParser::MyParseUnitChildren(&nameless, pugi::xml_node()));
}

TEST(ContactRemoteParserTest, LinksAreTrimmedAndNeedAName) {
    const struct {
        const char* pDoc;
        bool bResult;
        const char* pName;
        const char* pUrl;
    } kCases[] = {{"<MenuItem><Name> Sales </Name><URL> http://h/s.xml </URL></MenuItem>", true, "Sales",
                   "http://h/s.xml"},
                  {"<MenuItem><Name>No link</Name></MenuItem>", true, "No link", ""},
                  {"<MenuItem><Name>   </Name><URL>http://h/x</URL></MenuItem>", false, "", "http://h/x"}};
    for (const auto& test : kCases) {
        pugi::xml_document doc;
        const pugi::xml_node node = Load(doc, test.pDoc);
        ContactRemoteMenu menu;
        EXPECT_EQ(CContactRemoteMenuParser::MyParseMenuChildren(&menu, node), test.bResult) << test.pDoc;
        EXPECT_EQ(menu.m_strName, test.pName);
        EXPECT_EQ(menu.m_strUrl, test.pUrl);
        ContactRemoteHotKey hotKey;
        EXPECT_EQ(CContactRemoteParserBase::ParseSoftKeyNode(&hotKey, node), test.bResult) << test.pDoc;
        EXPECT_EQ(hotKey.m_strUrl, test.pUrl);
    }
}

TEST(ContactRemoteParserTest, PageKeyTakesItsNameFromItem) {
    pugi::xml_document doc;
    const pugi::xml_node node =
        Load(doc, "<MenuItem><Item> next-page </Item><URL>http://h/p2</URL></MenuItem>");
    ContactRemotePageKey key;
    ASSERT_TRUE(CContactRemoteUnitParser::ParsePageKeyNode(&key, node));
    EXPECT_EQ(key.m_strName, "next-page");
    EXPECT_EQ(key.m_strUrl, "http://h/p2");
    EXPECT_EQ(key.GetType(), CRIT_PAGEKEY);
    EXPECT_EQ(Base2Menu(&key), nullptr);
    EXPECT_EQ(Base2PageKey(&key), &key);
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

TEST(ContactRemoteParserTest, ParsersRefuseWithoutAModel) {
    ASSERT_EQ(CContactRemoteModel::PeekInstance(), nullptr);
    pugi::xml_document doc;
    const pugi::xml_node root =
        Load(doc, "<AcmeIPPhoneMenu><MenuItem><Name>x</Name></MenuItem></AcmeIPPhoneMenu>");
    EXPECT_FALSE(CContactRemoteMenuParser().Parse("f", "<URL>All", root));
    EXPECT_FALSE(CContactRemoteUnitParser().Parse("f", "<URL>All", root));
    EXPECT_FALSE(CContactRemoteMixedParser().Parse("f", "<URL>All", root));
}

class ContactRemoteParserModelTest : public remotetest::RemoteFixture {};

TEST_F(ContactRemoteParserModelTest, SecondTopLevelNodeCanBeTheMenu) {
    ServeData("unknown-then-menu.xml");
    WriteSlots("", {{"Menu", m_server.Url("/unknown-then-menu.xml")}});
    StartModel();
    const std::vector<RemoteNodeView> children =
        RemoteModelPeer::Children(m_server.Url("/unknown-then-menu.xml"));
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].strName, "Second root wins");
}

TEST_F(ContactRemoteParserModelTest, ItemAddedToAnUnknownParentIsFreedAndRefused) {
    WriteSlots("", {});
    CContactRemoteModel::GetInstance();
    pugi::xml_document doc;
    const pugi::xml_node root = Load(
        doc, "<AcmeIPPhoneDirectory><DirectoryEntry><Name>a</Name></DirectoryEntry></AcmeIPPhoneDirectory>");
    EXPECT_TRUE(CContactRemoteUnitParser().Parse("f", "no such node", root));
    EXPECT_EQ(RemoteModelPeer::UnitCount(), 0);
    EXPECT_TRUE(CContactRemoteUnitParser().Parse("f", REMOTE_ROOT_KEY, root));
    EXPECT_EQ(RemoteModelPeer::UnitCount(), 1);
}

}  // namespace
