#include "XsiFuzzModel.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "FuzzHarness.h"
#include "HostControl.h"
#include "UrlCodec.h"

namespace NS_DIRECTORY {

constexpr const char* kBodyName = "downloaded page";

// The drivers' way into the model: its lists, the page and list readers and the table.
class BroadSoftModelPeer {
public:
    struct ListState {
        int nStatus = -1;
        int nTotal = 0;
        int nPageSize = 0;
        std::vector<ContactBroadSoftItemData> vecRecords;
    };

    static CContactBroadSoftModel& Model() { return *CContactBroadSoftModel::GetInstance(); }

    // Every list dropped; the URL's list made afresh with two entries in it.
    static void FreshList(const std::string& strUrl) {
        CContactBroadSoftModel& model = Model();
        model.MyClearMap(false);
        model.MyMakeReadyForDownload(strUrl);
        for (const char* pName : {"Old One", "Old Two"}) {
            ContactBroadSoftPersonal record;
            record.m_strName = pName;
            record.m_strNumber = "1001";
            FUZZ_CHECK(model.MyAddPersonalItem(strUrl, record) >= 0);
        }
    }

    static bool LoadPage(const std::string& strUrl, const std::string& strPath, int nStart) {
        return Model().MyLoadDataFromFile(strUrl, strPath, nStart);
    }

    static bool LoadPageBody(const std::string& strUrl, const std::string& strBody, int nStart) {
        return Model().MyLoadDataFromBody(strUrl, strBody, kBodyName, nStart);
    }

    static ListState State(const std::string& strUrl) {
        CContactBroadSoftModel& model = Model();
        std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(model.m_csLock);
        ListState state;
        const CContactBroadSoftModel::ListItemData* pData = model.MyFindItemData(strUrl);
        FUZZ_CHECK(pData != nullptr);
        state.nStatus = pData->m_eStatus;
        state.nTotal = pData->m_nTotal;
        state.nPageSize = pData->m_nPageSize;
        for (const ContactBroadSoftItemBase* pItem : pData->m_listItem) {
            state.vecRecords.emplace_back();
            FUZZ_CHECK(BroadSoftItem2Data(pItem, state.vecRecords.back()));
        }
        return state;
    }

    static bool LoadCustomList(std::string& strWanted, const std::string& strPath) {
        return Model().MyLoadCustomListFromFile(strWanted, strPath);
    }

    // The table rebuilt from the configuration: the combined entry and the fixed directories.
    static void FreshTable() { Model().PreLoad(false); }
    static void InsertCustom(const std::string& strNames) {
        CContactBroadSoftModel& model = Model();
        model.MyInsertCustomConfig(model.m_strBaseUrl + "CustomContact", strNames);
    }
    static std::string BaseUrl() { return Model().m_strBaseUrl; }
};

}  // namespace NS_DIRECTORY

namespace fuzzsupport {

namespace {

using NS_DIRECTORY::BroadSoftModelPeer;
using NS_DIRECTORY::ContactBroadSoftItemData;
using Field = std::string ContactBroadSoftItemData::*;

const char* const kPagePath = "/tmp/BroadSoftDirectory_1.xml";
const char* const kListPath = "/tmp/BroadSoftDirectory_2.xml";

// ---- the independent reading

void StartModel() {
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        Sandbox(false);
        configParser_SetConfigInt("BSFTActive", 1);
        configParser_SetConfigString("AccountBroadsoftXSIHostAddr", "127.0.0.1");
        configParser_SetConfigString("AccountBroadsoftXSIPort", "9");
        configParser_SetConfigString("AccountBroadsoftXSIUserID", "fuzz@example.test");
        configParser_SetConfigString("AccountBroadsoftXSIServerType", "http");
        for (const char* pKey :
             {"BsftGroup", "BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal"}) {
            configParser_SetConfigInt(pKey, 1);
        }
        FUZZ_CHECK(NS_DIRECTORY::CContactBroadSoftModel::GetInstance() != nullptr);
    });
}

