#include "MockXsiServer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include <pugixml.hpp>

namespace testsupport {

namespace {

const char* const kXsiNamespace = "http://schema.broadsoft.com/xsi";
const char* const kCustomPrefix = "CustomContact/";
const char* const kDetailFields[] = {"mobile", "yahooId",  "pager",        "paper",        "emailAddress",
                                     "title",  "location", "addressLine1", "addressLine2", "city",
                                     "state",  "zip",      "country",      "department",   "impId"};
constexpr int kCappedPageSize = 30;
const char* const kPagingKeys[] = {"start", "results", "searchCriteriaModeOr"};

bool IsDetailField(const std::string& strName) {
    return std::any_of(std::begin(kDetailFields), std::end(kDetailFields),
                       [&](const char* pName) { return strName == pName; });
}

bool IsPagingKey(const std::string& strName) {
    return std::any_of(std::begin(kPagingKeys), std::end(kPagingKeys),
                       [&](const char* pName) { return strName == pName; });
}

std::string Lower(std::string strText) {
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return strText;
}

// "*" matches any run of characters; everything else matches itself.
bool GlobMatch(const char* pPattern, const char* pText) {
    if (*pPattern == '\0') {
        return *pText == '\0';
    }
    if (*pPattern == '*') {
        return GlobMatch(pPattern + 1, pText) || (*pText != '\0' && GlobMatch(pPattern, pText + 1));
    }
    return *pText == *pPattern && GlobMatch(pPattern + 1, pText + 1);
}

// One Xsi search criterion: "value", "*value*", either with "/i" behind for ignoring case.
bool CriterionMatches(const std::string& strCriterion, const std::string& strField) {
    std::string strPattern = strCriterion;
    bool bIgnoreCase = false;
    if (strPattern.size() >= 2 && strPattern.compare(strPattern.size() - 2, 2, "/i") == 0) {
        strPattern.resize(strPattern.size() - 2);
        bIgnoreCase = true;
    }
    return bIgnoreCase ? GlobMatch(Lower(strPattern).c_str(), Lower(strField).c_str())
                       : GlobMatch(strPattern.c_str(), strField.c_str());
}

using Criteria = std::vector<std::pair<std::string, std::string>>;  // field name, criterion

Criteria CriteriaOf(const httplib::Request& request) {
    Criteria criteria;
    for (const auto& param : request.params) {
        if (!IsPagingKey(param.first)) {
            criteria.emplace_back(param.first, param.second);
        }
    }
    return criteria;
}

bool EntryMatches(const XsiEntry& entry, const Criteria& criteria, bool bAnyCriterion) {
    if (criteria.empty()) {
        return true;
    }
    bool bAny = false;
    bool bAll = true;
    for (const auto& criterion : criteria) {
        const bool bMatch = CriterionMatches(criterion.second, entry.Field(criterion.first));
        bAny = bAny || bMatch;
        bAll = bAll && bMatch;
    }
    return bAnyCriterion ? bAny : bAll;
}

int IntParam(const httplib::Request& request, const char* pKey, int nDefault) {
    if (!request.has_param(pKey)) {
        return nDefault;
    }
    return std::atoi(request.get_param_value(pKey).c_str());
}

void AppendText(pugi::xml_node parent, const std::string& strName, const std::string& strValue) {
    parent.append_child(strName.c_str()).text().set(strValue.c_str());
}

void AppendMember(pugi::xml_node parent, const XsiEntry& entry) {
    pugi::xml_node details = parent.append_child("directoryDetails");
    pugi::xml_node additional;
    for (const auto& field : entry.vecFields) {
        if (entry.bAdditionalDetails && IsDetailField(field.first)) {
            if (!additional) {
                additional = details.append_child("additionalDetails");
            }
            AppendText(additional, field.first, field.second);
        } else {
            AppendText(details, field.first, field.second);
        }
    }
}

void AppendFields(pugi::xml_node parent, const char* pName, const XsiEntry& entry) {
    pugi::xml_node node = parent.append_child(pName);
    for (const auto& field : entry.vecFields) {
        AppendText(node, field.first, field.second);
    }
}

}  // namespace

// A document under construction with the root element of the answer.
class XsiDocument {
public:
    XsiDocument(const std::string& strRoot, bool bLatin1) {
        pugi::xml_node declaration = m_doc.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = bLatin1 ? "ISO-8859-1" : "UTF-8";
        m_root = m_doc.append_child(strRoot.c_str());
        m_root.append_attribute("xmlns") = kXsiNamespace;
    }
    pugi::xml_node Root() const { return m_root; }
    const pugi::xml_document& Doc() const { return m_doc; }

private:
    pugi::xml_document m_doc;
    pugi::xml_node m_root;
};

XsiEntry& XsiEntry::Set(const std::string& strName, const std::string& strValue) {
    for (auto& field : vecFields) {
        if (field.first == strName) {
            field.second = strValue;
            return *this;
        }
    }
    vecFields.emplace_back(strName, strValue);
    return *this;
}

std::string XsiEntry::Field(const std::string& strName) const {
    for (const auto& field : vecFields) {
        if (field.first == strName) {
            return field.second;
        }
    }
    return std::string();
}

XsiEntry XsiMember(const std::string& strFirstName, const std::string& strLastName,
                   const std::string& strNumber, const std::string& strExtension,
                   const std::string& strMobile, const std::string& strEmail, bool bAdditionalDetails) {
    XsiEntry entry;
    entry.bAdditionalDetails = bAdditionalDetails;
    entry.Set("userId", Lower(strFirstName + "." + strLastName) + "@example.test")
        .Set("firstName", strFirstName)
        .Set("lastName", strLastName)
        .Set("groupId", "G1")
        .Set("number", strNumber)
        .Set("extension", strExtension);
    if (!strMobile.empty()) {
        entry.Set("mobile", strMobile);
    }
    if (!strEmail.empty()) {
        entry.Set("emailAddress", strEmail);
    }
    return entry;
}

XsiEntry XsiNamedEntry(const std::string& strName, const std::string& strNumber) {
    XsiEntry entry;
    entry.Set("name", strName).Set("number", strNumber);
    return entry;
}

XsiEntry XsiCustomContact(const std::string& strFirstName, const std::string& strLastName,
                          const std::string& strNumber, const std::string& strExtension) {
    XsiEntry entry;
    entry.Set("firstName", strFirstName).Set("lastName", strLastName).Set("number", strNumber);
    if (!strExtension.empty()) {
        entry.Set("extension", strExtension);
    }
    return entry;
}

MockXsiServer::MockXsiServer(const std::string& strUserId, const std::string& strPassword, Scheme eScheme)
    : m_strUserId(strUserId), m_strPassword(strPassword), m_http(eScheme) {
    for (const XsiDirectory eDirectory :
         {XsiDirectory::Group, XsiDirectory::Enterprise, XsiDirectory::GroupCommon,
          XsiDirectory::EnterpriseCommon, XsiDirectory::Personal}) {
        m_mapDirectories[KeyOf(eDirectory)].strKind = KeyOf(eDirectory);
    }
    m_http.HandleUnmatched(
        [this](const httplib::Request& request, httplib::Response& response) { Answer(request, response); });
}

MockXsiServer::~MockXsiServer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_stallsReleased.notify_all();
    m_http.HandleUnmatched(LoopbackHttpServer::Handler());
}

