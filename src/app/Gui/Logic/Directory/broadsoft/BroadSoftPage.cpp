// Reading downloaded network directory pages: the document, its page root and counts, and the entries of
// the six page kinds.

#include "BroadSoftPage.h"

#include <cstring>
#include <filesystem>
#include <utility>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonAPI.h"

namespace NS_DIRECTORY {

namespace {

using MemberField = std::string BroadSoftMemberFields::*;
struct NamedMemberField {
    const char* pName;
    MemberField pField;
};

// Elements of a Group or Enterprise entry, in the order they are compared.
const NamedMemberField kEntryFields[] = {
    {"lastName", &BroadSoftMemberFields::m_strLastName},
    {"firstName", &BroadSoftMemberFields::m_strFirstName},
    {"userId", &BroadSoftMemberFields::m_strUserId},
    {"groupId", &BroadSoftMemberFields::m_strGroupId},
    {"number", &BroadSoftMemberFields::m_strNumber},
    {"extension", &BroadSoftMemberFields::m_strExtension},
};
// Elements that may also come inside "additionalDetails".
const NamedMemberField kDetailFields[] = {
    {"mobile", &BroadSoftMemberFields::m_strMobile},
    {"yahooId", &BroadSoftMemberFields::m_strYahooId},
    // Xsi documents name the pager "pager"; "paper" is still read for servers that wrote it so.
    {"pager", &BroadSoftMemberFields::m_strPaper},
    {"paper", &BroadSoftMemberFields::m_strPaper},
    {"emailAddress", &BroadSoftMemberFields::m_strEmailAddress},
    {"title", &BroadSoftMemberFields::m_strTitle},
    {"location", &BroadSoftMemberFields::m_strLocation},
    {"addressLine1", &BroadSoftMemberFields::m_strAddressLine1},
    {"addressLine2", &BroadSoftMemberFields::m_strAddressLine2},
    {"city", &BroadSoftMemberFields::m_strCity},
    {"state", &BroadSoftMemberFields::m_strState},
    {"zip", &BroadSoftMemberFields::m_strZip},
    {"country", &BroadSoftMemberFields::m_strCountry},
    {"department", &BroadSoftMemberFields::m_strDepartment},
};

using CustomField = std::string ContactBroadSoftCustom::*;
const std::pair<const char*, CustomField> kCustomFields[] = {
    {"lastName", &ContactBroadSoftCustom::m_strLastName},
    {"firstName", &ContactBroadSoftCustom::m_strFirstName},
    {"userId", &ContactBroadSoftCustom::m_strUserId},
    {"number", &ContactBroadSoftCustom::m_strNumber},
    {"extension", &ContactBroadSoftCustom::m_strExtension},
    {"mobile", &ContactBroadSoftCustom::m_strMobile},
    {"emailAddress", &ContactBroadSoftCustom::m_strEmailAddress},
    {"name", &ContactBroadSoftCustom::m_strName},
    {"impId", &ContactBroadSoftCustom::m_strImpId},
};

enum class PageKind { None, Group, Personal, Enterprise, Common, Custom };

PageKind PageKindOf(const char* pName) {
    const std::pair<const char*, PageKind> kRoots[] = {
        {"Group", PageKind::Group},
        {"Personal", PageKind::Personal},
        {"Enterprise", PageKind::Enterprise},
        {"GroupCommon", PageKind::Common},
        {"EnterpriseCommon", PageKind::Common},
        {"Directory", PageKind::Custom},
    };
    for (const auto& root : kRoots) {
        if (std::strcmp(pName, root.first) == 0) {
            return root.second;
        }
    }
    return PageKind::None;
}

// The first top-level node that names a page kind.
pugi::xml_node FindPageRoot(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (PageKindOf(node.name()) != PageKind::None) {
            return node;
        }
    }
    return pugi::xml_node();
}

bool HasLatin1Declaration(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_declaration) {
            return std::strcmp(node.attribute("encoding").value(), "ISO-8859-1") == 0;
        }
    }
    return false;
}

bool SameName(const char* pName, const char* pFieldName) {
    return *pName == *pFieldName && std::strcmp(pName, pFieldName) == 0;
}

template <std::size_t N>
bool StoreMemberField(BroadSoftMemberFields& member, const char* pName, const pugi::xml_node& node,
                      const NamedMemberField (&fields)[N]) {
    for (const NamedMemberField& field : fields) {
        if (SameName(pName, field.pName)) {
            member.*field.pField = node.child_value();
            return true;
        }
    }
    return false;
}

void ReadMemberDetails(BroadSoftMemberFields& member, const pugi::xml_node& details) {
    for (pugi::xml_node detail = details.first_child(); detail; detail = detail.next_sibling()) {
        if (detail.type() == pugi::node_element) {
            StoreMemberField(member, detail.name(), detail, kDetailFields);
        }
    }
}

void ReadMemberEntry(BroadSoftMemberFields& member, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        const char* pName = node.name();
        if (StoreMemberField(member, pName, node, kEntryFields)) {
            continue;
        }
        if (std::strcmp(pName, "additionalDetails") == 0) {
            ReadMemberDetails(member, node);
            continue;
        }
        StoreMemberField(member, pName, node, kDetailFields);
    }
}

