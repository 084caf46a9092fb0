// Commands of the remote phonebook: the slots, browsing level by level, soft keys, paging, local and
// server-side search, refresh, cancel, copying entries into the local phone book and dialling them.

#include <algorithm>
#include <functional>
#include <list>

#include "CommandSupport.h"
#include "CommonUnits.h"
#include "ContactRemoteItem.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "ContactRemoteTypes.h"
#include "HostControl.h"
#include "ModuleAdapter.h"
#include "Progress.h"
#include "Session.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

constexpr int kDownloadWaitMs = 15000;
constexpr int kSlotCount = 5;
constexpr int kNetworkDown = -14;

CContactRemoteModel& Model() {
    return *CContactRemoteModel::GetInstance();
}

std::string SlotAction(int nSlot) {
    return "remote_phonebook_x" + std::to_string(nSlot);
}

// Receives the answers of background tree searches.
class CRemoteSearchReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        auto* pSearch = dynamic_cast<CContactRemoteSearchAction*>(pAction);
        if (pSearch != nullptr) {
            m_answer = pSearch->GetResultListData();
            m_bAnswered = true;
        }
    }
    bool m_bAnswered = false;
    RemoteSearchListData m_answer;
};

CRemoteSearchReceiver& SearchReceiver() {
    static CRemoteSearchReceiver receiver;
    return receiver;
}

int EntryCount() {
    RemoteSearchListData data;
    data.m_nCountToGet = 1;
    return Model().SearchWithOneNumber(&data) ? data.m_nTotalCount : 0;
}

// The failed downloads with the reason of each, in words.
json FailedDownloads(CSession& session, std::string* pFirstReason) {
    json failed = json::array();
    std::list<std::string> listKeys;
    Model().GetFailedMissonList(&listKeys);
    for (const std::string& strKey : listKeys) {
        std::string strReason = session.Transfers().Explain(strKey);
        if (strReason.empty()) {
            strReason = "it could not be downloaded";
        }
        if (pFirstReason != nullptr && pFirstReason->empty()) {
            *pFirstReason = UrlWithoutCredentials(strKey) + ": " + strReason;
        }
        failed.push_back({{"url", UrlWithoutCredentials(strKey)}, {"reason", strReason}});
    }
    return failed;
}

Result StatusFailure(CSession& session, const std::string& strWhat, int nStatus) {
    std::string strReason = RemoteListStatusText(nStatus);
    if (nStatus == REMOTE_LIST_DOWNLOAD_FAILED) {
        std::string strWhy;
        FailedDownloads(session, &strWhy);
        if (!strWhy.empty()) {
            strReason += " (" + strWhy + ")";
        }
    }
    Result result = Result::Fail(strWhat + ": " + strReason);
    result.data["status"] = nStatus;
    return result;
}

// Calls fetch until it answers something else than "still downloading", showing progress meanwhile.
int FetchWaiting(CSession& session, const std::string& strLabel,
                 const std::function<int(ContactRemoteListData*)>& fetch, ContactRemoteListData* pList,
                 bool* pInterrupted) {
    *pList = ContactRemoteListData();
    const ContactRemoteListData request = *pList;
    int nStatus = fetch(pList);
    if (nStatus != REMOTE_LIST_DOWNLOADING) {
        return nStatus;
    }
    CProgress progress(strLabel, session.ShowProgress());
    const int nDoneBefore = session.Transfers().DoneCount();
    const CSession::WaitEnd eEnd = session.WaitUntil(
        [&] {
            ContactRemoteListData probe = request;
            nStatus = fetch(&probe);
            if (nStatus != REMOTE_LIST_DOWNLOADING) {
                *pList = probe;
                return true;
            }
            return false;
        },
        kDownloadWaitMs, &progress,
        [&] {
            return std::to_string(session.Transfers().DoneCount() - nDoneBefore) + " documents downloaded";
        });
    *pInterrupted = eEnd == CSession::WaitEnd::Interrupted;
    return nStatus;
}

struct ListView {
    std::string strTitle;
    PageRequest page;
    ContactRemoteListData list;
};

