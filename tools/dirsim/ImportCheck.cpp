#include "ImportCheck.h"

#include <strings.h>

#include <set>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

// A name as the phone book stores it: cleaned of what its files cannot carry.
std::string StoredName(const std::string& strName) {
    CContactGeneralModel::GroupData group;
    group.m_strDisplayName = strName;
    CContactGeneralModel::MyMakeXmlSafe(group);
    return group.m_strDisplayName;
}

struct CaselessLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

// The phone book as the import would see it, in counts and names.
class CBookSketch {
public:
    CBookSketch(bool bAppend, ImportCheckReport* pReport) : m_pReport(pReport) {
        const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        m_nMaxGroups = pModel->GetMaxGroupCount();
        m_nMaxContacts = pModel->GetMaxContactCount();
        m_nMaxBlack = pModel->GetMaxBlackCount();
        m_setGroups = {CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId).m_strDisplayName,
                       CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName};
        if (!bAppend) {
            return;
        }
        ContactGroupListData groups;
        groups.m_nCountToGet = 1 << 16;
        pModel->GetGroupList(&groups, true);
        for (const ContactGroupData& group : groups.m_listData) {
            m_setGroups.insert(group.m_strDisplayName);
            if (!IsBuiltIn(group.m_strDisplayName)) {
                m_setUserGroups.insert(group.m_strDisplayName);
            }
        }
        for (const auto& pItem : pModel->MyGetItemList()) {
            m_setExisting.insert(pItem->m_strDisplayName);
        }
        m_nContacts = pModel->GetCurrentContactCount();
        m_nBlack = pModel->GetCurrentBlackCount();
    }

    // A group the file defines: refused when empty, when the groups are full, or when a user group has the
    // name already, compared ignoring case (a file's copy of a built-in group is simply not taken).
    bool AddGroup(const std::string& strRawName) {
        const std::string strName = StoredName(strRawName);
        if (strName.empty()) {
            return Refuse("group", strRawName, "a group needs a name");
        }
        if (static_cast<int>(m_setGroups.size()) >= m_nMaxGroups) {
            return Refuse("group", strName,
                          "there would be more groups than the phone book allows (" +
                              std::to_string(m_nMaxGroups) + ")");
        }
        if (IsBuiltIn(strName)) {
            return false;
        }
        const auto taken = m_setUserGroups.find(strName);
        if (taken != m_setUserGroups.end()) {
            return Refuse("group", strName,
                          *taken == strName
                              ? "a group of that name exists already (its contacts join it)"
                              : "the group \"" + *taken +
                                    "\" exists already (group names ignore case); contacts that "
                                    "name this one go to All Contacts");
        }
        m_setGroups.insert(strName);
        m_setUserGroups.insert(strName);
        return true;
    }

    // The group a contact names: an existing one, else a new one (group 0 when that is refused).
    std::string GroupFor(const std::string& strRawName) {
        const std::string strName = StoredName(strRawName);
        const std::string strAll = CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId).m_strDisplayName;
        if (strName.empty()) {
            return strAll;
        }
        if (m_setGroups.count(strName) != 0) {
            return strName;
        }
        return AddGroup(strRawName) ? strName : strAll;
    }

    void AddContact(const std::string& strRawName, const std::string& strGroup) {
        const std::string strName = StoredName(strRawName);
        const bool bBlack =
            strGroup == CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
        if (bBlack && m_nBlack >= m_nMaxBlack) {
            Refuse("contact", strName,
                   "the blacklist would be full (" + std::to_string(m_nMaxBlack) + " entries)");
        } else if (!bBlack && m_nContacts >= m_nMaxContacts) {
            Refuse("contact", strName,
                   "the phone book would be full (" + std::to_string(m_nMaxContacts) + " contacts)");
        } else if (m_setExisting.count(strName) != 0) {
            Refuse("contact", strName,
                   "a contact of that name is in the phone book already (names ignore case)");
        } else if (m_setImported.count(strName) != 0) {
            Refuse("contact", strName, "the file holds this name twice (names ignore case)");
        } else {
            m_setImported.insert(strName);
            ++(bBlack ? m_nBlack : m_nContacts);
        }
    }

    void Finish() {
        m_pReport->nContactsAfter = m_nContacts;
        m_pReport->nBlacklistedAfter = m_nBlack;
        m_pReport->nGroupsAfter = static_cast<int>(m_setGroups.size());
    }

