// Commands of the network directory (BroadSoft Xsi): the table of directories, a directory or the
// combined list page by page, server-side search, refresh and cancel.

#include <algorithm>
#include <cstdlib>

#include "CommandSupport.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactBroadSoftItem.h"
#include "ContactBroadSoftModel.h"
#include "ContactBroadSoftTypes.h"
#include "HostControl.h"
#include "LocalSearch.h"
#include "ModuleAdapter.h"
#include "Progress.h"
#include "Session.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

constexpr int kDownloadWaitMs = 60000;

CContactBroadSoftModel& Model() {
    return *CContactBroadSoftModel::GetInstance();
}

std::string Action(int nIndex) {
    return "broadsoft_phonebook_x" + std::to_string(nIndex);
}

std::string KindOf(const BroadSoftConfigItem& item) {
    if (item.m_strUrl == BSFT_ALL_CONTACT) {
        return "combined";
    }
    if (item.m_strUrl.find("CustomContact") != std::string::npos) {
        return "custom";
    }
    if (CContactBroadSoftModel::IsPersonal(item.m_strUrl)) {
        return "personal";
    }
    return CContactBroadSoftModel::IsCommonDir(item.m_strUrl) ? "common" : "directory";
}

// The fields of an entry that are set, by their Xsi names.
json EntryJson(const ContactBroadSoftItemData& entry) {
    const std::pair<const char*, const std::string*> fields[] = {{"name", &entry.m_strName},
                                                                 {"number", &entry.m_strNumber},
                                                                 {"extension", &entry.m_strExtension},
                                                                 {"mobile", &entry.m_strMobile},
                                                                 {"emailAddress", &entry.m_strEmailAddress},
                                                                 {"department", &entry.m_strDepartment},
                                                                 {"title", &entry.m_strTitle},
                                                                 {"userId", &entry.m_strUserId},
                                                                 {"groupId", &entry.m_strGroupId},
                                                                 {"location", &entry.m_strLocation},
                                                                 {"city", &entry.m_strCity},
                                                                 {"country", &entry.m_strCountry}};
    json object = json::object();
    for (const auto& field : fields) {
        if (!field.second->empty()) {
            object[field.first] = *field.second;
        }
    }
    object["type"] = entry.m_eType;
    return object;
}

// Group and Enterprise entries carry their name as "first,last".
std::string ShownName(const ContactBroadSoftItemData& entry) {
    std::string strName = entry.m_strName;
    const size_t nComma = strName.find(',');
    if (nComma != std::string::npos && entry.m_strName.find(' ') == std::string::npos) {
        strName[nComma] = ' ';
    }
    return strName;
}

std::string EntryLine(int nNumber, const ContactBroadSoftItemData& entry) {
    std::string strLine =
        Pad(std::to_string(nNumber) + ".", 5) + Pad(ShownName(entry), 26) + entry.m_strNumber;
    if (!entry.m_strExtension.empty()) {
        strLine += "  ext " + entry.m_strExtension;
    }
    if (!entry.m_strMobile.empty()) {
        strLine += "  mobile " + entry.m_strMobile;
    }
    return strLine;
}

// The criteria of a server search, from the options (names as Xsi knows them) or from the view kept.
ContactBroadSoftItemData CriteriaFrom(const json& criteria) {
    ContactBroadSoftItemData data;
    auto text = [&criteria](const char* pKey) {
        return criteria.is_object() && criteria.contains(pKey) ? criteria[pKey].get<std::string>()
                                                               : std::string();
    };
    data.m_strName = text("name");
    data.m_strNumber = text("number");
    data.m_strExtension = text("extension");
    data.m_strMobile = text("mobile");
    data.m_strDepartment = text("department");
    data.m_strEmailAddress = text("email");
    return data;
}