// What the host recorded for one input (log lines, warnings, GUI messages) would pile up over a run.
void DrainHostRecords() {
    HostControl::TakeLogLines();
    HostControl::TakeWarningLines();
    HostControl::TakeNotifications();
}

std::string XsiUrl(const std::string& strSuffix) {
    return BroadSoftModelPeer::BaseUrl() + strSuffix;
}

// The document as a phone reads it: with its declaration, in the encoding it names when that is Latin-1.
bool LoadLikeThePhone(pugi::xml_document& doc, const std::string& strText) {
    const unsigned kOptions = pugi::parse_default | pugi::parse_declaration;
    pugi::xml_parse_result result =
        doc.load_buffer(strText.data(), strText.size(), kOptions, pugi::encoding_auto);
    if (!result) {
        return false;
    }
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_declaration) {
            continue;
        }
        if (std::strcmp(node.attribute("encoding").value(), "ISO-8859-1") == 0 &&
            result.encoding != pugi::encoding_latin1) {
            result = doc.load_buffer(strText.data(), strText.size(), kOptions, pugi::encoding_latin1);
        }
        break;
    }
    return static_cast<bool>(result);
}

int ClampedInt(const char* pText) {
    errno = 0;
    const long long nValue = std::strtoll(pText, nullptr, 10);
    if (nValue > INT_MAX || (errno == ERANGE && nValue > 0)) {
        return INT_MAX;
    }
    return nValue < INT_MIN ? INT_MIN : static_cast<int>(nValue);
}

enum class Kind { None, Member, Personal, Common, Custom };

Kind KindOf(const char* pName, int* pType) {
    const struct {
        const char* pRoot;
        Kind eKind;
        int nType;
    } kKinds[] = {
        {"Group", Kind::Member, NS_DIRECTORY::BSFT_ITEM_GROUP},
        {"Enterprise", Kind::Member, NS_DIRECTORY::BSFT_ITEM_ENTERPRISE},
        {"Personal", Kind::Personal, NS_DIRECTORY::BSFT_ITEM_PERSONAL},
        {"GroupCommon", Kind::Common, NS_DIRECTORY::BSFT_ITEM_COMMON},
        {"EnterpriseCommon", Kind::Common, NS_DIRECTORY::BSFT_ITEM_COMMON},
        {"Directory", Kind::Custom, NS_DIRECTORY::BSFT_ITEM_CUSTOM},
    };
    for (const auto& kind : kKinds) {
        if (std::strcmp(pName, kind.pRoot) == 0) {
            *pType = kind.nType;
            return kind.eKind;
        }
    }
    return Kind::None;
}

const std::pair<const char*, Field> kDetailFields[] = {
    {"mobile", &ContactBroadSoftItemData::m_strMobile},
    {"yahooId", &ContactBroadSoftItemData::m_strYahooId},
    {"pager", &ContactBroadSoftItemData::m_strPaper},
    {"paper", &ContactBroadSoftItemData::m_strPaper},
    {"emailAddress", &ContactBroadSoftItemData::m_strEmailAddress},
    {"title", &ContactBroadSoftItemData::m_strTitle},
    {"location", &ContactBroadSoftItemData::m_strLocation},
    {"addressLine1", &ContactBroadSoftItemData::m_strAddressLine1},
    {"addressLine2", &ContactBroadSoftItemData::m_strAddressLine2},
    {"city", &ContactBroadSoftItemData::m_strCity},
    {"state", &ContactBroadSoftItemData::m_strState},
    {"zip", &ContactBroadSoftItemData::m_strZip},
    {"country", &ContactBroadSoftItemData::m_strCountry},
    {"department", &ContactBroadSoftItemData::m_strDepartment},
};
const std::pair<const char*, Field> kMemberFields[] = {
    {"userId", &ContactBroadSoftItemData::m_strUserId},
    {"groupId", &ContactBroadSoftItemData::m_strGroupId},
    {"number", &ContactBroadSoftItemData::m_strNumber},
    {"extension", &ContactBroadSoftItemData::m_strExtension},
};
const std::pair<const char*, Field> kCustomFields[] = {
    {"userId", &ContactBroadSoftItemData::m_strUserId},
    {"number", &ContactBroadSoftItemData::m_strNumber},
    {"extension", &ContactBroadSoftItemData::m_strExtension},
    {"mobile", &ContactBroadSoftItemData::m_strMobile},
    {"emailAddress", &ContactBroadSoftItemData::m_strEmailAddress},
    {"impId", &ContactBroadSoftItemData::m_strImpId},
};