private:
    static bool IsBuiltIn(const std::string& strName) {
        return strName == CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId).m_strDisplayName ||
               strName == CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
    }

    bool Refuse(const std::string& strKind, const std::string& strName, const std::string& strReason) {
        m_pReport->vecRefused.push_back({strKind, strName, strReason});
        return false;
    }

    ImportCheckReport* m_pReport;
    int m_nMaxGroups = 0;
    int m_nMaxContacts = 0;
    int m_nMaxBlack = 0;
    std::set<std::string> m_setGroups;                    // exact names, as a contact's group is looked up
    std::set<std::string, CaselessLess> m_setUserGroups;  // as a new group's name is checked
    std::set<std::string, CaselessLess> m_setExisting;
    std::set<std::string, CaselessLess> m_setImported;
    int m_nContacts = 0;
    int m_nBlack = 0;
};

// One step of an import in file order: a group the file defines (a new group, refused when its name is
// taken), a group it uses (an existing one is joined), or a contact of a named group.
struct FileStep {
    enum Kind { DefineGroup, UseGroup, Contact } eKind;
    std::string strName;
    std::string strGroup;
};

pugi::xml_node TopLevel(const pugi::xml_document& doc, const char* pName) {
    const pugi::xml_node node = doc.child(pName);
    return node ? node : doc.child("vp_contact").child(pName);
}

// What each format carries, read the way the phone's readers read it.
std::vector<FileStep> ReadSteps(const pugi::xml_document& doc, int nType) {
    std::vector<FileStep> vecSteps;
    const std::string strAll = CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId).m_strDisplayName;
    const std::string strBlack = CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
    if (nType == 2) {
        for (pugi::xml_node group : TopLevel(doc, "root_group").children("group")) {
            vecSteps.push_back({FileStep::DefineGroup, group.attribute("display_name").as_string(""), ""});
        }
        for (pugi::xml_node contact : TopLevel(doc, "root_contact").children("contact")) {
            vecSteps.push_back({FileStep::Contact, contact.attribute("display_name").as_string(""),
                                contact.attribute("group_id_name").as_string("")});
        }
    } else if (nType == 1) {
        for (pugi::xml_node group : doc.child("contactData").children("group")) {
            std::string strGroup = group.attribute("sGroupName").as_string("");
            strGroup = strGroup == "Anonymous" ? strAll : strGroup == "Black List" ? strBlack : strGroup;
            vecSteps.push_back({FileStep::UseGroup, strGroup, ""});
            for (pugi::xml_node contact : group.children("contact")) {
                vecSteps.push_back(
                    {FileStep::Contact, contact.attribute("sLocalRename").as_string(""), strGroup});
            }
        }
    } else if (nType == 0) {
        const pugi::xml_node root = doc.child("contactData");
        for (pugi::xml_node group : root.child("groupinfo").children("group")) {
            vecSteps.push_back({FileStep::DefineGroup, group.attribute("name").as_string(""), ""});
        }
        for (pugi::xml_node contact : root.child("group").children("contact")) {
            const std::string strGroup = contact.attribute("group").as_string("");
            vecSteps.push_back({FileStep::Contact, contact.attribute("sDisplayName").as_string(""),
                                strGroup.empty() ? strAll : strGroup});
        }
    }
    return vecSteps;
}

std::string FormatName(int nType) {
    switch (nType) {
        case 0:
            return "oldest phone format (\"contactData\" with \"groupinfo\")";
        case 1:
            return "middle phone format (\"contactData\" groups named by \"sGroupName\")";
        case 2:
            return "current phone format (\"root_group\" and \"root_contact\", as the phone exports)";
        default:
            return "not a contact file";
    }
}

}  // namespace

