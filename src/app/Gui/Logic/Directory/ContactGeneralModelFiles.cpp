// The two local files: loading at start and on request, and the write-through save after every change.

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "ContactGeneralModel.h"
#include "MsgQueue.h"
#include "Registry.h"

namespace NS_DIRECTORY {

namespace {

constexpr const char* kAllContactsName = "All Contacts";
constexpr const char* kBlacklistName = "Blacklist";

std::string DataPath(const std::string& strFileName) {
    return std::string(kLocalDataFolder) + strFileName;
}

// atoi (leading blanks, a sign, then digits), clamped to the int range instead of overflowing.
int ParseInt(const char* pText) {
    while (*pText == ' ' || (*pText >= '\t' && *pText <= '\r')) {
        ++pText;
    }
    const bool bNegative = *pText == '-';
    if (*pText == '-' || *pText == '+') {
        ++pText;
    }
    long long nValue = 0;
    for (; *pText >= '0' && *pText <= '9'; ++pText) {
        nValue = nValue * 10 + (*pText - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1) {
            break;
        }
    }
    nValue = bNegative ? -nValue : nValue;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, nValue)));
}

// Converts ring or photo paths between their stored and real forms, remembering each answer for the
// rest of one load or save (a phone book repeats a handful of rings and photos over and over).
class PathForms {
public:
    PathForms(int nFileType, bool bToReal) : m_nFileType(nFileType), m_bToReal(bToReal) {}

    const std::string& Convert(const std::string& strPath) { return Convert(strPath.c_str()); }

    const std::string& Convert(const char* pPath) {
        if (*pPath == '\0') {
            return m_strEmpty;
        }
        if (m_pLast != nullptr && m_pLast->first == pPath) {
            return m_pLast->second;
        }
        auto found = m_mapConverted.find(pPath);
        if (found == m_mapConverted.end()) {
            std::string strConverted = pPath;
            if (m_bToReal) {
                CommonUnits_Hide2Real(strConverted, m_nFileType);
            } else {
                CommonUnits_Real2Hide(strConverted, m_nFileType);
            }
            found = m_mapConverted.emplace(pPath, std::move(strConverted)).first;
        }
        m_pLast = &*found;
        return found->second;
    }

private:
    const int m_nFileType;
    const bool m_bToReal;
    const std::string m_strEmpty;
    std::unordered_map<std::string, std::string> m_mapConverted;
    const std::pair<const std::string, std::string>* m_pLast = nullptr;  // map nodes stay put
};

struct StoredForms {
    PathForms ring{PHFILE_TYPE_RING, false};
    PathForms photo{PHFILE_TYPE_PHOTO, false};
};

struct RealForms {
    PathForms ring{PHFILE_TYPE_RING, true};
    PathForms photo{PHFILE_TYPE_PHOTO, true};
};

// A file that does not parse to its end counts as unreadable as a whole, not as the part before the fault.
bool LoadDocument(pugi::xml_document& doc, const std::string& strPath) {
    return static_cast<bool>(doc.load_file(ETL_MiscHelper::pathMapToRoot(strPath).c_str()));
}

const char* Flag(bool bSet) {
    return bSet ? "1" : "0";
}

bool IsFlagSet(const pugi::xml_attribute& attr) {
    return std::strcmp(attr.value(), "1") == 0;
}

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& strOut) : m_strOut(strOut) {}
    void write(const void* pData, size_t nSize) override {
        m_strOut.append(static_cast<const char*>(pData), nSize);
    }

private:
    std::string& m_strOut;
};

pugi::xml_node AppendRoot(pugi::xml_document& doc, const char* pRootName) {
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("utf-8");
    return doc.append_child(pRootName);
}

void AppendGroupElement(pugi::xml_node root, const CContactGeneralModel::GroupData& group,
                        StoredForms& forms) {
    pugi::xml_node node = root.append_child("group");
    node.append_attribute("id_name").set_value(group.m_nId);
    node.append_attribute("display_name").set_value(group.m_strDisplayName.c_str());
    node.append_attribute("ring").set_value(forms.ring.Convert(group.m_strRing).c_str());
    node.append_attribute("read_only").set_value(Flag(group.m_bReadOnly));
}

