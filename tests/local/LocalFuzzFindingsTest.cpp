// Faults the fuzz drivers found in the local phone book. The inputs that found them are kept in
// fuzz/regressions/<driver>, which every fuzz run replays.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LocalModelFixture.h"
#include "XPortKestrel.h"
#include "XPortMarlin.h"
#include "XPortOsprey.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CXPortKestrel;
using NS_DIRECTORY::CXPortMarlin;
using NS_DIRECTORY::CXPortOsprey;

class LocalFuzzFindingsTest : public LocalModelFixture {
protected:
    // The rings of the user groups that have one ("name=ring"), then ring and photo of every contact
    // ("name=ring|photo"), as the book holds them.
    Strings Paths() {
        Strings listPaths;
        for (int nIndex = 0; nIndex < Model().GetCurrentGroupCount(); ++nIndex) {
            const CContactGeneralModel::GroupData* pGroup = Model().MyFindGDataByIndex(nIndex);
            if (!pGroup->m_strRing.empty()) {
                listPaths.push_back(pGroup->m_strDisplayName + "=" + pGroup->m_strRing);
            }
        }
        for (const auto& pItem : ContactGeneralModelTestPeer::Items(Model())) {
            listPaths.push_back(pItem->m_strDisplayName + "=" + pItem->m_strRing + "|" +
                                pItem->m_strDefaultPhoto);
        }
        return listPaths;
    }
};

// A provisioned group file whose user groups carry the built-in names: the background reload used to add
// the missing built-in groups anyway, so two groups answered to "Blacklist" (and two to "All Contacts"), and
// a lookup by name could land in the user group. Both loads now refuse such a user group, wherever it stands
// in the file, and its contacts land in group 0.
TEST_F(LocalFuzzFindingsTest, BothLoadsRefuseAUserGroupThatCarriesABuiltInName) {
    Model();
    const std::string strGroups =
        GroupFileXml(GroupElement(3, "Blacklist") + GroupElement(4, "All Contacts") +
                     GroupElement(1, "Blacklist", "ring=\"Config:black.wav\"") + GroupElement(5, "Work") +
                     GroupElement(0, "Everyone"));
    const std::string strContacts =
        ContactFileXml(ContactElement("Ann", 3) + ContactElement("Bob", 4) + ContactElement("Cid", 5));
    for (const bool bBackground : {true, false}) {
        SCOPED_TRACE(bBackground ? "background reload" : "load at start");
        m_root.WriteFile(kGroupFile, strGroups);
        m_root.WriteFile(kContactFile, strContacts);
        if (bBackground) {
            ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
            ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        } else {
            CContactGeneralModel::ReleaseInstance();
        }
        EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Work", "Blacklist"}));
        EXPECT_EQ(Model().GetGroupIdByGroupName("Blacklist"), NS_DIRECTORY::kBlacklistGroupId);
        EXPECT_EQ(Model().GetGroupIdByGroupName("All Contacts"), NS_DIRECTORY::kAllContactsGroupId);
        EXPECT_EQ(Model().MyFindGroupById(NS_DIRECTORY::kBlacklistGroupId)->m_strRing,
                  "/config/data/ring/black.wav");
        EXPECT_EQ(PageNames(0), (Strings{"Ann", "Bob", "Cid"}));
        EXPECT_EQ(Model().GetContactGroupId("Ann"), NS_DIRECTORY::kAllContactsGroupId);
        EXPECT_EQ(Model().GetContactGroupId("Cid"), 5);
    }
}

constexpr const char* kImportFile = "/config/data/contact_xported.xml";

std::string RegressionInput(const std::string& strDriver, const std::string& strName) {
    const std::filesystem::path input =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz/regressions" /
        strDriver / strName;
    std::ifstream in(input, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    EXPECT_FALSE(content.str().empty()) << input;
    return content.str();
}

// A ring or photo in stored form with characters the files cannot carry inside it (the fuzz drivers found
// "Conf\x12\x1aig:w."): the readers converted the path before they dropped those characters, so the book
// held a stored form as if it were the real path, and the path changed once the saved files were read back.
// Every reader now cleans a path before it converts it.
TEST_F(LocalFuzzFindingsTest, AStoredPathIsCleanedBeforeItIsConvertedSoItSurvivesASaveAndALoad) {
    Model();
    const struct {
        const char* pWhat;
        std::function<int()> load;
        const char* pPath;
        std::string strFile;
        Strings listExpected;  // the paths afterwards, as Paths() shows them
    } kCases[] = {
        {"CXPortKestrel, the input the driver found",
         [] { return CXPortKestrel().Import(nullptr, false, false, false); },
         kImportFile,
         RegressionInput("ImportKestrel", "ring-cleaned-after-conversion.xml"),
         {"Work=/config/data/ring/w."}},
        {"CXPortKestrel contact ring",
         [] { return CXPortKestrel().Import(nullptr, false, false, false); },
         kImportFile,
         "<contactData><groupinfo/><group><contact sDisplayName=\"Ann\" sRing=\"Con&#1;fig:k.wav\"/>"
         "</group></contactData>",
         {"Ann=/config/data/ring/k.wav|/phone/resource/photo/default_contact.png"}},
        {"CXPortMarlin, the input the driver found",
         [] { return CXPortMarlin().Import(nullptr, false, false, false); },
         kImportFile,
         RegressionInput("ImportMarlin", "ring-cleaned-after-conversion.xml"),
         // What is left of Ann's ring names no file of the ring folders, so the ring goes.
         {"Family=/config/data/ring/f.wav", "Ann=|/config/data/photo/a.png", "Junk=|", "M=|", "Spam=|"}},
        {"CXPortOsprey",
         [] { return CXPortOsprey().Import(nullptr, false, false, false); },
         kImportFile,
         "<vp_contact><root_group><group display_name=\"Work\" ring=\"Con&#1;fig:w.wav\"/></root_group>"
         "<root_contact><contact display_name=\"Ann\" ring=\"Re&#2;source:r.wav\" "
         "default_photo=\"Con&#3;fig:a.png\" group_id_name=\"Work\"/></root_contact></vp_contact>",
         {"Work=/config/data/ring/w.wav", "Ann=/phone/resource/ring/r.wav|/config/data/photo/a.png"}},
        {"the local files",
         [this] {
             m_root.WriteFile(kGroupFile,
                              GroupFileXml(GroupElement(2, "Work", "ring=\"Co&#27;nfig:w.wav\"")));
             return Model().ReloadGroupXml() && Model().ReloadContactXml() ? 0 : -1;
         },
         kContactFile,
         ContactFileXml(
             ContactElement("Ann", 2, "ring=\"Config&#1;:a.wav\" default_photo=\"Reso&#2;urce:p.png\"")),
         {"Work=/config/data/ring/w.wav", "Ann=/config/data/ring/a.wav|/phone/resource/photo/p.png"}},
    };
    for (const auto& entry : kCases) {
        SCOPED_TRACE(entry.pWhat);
        m_root.WriteFile(entry.pPath, entry.strFile);
        ASSERT_EQ(entry.load(), 0);
        EXPECT_EQ(Paths(), entry.listExpected);
        ASSERT_TRUE(Model().ReloadGroupXml());
        ASSERT_TRUE(Model().ReloadContactXml());
        EXPECT_EQ(Paths(), entry.listExpected) << "after the saved files were read back";
    }
}

}  // namespace
}  // namespace localtest