template <class TRecord>
void ReadMemberEntries(const pugi::xml_node& root, const char* pContainer, BroadSoftRecords& vecRecords) {
    const auto read = [&vecRecords](const pugi::xml_node& entry) {
        auto pRecord = std::make_unique<TRecord>();
        ReadMemberEntry(*pRecord, entry);
        vecRecords.push_back(std::move(pRecord));
    };
    pugi::xml_node entry = root.child("entry");
    if (entry) {
        for (; entry; entry = entry.next_sibling("entry")) {
            read(entry);
        }
        return;
    }
    const pugi::xml_node container = root.child(pContainer);
    for (entry = container.child("directoryDetails"); entry; entry = entry.next_sibling("directoryDetails")) {
        read(entry);
    }
}

template <class TRecord>
void ReadNameAndNumber(TRecord& record, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        const char* pText = node.child_value();
        if (node.type() != pugi::node_element || *pText == '\0') {
            continue;
        }
        if (std::strcmp(node.name(), "name") == 0) {
            record.m_strName = pText;
        } else if (std::strcmp(node.name(), "number") == 0) {
            record.m_strNumber = pText;
        }
    }
}

template <class TRecord>
void ReadNamedEntries(const pugi::xml_node& root, const char* pEntryName, BroadSoftRecords& vecRecords) {
    for (pugi::xml_node entry = root.child(pEntryName); entry; entry = entry.next_sibling(pEntryName)) {
        auto pRecord = std::make_unique<TRecord>();
        ReadNameAndNumber(*pRecord, entry);
        vecRecords.push_back(std::move(pRecord));
    }
}

void ReadCustomEntry(ContactBroadSoftCustom& record, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        for (const auto& field : kCustomFields) {
            if (std::strcmp(node.name(), field.first) == 0) {
                record.*field.second = node.child_value();
                break;
            }
        }
    }
    record.m_strMobile = CommonAPI_TrimWhitespaceFromString(record.m_strMobile, TRIM_BOTH);
}

bool ReadPageEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    switch (PageKindOf(root.name())) {
        case PageKind::Group:
            ReadBroadSoftGroupEntries(root, vecRecords);
            return true;
        case PageKind::Personal:
            ReadBroadSoftPersonalEntries(root, vecRecords);
            return true;
        case PageKind::Enterprise:
            ReadBroadSoftEnterpriseEntries(root, vecRecords);
            return true;
        case PageKind::Common:
            ReadBroadSoftCommonEntries(root, vecRecords);
            return true;
        case PageKind::Custom:
            return ReadBroadSoftCustomEntries(root, vecRecords);
        case PageKind::None:
            break;
    }
    return false;
}

}  // namespace

bool LoadBroadSoftDocument(pugi::xml_document& doc, const std::string& strPath, std::string& strRefusal) {
    strRefusal.clear();
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strReal, ec)) {
        return false;
    }
    const unsigned kOptions = pugi::parse_default | pugi::parse_declaration;
    pugi::xml_parse_result result = doc.load_file(strReal.c_str(), kOptions, pugi::encoding_auto);
    if (result && HasLatin1Declaration(doc) && result.encoding != pugi::encoding_latin1) {
        result = doc.load_file(strReal.c_str(), kOptions, pugi::encoding_latin1);
    }
    if (!result) {
        strRefusal = result.description();
        return false;
    }
    return true;
}

void LogBroadSoftRefusal(const std::string& strPath, const std::string& strRefusal) {
    if (!strRefusal.empty()) {
        app_log(6, APP_LOG_WARNING, "BroadSoft document %s refused: %s\n", strPath.c_str(),
                strRefusal.c_str());
    }
}

void ReadBroadSoftPage(const std::string& strPath, BroadSoftPage& page) {
    pugi::xml_document doc;
    if (!LoadBroadSoftDocument(doc, strPath, page.strRefusal)) {
        return;
    }
    const pugi::xml_node root = FindPageRoot(doc);
    if (!root) {
        return;
    }
    page.strStart = root.child("startIndex").text().get();
    page.strTotal = root.child("totalAvailableRecords").text().get();
    page.strCount = root.child("numberOfRecords").text().get();
    page.bRead = ReadPageEntries(root, page.vecRecords);
}

void ReadBroadSoftGroupEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    ReadMemberEntries<ContactBroadSoftGroup>(root, "groupDirectory", vecRecords);
}

void ReadBroadSoftEnterpriseEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    ReadMemberEntries<ContactBroadSoftEnterprise>(root, "enterpriseDirectory", vecRecords);
}

void ReadBroadSoftCommonEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    ReadNamedEntries<ContactBroadSoftCommon>(root, "commonPhoneEntry", vecRecords);
}

void ReadBroadSoftPersonalEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    ReadNamedEntries<ContactBroadSoftPersonal>(root, "entry", vecRecords);
}

bool ReadBroadSoftCustomEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords) {
    const pugi::xml_node contacts = root.child("contacts");
    if (!contacts) {
        return false;
    }
    for (pugi::xml_node entry = contacts.child("contact"); entry; entry = entry.next_sibling("contact")) {
        auto pRecord = std::make_unique<ContactBroadSoftCustom>();
        ReadCustomEntry(*pRecord, entry);
        vecRecords.push_back(std::move(pRecord));
    }
    return true;
}

}  // namespace NS_DIRECTORY