// Why the downloads of this command failed, from the module's page messages and the host's transfers.
std::string FailureReason(CSession& session, size_t nSkip) {
    for (const Notice& notice : session.CommandNoticesSince(nSkip)) {
        if (notice.nId != BSFT_MSG_DOWNLOAD_RESULT || notice.lParam == 1) {
            continue;
        }
        if (notice.lParam == 401) {
            return "the server refused the user name or password (HTTP 401)";
        }
        const std::string strWhy = session.Transfers().Explain(notice.strData);
        return strWhy.empty() ? "a page could not be downloaded" : strWhy;
    }
    return "";
}

int PagesSince(CSession& session, size_t nSkip) {
    int nPages = 0;
    for (const Notice& notice : session.CommandNoticesSince(nSkip)) {
        nPages += notice.nId == BSFT_MSG_DOWNLOAD_RESULT && notice.lParam == 1 ? 1 : 0;
    }
    return nPages;
}

Result ResultFailure(int nResult, const std::string& strWhat, const std::string& strWhy) {
    std::string strReason;
    switch (nResult) {
        case BSFT_LIST_REFUSED:
            strReason = "the phone refused to start the download";
            break;
        case BSFT_LIST_NO_DIRECTORY:
            strReason = "there is no such directory (see bsft)";
            break;
        case BSFT_LIST_NO_NETWORK:
            strReason = "the phone has no network";
            break;
        default:
            strReason = strWhy.empty()
                            ? "the directory has nothing to show (its download failed or was canceled)"
                            : "the download failed: " + strWhy;
    }
    Result result = Result::Fail(strWhat + ": " + strReason);
    result.data["result"] = nResult;
    return result;
}

// A page of the directory at the index, downloading it first when needed; the search criteria make it
// the server search of that directory.
Result ShowPage(CSession& session, int nIndex, const PageRequest& page, const json& criteria, bool bFresh) {
    const bool bSearch = !criteria.is_null();
    const std::string strName = Model().GetConfiguredItemName(nIndex);
    const std::string strWhat = std::string(bSearch ? "cannot search " : "cannot open ") +
                                (strName.empty() ? "directory " + std::to_string(nIndex + 1) : strName);
    const size_t nSkip = session.CommandNoticeCount();
    auto fetch = [&](bool bClear, ContactBroadSoftListData* pList) {
        *pList = ContactBroadSoftListData();
        pList->m_nIndexFrom = page.From();
        pList->m_nCountToGet = page.nSize;
        ContactBroadSoftItemData data = CriteriaFrom(criteria);
        return Model().GetContactListByClickAction(pList, Action(nIndex), data, bClear, bSearch);
    };
    ContactBroadSoftListData list;
    int nResult = fetch(bFresh, &list);
    double dSeconds = 0;
    if (nResult == BSFT_LIST_DOWNLOADING) {
        CProgress progress("downloading " + strName, session.ShowProgress());
        const CSession::WaitEnd eEnd = session.WaitIdle(
            kDownloadWaitMs, &progress, [&] { return Counted(PagesSince(session, nSkip), "page") + " in"; });
        dSeconds = progress.Seconds();
        if (eEnd == CSession::WaitEnd::Interrupted) {
            return Result::Fail(strWhat + ": interrupted");
        }
        nResult = fetch(false, &list);
    }
    if (nResult != BSFT_LIST_COPIED) {
        return ResultFailure(nResult, strWhat, FailureReason(session, nSkip));
    }
    session.SetBsftView(nIndex, criteria);
    Result result;
    result.data = PageJson(page, list.m_nTotalCount);
    result.data["directory"] = strName;
    result.data["index"] = nIndex + 1;
    result.data["pagesDownloaded"] = PagesSince(session, nSkip);
    result.data["entries"] = json::array();
    if (bSearch) {
        result.data["criteria"] = criteria;
    }
    std::string strDownloaded;
    if (PagesSince(session, nSkip) > 0) {
        char szSeconds[32];
        std::snprintf(szSeconds, sizeof szSeconds, "%.1f", dSeconds);
        strDownloaded =
            " (downloaded " + Counted(PagesSince(session, nSkip), "page") + " in " + szSeconds + " s)";
    }
    result.Line((bSearch ? "search in " : "") + strName + ": " +
                PageSummary(page, list.m_nTotalCount, "entry") + strDownloaded);
    int nNumber = page.From();
    for (const ContactBroadSoftItemData& entry : list.m_listData) {
        result.data["entries"].push_back(EntryJson(entry));
        result.Line("  " + EntryLine(++nNumber, entry));
    }
    if (list.m_listData.empty()) {
        result.Line(bSearch && list.m_nTotalCount == 0
                        ? "  (no match, or no criterion applies to this directory)"
                        : "  (nothing here)");
    }
    return result;
}