void AppendContactElement(pugi::xml_node root, const CContactGeneralModel::ItemData& item,
                          StoredForms& forms) {
    pugi::xml_node node = root.append_child("contact");
    node.append_attribute("display_name").set_value(item.m_strDisplayName.c_str());
    node.append_attribute("office_number").set_value(item.m_strOfficeNumber.c_str());
    node.append_attribute("mobile_number").set_value(item.m_strMobileNumber.c_str());
    node.append_attribute("other_number").set_value(item.m_strOtherNumber.c_str());
    node.append_attribute("line").set_value(item.m_nLine);
    node.append_attribute("ring").set_value(forms.ring.Convert(item.m_strRing).c_str());
    node.append_attribute("group_id_name").set_value(item.m_nGroupId);
    node.append_attribute("default_photo").set_value(forms.photo.Convert(item.m_strDefaultPhoto).c_str());
    node.append_attribute("selected_photo").set_value(item.m_nSelectedPhoto);
    node.append_attribute("is_favorate").set_value(Flag(item.m_bFavorate));
    node.append_attribute("name_index").set_value(item.m_strNameIndex.c_str());
}

CContactGeneralModel::GroupData ReadGroup(const pugi::xml_node& node, RealForms& forms) {
    CContactGeneralModel::GroupData group;
    if (pugi::xml_attribute attr = node.attribute("id_name")) {
        group.m_nId = ParseInt(attr.value());
    }
    group.m_strDisplayName = node.attribute("display_name").value();
    group.m_strRing = forms.ring.Convert(node.attribute("ring").value());
    group.m_bReadOnly = IsFlagSet(node.attribute("read_only"));
    return group;
}

using ContactAttributeReader = void (*)(const pugi::xml_attribute&, CContactGeneralModel::ItemData&,
                                        RealForms&);

struct ContactAttribute {
    std::string_view name;
    ContactAttributeReader read;
};

// In the order the contact file is written, so a file written here is read with one name test per attribute.
const ContactAttribute kContactAttributes[] = {
    {"display_name", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                        RealForms&) { item.m_strDisplayName = a.value(); }},
    {"office_number", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                         RealForms&) { item.m_strOfficeNumber = a.value(); }},
    {"mobile_number", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                         RealForms&) { item.m_strMobileNumber = a.value(); }},
    {"other_number", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                        RealForms&) { item.m_strOtherNumber = a.value(); }},
    {"line", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                RealForms&) { item.m_nLine = ParseInt(a.value()); }},
    {"ring", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                RealForms& forms) { item.m_strRing = forms.ring.Convert(a.value()); }},
    {"group_id_name", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                         RealForms&) { item.m_nGroupId = ParseInt(a.value()); }},
    {"default_photo", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                         RealForms& forms) { item.m_strDefaultPhoto = forms.photo.Convert(a.value()); }},
    {"selected_photo", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                          RealForms&) { item.m_nSelectedPhoto = ParseInt(a.value()); }},
    {"is_favorate", [](const pugi::xml_attribute& a, CContactGeneralModel::ItemData& item,
                       RealForms&) { item.m_bFavorate = IsFlagSet(a); }},
    {"name_index", [](const pugi::xml_attribute&, CContactGeneralModel::ItemData&, RealForms&) {}},
};
constexpr size_t kContactAttributeCount = sizeof(kContactAttributes) / sizeof(kContactAttributes[0]);

// The attribute name test: a length check first, so most mismatches cost no byte comparison.
inline bool SameName(const char* pName, size_t nNameLength, const ContactAttribute& attribute) {
    return nNameLength == attribute.name.size() &&
           std::memcmp(pName, attribute.name.data(), nNameLength) == 0;
}

const ContactAttribute* FindContactAttribute(const char* pName, size_t nExpected) {
    const size_t nNameLength = std::strlen(pName);
    if (nExpected < kContactAttributeCount && SameName(pName, nNameLength, kContactAttributes[nExpected])) {
        return &kContactAttributes[nExpected];
    }
    for (const ContactAttribute& attribute : kContactAttributes) {
        if (SameName(pName, nNameLength, attribute)) {
            return &attribute;
        }
    }
    return nullptr;
}