template <std::size_t N>
bool Store(ContactBroadSoftItemData& data, const pugi::xml_node& node,
           const std::pair<const char*, Field> (&fields)[N]) {
    for (const auto& field : fields) {
        if (std::strcmp(node.name(), field.first) == 0) {
            data.*field.second = node.child_value();
            return true;
        }
    }
    return false;
}

// The elements of an entry; first and last name are kept aside for the shown name.
struct NamedEntry {
    ContactBroadSoftItemData data;
    std::string strFirst;
    std::string strLast;

    bool StoreName(const pugi::xml_node& node) {
        if (std::strcmp(node.name(), "firstName") == 0) {
            strFirst = node.child_value();
        } else if (std::strcmp(node.name(), "lastName") == 0) {
            strLast = node.child_value();
        } else {
            return false;
        }
        return true;
    }
    ContactBroadSoftItemData Shown(int nType) {
        data.m_eType = nType;
        data.m_strName = strFirst + "," + strLast;
        return data;
    }
};

ContactBroadSoftItemData ReadMember(const pugi::xml_node& entry, int nType) {
    NamedEntry record;
    for (const pugi::xml_node& node : entry.children()) {
        if (node.type() != pugi::node_element || record.StoreName(node) ||
            Store(record.data, node, kMemberFields) || Store(record.data, node, kDetailFields)) {
            continue;
        }
        if (std::strcmp(node.name(), "additionalDetails") == 0) {
            for (const pugi::xml_node& detail : node.children()) {
                if (detail.type() == pugi::node_element) {
                    Store(record.data, detail, kDetailFields);
                }
            }
        }
    }
    return record.Shown(nType);
}

ContactBroadSoftItemData ReadNamed(const pugi::xml_node& entry, int nType) {
    ContactBroadSoftItemData data;
    data.m_eType = nType;
    for (const pugi::xml_node& node : entry.children()) {
        const std::string strText = node.child_value();
        if (node.type() != pugi::node_element || strText.empty()) {
            continue;
        }
        if (std::strcmp(node.name(), "name") == 0) {
            data.m_strName = strText;
        } else if (std::strcmp(node.name(), "number") == 0) {
            data.m_strNumber = strText;
        }
    }
    return data;
}

std::string TrimmedWhitespace(const std::string& strText) {
    const char* const kSpace = " \t\r\n\f\v";
    const std::size_t nBegin = strText.find_first_not_of(kSpace);
    return nBegin == std::string::npos
               ? ""
               : strText.substr(nBegin, strText.find_last_not_of(kSpace) - nBegin + 1);
}

ContactBroadSoftItemData ReadCustom(const pugi::xml_node& contact) {
    NamedEntry record;
    for (const pugi::xml_node& node : contact.children()) {
        if (node.type() == pugi::node_element && !record.StoreName(node)) {
            Store(record.data, node, kCustomFields);
        }
    }
    record.data.m_strMobile = TrimmedWhitespace(record.data.m_strMobile);
    return record.Shown(NS_DIRECTORY::BSFT_ITEM_CUSTOM);
}