bool ReadIndex(const Args& args, const char* pName, int nDefault, int* pIndex, std::string* pError) {
    const int nNumber = args.Has(pName) ? args.Int(pName) : nDefault + 1;
    if (nNumber < 1 || nNumber > Model().GetTotalConfigurableItemCount()) {
        *pError = Model().GetTotalConfigurableItemCount() == 0
                      ? "no network directory is configured (BSFTActive, the Xsi account)"
                      : "directories are numbered 1 to " +
                            std::to_string(Model().GetTotalConfigurableItemCount()) + " (see bsft)";
        return false;
    }
    *pIndex = nNumber - 1;
    return true;
}

// ---- commands

Result Bsft(CSession& session, const Args&) {
    Result result;
    result.data["configured"] = module::IsBroadSoftContactConfigured();
    result.data["directories"] = json::array();
    const int nCount = Model().GetTotalConfigurableItemCount();
    result.Line(nCount == 0 ? "no network directory is configured" : "network directory:");
    for (int i = 0; i < nCount; ++i) {
        const BroadSoftConfigItem* pItem = Model().GetConfigDataByIndex(i);
        if (pItem == nullptr) {
            continue;
        }
        result.data["directories"].push_back({{"index", i + 1},
                                              {"name", pItem->m_strName},
                                              {"kind", KindOf(*pItem)},
                                              {"url", pItem->m_strUrl}});
        result.Line("  " + Pad(std::to_string(i + 1) + ".", 4) + Pad(pItem->m_strName, 22) + KindOf(*pItem));
    }
    if (session.BsftIndex() >= 0) {
        result.data["inView"] = Model().GetConfiguredItemName(session.BsftIndex());
        result.Line("in view: " + Model().GetConfiguredItemName(session.BsftIndex()) +
                    (session.BsftCriteria().is_null() ? "" : " (server search)") +
                    (session.BsftFindKey().empty() ? "" : " (search \"" + session.BsftFindKey() + "\")"));
    }
    return result;
}