// Where the current node's raw children start being the listed items: page keys come first among a
// node's children, and the positions the module enters and copies count every child.
int RawOffset(const ContactRemoteListData& list, int nFirstListed) {
    int nPosition = nFirstListed;
    for (auto it = list.m_listData.begin(); it != list.m_listData.end(); ++it, ++nPosition) {
        if (it->m_eType != REMOTE_ITEM_ENTRY) {
            continue;
        }
        for (int nRaw = nPosition; nRaw < nPosition + 8; ++nRaw) {
            ContactRemoteItemData entry;
            if (Model().GetUnitContactByIndex(&entry, nRaw) &&
                entry.m_strDisplayName == it->m_strDisplayName && entry.m_listNumber == it->m_listNumber) {
                return nRaw - nPosition;
            }
        }
        return 0;
    }
    return 0;
}

json ItemJson(const ContactRemoteItemData& item) {
    json numbers = json::array();
    for (const std::string& strNumber : item.m_listNumber) {
        numbers.push_back(strNumber);
    }
    return json{{"type", item.m_eType == REMOTE_ITEM_MENU ? "menu" : "entry"},
                {"name", item.m_strDisplayName},
                {"numbers", numbers}};
}

std::string ItemLine(int nNumber, const ContactRemoteItemData& item) {
    std::string strLine = Pad(std::to_string(nNumber) + ".", 5);
    if (item.m_eType == REMOTE_ITEM_MENU) {
        return strLine + "> " + item.m_strDisplayName;
    }
    strLine += Pad(item.m_strDisplayName, 26);
    std::string strNumbers;
    for (const std::string& strNumber : item.m_listNumber) {
        strNumbers += (strNumbers.empty() ? "" : ", ") + strNumber;
    }
    return strLine + strNumbers;
}

Result ListResult(const ListView& view, bool bPaged) {
    Result result;
    result.data = PageJson(view.page, view.list.m_nTotalCount);
    result.data["title"] = view.strTitle;
    result.data["items"] = json::array();
    if (bPaged) {
        result.data["hasNextPage"] = view.list.m_bHasNextPage;
        result.data["hasPrevPage"] = view.list.m_bHasPrevPage;
    }
    result.Line((view.strTitle.empty() ? std::string("(untitled)") : view.strTitle) + ": " +
                PageSummary(view.page, view.list.m_nTotalCount, "item"));
    int nNumber = view.page.From();
    for (const ContactRemoteItemData& item : view.list.m_listData) {
        result.data["items"].push_back(ItemJson(item));
        result.Line("  " + ItemLine(++nNumber, item));
    }
    if (view.list.m_listData.empty()) {
        result.Line("  (nothing here)");
    }
    if (bPaged) {
        std::string strKeys = std::string(view.list.m_bHasPrevPage ? "remote page prev" : "") +
                              (view.list.m_bHasPrevPage && view.list.m_bHasNextPage ? ", " : "") +
                              (view.list.m_bHasNextPage ? "remote page next" : "");
        if (!strKeys.empty()) {
            result.Line("  more pages: " + strKeys);
        }
    }
    return result;
}

// The page in view: a loaded page of the paging road, or the current node of the tree.
Result CurrentList(CSession& session, const PageRequest& page, const std::string& strWhat,
                   const std::string& strFallbackTitle = "") {
    ListView view;
    view.page = page;
    view.list.m_nIndexFrom = page.From();
    view.list.m_nCountToGet = page.nSize;
    if (session.RemotePaging()) {
        if (!Model().GetPageListData(&view.list)) {
            return Result::Fail(strWhat + ": the page is not loaded");
        }
        view.strTitle = session.RemotePagedTitle() + " (page " + std::to_string(session.RemotePage()) + ")";
        return ListResult(view, true);
    }
    bool bInterrupted = false;
    const int nStatus = FetchWaiting(
        session, "downloading",
        [&](ContactRemoteListData* pList) {
            pList->m_nIndexFrom = page.From();
            pList->m_nCountToGet = page.nSize;
            return Model().GetContactList(pList, "");
        },
        &view.list, &bInterrupted);
    if (bInterrupted) {
        return Result::Fail(strWhat + ": interrupted");
    }
    if (nStatus != REMOTE_LIST_OK) {
        return StatusFailure(session, strWhat, nStatus);
    }
    view.strTitle = Model().GetTitle().empty() ? strFallbackTitle : Model().GetTitle();
    return ListResult(view, false);
}