// Missing attributes keep their reset values; the digit-key name is always recomputed, never read.
void ReadContact(const pugi::xml_node& node, CContactGeneralModel::ItemData& item, RealForms& forms) {
    size_t nExpected = 0;
    for (const pugi::xml_attribute& attr : node.attributes()) {
        const ContactAttribute* pAttribute = FindContactAttribute(attr.name(), nExpected);
        if (pAttribute != nullptr) {
            pAttribute->read(attr, item, forms);
            nExpected = static_cast<size_t>(pAttribute - kContactAttributes) + 1;
        }
    }
    item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
}

// Gives a built-in group its fixed name; true when the name had to change.
bool RepairBuiltInName(CContactGeneralModel::GroupData& group) {
    const char* pFixedName = group.m_nId == kAllContactsGroupId ? kAllContactsName
                             : group.m_nId == kBlacklistGroupId ? kBlacklistName
                                                                : nullptr;
    if (pFixedName == nullptr || group.m_strDisplayName == pFixedName) {
        return false;
    }
    group.m_strDisplayName = pFixedName;
    return true;
}

std::unique_ptr<CContactGeneralModel::GroupData> BuiltInGroup(int nId) {
    auto pGroup = std::make_unique<CContactGeneralModel::GroupData>();
    pGroup->m_nId = nId;
    pGroup->m_strDisplayName = nId == kAllContactsGroupId ? kAllContactsName : kBlacklistName;
    pGroup->m_bReadOnly = true;
    return pGroup;
}

}  // namespace

// ---- loading

bool CContactGeneralModel::CreateContactGroupList(const std::string& strPath) {
    return MyNoThrow(false, [&]() -> bool {
        static const char* const kDefaultGroupNames[] = {kAllContactsName, kBlacklistName, "Company",
                                                         "Family", "Friend"};
        pugi::xml_document doc;
        pugi::xml_node root = AppendRoot(doc, "root_group");
        StoredForms forms;
        int nId = 0;
        for (const char* pName : kDefaultGroupNames) {
            GroupData group;
            group.m_nId = nId++;
            group.m_strDisplayName = pName;
            group.m_bReadOnly = MyIsGroupReadOnly(group.m_nId);
            AppendGroupElement(root, group, forms);
        }
        return MyWriteDocument(doc, strPath);
    });
}

bool CContactGeneralModel::MyLoadGroupFromXmlFile(const std::string& strFileName) {
    return MyNoThrow(false, [&]() -> bool {
        const std::string strPath = DataPath(strFileName);
        bool bReadable = ETL_MiscHelper::pathFileExist(strPath) || CreateContactGroupList(strPath);
        pugi::xml_document doc;
        if (bReadable) {
            bReadable = LoadDocument(doc, strPath) && doc.child("root_group");
        }
        if (!bReadable) {
            doc.reset();
        }
        bool bRewrite = false;
        int nHighestId = 1;
        const bool bAllTaken = MyLoadGroupElements(doc, &bRewrite, &nHighestId);
        if (m_pIdGenerator) {
            m_pIdGenerator->SetBegin(nHighestId);
        }
        // An unreadable file gets the built-in groups in memory only: the user's groups may still be in it.
        if (bRewrite && bReadable) {
            MySetGroupDirty(true);
        }
        return bReadable && bAllTaken;
    });
}

// Built-in groups are taken first and repaired before any other group, so a user group can never crowd
// them out (by the limit or by a name that differs only in case).
bool CContactGeneralModel::MyLoadGroupElements(const pugi::xml_document& doc, bool* pRewrite,
                                               int* pHighestId) {
    const pugi::xml_node root = doc.child("root_group");
    RealForms forms;
    bool bAllTaken = true;
    for (int nPass = 0; nPass < 2; ++nPass) {
        const bool bBuiltInPass = nPass == 0;
        for (pugi::xml_node node = root.child("group"); node; node = node.next_sibling("group")) {
            GroupData group = ReadGroup(node, forms);
            if (MyIsGroupReadOnly(group.m_nId) != bBuiltInPass) {
                continue;
            }
            if (group.m_nId > *pHighestId) {
                *pHighestId = group.m_nId;
            }
            if (RepairBuiltInName(group)) {
                *pRewrite = true;
            }
            const bool bIdUsable = group.m_nId >= 0 && MyFindGroupById(group.m_nId) == nullptr;
            if (!bIdUsable) {
                CommonUnits_SetErrorId(group.m_nId < 0 ? CONTACT_RESULT_BAD_GROUP_ID
                                                       : CONTACT_RESULT_NAME_OR_ID_IN_USE);
            }
            if (!bIdUsable || MyInsertGroup(group, false) < 0) {
                bAllTaken = false;
            }
        }
        if (bBuiltInPass) {
            MyRepairBuiltInGroups(pRewrite);
        }
    }
    return bAllTaken;
}