ImportCheckReport CheckImport(const std::string& strPhonePath, bool bAppend) {
    ImportCheckReport report;
    report.bAppend = bAppend;
    report.nFileType = CommonAPI_ParseContactFileType(strPhonePath);
    report.strFormat = FormatName(report.nFileType);
    if (report.nFileType < 0 || report.nFileType > 2) {
        report.nFileType = -1;
        return report;
    }
    pugi::xml_document doc;
    doc.load_file(ETL_MiscHelper::pathMapToRoot(strPhonePath).c_str());
    const std::vector<FileStep> vecSteps = ReadSteps(doc, report.nFileType);
    const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    report.nLimitCheck = CommonAPI_CanContactFileImported(
        strPhonePath, pModel->GetMaxGroupCount(), pModel->GetMaxContactCount(), pModel->GetMaxBlackCount());

    std::set<std::string> setNames;
    auto noteGroup = [&](const std::string& strGroup) {
        const std::string strName = StoredName(strGroup);
        const bool bBuiltIn =
            strName == CContactGeneralModel::MyBuiltInGroup(kAllContactsGroupId).m_strDisplayName ||
            strName == CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
        if (!strName.empty() && !bBuiltIn && setNames.insert(strName).second) {
            report.vecGroups.push_back(strName);
        }
    };
    CBookSketch book(bAppend, &report);
    const std::string strBlack = CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
    for (const FileStep& step : vecSteps) {
        if (step.eKind == FileStep::DefineGroup) {
            noteGroup(step.strName);
            book.AddGroup(step.strName);
            continue;
        }
        if (step.eKind == FileStep::UseGroup) {
            noteGroup(step.strName);
            book.GroupFor(step.strName);
            continue;
        }
        if (step.strName.empty()) {
            ++report.nUnnamed;
            continue;
        }
        noteGroup(step.strGroup);
        const std::string strGroup = book.GroupFor(step.strGroup);
        ++report.nContacts;
        report.nBlacklisted += strGroup == strBlack ? 1 : 0;
        book.AddContact(step.strName, strGroup);
    }
    book.Finish();
    return report;
}

nlohmann::json ImportCheckReport::ToJson() const {
    nlohmann::json refused = nlohmann::json::array();
    for (const ImportRefusal& refusal : vecRefused) {
        refused.push_back(
            {{"kind", refusal.strKind}, {"name", refusal.strName}, {"reason", refusal.strReason}});
    }
    return {{"contactFile", nFileType >= 0},
            {"fileType", nFileType},
            {"format", strFormat},
            {"groups", vecGroups},
            {"contacts", nContacts},
            {"blacklisted", nBlacklisted},
            {"unnamed", nUnnamed},
            {"mode", bAppend ? "append" : "replace"},
            {"limitCheck", nLimitCheck == 0 ? "passes" : XPortResultText(nLimitCheck)},
            {"refused", refused},
            {"after",
             {{"contacts", nContactsAfter}, {"blacklisted", nBlacklistedAfter}, {"groups", nGroupsAfter}}},
            {"changed", false}};
}

std::vector<std::string> ImportCheckReport::ToLines() const {
    std::vector<std::string> vecLines;
    if (nFileType < 0) {
        vecLines.push_back("not a contact file the phone can read; an import would refuse it");
        return vecLines;
    }
    std::string strGroups;
    for (const std::string& strGroup : vecGroups) {
        strGroups += (strGroups.empty() ? "" : ", ") + strGroup;
    }
    vecLines.push_back("format: " + strFormat);
    vecLines.push_back("holds: " + std::to_string(vecGroups.size()) + " groups" +
                       (strGroups.empty() ? "" : " (" + strGroups + ")") + ", " + std::to_string(nContacts) +
                       " contacts, " + std::to_string(nBlacklisted) + " of them blacklisted" +
                       (nUnnamed > 0 ? "; " + std::to_string(nUnnamed) + " without a name are skipped" : ""));
    vecLines.push_back(std::string(bAppend ? "added to the phone book" : "replacing the phone book") + ", " +
                       (vecRefused.empty() ? "nothing would be refused"
                                           : std::to_string(vecRefused.size()) + " would be refused:"));
    constexpr size_t kShownRefusals = 20;
    for (size_t i = 0; i < vecRefused.size() && i < kShownRefusals; ++i) {
        vecLines.push_back("  " + vecRefused[i].strKind + " \"" + vecRefused[i].strName +
                           "\": " + vecRefused[i].strReason);
    }
    if (vecRefused.size() > kShownRefusals) {
        vecLines.push_back("  ... and " + std::to_string(vecRefused.size() - kShownRefusals) +
                           " more (--json lists all)");
    }
    vecLines.push_back("afterwards: " + std::to_string(nContactsAfter) + " contacts, " +
                       std::to_string(nBlacklistedAfter) + " blacklisted, " + std::to_string(nGroupsAfter) +
                       " groups");
    vecLines.push_back(std::string("the import with the limit check: ") +
                       (nLimitCheck == 0 ? "passes" : "refuses it, " + XPortResultText(nLimitCheck)));
    vecLines.push_back("nothing was changed");
    return vecLines;
}

}  // namespace dirsim
