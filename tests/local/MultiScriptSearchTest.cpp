// The names of real Cyrillic phone books, imported as a contact file, are found by their keypad digits and
// by their letters in either case.

#include <pugixml.hpp>

#include "LocalModelFixture.h"
#include "RealDocs.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

// The two real Cyrillic documents, turned into a contact file (each Menu a group) and imported.
class RealCyrillicBookTest : public LocalModelFixture {
protected:
    void SetUp() override {
        if (!testsupport::ReadCyrillicBooks(&m_books)) {
            GTEST_SKIP() << "the real documents are not beside the project";
        }
        ASSERT_GT(m_books.vecEntries.size(), 40u);
        Model();
        m_root.WriteFile("/config/data/contact_xported.xml", ContactFile());
        ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(nullptr, false, false, false), 0);
        ASSERT_EQ(AllNames().size(), m_books.vecEntries.size());
    }

    std::string ContactFile() const {
        pugi::xml_document document;
        pugi::xml_node groups = document.append_child("root_group");
        pugi::xml_node contacts = document.append_child("root_contact");
        for (const auto& entry : m_books.vecEntries) {
            if (!entry.strGroup.empty()) {
                groups.append_child("group").append_attribute("display_name") = entry.strGroup.c_str();
            }
            pugi::xml_node contact = contacts.append_child("contact");
            contact.append_attribute("display_name") = entry.strName.c_str();
            contact.append_attribute("office_number") =
                entry.vecNumbers.empty() ? "" : entry.vecNumbers[0].c_str();
            contact.append_attribute("group_id_name") = entry.strGroup.c_str();
        }
        std::ostringstream out;
        document.save(out);
        return out.str();
    }

    Strings Found(const std::string& strKey) {
        ContactGeneralSearchItemListData data = Request(0, 100);
        EXPECT_TRUE(Model().Search(&data, "local_contact_x0", strKey)) << strKey;
        return NamesOf(data);
    }

    testsupport::CyrillicBooks m_books;
};

TEST_F(RealCyrillicBookTest, EveryNameIsFoundByItsKeypadDigitsAndByItsFirstWordInEitherCase) {
    testsupport::ExpectFoundByDigitsAndFirstWord(AllNames(),
                                                 [this](const std::string& strKey) { return Found(strKey); });
}

TEST_F(RealCyrillicBookTest, KeysFindExactlyTheNamesThatHoldThem) {
    testsupport::ExpectCyrillicKeysFindTheirNames(
        [this](const std::string& strKey) { return Found(strKey); });
}

}  // namespace
}  // namespace localtest