std::string MockXsiServer::ServerType() const {
    return m_http.Url("").rfind("https", 0) == 0 ? "https" : "http";
}

std::string MockXsiServer::DirectoriesPath() const {
    return "/com.broadsoft.xsi-actions/v2.0/user/" + m_strUserId + "/directories/";
}

std::string MockXsiServer::PathOf(XsiDirectory eDirectory) const {
    return DirectoriesPath() + KeyOf(eDirectory);
}

std::string MockXsiServer::CustomPath(const std::string& strName) const {
    return DirectoriesPath() + kCustomPrefix + strName;
}

std::string MockXsiServer::CustomListPath() const {
    return DirectoriesPath() + "CustomContact";
}

std::string MockXsiServer::KeyOf(XsiDirectory eDirectory) {
    switch (eDirectory) {
        case XsiDirectory::Group:
            return "Group";
        case XsiDirectory::Enterprise:
            return "Enterprise";
        case XsiDirectory::GroupCommon:
            return "GroupCommon";
        case XsiDirectory::EnterpriseCommon:
            return "EnterpriseCommon";
        case XsiDirectory::Personal:
            return "Personal";
    }
    return std::string();
}

void MockXsiServer::SetPassword(const std::string& strPassword) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strPassword = strPassword;
}

void MockXsiServer::SetDefaultPageSize(int nEntries) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nDefaultPageSize = nEntries;
}

void MockXsiServer::SetPagingFault(PagingFault eFault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ePagingFault = eFault;
}

void MockXsiServer::SetLatin1(bool bLatin1) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bLatin1 = bLatin1;
}

void MockXsiServer::SetEntries(XsiDirectory eDirectory, std::vector<XsiEntry> vecEntries) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapDirectories[KeyOf(eDirectory)].vecEntries = std::move(vecEntries);
}

