// Reading downloaded network directory pages: the document, its page root and counts, and the entries of
// the six page kinds.

#include "BroadSoftPage.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <utility>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonAPI.h"

namespace NS_DIRECTORY {

namespace {

using MemberField = std::string BroadSoftMemberFields::*;

// Where an element of a Group or Enterprise entry goes. Fields from "mobile" on may also come inside
// "additionalDetails"; the others only directly under the entry.
struct MemberElement {
    MemberField pField = nullptr;  // null: not a field
    bool bDetail = false;          // also read inside "additionalDetails"
    bool bDetails = false;         // the "additionalDetails" element itself
};

struct NamedMemberElement {
    const char* pName;
    MemberElement element;
};

using Member = BroadSoftMemberFields;
// Grouped by first letter, so an element name is compared only with the names that share its first letter.
constexpr NamedMemberElement kMemberElements[] = {
    {"additionalDetails", {nullptr, false, true}},
    {"addressLine1", {&Member::m_strAddressLine1, true, false}},
    {"addressLine2", {&Member::m_strAddressLine2, true, false}},
    {"city", {&Member::m_strCity, true, false}},
    {"country", {&Member::m_strCountry, true, false}},
    {"department", {&Member::m_strDepartment, true, false}},
    {"extension", {&Member::m_strExtension, false, false}},
    {"emailAddress", {&Member::m_strEmailAddress, true, false}},
    {"firstName", {&Member::m_strFirstName, false, false}},
    {"groupId", {&Member::m_strGroupId, false, false}},
    {"lastName", {&Member::m_strLastName, false, false}},
    {"location", {&Member::m_strLocation, true, false}},
    {"mobile", {&Member::m_strMobile, true, false}},
    {"number", {&Member::m_strNumber, false, false}},
    // Xsi documents name the pager "pager"; "paper" is still read for servers that wrote it so.
    {"pager", {&Member::m_strPaper, true, false}},
    {"paper", {&Member::m_strPaper, true, false}},
    {"state", {&Member::m_strState, true, false}},
    {"title", {&Member::m_strTitle, true, false}},
    {"userId", {&Member::m_strUserId, false, false}},
    {"yahooId", {&Member::m_strYahooId, true, false}},
    {"zip", {&Member::m_strZip, true, false}},
};

// For each lower-case first letter, the range of kMemberElements whose names start with it.
struct LetterRange {
    std::size_t nBegin = 0;
    std::size_t nEnd = 0;
};
constexpr std::size_t kLetters = 26;

constexpr std::array<LetterRange, kLetters> MakeLetterRanges() {
    std::array<LetterRange, kLetters> ranges{};
    for (std::size_t n = 0; n < std::size(kMemberElements); ++n) {
        LetterRange& range = ranges[static_cast<std::size_t>(kMemberElements[n].pName[0] - 'a')];
        if (range.nEnd == 0) {
            range.nBegin = n;
        }
        range.nEnd = n + 1;
    }
    return ranges;
}
constexpr std::array<LetterRange, kLetters> kLetterRanges = MakeLetterRanges();

// The names sharing a first letter must be next to each other for their range to hold them all.
constexpr bool AreLettersGrouped() {
    std::size_t nCount = 0;
    for (const LetterRange& range : kLetterRanges) {
        nCount += range.nEnd - range.nBegin;
    }
    return nCount == std::size(kMemberElements);
}
static_assert(AreLettersGrouped(), "kMemberElements must keep names of one first letter together");

MemberElement MemberElementOf(const char* pName) {
    if (*pName < 'a' || *pName > 'z') {
        return MemberElement{};
    }
    const LetterRange& range = kLetterRanges[static_cast<std::size_t>(*pName - 'a')];
    for (std::size_t n = range.nBegin; n < range.nEnd; ++n) {
        if (std::strcmp(pName + 1, kMemberElements[n].pName + 1) == 0) {
            return kMemberElements[n].element;
        }
    }
    return MemberElement{};
}

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

// Downloaded documents keep their declaration, which names their encoding.
constexpr unsigned kDocumentOptions = pugi::parse_default | pugi::parse_declaration;

// A body in memory, parsed from a copy that ends in the NUL a file read adds.
pugi::xml_parse_result ParseBody(pugi::xml_document& doc, const std::string& strBody,
                                 pugi::xml_encoding eEncoding) {
    return doc.load_buffer(strBody.data(), strBody.size(), kDocumentOptions, eEncoding);
}

// The document again as Latin-1 when its declaration names that encoding but the first reading did not
// take it so; false with the reason when the document is not well-formed.
template <class TParse>
bool FinishLoad(pugi::xml_document& doc, pugi::xml_parse_result result, const TParse& parse,
                std::string& strRefusal) {
    if (result && HasLatin1Declaration(doc) && result.encoding != pugi::encoding_latin1) {
        result = parse(pugi::encoding_latin1);
    }
    if (!result) {
        strRefusal = result.description();
        return false;
    }
    return true;
}

// A text into a field. Appending to the empty field of a new record costs less than assigning over it or
// moving a string in; a field named twice in one entry keeps its last text.
void StoreText(std::string& strField, const char* pText) {
    if (strField.empty()) {
        strField.append(pText);
    } else {
        strField.assign(pText);
    }
}

// The text of an element (its first text or CDATA child) into a field.
void StoreText(std::string& strField, const pugi::xml_node& element) {
    StoreText(strField, element.child_value());
}

// Only elements carry a name among the children of an entry (text, CDATA and comment nodes have none, and
// a declaration or doctype cannot stand inside an element), so a child whose name matches is an element.
void ReadMemberDetails(BroadSoftMemberFields& member, const pugi::xml_node& details) {
    for (pugi::xml_node detail = details.first_child(); detail; detail = detail.next_sibling()) {
        const MemberElement element = MemberElementOf(detail.name());
        if (element.bDetail) {
            StoreText(member.*element.pField, detail);
        }
    }
}

void ReadMemberEntry(BroadSoftMemberFields& member, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        const MemberElement element = MemberElementOf(node.name());
        if (element.pField != nullptr) {
            StoreText(member.*element.pField, node);
        } else if (element.bDetails) {
            ReadMemberDetails(member, node);
        }
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
            StoreText(record.m_strName, pText);
        } else if (std::strcmp(node.name(), "number") == 0) {
            StoreText(record.m_strNumber, pText);
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
                StoreText(record.*field.second, node.child_value());
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

// Room for as many entries as the page says it holds, up to a bound; a page holding more still grows.
constexpr long kMostEntriesReserved = 1000;

std::size_t EntriesToReserve(const std::string& strCount) {
    const long nCount = std::strtol(strCount.c_str(), nullptr, 10);
    return static_cast<std::size_t>(std::clamp(nCount, 0L, kMostEntriesReserved));
}

void ReadPageOfDocument(const pugi::xml_document& doc, BroadSoftPage& page) {
    const pugi::xml_node root = FindPageRoot(doc);
    if (!root) {
        return;
    }
    page.strStart = root.child("startIndex").text().get();
    page.strTotal = root.child("totalAvailableRecords").text().get();
    page.strCount = root.child("numberOfRecords").text().get();
    page.vecRecords.reserve(EntriesToReserve(page.strCount));
    page.bRead = ReadPageEntries(root, page.vecRecords);
}

}  // namespace

bool LoadBroadSoftDocument(pugi::xml_document& doc, const std::string& strPath, std::string& strRefusal) {
    strRefusal.clear();
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strReal, ec)) {
        return false;
    }
    const auto read = [&](pugi::xml_encoding eEncoding) {
        return doc.load_file(strReal.c_str(), kDocumentOptions, eEncoding);
    };
    return FinishLoad(doc, read(pugi::encoding_auto), read, strRefusal);
}

bool LoadBroadSoftBody(pugi::xml_document& doc, const std::string& strBody, std::string& strRefusal) {
    strRefusal.clear();
    const auto parse = [&](pugi::xml_encoding eEncoding) { return ParseBody(doc, strBody, eEncoding); };
    return FinishLoad(doc, parse(pugi::encoding_auto), parse, strRefusal);
}

void LogBroadSoftRefusal(const std::string& strPath, const std::string& strRefusal) {
    if (!strRefusal.empty()) {
        app_log(6, APP_LOG_WARNING, "BroadSoft document %s refused: %s\n", strPath.c_str(),
                strRefusal.c_str());
    }
}

void ReadBroadSoftPage(const std::string& strPath, BroadSoftPage& page) {
    pugi::xml_document doc;
    if (LoadBroadSoftDocument(doc, strPath, page.strRefusal)) {
        ReadPageOfDocument(doc, page);
    }
}

void ReadBroadSoftPageBody(const std::string& strBody, BroadSoftPage& page) {
    pugi::xml_document doc;
    if (LoadBroadSoftBody(doc, strBody, page.strRefusal)) {
        ReadPageOfDocument(doc, page);
    }
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