void CContactGeneralModel::MyRepairBuiltInGroups(bool* pRepaired) {
    if (MyFindGroupById(kAllContactsGroupId) == nullptr) {
        m_listGroup.insert(m_listGroup.begin(), BuiltInGroup(kAllContactsGroupId));
        *pRepaired = true;
    }
    if (MyFindGroupById(kBlacklistGroupId) == nullptr) {
        m_listGroup.push_back(BuiltInGroup(kBlacklistGroupId));
        *pRepaired = true;
    }
}

bool CContactGeneralModel::MyLoadContactFromXmlFile(const std::string& strFileName) {
    return MyNoThrow(false, [&]() -> bool {
        pugi::xml_document doc;
        const pugi::xml_node root =
            LoadDocument(doc, DataPath(strFileName)) ? doc.child("root_contact") : pugi::xml_node();
        if (!root) {
            return false;
        }
        RealForms forms;
        const std::vector<int> listGroupIds = MySortedGroupIds();
        bool bAllTaken = true;
        m_listItem.reserve(m_listItem.size() + static_cast<size_t>(std::distance(root.begin(), root.end())));
        for (pugi::xml_node node = root.child("contact"); node; node = node.next_sibling("contact")) {
            auto pItem = std::make_unique<ItemData>();
            ReadContact(node, *pItem, forms);
            if (!MyTakeLoadedContact(std::move(pItem), listGroupIds)) {
                bAllTaken = false;
            }
        }
        return bAllTaken;
    });
}

bool CContactGeneralModel::ReloadGroupXml() {
    const bool bCleared = MyClearGroupList();
    const bool bLoaded = MyLoadGroupFromXmlFile(kLocalGroupFileName);
    return bCleared && bLoaded;
}

bool CContactGeneralModel::ReloadContactXml() {
    const bool bCleared = MyClearContactList();
    const bool bLoaded = MyLoadContactFromXmlFile(kLocalContactFileName);
    MyResetSearchKeys();
    return bCleared && bLoaded;
}

// ---- saving

bool CContactGeneralModel::MySetGroupDirty(bool bDirty) {
    m_bGroupDirty = bDirty;
    if (!bDirty) {
        return true;
    }
    m_pSearchSnapshot.reset();
    const bool bSaved = SaveGroupToXml();
    EtlMsgHandler_NotifyApp(false, kLocalContactChangedMsg, 0, 0);
    return bSaved;
}

bool CContactGeneralModel::MySetContactDirty(bool bDirty) {
    if (bDirty) {
        MyResetSearchKeys();
    }
    m_bContactDirty = bDirty;
    if (!bDirty) {
        return true;
    }
    const bool bSaved = SaveContactToXml();
    EtlMsgHandler_NotifyApp(false, kLocalContactChangedMsg, 0, 0);
    return bSaved;
}

bool CContactGeneralModel::SaveGroupToXml() {
    if (!m_bGroupDirty) {
        return true;
    }
    const bool bWritten = MyNoThrow(false, [&]() -> bool {
        pugi::xml_document doc;
        MyBuildGroupDocument(doc);
        return MyWriteDocument(doc, DataPath(kLocalGroupFileName));
    });
    if (!bWritten) {
        app_log(6, APP_LOG_WARNING, "Local contact: saving %s failed, it is saved again later.\n",
                kLocalGroupFileName);
        return false;
    }
    m_bGroupDirty = false;
    SetContactUpdateMark(2);
    if (!m_bContactDirty) {
        timerKillThreadTimer(kLocalSaveTimerId);
    }
    return true;
}

bool CContactGeneralModel::SaveContactToXml() {
    if (!m_bContactDirty) {
        return true;
    }
    const bool bWritten = MyNoThrow(false, [&]() -> bool {
        pugi::xml_document doc;
        MyBuildContactDocument(doc);
        return MyWriteDocument(doc, DataPath(kLocalContactFileName));
    });
    if (!bWritten) {
        app_log(6, APP_LOG_WARNING, "Local contact: saving %s failed, it is saved again later.\n",
                kLocalContactFileName);
        return false;
    }
    m_bContactDirty = false;
    SetContactUpdateMark(1);
    if (!m_bGroupDirty) {
        timerKillThreadTimer(kLocalSaveTimerId);
    }
    return true;
}