bool ReadSlot(const Args& args, int* pSlot, std::string* pError) {
    const int nSlot = args.Int("slot", 0);
    if (nSlot < 1 || nSlot > kSlotCount) {
        *pError = "remote phonebook slots are numbered 1 to " + std::to_string(kSlotCount);
        return false;
    }
    *pSlot = nSlot - 1;
    return true;
}

bool ReadItem(CSession& session, const Args& args, int* pRaw, ContactRemoteItemData* pItem,
              std::string* pError) {
    if (session.RemoteSlot() < 0 || session.RemotePaging()) {
        *pError = session.RemotePaging()
                      ? "entries of a loaded page are shown only; open a directory to use them"
                      : "open a remote phonebook first (remote open SLOT)";
        return false;
    }
    const int nItem = args.Int("item", 0);
    if (nItem < 1) {
        *pError = "items are numbered from 1";
        return false;
    }
    ContactRemoteListData list;
    list.m_nIndexFrom = 0;
    list.m_nCountToGet = nItem;
    const int nStatus = Model().GetContactList(&list, "");
    if (nStatus != REMOTE_LIST_OK || static_cast<int>(list.m_listData.size()) < nItem) {
        *pError = nStatus != REMOTE_LIST_OK ? RemoteListStatusText(nStatus)
                                            : "there is no item " + std::to_string(nItem) + " here (" +
                                                  std::to_string(list.m_nTotalCount) + " items)";
        return false;
    }
    *pItem = list.m_listData.back();
    *pRaw = nItem - 1 + RawOffset(list, 0);
    return true;
}

// ---- commands

Result Remote(CSession& session, const Args&) {
    Result result;
    const std::string strDisplayName = module::GetRemoteDisplayName();
    result.data["displayName"] = strDisplayName;
    result.data["configured"] = module::IsRemoteContactConfigured();
    result.data["slots"] = json::array();
    result.Line((strDisplayName.empty() ? std::string("Remote DIR") : strDisplayName) + ":");
    for (int i = 0; i < Model().GetTotalConfigurableItemCount(); ++i) {
        if (!Model().IsItemConfigured(i)) {
            continue;
        }
        const bool bSearch = Model().IsSearchType(SlotAction(i));
        result.data["slots"].push_back({{"slot", i + 1},
                                        {"name", Model().GetConfiguredItemName(i)},
                                        {"url", UrlWithoutCredentials(Model().GetConfiguredItemUrl(i))},
                                        {"search", bSearch}});
        result.Line(
            "  " + std::to_string(i + 1) + ". " + Model().GetConfiguredItemName(i) +
            (bSearch ? "  (server search: remote open " + std::to_string(i + 1) + ", then remote search KEY)"
                     : ""));
    }
    if (result.data["slots"].empty()) {
        result.Line("  no remote phonebook is configured");
    }
    const int nEntries = EntryCount();
    std::string strFirstFailure;
    result.data["entries"] = nEntries;
    result.data["failed"] = FailedDownloads(session, &strFirstFailure);
    result.Line(Counted(nEntries, "entry") + " downloaded");
    for (const json& failure : result.data["failed"]) {
        result.Line("  failed: " + failure["url"].get<std::string>() + ": " +
                    failure["reason"].get<std::string>());
    }
    if (session.RemoteSlot() >= 0) {
        result.data["inView"] = Model().GetTitle();
        result.Line("in view: " + Model().GetTitle());
    }
    return result;
}