void MockXsiServer::AddEntry(XsiDirectory eDirectory, XsiEntry entry) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapDirectories[KeyOf(eDirectory)].vecEntries.push_back(std::move(entry));
}

std::vector<XsiEntry> MockXsiServer::Entries(XsiDirectory eDirectory) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapDirectories.at(KeyOf(eDirectory)).vecEntries;
}

void MockXsiServer::SetCustomDirectory(const std::string& strName, std::vector<XsiEntry> vecEntries) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Directory& directory = m_mapDirectories[kCustomPrefix + strName];
    directory.strKind = "Directory";
    directory.vecEntries = std::move(vecEntries);
    if (std::find(m_vecOffered.begin(), m_vecOffered.end(), strName) == m_vecOffered.end()) {
        m_vecOffered.push_back(strName);
    }
}

void MockXsiServer::SetOfferedCustomDirectories(std::vector<std::string> vecNames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_vecOffered = std::move(vecNames);
}

void MockXsiServer::SetWriteRefusal(int nStatus) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nWriteRefusal = nStatus;
}

void MockXsiServer::Fail(const std::string& strPath, int nStatus, const std::string& strBody) {
    m_http.Fail(strPath, nStatus, strBody);
}

void MockXsiServer::Stall(const std::string& strPath) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_setStalled.insert(strPath);
}

void MockXsiServer::ReleaseStalls() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_setStalled.clear();
        ++m_nReleaseGeneration;
    }
    m_stallsReleased.notify_all();
}

void MockXsiServer::Restore(const std::string& strPath) {
    m_http.Remove(strPath);
}

void MockXsiServer::HoldWhileStalled(const httplib::Request& request) {
    const std::size_t nQuery = request.target.find('?');
    const std::string strWithQuery =
        nQuery == std::string::npos ? request.path : request.path + request.target.substr(nQuery);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_setStalled.count(request.path) == 0 && m_setStalled.count(strWithQuery) == 0) {
        return;
    }
    const std::uint64_t nGeneration = m_nReleaseGeneration;
    m_stallsReleased.wait(lock, [&] { return m_bStopping || m_nReleaseGeneration != nGeneration; });
}

bool MockXsiServer::IsAuthorised(const httplib::Request& request) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return request.get_header_value("Authorization") == BasicAuthorization(m_strUserId, m_strPassword);
}

void MockXsiServer::Answer(const httplib::Request& request, httplib::Response& response) {
    HoldWhileStalled(request);
    const std::string strPrefix = DirectoriesPath();
    if (request.path.compare(0, strPrefix.size(), strPrefix) != 0) {
        response.status = 404;
        return;
    }
    if (!IsAuthorised(request)) {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"BroadWorks\"");
        return;
    }
    const std::string strKey = request.path.substr(strPrefix.size());
    if (request.method == "POST" || request.method == "DELETE") {
        std::lock_guard<std::mutex> lock(m_mutex);
        response.status = AnswerChange(request, strKey);
        return;
    }
    if (request.method != "GET") {
        response.status = 405;
        return;
    }
    std::string strBody;
    bool bLatin1 = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        bLatin1 = m_bLatin1;
        const auto found = m_mapDirectories.find(strKey);
        if (strKey == "CustomContact") {
            strBody = RenderCustomList();
        } else if (found != m_mapDirectories.end()) {
            strBody = RenderPage(found->second, request);
        } else {
            response.status = 404;
            return;
        }
    }
    response.set_content(strBody,
                         bLatin1 ? "application/xml; charset=ISO-8859-1" : "application/xml; charset=UTF-8");
}

int MockXsiServer::AnswerChange(const httplib::Request& request, const std::string& strKey) {
    const std::string strPersonal = KeyOf(XsiDirectory::Personal);
    if (m_nWriteRefusal != 0) {
        return m_nWriteRefusal;
    }
    if (request.method == "POST" && strKey == strPersonal) {
        return AddPersonalEntries(request.body);
    }
    if (request.method == "DELETE" && strKey.size() > strPersonal.size() + 1 &&
        strKey.compare(0, strPersonal.size() + 1, strPersonal + "/") == 0) {
        return DeletePersonalEntry(strKey.substr(strPersonal.size() + 1));
    }
    return 405;
}