bool CContactGeneralModel::OnTimeoutSaveGroup(unsigned int nTimerId) {
    return nTimerId == static_cast<unsigned int>(kLocalSaveTimerId) && SaveGroupToXml();
}

bool CContactGeneralModel::OnTimeoutSaveContact(unsigned int nTimerId) {
    return nTimerId == static_cast<unsigned int>(kLocalSaveTimerId) && SaveContactToXml();
}

void CContactGeneralModel::SetContactUpdateMark(int nMask) {
    const RegistryHandle hMark = registryOpen(ETL_MiscHelper::pathMapToRoot(kLocalUpdateMarkFile), "update");
    if (hMark == REGISTRY_INVALID_HANDLE) {
        return;
    }
    const int nMarked = registryGetInt(hMark, "type", 0);
    if ((nMarked | nMask) == nMarked) {
        return;  // the file already says so: rewriting it would change nothing
    }
    registrySetInt(hMark, "type", nMarked | nMask);
    registryFlush(hMark);
}

// ---- export

// Paths are written as held in memory and each contact names its group by name, so the file can be read
// back into another phone book whose group ids differ.
bool CContactGeneralModel::ExportContactAndGroup(std::string strPath) {
    return MyNoThrow(true, [&]() -> bool {
        if (strPath.empty()) {
            strPath = DataPath(kLocalExportFileName);
        }
        pugi::xml_document doc;
        pugi::xml_node groups = AppendRoot(doc, "root_group");
        for (const auto& pGroup : m_listGroup) {
            pugi::xml_node node = groups.append_child("group");
            node.append_attribute("display_name").set_value(pGroup->m_strDisplayName.c_str());
            node.append_attribute("ring").set_value(pGroup->m_strRing.c_str());
        }
        pugi::xml_node contacts = doc.append_child("root_contact");
        for (const auto& pItem : m_listItem) {
            pugi::xml_node node = contacts.append_child("contact");
            node.append_attribute("display_name").set_value(pItem->m_strDisplayName.c_str());
            node.append_attribute("office_number").set_value(pItem->m_strOfficeNumber.c_str());
            node.append_attribute("mobile_number").set_value(pItem->m_strMobileNumber.c_str());
            node.append_attribute("other_number").set_value(pItem->m_strOtherNumber.c_str());
            node.append_attribute("line").set_value(pItem->m_nLine);
            node.append_attribute("ring").set_value(pItem->m_strRing.c_str());
            node.append_attribute("group_id_name").set_value(MyGId2Name(pItem->m_nGroupId).c_str());
            node.append_attribute("default_photo").set_value(pItem->m_strDefaultPhoto.c_str());
            node.append_attribute("is_favorate").set_value(Flag(pItem->m_bFavorate));
        }
        if (!MyWriteDocument(doc, strPath)) {
            app_log(6, APP_LOG_WARNING, "Local contact: exporting to %s failed.\n", strPath.c_str());
        }
        return true;
    });
}

void CContactGeneralModel::MyBuildGroupDocument(pugi::xml_document& doc) const {
    pugi::xml_node root = AppendRoot(doc, "root_group");
    StoredForms forms;
    for (const auto& pGroup : m_listGroup) {
        AppendGroupElement(root, *pGroup, forms);
    }
}

void CContactGeneralModel::MyBuildContactDocument(pugi::xml_document& doc) const {
    pugi::xml_node root = AppendRoot(doc, "root_contact");
    StoredForms forms;
    for (const auto& pItem : m_listItem) {
        AppendContactElement(root, *pItem, forms);
    }
}

// Serialises into the reused buffer and replaces the file in one atomic write.
bool CContactGeneralModel::MyWriteDocument(const pugi::xml_document& doc, const std::string& strPath) {
    m_strSaveBuffer.clear();
    StringWriter writer(m_strSaveBuffer);
    doc.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
    return ETL_MiscHelper::fileWriteAtomic(ETL_MiscHelper::pathMapToRoot(strPath), m_strSaveBuffer);
}

}  // namespace NS_DIRECTORY