Result BsftOpen(CSession& session, const Args& args) {
    int nIndex = 0;
    PageRequest page;
    std::string strError;
    if (!ReadIndex(args, "directory", 0, &nIndex, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    return ShowPage(session, nIndex, page, nullptr, true);
}

Result FindPage(CSession& session, int nIndex, const std::string& strKey, const PageRequest& page,
                bool bSteps);

Result BsftList(CSession& session, const Args& args) {
    PageRequest page;
    std::string strError;
    if (!ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    if (session.BsftIndex() < 0) {
        return Result::Fail("open a network directory first (bsft open N)");
    }
    if (!session.BsftFindKey().empty()) {
        return FindPage(session, session.BsftIndex(), session.BsftFindKey(), page, false);
    }
    return ShowPage(session, session.BsftIndex(), page, session.BsftCriteria(), false);
}

Result BsftSearch(CSession& session, const Args& args) {
    int nIndex = 0;
    PageRequest page;
    std::string strError;
    const int nDefault = session.BsftIndex() >= 0 ? session.BsftIndex() : 0;
    if (!ReadIndex(args, "in", nDefault, &nIndex, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    json criteria = json::object();
    if (args.Has("first") || args.Has("last")) {
        criteria["name"] = args.Text("first") + "," + args.Text("last");
    } else if (args.Has("name")) {
        criteria["name"] = args.Text("name");
    }
    for (const char* pKey : {"number", "extension", "mobile", "department", "email"}) {
        if (args.Has(pKey)) {
            criteria[pKey] = args.Text(pKey);
        }
    }
    if (criteria.empty()) {
        return Result::Fail(
            "say what to search for: --name, --first/--last, --number, --extension, --mobile, "
            "--department or --email");
    }
    return ShowPage(session, nIndex, page, criteria, true);
}

Result BsftRefresh(CSession& session, const Args&) {
    const size_t nSkip = session.CommandNoticeCount();
    CommonUnits_SetErrorId(0);
    CProgress progress("refreshing the network directory", session.ShowProgress());
    if (!Model().Update()) {
        return Result::Fail("cannot refresh the network directory: the phone has no network");
    }
    const CSession::WaitEnd eEnd = session.WaitIdle(
        kDownloadWaitMs, &progress, [&] { return Counted(PagesSince(session, nSkip), "page") + " in"; });
    if (eEnd == CSession::WaitEnd::Interrupted) {
        return Result::Fail("the refresh was interrupted");
    }
    ContactBroadSoftListData list;
    ContactBroadSoftItemData none;
    list.m_nCountToGet = 1;
    Model().GetContactListByClickAction(&list, Action(0), none, false, false);
    const std::string strFailure = FailureReason(session, nSkip);
    Result result;
    result.data = {{"pages", PagesSince(session, nSkip)},
                   {"combinedEntries", list.m_nTotalCount},
                   {"seconds", progress.Seconds()},
                   {"finished", eEnd == CSession::WaitEnd::Done}};
    if (!strFailure.empty()) {
        result.data["failure"] = strFailure;
    }
    char szSeconds[32];
    std::snprintf(szSeconds, sizeof szSeconds, "%.1f", progress.Seconds());
    return result.Line(
        std::string(eEnd == CSession::WaitEnd::Done ? "refreshed: " : "refresh still running: ") +
        Counted(PagesSince(session, nSkip), "page") + " in " + szSeconds + " s, " +
        Counted(list.m_nTotalCount, "entry") + " in the combined list" +
        (strFailure.empty() ? "" : "; failed: " + strFailure));
}

Result BsftCancel(CSession&, const Args&) {
    Result result;
    result.data["canceled"] = Model().CancelDownload();
    return result.Line(result.data["canceled"].get<bool>()
                           ? "canceled the download of the directory in view"
                           : "no download of the directory in view to cancel");
}

// ---- local search, copies, dialling and Personal editing

// The table index of the Personal directory the phone may change; -1 when none is configured.
int PersonalIndex() {
    for (int i = 0; i < Model().GetTotalConfigurableItemCount(); ++i) {
        if (Model().IsPersonalV2(Action(i))) {
            return i;
        }
    }
    return -1;
}

// An entry of the directory in view, given by its number as listed or by its shown name.
bool EntryFrom(CSession& session, const std::string& strGiven, ContactBroadSoftItemData* pEntry,
               std::string* pError) {
    if (session.BsftIndex() < 0) {
        *pError = "open a network directory first (bsft open N, or bsft find KEY)";
        return false;
    }
    char* pEnd = nullptr;
    const long nItem = std::strtol(strGiven.c_str(), &pEnd, 10);
    if (strGiven.empty() || *pEnd != '\0') {
        const ContactBroadSoftItemBase* pItem = Model().GetBroadSoftContactByName(strGiven);
        if (pItem == nullptr || !BroadSoftItem2Data(pItem, *pEntry)) {
            *pError = "the directory in view has no entry named \"" + strGiven + "\"";
            return false;
        }
        return true;
    }
    ContactBroadSoftListData list;
    list.m_nIndexFrom = static_cast<int>(nItem) - 1;
    list.m_nCountToGet = 1;
    ContactBroadSoftItemData criteria = CriteriaFrom(session.BsftCriteria());
    const bool bSearch = !session.BsftCriteria().is_null();
    const bool bFound =
        nItem >= 1 && (session.BsftFindKey().empty()
                           ? Model().GetContactListByClickAction(&list, Action(session.BsftIndex()), criteria,
                                                                 false, bSearch) == BSFT_LIST_COPIED
                           : Model().SearchLocal(&list, Action(session.BsftIndex()), session.BsftFindKey()));
    if (!bFound || list.m_listData.empty()) {
        *pError = "there is no entry " + strGiven + " in the directory in view";
        return false;
    }
    *pEntry = list.m_listData.front();
    return true;
}

// A page of the search of what was downloaded, which becomes the view; with bSteps the count after each key.
Result FindPage(CSession& session, int nIndex, const std::string& strKey, const PageRequest& page,
                bool bSteps) {
    const std::string strName = Model().GetConfiguredItemName(nIndex);
    const std::vector<std::string> vecKeys =
        bSteps ? TypedPrefixes(strKey) : std::vector<std::string>{strKey};
    Result result;
    result.data["steps"] = json::array();
    ContactBroadSoftListData list;
    for (const std::string& strStep : vecKeys) {
        const bool bLast = strStep == vecKeys.back();
        list = ContactBroadSoftListData();
        list.m_nIndexFrom = bLast ? page.From() : 0;
        list.m_nCountToGet = page.nSize;
        if (!Model().SearchLocal(&list, Action(nIndex), strStep)) {
            return Result::Fail("cannot search " + strName +
                                ": the network directory has not started (its server has not answered)");
        }
        if (!bLast) {
            result.data["steps"].push_back({{"key", strStep}, {"total", list.m_nTotalCount}});
            result.Line("\"" + strStep + "\": " + Counted(list.m_nTotalCount, "match"));
        }
    }
    session.SetBsftView(nIndex, nullptr, strKey);
    result.data.update(PageJson(page, list.m_nTotalCount));
    result.data["key"] = strKey;
    result.data["directory"] = strName;
    result.data["entries"] = json::array();
    result.Line("\"" + strKey + "\" in " + strName + ": " + PageSummary(page, list.m_nTotalCount, "match"));
    int nNumber = page.From();
    for (const ContactBroadSoftItemData& entry : list.m_listData) {
        result.data["entries"].push_back(EntryJson(entry));
        result.Line("  " + EntryLine(++nNumber, entry));
    }
    return result;
}

Result BsftFind(CSession& session, const Args& args) {
    int nIndex = 0;
    PageRequest page;
    std::string strError;
    const int nDefault = session.BsftIndex() >= 0 ? session.BsftIndex() : 0;
    if (!ReadIndex(args, "in", nDefault, &nIndex, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    return FindPage(session, nIndex, args.Text("key"), page, args.Flag("steps"));
}

Result BsftCopy(CSession& session, const Args& args) {
    ContactBroadSoftItemData entry;
    std::string strError;
    if (!EntryFrom(session, args.Text("entry"), &entry, &strError)) {
        return Result::Fail("cannot copy: " + strError);
    }
    const bool bBlack = args.Flag("blacklist");
    CommonUnits_SetErrorId(0);
    const int nResult =
        bBlack ? Model().BroadSoft2Black(entry.m_strName) : Model().BroadSoft2Local(entry.m_strName);
    if (nResult < 0) {
        if (CommonUnits_GetErrorId() == 0) {
            return Result::Fail("cannot copy \"" + ShownName(entry) +
                                "\": entries of this kind are not copied");
        }
        return LocalRefusal("cannot copy \"" + ShownName(entry) + "\"");
    }
    Result result;
    result.data["copied"] = EntryJson(entry);
    result.data["to"] = bBlack ? "blacklist" : "local";
    return result.Line("copied " + ShownName(entry) +
                       (bBlack ? " into the blacklist" : " into the local phone book"));
}

Result BsftDial(CSession& session, const Args& args) {
    ContactBroadSoftItemData entry;
    std::string strError;
    if (!EntryFrom(session, args.Text("entry"), &entry, &strError)) {
        return Result::Fail("cannot dial: " + strError);
    }
    if (entry.m_strNumber.empty()) {
        return Result::Fail("\"" + ShownName(entry) + "\" has no number");
    }
    HostControl::TakeCallOuts();
    Model().CallOut(entry.m_strNumber, entry.m_strName);
    Result result;
    result.data["calls"] = json::array();
    for (const HostControl::CallOutRecord& call : HostControl::TakeCallOuts()) {
        result.data["calls"].push_back(
            {{"number", call.strNumber}, {"name", call.strName}, {"account", call.nAccount}});
        result.Line("dialling " + call.strNumber + " (" + call.strName + ") on account " +
                    std::to_string(call.nAccount));
    }
    return result;
}

// What the server answered to the uploads and deletes since the n-th transfer.
json ServerAnswers(CSession& session, size_t nFrom) {
    json answers = json::array();
    const std::vector<TransferOutcome>& vecHistory = session.Transfers().History();
    for (size_t i = std::min(nFrom, vecHistory.size()); i < vecHistory.size(); ++i) {
        const TransferOutcome& outcome = vecHistory[i];
        if (outcome.strMethod == "GET") {
            continue;
        }
        answers.push_back(
            {{"method", outcome.strMethod},
             {"url", outcome.strUrl},
             {"ok", outcome.bOk},
             {"reason", outcome.bOk ? "" : TransferFailureText(outcome.nError, outcome.nHttpStatus)}});
    }
    return answers;
}

// A change the server did not take is a failed command, even though the phone sent it.
Result ServerVerdict(Result result, const std::string& strWhat) {
    for (const json& answer : result.data["server"]) {
        if (!answer["ok"].get<bool>()) {
            result.bOk = false;
            result.strError =
                strWhat + ": the server did not take it: " + answer["reason"].get<std::string>();
            break;
        }
    }
    return result;
}

std::string ServerSummary(const json& answers) {
    for (const json& answer : answers) {
        if (!answer["ok"].get<bool>()) {
            return "; the server did not take it: " + answer["reason"].get<std::string>();
        }
    }
    return answers.empty() ? "" : "; the server took it";
}

// Lets the phone send the change and the server answer it.
bool WaitForServer(CSession& session, const std::string& strLabel) {
    CProgress progress(strLabel, session.ShowProgress());
    return session.WaitIdle(kDownloadWaitMs, &progress) != CSession::WaitEnd::Interrupted;
}

Result PersonalFailure(const std::string& strWhat) {
    switch (CommonUnits_GetErrorId()) {
        case -2:
            return Result::Fail(strWhat +
                                ": a Personal entry of that name exists already (names ignore case)");
        case -14:
            return Result::Fail(strWhat + ": the phone has no network");
        default:
            return Result::Fail(
                strWhat + ": the phone refused (no such entry, an empty name or number, or no network)");
    }
}

bool FindPersonal(int nPersonal, const std::string& strName, ContactBroadSoftItemData* pEntry) {
    ContactBroadSoftListData list;
    ContactBroadSoftItemData none;
    list.m_nCountToGet = 1 << 16;
    Model().GetContactListByClickAction(&list, Action(nPersonal), none, false, false);
    for (const ContactBroadSoftItemData& entry : list.m_listData) {
        if (entry.m_strName == strName) {
            *pEntry = entry;
            return true;
        }
    }
    return false;
}

Result BsftAdd(CSession& session, const Args& args) {
    if (PersonalIndex() < 0) {
        return Result::Fail("cannot add: no Personal directory the phone may change is configured");
    }
    ContactBroadSoftPersonal item;
    item.m_strName = args.Text("name");
    item.m_strNumber = args.Text("number");
    const size_t nTransfers = session.Transfers().History().size();
    CommonUnits_SetErrorId(0);
    if (!Model().AddContact2Personal(&item)) {
        return PersonalFailure("cannot add \"" + item.m_strName + "\" to Personal");
    }
    if (!WaitForServer(session, "sending to the server")) {
        return Result::Fail("interrupted");
    }
    Result result;
    result.data["added"] = {{"name", item.m_strName}, {"number", item.m_strNumber}};
    result.data["server"] = ServerAnswers(session, nTransfers);
    result.Line("added " + item.m_strName + " (" + item.m_strNumber + ") to Personal" +
                ServerSummary(result.data["server"]));
    return ServerVerdict(std::move(result), "cannot add \"" + item.m_strName + "\" to Personal");
}

Result BsftEdit(CSession& session, const Args& args) {
    const int nPersonal = PersonalIndex();
    if (nPersonal < 0) {
        return Result::Fail("cannot edit: no Personal directory the phone may change is configured");
    }
    const std::string strOld = args.Text("entry");
    ContactBroadSoftItemData current;
    if (!FindPersonal(nPersonal, strOld, &current)) {
        return Result::Fail("cannot edit: Personal has no entry named \"" + strOld + "\"");
    }
    ContactBroadSoftPersonal item;
    item.m_strName = args.Text("name", current.m_strName);
    item.m_strNumber = args.Text("number", current.m_strNumber);
    const size_t nTransfers = session.Transfers().History().size();
    CommonUnits_SetErrorId(0);
    if (!Model().EditPersonalContact(Action(nPersonal), strOld, item)) {
        return PersonalFailure("cannot change \"" + strOld + "\"");
    }
    if (!WaitForServer(session, "sending to the server")) {
        return Result::Fail("interrupted");
    }
    Result result;
    result.data["changed"] = strOld;
    result.data["now"] = {{"name", item.m_strName}, {"number", item.m_strNumber}};
    result.data["server"] = ServerAnswers(session, nTransfers);
    result.Line("changed " + strOld + " in Personal to " + item.m_strName + " (" + item.m_strNumber + ")" +
                ServerSummary(result.data["server"]));
    return ServerVerdict(std::move(result), "cannot change \"" + strOld + "\"");
}

Result BsftDelete(CSession& session, const Args& args) {
    const int nPersonal = PersonalIndex();
    if (nPersonal < 0) {
        return Result::Fail("cannot delete: no Personal directory the phone may change is configured");
    }
    const std::vector<std::string> vecNames = args.List("entries");
    std::string strNames;
    for (const std::string& strName : vecNames) {
        ContactBroadSoftItemData entry;
        if (!FindPersonal(nPersonal, strName, &entry)) {
            return Result::Fail("cannot delete: Personal has no entry named \"" + strName +
                                "\"; nothing was deleted");
        }
        strNames += (strNames.empty() ? "" : ", ") + strName;
    }
    const size_t nTransfers = session.Transfers().History().size();
    CommonUnits_SetErrorId(0);
    if (!Model().DeleteContactsInPersonal(std::list<std::string>(vecNames.begin(), vecNames.end()),
                                          Action(nPersonal))) {
        return PersonalFailure("cannot delete " + strNames + " from Personal");
    }
    if (!WaitForServer(session, "deleting on the server")) {
        return Result::Fail("interrupted");
    }
    Result result;
    result.data["deleted"] = vecNames;
    result.data["server"] = ServerAnswers(session, nTransfers);
    result.Line("deleted " + strNames + " from Personal" + ServerSummary(result.data["server"]));
    return ServerVerdict(std::move(result), "cannot delete " + strNames + " from Personal");
}

}  // namespace

void AddBroadSoftCommands(CCommandRegistry& registry) {
    std::vector<ParamDef> pageParams = PageParams();
    std::vector<ParamDef> openParams = {{"directory", ParamKind::Positional, ParamType::Int, false, false,
                                         "directory number (default 1, all)"}};
    openParams.insert(openParams.end(), pageParams.begin(), pageParams.end());
    std::vector<ParamDef> searchParams = {
        {"name", ParamKind::Option, ParamType::Text, false, false, "name (Personal, Common, custom)"},
        {"first", ParamKind::Option, ParamType::Text, false, false, "first name (Group, Enterprise)"},
        {"last", ParamKind::Option, ParamType::Text, false, false, "last name (Group, Enterprise)"},
        {"number", ParamKind::Option, ParamType::Text, false, false, "number"},
        {"extension", ParamKind::Option, ParamType::Text, false, false, "extension"},
        {"mobile", ParamKind::Option, ParamType::Text, false, false, "mobile number"},
        {"department", ParamKind::Option, ParamType::Text, false, false, "department"},
        {"email", ParamKind::Option, ParamType::Text, false, false, "e-mail address"},
        {"in", ParamKind::Option, ParamType::Int, false, false,
         "directory number (default: the one in view)"}};
    searchParams.insert(searchParams.end(), pageParams.begin(), pageParams.end());

    registry.Add({"bsft", "the network directory's directories", "bsft", {}, Bsft});
    registry.Add({"bsft open", "a directory, or the combined list (1), page by page", "bsft open 1 --page 2",
                  openParams, BsftOpen});
    registry.Add({"bsft list", "the network directory page in view again", "bsft list --page 3", pageParams,
                  BsftList});
    registry.Add({"bsft search", "search a network directory on the server", "bsft search --first Bru --in 3",
                  searchParams, BsftSearch});
    registry.Add({"bsft refresh", "download every network directory again", "bsft refresh", {}, BsftRefresh});
    std::vector<ParamDef> findParams = {
        {"key", ParamKind::Positional, ParamType::Text, true, false, "letters, or keypad digits"},
        {"in", ParamKind::Option, ParamType::Int, false, false,
         "directory number (default: the one in view)"},
        {"steps", ParamKind::Flag, ParamType::Text, false, false,
         "show the count after every key, as typed"}};
    findParams.insert(findParams.end(), pageParams.begin(), pageParams.end());
    const ParamDef entry{"entry",         ParamKind::Positional,
                         ParamType::Text, true,
                         false,           "entry number as listed, or its shown name"};
    registry.Add({"bsft find", "search what was downloaded, as the phone does while you type",
                  "bsft find 6427", findParams, BsftFind});
    registry.Add(
        {"bsft copy",
         "copy an entry in view into the local phone book",
         "bsft copy 2 --blacklist",
         {entry, {"blacklist", ParamKind::Flag, ParamType::Text, false, false, "into the blacklist"}},
         BsftCopy});
    registry.Add({"bsft dial", "dial an entry in view", "bsft dial 1", {entry}, BsftDial});
    registry.Add({"bsft add",
                  "add an entry to the Personal directory on the server",
                  "bsft add Plumber 040123987",
                  {{"name", ParamKind::Positional, ParamType::Text, true, false, "name"},
                   {"number", ParamKind::Positional, ParamType::Text, true, false, "number"}},
                  BsftAdd});
    registry.Add({"bsft edit",
                  "change a Personal entry on the server",
                  "bsft edit Plumber --number 040123988",
                  {{"entry", ParamKind::Positional, ParamType::Text, true, false, "its name"},
                   {"name", ParamKind::Option, ParamType::Text, false, false, "new name"},
                   {"number", ParamKind::Option, ParamType::Text, false, false, "new number"}},
                  BsftEdit});
    registry.Add({"bsft delete",
                  "delete Personal entries on the server",
                  "bsft delete Plumber",
                  {{"entries", ParamKind::Positional, ParamType::Text, true, true, "their names"}},
                  BsftDelete});
    registry.Add(
        {"bsft cancel", "cancel the download of the directory in view", "bsft cancel", {}, BsftCancel});
}

}  // namespace dirsim