Result RemoteOpen(CSession& session, const Args& args) {
    int nSlot = 0;
    PageRequest page;
    std::string strError;
    if (!ReadSlot(args, &nSlot, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    const std::string strWhat = "cannot open remote phonebook " + std::to_string(nSlot + 1);
    bool bInterrupted = false;
    ListView view;
    view.page = page;
    const int nStatus = FetchWaiting(
        session, "downloading " + Model().GetConfiguredItemName(nSlot),
        [&](ContactRemoteListData* pList) {
            pList->m_nIndexFrom = page.From();
            pList->m_nCountToGet = page.nSize;
            return Model().GetContactListByClickAction(pList, SlotAction(nSlot), "", false);
        },
        &view.list, &bInterrupted);
    if (bInterrupted) {
        return Result::Fail(strWhat + ": interrupted");
    }
    if (nStatus != REMOTE_LIST_OK) {
        return StatusFailure(session, strWhat, nStatus);
    }
    session.SetRemoteSlot(nSlot);
    session.SetRemotePage(0);
    view.strTitle = Model().GetTitle();
    Result result = ListResult(view, false);
    result.data["slot"] = nSlot + 1;
    result.data["search"] = Model().IsSearchType(SlotAction(nSlot));
    if (result.data["search"].get<bool>()) {
        result.Line("  this phonebook searches on its server: remote search KEY");
    }
    return result;
}

Result RemoteList(CSession& session, const Args& args) {
    PageRequest page;
    std::string strError;
    if (!ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    if (session.RemoteSlot() < 0) {
        return Result::Fail("open a remote phonebook first (remote open SLOT)");
    }
    return CurrentList(session, page, "cannot list the remote page");
}

Result RemoteEnter(CSession& session, const Args& args) {
    int nRaw = 0;
    ContactRemoteItemData item;
    std::string strError;
    if (!ReadItem(session, args, &nRaw, &item, &strError)) {
        return Result::Fail("cannot enter: " + strError);
    }
    const std::string strWhat = "cannot enter \"" + item.m_strDisplayName + "\"";
    int nStatus = 0;
    int nEntered = Model().EnterContactByIndex(nRaw, &nStatus, "");
    if (nEntered == 0 && nStatus == REMOTE_LIST_DOWNLOADING) {
        CProgress progress("downloading " + item.m_strDisplayName, session.ShowProgress());
        const CSession::WaitEnd eEnd = session.WaitUntil(
            [&] {
                nEntered = Model().EnterContactByIndex(nRaw, &nStatus, "");
                return nEntered != 0 || nStatus != REMOTE_LIST_DOWNLOADING;
            },
            kDownloadWaitMs);
        if (eEnd == CSession::WaitEnd::Interrupted) {
            return Result::Fail(strWhat + ": interrupted");
        }
    }
    switch (nEntered) {
        case 1:
            return CurrentList(session, PageRequest(), strWhat, item.m_strDisplayName);
        case 2: {
            Result result;
            result.data["entry"] = ItemJson(item);
            result.Line(item.m_strDisplayName);
            for (const std::string& strNumber : item.m_listNumber) {
                result.Line("  " + strNumber);
            }
            return result.Line("  (remote copy " + args.Text("item") + " copies it to the local phone book)");
        }
        default:
            return StatusFailure(session, strWhat, nStatus == 0 ? REMOTE_LIST_BAD_REQUEST : nStatus);
    }
}

Result RemoteBack(CSession& session, const Args&) {
    if (session.RemoteSlot() < 0) {
        return Result::Fail("no remote phonebook is open");
    }
    if (Model().LeaveBack(0)) {
        session.SetRemotePage(0);
        return CurrentList(session, PageRequest(), "cannot list the remote page");
    }
    Model().LeaveOut();
    session.SetRemoteSlot(-1);
    session.SetRemotePage(0);
    Result result = Remote(session, Args());
    result.vecLines.insert(result.vecLines.begin(), "left the remote phonebook");
    return result;
}

Result RemoteTop(CSession& session, const Args&) {
    Model().LeaveBack(1);
    session.SetRemoteSlot(-1);
    session.SetRemotePage(0);
    Result result = Remote(session, Args());
    result.vecLines.insert(result.vecLines.begin(), "back at the list of remote phonebooks");
    return result;
}

Result RemoteKey(CSession& session, const Args& args) {
    const std::string strKey = args.Text("key");
    if (session.RemoteSlot() < 0 || session.RemotePaging()) {
        return Result::Fail("soft keys belong to an open remote page (remote open SLOT)");
    }
    bool bInterrupted = false;
    ListView view;
    const int nStatus = FetchWaiting(
        session, "downloading the soft key's page",
        [&](ContactRemoteListData* pList) {
            pList->m_nCountToGet = view.page.nSize;
            return Model().GetContactListBySoftkey(pList, static_cast<unsigned char>(strKey[0]));
        },
        &view.list, &bInterrupted);
    if (nStatus != REMOTE_LIST_OK) {
        return StatusFailure(session, "no soft key \"" + strKey.substr(0, 1) + "\" here", nStatus);
    }
    view.strTitle = Model().GetTitle();
    return ListResult(view, false);
}

Result RemotePage(CSession& session, const Args& args) {
    const std::string strWhich = args.Text("direction", "next");
    if (strWhich != "next" && strWhich != "prev") {
        return Result::Fail("say next or prev, not \"" + strWhich + "\"");
    }
    if (session.RemoteSlot() < 0) {
        return Result::Fail("open a remote phonebook first (remote open SLOT)");
    }
    const size_t nSkip = session.CommandNoticeCount();
    const std::string strTitle = session.RemotePaging() ? session.RemotePagedTitle() : Model().GetTitle();
    const int nPage = session.RemotePaging() ? session.RemotePage() : 1;
    if (!Model().ReqPagingList(strWhich == "next")) {
        return Result::Fail("there is no " + std::string(strWhich == "next" ? "next" : "previous") +
                            " page here (or a page is still loading)");
    }
    CProgress progress("loading the " + strWhich + " page", session.ShowProgress());
    Notice notice;
    const CSession::WaitEnd eEnd = session.WaitUntil(
        [&] { return session.HasCommandNotice(REMOTE_MSG_PAGE_RESULT, nSkip, &notice); }, kDownloadWaitMs);
    if (eEnd != CSession::WaitEnd::Done) {
        return Result::Fail("the page did not load: " + std::string(eEnd == CSession::WaitEnd::Interrupted
                                                                        ? "interrupted"
                                                                        : "no answer in time"));
    }
    if (notice.lParam != 0) {
        const TransferOutcome* pLast =
            session.Transfers().History().empty() ? nullptr : &session.Transfers().History().back();
        return Result::Fail("the page did not load" +
                            (pLast != nullptr && !pLast->bOk
                                 ? ": " + TransferFailureText(pLast->nError, pLast->nHttpStatus)
                                 : std::string()));
    }
    session.SetRemotePage(strWhich == "next" ? nPage + 1 : std::max(1, nPage - 1), strTitle);
    return CurrentList(session, PageRequest(), "cannot list the page");
}

Result RemoteSearch(CSession& session, const Args& args) {
    const std::string strKey = args.Text("key");
    PageRequest page;
    std::string strError;
    if (!ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    const int nSlot = session.RemoteSlot();
    if (!args.Flag("all") && nSlot >= 0 && Model().IsSearchType(SlotAction(nSlot))) {
        bool bInterrupted = false;
        bool bAsked = false;
        ListView view;
        view.page = page;
        const int nStatus = FetchWaiting(
            session, "searching the server for \"" + strKey + "\"",
            [&](ContactRemoteListData* pList) {
                pList->m_nIndexFrom = page.From();
                pList->m_nCountToGet = page.nSize;
                const int nAnswer =
                    Model().GetSearchListByClickAction(pList, SlotAction(nSlot), strKey, !bAsked);
                bAsked = true;
                return nAnswer;
            },
            &view.list, &bInterrupted);
        if (nStatus != REMOTE_LIST_OK) {
            return StatusFailure(session, "the server search for \"" + strKey + "\" failed", nStatus);
        }
        view.strTitle = "server search \"" + strKey + "\"";
        Result result = ListResult(view, false);
        result.data["where"] = "server";
        return result;
    }
    SearchReceiver().m_bAnswered = false;
    std::string strAction;
    if (!Model().SearchAsync(strKey, page.From(), page.nSize, &SearchReceiver(), strAction,
                             args.Flag("all") || nSlot < 0)) {
        return Result::Fail("the remote phonebook did not take the search");
    }
    const CSession::WaitEnd eEnd =
        session.WaitUntil([] { return SearchReceiver().m_bAnswered; }, kDownloadWaitMs);
    if (eEnd != CSession::WaitEnd::Done) {
        Model().CancelSearchCallBack(&SearchReceiver());
        return Result::Fail("the remote search did not answer");
    }
    const RemoteSearchListData& answer = SearchReceiver().m_answer;
    Result result;
    result.data = PageJson(page, answer.m_nTotalCount);
    result.data["key"] = strKey;
    result.data["where"] = args.Flag("all") || nSlot < 0 ? "every remote phonebook" : "the page in view";
    result.data["items"] = json::array();
    result.Line("\"" + strKey + "\" in " + result.data["where"].get<std::string>() + ": " +
                PageSummary(page, answer.m_nTotalCount, "match"));
    int nNumber = page.From();
    for (const RemoteSearchItemData& found : answer.m_listData) {
        ContactRemoteItemData item;
        item.m_eType = found.m_eType;
        item.m_strDisplayName = found.m_strName;
        item.m_listNumber.assign(found.m_vecNumber.begin(), found.m_vecNumber.end());
        result.data["items"].push_back(ItemJson(item));
        result.Line("  " + ItemLine(++nNumber, item));
    }
    return result;
}

Result RemoteRefresh(CSession& session, const Args& args) {
    const bool bAll = args.Flag("all") || session.RemoteSlot() < 0;
    const int nDoneBefore = session.Transfers().DoneCount();
    const int nFailedBefore = session.Transfers().FailedCount();
    CProgress progress(bAll ? "refreshing every remote phonebook" : "refreshing the remote phonebook in view",
                       session.ShowProgress());
    const int nResult = Model().Update(bAll);
    if (nResult == kNetworkDown) {
        return Result::Fail("cannot refresh: the phone has no network");
    }
    if (nResult != CContactRemoteModel::FILE_DOWNLOADING) {
        return Result::Fail("the refresh did not start (no configured phonebook could be downloaded)");
    }
    const CSession::WaitEnd eEnd = session.WaitIdle(kDownloadWaitMs * 2, &progress, [&] {
        return std::to_string(session.Transfers().DoneCount() - nDoneBefore) + " documents, " +
               std::to_string(session.Transfers().FailedCount() - nFailedBefore) + " failed";
    });
    const int nDone = session.Transfers().DoneCount() - nDoneBefore;
    const int nFailed = session.Transfers().FailedCount() - nFailedBefore;
    std::string strFirstFailure;
    Result result;
    result.data = {{"documents", nDone},
                   {"failedTransfers", nFailed},
                   {"entries", EntryCount()},
                   {"seconds", progress.Seconds()},
                   {"finished", eEnd == CSession::WaitEnd::Done}};
    result.data["failed"] = FailedDownloads(session, &strFirstFailure);
    char szSeconds[32];
    std::snprintf(szSeconds, sizeof szSeconds, "%.1f", progress.Seconds());
    result.Line(std::string(eEnd == CSession::WaitEnd::Done ? "refreshed: " : "refresh still running: ") +
                Counted(nDone, "document") + " in " + szSeconds + " s, " + Counted(EntryCount(), "entry") +
                (result.data["failed"].empty() ? "" : ", failed: " + strFirstFailure));
    return result;
}

Result RemoteCancel(CSession&, const Args&) {
    Model().CancelDownload("");
    Result result;
    result.data["canceled"] = true;
    return result.Line("canceled the downloads still running (refresh to fetch them again)");
}

Result RemoteCopy(CSession& session, const Args& args) {
    int nRaw = 0;
    ContactRemoteItemData item;
    std::string strError;
    if (!ReadItem(session, args, &nRaw, &item, &strError)) {
        return Result::Fail("cannot copy: " + strError);
    }
    if (item.m_eType != REMOTE_ITEM_ENTRY) {
        return Result::Fail("cannot copy \"" + item.m_strDisplayName + "\": it is a menu, not an entry");
    }
    const bool bBlack = args.Flag("blacklist");
    CommonUnits_SetErrorId(0);
    const int nResult = bBlack ? Model().Remote2Black(nRaw) : Model().Remote2Local(nRaw);
    if (nResult < 0) {
        return LocalRefusal("cannot copy \"" + item.m_strDisplayName + "\"");
    }
    Result result;
    result.data["copied"] = ItemJson(item);
    result.data["to"] = bBlack ? "blacklist" : "local";
    return result.Line("copied " + item.m_strDisplayName +
                       (bBlack ? " into the blacklist" : " into the local phone book"));
}

Result RemoteDial(CSession& session, const Args& args) {
    int nRaw = 0;
    ContactRemoteItemData item;
    std::string strError;
    if (!ReadItem(session, args, &nRaw, &item, &strError)) {
        return Result::Fail("cannot dial: " + strError);
    }
    if (item.m_listNumber.empty()) {
        return Result::Fail("\"" + item.m_strDisplayName + "\" has no number");
    }
    HostControl::TakeCallOuts();
    Model().CallOut(item.m_listNumber.front(), item.m_strDisplayName, 0);
    Result result;
    result.data["calls"] = json::array();
    for (const HostControl::CallOutRecord& call : HostControl::TakeCallOuts()) {
        result.data["calls"].push_back(
            {{"number", call.strNumber}, {"name", call.strName}, {"account", call.nAccount}});
        result.Line("dialling " + call.strNumber + " (" + call.strName + ")");
    }
    return result;
}

}  // namespace

void AddRemoteCommands(CCommandRegistry& registry) {
    const ParamDef item{"item", ParamKind::Positional, ParamType::Int, true, false, "item number as listed"};
    std::vector<ParamDef> openParams = {
        {"slot", ParamKind::Positional, ParamType::Int, true, false, "phonebook slot, 1 to 5"}};
    std::vector<ParamDef> pageParams = PageParams();
    openParams.insert(openParams.end(), pageParams.begin(), pageParams.end());

    registry.Add(
        {"remote", "the configured remote phonebooks and what was downloaded", "remote", {}, Remote});
    registry.Add({"remote open", "open a remote phonebook slot", "remote open 1", openParams, RemoteOpen});
    registry.Add(
        {"remote list", "the remote page in view again", "remote list --page 2", pageParams, RemoteList});
    registry.Add({"remote enter",
                  "enter a menu (or show an entry) of the page in view",
                  "remote enter 1",
                  {item},
                  RemoteEnter});
    registry.Add({"remote back", "one level up", "remote back", {}, RemoteBack});
    registry.Add({"remote top", "back to the list of remote phonebooks", "remote top", {}, RemoteTop});
    registry.Add(
        {"remote key",
         "press a soft key of the page in view (by its first letter)",
         "remote key O",
         {{"key", ParamKind::Positional, ParamType::Text, true, false, "first letter of the soft key"}},
         RemoteKey});
    registry.Add(
        {"remote page",
         "load the next or previous page of a paged directory",
         "remote page next",
         {{"direction", ParamKind::Positional, ParamType::Text, false, false, "next (default) or prev"}},
         RemotePage});
    std::vector<ParamDef> searchParams = {
        {"key", ParamKind::Positional, ParamType::Text, true, false, "letters or digits"},
        {"all", ParamKind::Flag, ParamType::Text, false, false,
         "every downloaded phonebook, not the page in view"}};
    searchParams.insert(searchParams.end(), pageParams.begin(), pageParams.end());
    registry.Add({"remote search", "search what was downloaded, or the server of a search slot",
                  "remote search ann --all", searchParams, RemoteSearch});
    registry.Add(
        {"remote refresh",
         "download the remote phonebooks again",
         "remote refresh --all",
         {{"all", ParamKind::Flag, ParamType::Text, false, false, "every phonebook, not the one in view"}},
         RemoteRefresh});
    registry.Add(
        {"remote cancel", "cancel the remote downloads still running", "remote cancel", {}, RemoteCancel});
    registry.Add({"remote copy",
                  "copy an entry of the page in view into the local phone book",
                  "remote copy 3",
                  {item, {"blacklist", ParamKind::Flag, ParamType::Text, false, false, "into the blacklist"}},
                  RemoteCopy});
    registry.Add({"remote dial", "dial an entry of the page in view", "remote dial 3", {item}, RemoteDial});
}

}  // namespace dirsim