std::vector<ContactBroadSoftItemData> ReadEntries(const pugi::xml_node& root, Kind eKind, int nType) {
    std::vector<ContactBroadSoftItemData> vecRecords;
    switch (eKind) {
        case Kind::Member: {
            for (const pugi::xml_node& entry : root.children("entry")) {
                vecRecords.push_back(ReadMember(entry, nType));
            }
            if (vecRecords.empty()) {
                const char* pContainer =
                    nType == NS_DIRECTORY::BSFT_ITEM_GROUP ? "groupDirectory" : "enterpriseDirectory";
                for (const pugi::xml_node& entry : root.child(pContainer).children("directoryDetails")) {
                    vecRecords.push_back(ReadMember(entry, nType));
                }
            }
            break;
        }
        case Kind::Personal:
        case Kind::Common:
            for (const pugi::xml_node& entry :
                 root.children(eKind == Kind::Personal ? "entry" : "commonPhoneEntry")) {
                vecRecords.push_back(ReadNamed(entry, nType));
            }
            break;
        case Kind::Custom:
            for (const pugi::xml_node& contact : root.child("contacts").children("contact")) {
                vecRecords.push_back(ReadCustom(contact));
            }
            break;
        case Kind::None:
            break;
    }
    return vecRecords;
}

// What reading the page must do to a list in state `before`, asked for start nStart.
struct ExpectedPage {
    bool bAnswer = false;
    bool bNextPageAsked = false;
    BroadSoftModelPeer::ListState after;
};

ExpectedPage Expect(const std::string& strText, int nStart, const BroadSoftModelPeer::ListState& before) {
    ExpectedPage expected;
    expected.after = before;
    pugi::xml_document doc;
    if (!LoadLikeThePhone(doc, strText)) {
        return expected;
    }
    int nType = 0;
    pugi::xml_node root;
    for (const pugi::xml_node& node : doc.children()) {
        if (node.type() == pugi::node_element && KindOf(node.name(), &nType) != Kind::None) {
            root = node;
            break;
        }
    }
    const Kind eKind = root ? KindOf(root.name(), &nType) : Kind::None;
    if (eKind == Kind::None || (eKind == Kind::Custom && !root.child("contacts"))) {
        return expected;
    }
    expected.bAnswer = true;
    const std::string strStart = root.child("startIndex").child_value();
    if (nStart > 1 && !strStart.empty() && ClampedInt(strStart.c_str()) != nStart) {
        return expected;  // another page than asked for: paging ends, nothing changes
    }
    const std::string strTotal = root.child("totalAvailableRecords").child_value();
    const std::string strCount = root.child("numberOfRecords").child_value();
    if (!strTotal.empty()) {
        expected.after.nTotal = ClampedInt(strTotal.c_str());
    }
    if (!strCount.empty()) {
        expected.after.nPageSize = ClampedInt(strCount.c_str());
    }
    const std::vector<ContactBroadSoftItemData> vecNew = ReadEntries(root, eKind, nType);
    if (nStart <= 1) {
        expected.after.vecRecords.clear();
    }
    expected.after.vecRecords.insert(expected.after.vecRecords.end(), vecNew.begin(), vecNew.end());
    const long long nHeld = static_cast<long long>(expected.after.vecRecords.size());
    expected.bNextPageAsked = !vecNew.empty() && !strTotal.empty() && !strCount.empty() &&
                              strTotal != strCount && nHeld < expected.after.nTotal;
    if (expected.bNextPageAsked) {
        // The executor refuses the next page's download, which fails the list.
        expected.after.nStatus = NS_DIRECTORY::CContactBroadSoftModel::LIST_FAILED;
    }
    return expected;
}

std::string Fields(const ContactBroadSoftItemData& d) {
    std::string strOut = std::to_string(d.m_eType);
    for (const std::string* pField :
         {&d.m_strName, &d.m_strNumber, &d.m_strUserId, &d.m_strGroupId, &d.m_strExtension, &d.m_strMobile,
          &d.m_strYahooId, &d.m_strPaper, &d.m_strEmailAddress, &d.m_strTitle, &d.m_strLocation,
          &d.m_strAddressLine1, &d.m_strAddressLine2, &d.m_strCity, &d.m_strState, &d.m_strZip,
          &d.m_strCountry, &d.m_strDepartment, &d.m_strImpId}) {
        strOut += "|" + *pField;
    }
    return strOut;
}