// Expects m_mutex held.
int MockXsiServer::AddPersonalEntries(const std::string& strBody) {
    pugi::xml_document doc;
    if (!doc.load_buffer(strBody.data(), strBody.size())) {
        return 400;
    }
    std::vector<XsiEntry> vecNew;
    for (pugi::xml_node entry = doc.child("Personal").child("entry"); entry;
         entry = entry.next_sibling("entry")) {
        vecNew.push_back(XsiNamedEntry(entry.child_value("name"), entry.child_value("number")));
    }
    std::vector<XsiEntry>& vecEntries = m_mapDirectories[KeyOf(XsiDirectory::Personal)].vecEntries;
    for (const XsiEntry& entry : vecNew) {
        const std::string strName = Lower(entry.Field("name"));
        if (strName.empty()) {
            return 400;
        }
        for (const XsiEntry& existing : vecEntries) {
            if (Lower(existing.Field("name")) == strName) {
                return 409;
            }
        }
    }
    if (vecNew.empty()) {
        return 400;
    }
    vecEntries.insert(vecEntries.end(), vecNew.begin(), vecNew.end());
    return 200;
}

// Expects m_mutex held.
int MockXsiServer::DeletePersonalEntry(const std::string& strName) {
    std::vector<XsiEntry>& vecEntries = m_mapDirectories[KeyOf(XsiDirectory::Personal)].vecEntries;
    const auto found = std::find_if(vecEntries.begin(), vecEntries.end(),
                                    [&](const XsiEntry& entry) { return entry.Field("name") == strName; });
    if (found == vecEntries.end()) {
        return 404;
    }
    vecEntries.erase(found);
    return 200;
}

// Expects m_mutex held.
std::string MockXsiServer::RenderPage(const Directory& directory, const httplib::Request& request) const {
    const Criteria criteria = CriteriaOf(request);
    const bool bAnyCriterion = request.get_param_value("searchCriteriaModeOr") == "True";
    std::vector<const XsiEntry*> vecMatching;
    vecMatching.reserve(directory.vecEntries.size());
    for (const XsiEntry& entry : directory.vecEntries) {
        if (EntryMatches(entry, criteria, bAnyCriterion)) {
            vecMatching.push_back(&entry);
        }
    }
    const int nTotal = static_cast<int>(vecMatching.size());
    int nStart = std::max(1, IntParam(request, "start", 1));
    const int nResults = std::max(0, IntParam(request, "results", m_nDefaultPageSize));
    if (m_ePagingFault == PagingFault::RepeatFirstPage) {
        nStart = 1;
    }
    const int nFirst = std::min(nStart - 1, nTotal);
    int nCount = std::min(nResults, nTotal - nFirst);
    if (m_ePagingFault == PagingFault::CappedLaterPages && nStart > 1) {
        nCount = std::min(nCount, kCappedPageSize);
    }
    const int nClaimed = nCount;
    if (m_ePagingFault == PagingFault::EmptyLaterPages && nStart > 1) {
        nCount = 0;
    }

    XsiDocument document(directory.strKind, m_bLatin1);
    pugi::xml_node root = document.Root();
    AppendText(root, "startIndex", std::to_string(nStart));
    AppendText(root, "numberOfRecords", std::to_string(nClaimed));
    AppendText(root, "totalAvailableRecords", std::to_string(nTotal));
    const bool bMembers = directory.strKind == "Group" || directory.strKind == "Enterprise";
    pugi::xml_node container = root;
    if (bMembers) {
        container =
            root.append_child(directory.strKind == "Group" ? "groupDirectory" : "enterpriseDirectory");
    } else if (directory.strKind == "Directory") {
        container = root.append_child("contacts");
    }
    for (int i = nFirst; i < nFirst + nCount; ++i) {
        const XsiEntry& entry = *vecMatching[static_cast<std::size_t>(i)];
        if (bMembers) {
            AppendMember(container, entry);
        } else if (directory.strKind == "Directory") {
            AppendFields(container, "contact", entry);
        } else if (directory.strKind == "Personal") {
            AppendFields(container, "entry", entry);
        } else {
            AppendFields(container, "commonPhoneEntry", entry);
        }
    }
    return Serialise(document);
}

// Expects m_mutex held.
std::string MockXsiServer::RenderCustomList() const {
    XsiDocument document("CustomContact", m_bLatin1);
    for (const std::string& strName : m_vecOffered) {
        AppendText(document.Root().append_child("directory"), "name", strName);
    }
    return Serialise(document);
}

std::string MockXsiServer::Serialise(const XsiDocument& document) const {
    std::ostringstream out;
    document.Doc().save(out, "", pugi::format_raw, m_bLatin1 ? pugi::encoding_latin1 : pugi::encoding_utf8);
    return out.str();
}

}  // namespace testsupport
