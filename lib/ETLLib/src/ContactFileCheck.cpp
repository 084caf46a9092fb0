// Recognising contact files and checking them against the phone book's limits.

#include <set>
#include <string>
#include <strings.h>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "CommonAPI.h"

namespace {

enum ContactFileType { kNotContactFile = -1, kGroupInfoFile = 0, kGroupNameFile = 1, kRootGroupFile = 2 };

constexpr int kBuiltInGroupCount = 2;
constexpr int kGroupsFull = -9;
constexpr int kContactsFull = -7;
constexpr int kBlacklistFull = -8;
constexpr int kNotImportable = 1;

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
using NameSet = std::set<std::string, CaseInsensitiveLess>;

// What a file would bring into the phone book.
struct FileCounts {
    NameSet groups;
    NameSet contacts;
    NameSet blacklisted;
};

bool LoadContactFile(const std::string& strPath, pugi::xml_document& doc) {
    if (strPath.empty())
        return false;
    return doc.load_file(ETL_MiscHelper::pathMapToRoot(strPath).c_str());
}

// The top-level element name, also inside the "vp_contact" wrapper.
pugi::xml_node FindTopLevel(const pugi::xml_document& doc, const char* pName) {
    pugi::xml_node node = doc.child(pName);
    return node ? node : doc.child("vp_contact").child(pName);
}

// Both older formats have a "contactData" root with "group" elements; they differ in what those carry: the
// middle format's groups are named by "sGroupName" and its contacts by "sLocalRename", the oldest format's
// contacts by "sDisplayName" (and only it has "groupinfo"). The first of these marks met decides.
int TypeOfContactData(const pugi::xml_node& data) {
    if (data.child("groupinfo"))
        return kGroupInfoFile;
    bool bAnyGroup = false;
    for (pugi::xml_node group : data.children("group")) {
        bAnyGroup = true;
        if (group.attribute("sGroupName"))
            return kGroupNameFile;
        for (pugi::xml_node contact : group.children("contact")) {
            if (contact.attribute("sDisplayName"))
                return kGroupInfoFile;
            if (contact.attribute("sLocalRename"))
                return kGroupNameFile;
        }
    }
    return bAnyGroup ? kNotContactFile : kGroupNameFile;
}

int TypeOf(const pugi::xml_document& doc) {
    if (doc.child("root_group") || doc.child("root_contact") || doc.child("vp_contact"))
        return kRootGroupFile;
    const pugi::xml_node data = doc.child("contactData");
    return data ? TypeOfContactData(data) : kNotContactFile;
}

void AddUserGroup(FileCounts& counts, const std::string& strName, const char* pAllName,
                  const char* pBlackName) {
    if (strName.empty() || strName == pAllName || strName == pBlackName)
        return;
    counts.groups.insert(strName);
}

void AddContact(FileCounts& counts, const std::string& strName, bool bBlacklisted) {
    if (strName.empty())
        return;
    (bBlacklisted ? counts.blacklisted : counts.contacts).insert(strName);
}

FileCounts CountRootGroupFile(const pugi::xml_document& doc) {
    FileCounts counts;
    for (pugi::xml_node group : FindTopLevel(doc, "root_group").children("group")) {
        AddUserGroup(counts, group.attribute("display_name").value(), "All Contacts", "Blacklist");
    }
    for (pugi::xml_node contact : FindTopLevel(doc, "root_contact").children("contact")) {
        const std::string strGroup = contact.attribute("group_id_name").value();
        AddUserGroup(counts, strGroup, "All Contacts", "Blacklist");
        AddContact(counts, contact.attribute("display_name").value(), strGroup == "Blacklist");
    }
    return counts;
}

FileCounts CountGroupNameFile(const pugi::xml_document& doc) {
    FileCounts counts;
    for (pugi::xml_node group : doc.child("contactData").children("group")) {
        const std::string strGroup = group.attribute("sGroupName").value();
        AddUserGroup(counts, strGroup, "Anonymous", "Black List");
        for (pugi::xml_node contact : group.children("contact")) {
            AddContact(counts, contact.attribute("sLocalRename").value(), strGroup == "Black List");
        }
    }
    return counts;
}

FileCounts CountGroupInfoFile(const pugi::xml_document& doc) {
    FileCounts counts;
    const pugi::xml_node data = doc.child("contactData");
    for (pugi::xml_node group : data.child("groupinfo").children("group")) {
        AddUserGroup(counts, group.attribute("name").value(), "All Contacts", "Blacklist");
    }
    for (pugi::xml_node contact : data.child("group").children("contact")) {
        const std::string strGroup = contact.attribute("group").value();
        AddUserGroup(counts, strGroup, "All Contacts", "Blacklist");
        AddContact(counts, contact.attribute("sDisplayName").value(), strGroup == "Blacklist");
    }
    return counts;
}

}  // namespace

int CommonAPI_ParseContactFileType(const std::string& strPath) {
    try {
        pugi::xml_document doc;
        return LoadContactFile(strPath, doc) ? TypeOf(doc) : kNotContactFile;
    } catch (const std::bad_alloc&) {
        return kNotContactFile;
    }
}

int CommonAPI_CanContactFileImported(const std::string& strPath, int nMaxGroups, int nMaxContacts,
                                     int nMaxBlack) {
    try {
        pugi::xml_document doc;
        if (!LoadContactFile(strPath, doc))
            return kNotImportable;
        FileCounts counts;
        switch (TypeOf(doc)) {
            case kRootGroupFile:
                counts = CountRootGroupFile(doc);
                break;
            case kGroupNameFile:
                counts = CountGroupNameFile(doc);
                break;
            case kGroupInfoFile:
                counts = CountGroupInfoFile(doc);
                break;
            default:
                return kNotImportable;
        }
        if (static_cast<long long>(counts.groups.size()) + kBuiltInGroupCount > nMaxGroups)
            return kGroupsFull;
        if (static_cast<long long>(counts.contacts.size()) > nMaxContacts)
            return kContactsFull;
        if (static_cast<long long>(counts.blacklisted.size()) > nMaxBlack)
            return kBlacklistFull;
        return 0;
    } catch (const std::bad_alloc&) {
        return kNotImportable;
    }
}