void CheckSameRecords(const std::vector<ContactBroadSoftItemData>& vecExpected,
                      const std::vector<ContactBroadSoftItemData>& vecRead) {
    if (vecExpected.size() != vecRead.size()) {
        std::fprintf(stderr, "records: %zu expected, %zu read\n", vecExpected.size(), vecRead.size());
    }
    FUZZ_CHECK(vecExpected.size() == vecRead.size());
    for (std::size_t i = 0; i < vecRead.size(); ++i) {
        const std::string strExpected = Fields(vecExpected[i]);
        const std::string strRead = Fields(vecRead[i]);
        if (strExpected != strRead) {
            std::fprintf(stderr, "record %zu\n expected %s\n read     %s\n", i, strExpected.c_str(),
                         strRead.c_str());
        }
        FUZZ_CHECK(strExpected == strRead);
    }
}

// ---- the custom-directory list

std::vector<std::string> Split(const std::string& strText) {
    std::vector<std::string> vecParts;
    std::size_t nPos = 0;
    for (;;) {
        const std::size_t nComma = strText.find(',', nPos);
        vecParts.push_back(
            strText.substr(nPos, nComma == std::string::npos ? std::string::npos : nComma - nPos));
        if (nComma == std::string::npos) {
            return vecParts;
        }
        nPos = nComma + 1;
    }
}

std::string Joined(const std::vector<std::string>& vecNames, std::size_t nCount) {
    std::string strOut;
    for (std::size_t i = 0; i < vecNames.size() && i < nCount; ++i) {
        strOut += (i == 0 ? "" : ",") + vecNames[i];
    }
    return strOut;
}

bool Contains(const std::vector<std::string>& vecNames, const std::string& strName) {
    for (const std::string& strEach : vecNames) {
        if (strEach == strName) {
            return true;
        }
    }
    return false;
}

struct ExpectedList {
    bool bAnswer = false;
    std::string strAll;
    std::string strUse;
};

ExpectedList ExpectList(const std::string& strText, const std::string& strUseBefore) {
    ExpectedList expected;
    pugi::xml_document doc;
    if (!LoadLikeThePhone(doc, strText) || !doc.child("CustomContact")) {
        return expected;
    }
    expected.bAnswer = true;
    std::vector<std::string> vecOffered;
    for (const pugi::xml_node& directory : doc.child("CustomContact").children("directory")) {
        const std::string strName = directory.child("name").child_value();
        if (!strName.empty()) {
            vecOffered.push_back(strName);
        }
    }
    expected.strAll = Joined(vecOffered, vecOffered.size());
    std::string strUse = strUseBefore;
    if (strUse.empty()) {
        strUse = Joined(vecOffered, 5);
    }
    std::vector<std::string> vecKept;
    bool bAllOffered = true;
    for (const std::string& strName : Split(strUse)) {
        if (strName.empty()) {
            continue;
        }
        if (Contains(vecOffered, strName)) {
            vecKept.push_back(strName);
        } else {
            bAllOffered = false;
        }
    }
    expected.strUse = bAllOffered ? strUse : Joined(vecKept, vecKept.size());
    return expected;
}

