// The dry run of an import predicts the real import: for generated files of all three formats, full of
// names taken, names twice, unknown groups and more than the limits allow, the counts the check predicts
// are those the phone book has after the real import, in both modes.

#include <random>
#include <sstream>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "ContactGeneralModel.h"
#include "DirsimProcess.h"
#include "HostControl.h"
#include "ImportCheck.h"
#include "TempRoot.h"
#include "XPortFactory.h"

namespace {

using NS_DIRECTORY::CContactGeneralModel;

constexpr const char* kBasePath = "/tmp/base.xml";
constexpr const char* kFilePath = "/tmp/generated.xml";

const std::vector<std::string> kNames = {"Ann", "ann", "Bob", "Cleo", "Dan", "Eve", "Finn", "Gus",
                                         "Hal", "Ida", "Jo",  "Kim",  "Lu",  "Max", "Zed",  "Spam"};
const std::vector<std::string> kGroups = {"",          "Team",         "team",    "Club", "Family",
                                          "Blacklist", "All Contacts", "Nowhere", "Pals"};
const std::vector<std::string> kMiddleGroups = {"Anonymous", "Black List", "Team", "Club",
                                                "Family",    "Pals",       ""};

// How often "name" appears in quotes in the file, ignoring ASCII case.
int Occurrences(std::string strFile, std::string strName) {
    strFile = dirsimtest::Lower(strFile);
    strName = dirsimtest::Lower(strName);
    int nCount = 0;
    for (size_t n = strFile.find("\"" + strName + "\""); n != std::string::npos;
         n = strFile.find("\"" + strName + "\"", n + 1)) {
        ++nCount;
    }
    return nCount;
}

std::string Save(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out);
    return out.str();
}

class ImportCheckTest : public testsupport::HostFixture {
protected:
    void SetUp() override {
        pugi::xml_document doc;
        pugi::xml_node wrapper = doc.append_child("vp_contact");
        pugi::xml_node groups = wrapper.append_child("root_group");
        for (const char* pGroup : {"Family", "Club"}) {
            groups.append_child("group").append_attribute("display_name") = pGroup;
        }
        pugi::xml_node contacts = wrapper.append_child("root_contact");
        const std::pair<const char*, const char*> base[] = {
            {"Ann", "Family"}, {"Bob", "Club"}, {"Zed", ""}, {"Spam", "Blacklist"}};
        for (const auto& contact : base) {
            pugi::xml_node node = contacts.append_child("contact");
            node.append_attribute("display_name") = contact.first;
            node.append_attribute("group_id_name") = contact.second;
        }
        m_root.WriteFile(kBasePath, Save(doc));
        m_pModel = CContactGeneralModel::GetInstance();
        ASSERT_NE(m_pModel, nullptr);
        m_pModel->SetMaxContactCount(9);
        m_pModel->SetMaxBlackCount(3);
        m_pModel->SetMaxGroupCount(6);
    }
    void TearDown() override { CContactGeneralModel::ReleaseInstance(); }

    void ResetBook() {
        ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(kBasePath, false, false, false), 0);
    }

    std::string Pick(const std::vector<std::string>& vecFrom) { return vecFrom[m_random() % vecFrom.size()]; }

    std::string Generate(int nFormat) {
        pugi::xml_document doc;
        const int nGroups = static_cast<int>(m_random() % 5);
        const int nContacts = static_cast<int>(m_random() % 14);
        // Groups and contacts in lists of their own, each contact naming its group.
        const auto appendLists = [&](pugi::xml_node groups, const char* pGroupName, const char* pContacts,
                                     const char* pContactName, const char* pContactGroup) {
            for (int i = 0; i < nGroups; ++i) {
                groups.append_child("group").append_attribute(pGroupName) = Pick(kGroups).c_str();
            }
            pugi::xml_node contacts = groups.parent().append_child(pContacts);
            for (int i = 0; i < nContacts; ++i) {
                pugi::xml_node node = contacts.append_child("contact");
                node.append_attribute(pContactName) = Pick(kNames).c_str();
                node.append_attribute(pContactGroup) = Pick(kGroups).c_str();
            }
        };
        if (nFormat == 2) {
            appendLists(doc.append_child("vp_contact").append_child("root_group"), "display_name",
                        "root_contact", "display_name", "group_id_name");
        } else if (nFormat == 1) {
            pugi::xml_node root = doc.append_child("contactData");
            for (int i = 0; i < nGroups + 1; ++i) {
                pugi::xml_node group = root.append_child("group");
                group.append_attribute("sGroupName") = Pick(kMiddleGroups).c_str();
                for (int j = 0; j < nContacts / (nGroups + 1); ++j) {
                    group.append_child("contact").append_attribute("sLocalRename") = Pick(kNames).c_str();
                }
            }
        } else {
            appendLists(doc.append_child("contactData").append_child("groupinfo"), "name", "group",
                        "sDisplayName", "group");
        }
        return Save(doc);
    }

    CContactGeneralModel* m_pModel = nullptr;
    std::mt19937 m_random{20240611};
};

TEST_F(ImportCheckTest, PredictionsEqualWhatTheRealImportDoes) {
    int nRefusedSeen = 0;
    for (int nRound = 0; nRound < 120; ++nRound) {
        const int nFormat = nRound % 3;
        const bool bAppend = (nRound / 3) % 2 == 1;
        ResetBook();
        const std::string strFile = Generate(nFormat);
        m_root.WriteFile(kFilePath, strFile);
        const std::string strBook = m_root.ReadFile("/config/data/contact_list.xml");
        const dirsim::ImportCheckReport report = dirsim::CheckImport(kFilePath, bAppend);
        ASSERT_EQ(report.nFileType, nFormat) << strFile;
        ASSERT_EQ(m_root.ReadFile("/config/data/contact_list.xml"), strBook) << "the check changed the book";
        nRefusedSeen += static_cast<int>(report.vecRefused.size());

        std::vector<std::string> vecNewOnes;  // refused for the limits, named once, not there before
        for (const dirsim::ImportRefusal& refusal : report.vecRefused) {
            if (refusal.strKind == "contact" && refusal.strReason.find("full") != std::string::npos &&
                Occurrences(strFile, refusal.strName) == 1 &&
                !(bAppend && m_pModel->IsContactExist(refusal.strName))) {
                vecNewOnes.push_back(refusal.strName);
            }
        }
        ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(kFilePath, bAppend, bAppend, false), 0);
        const std::string strWhere =
            "round " + std::to_string(nRound) + (bAppend ? " append\n" : " replace\n") + strFile;
        EXPECT_EQ(m_pModel->GetCurrentContactCount(), report.nContactsAfter) << strWhere;
        EXPECT_EQ(m_pModel->GetCurrentBlackCount(), report.nBlacklistedAfter) << strWhere;
        EXPECT_EQ(m_pModel->GetCurrentGroupCount(), report.nGroupsAfter) << strWhere;
        for (const std::string& strName : vecNewOnes) {
            EXPECT_FALSE(m_pModel->IsContactExist(strName)) << strName << " was refused\n" << strWhere;
        }
    }
    EXPECT_GT(nRefusedSeen, 100) << "the generated files exercise the refusals";
}

}  // namespace