void CheckCustomTable(const std::string& strWanted) {
    NS_DIRECTORY::CContactBroadSoftModel& model = BroadSoftModelPeer::Model();
    BroadSoftModelPeer::FreshTable();
    const int nFixed = model.GetTotalConfigurableItemCount();
    BroadSoftModelPeer::InsertCustom(strWanted);
    std::vector<std::string> vecNames;
    for (const std::string& strName : Split(strWanted)) {
        if (!strName.empty()) {
            vecNames.push_back(strName);
        }
    }
    FUZZ_CHECK(model.GetTotalConfigurableItemCount() == nFixed + static_cast<int>(vecNames.size()));
    const std::string strPrefix = XsiUrl("CustomContact/");
    for (std::size_t i = 0; i < vecNames.size(); ++i) {
        const NS_DIRECTORY::BroadSoftConfigItem* pItem =
            model.GetConfigDataByIndex(nFixed + static_cast<int>(i));
        FUZZ_CHECK(pItem != nullptr && pItem->m_strName == vecNames[i]);
        FUZZ_CHECK(pItem->m_strUrl.compare(0, strPrefix.size(), strPrefix) == 0);
        const std::string strSegment = pItem->m_strUrl.substr(strPrefix.size());
        FUZZ_CHECK(strSegment.find_first_of("/?#&= \"<>\\") == std::string::npos);
        FUZZ_CHECK(CommonAPI_UrlDecode(strSegment) == vecNames[i]);
    }
    BroadSoftModelPeer::FreshTable();
}

}  // namespace

void CheckXsiPage(const std::string& strSuffix, const std::uint8_t* pData, std::size_t nSize) {
    StartModel();
    const std::string strUrl = XsiUrl(strSuffix);
    const std::string strText = Text(pData, nSize);
    const int nStart = nSize % 2 == 0 ? 1 : 3;
    WriteFile(kPagePath, strText);
    // The page as a downloaded file, then as a downloaded body kept in memory.
    for (const bool bBody : {false, true}) {
        BroadSoftModelPeer::FreshList(strUrl);
        const BroadSoftModelPeer::ListState before = BroadSoftModelPeer::State(strUrl);
        const ExpectedPage expected = Expect(strText, nStart, before);
        const bool bAnswer = bBody ? BroadSoftModelPeer::LoadPageBody(strUrl, strText, nStart)
                                   : BroadSoftModelPeer::LoadPage(strUrl, kPagePath, nStart);
        FUZZ_CHECK(bAnswer == expected.bAnswer);
        const BroadSoftModelPeer::ListState after = BroadSoftModelPeer::State(strUrl);
        CheckSameRecords(expected.after.vecRecords, after.vecRecords);
        FUZZ_CHECK(after.nTotal == expected.after.nTotal);
        FUZZ_CHECK(after.nPageSize == expected.after.nPageSize);
        FUZZ_CHECK(after.nStatus == expected.after.nStatus);
        FUZZ_CHECK(HostControl::PendingActionCount() == 0);
        DrainHostRecords();
    }
}

void CheckXsiCustomList(const std::uint8_t* pData, std::size_t nSize) {
    StartModel();
    const char* const kWantedLists[] = {"", "Sales", "Sales,Old", "A,,B,C,D,E,F"};
    const std::string strUseBefore = kWantedLists[nSize % 4];
    const std::string kAllBefore = "Before";
    configParser_SetConfigString("BsftCustomListUse", strUseBefore);
    configParser_SetConfigString("BsftCustomListAll", kAllBefore);
    const std::string strText = Text(pData, nSize);
    const ExpectedList expected = ExpectList(strText, strUseBefore);
    WriteFile(kListPath, strText);
    std::string strWanted = "untouched";
    FUZZ_CHECK(BroadSoftModelPeer::LoadCustomList(strWanted, kListPath) == expected.bAnswer);
    if (!expected.bAnswer) {
        FUZZ_CHECK(strWanted == "untouched");
        FUZZ_CHECK(configParser_GetConfigString("BsftCustomListUse") == strUseBefore);
        FUZZ_CHECK(configParser_GetConfigString("BsftCustomListAll") == kAllBefore);
        DrainHostRecords();
        return;
    }
    FUZZ_CHECK(configParser_GetConfigString("BsftCustomListAll") == expected.strAll);
    FUZZ_CHECK(configParser_GetConfigString("BsftCustomListUse") == expected.strUse);
    FUZZ_CHECK(strWanted == expected.strUse);
    CheckCustomTable(strWanted);
    DrainHostRecords();
}

}  // namespace fuzzsupport
