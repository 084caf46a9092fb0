// The remote model's download engine: building the tree, starting downloads, finished downloads, refresh,
// cancel and release of subtrees.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactRemoteAction.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteParserDelegator.h"
#include "ContactRemoteSearchAction.h"
#include "ContactRemoteSearchHelper.h"
#include "DirectoryEntry.h"
#include "PhoneServices.h"
#include "RemoteSubtreeFreeAction.h"
#include "RemoteUnitBatch.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

constexpr int kNoNetwork = -14;
constexpr int kStatusRemoteDirectory = 18;

std::atomic<unsigned> g_nTempFileCounter{0};
std::atomic<unsigned long long> g_nEntryKeyCounter{0};

// The download whose answer this thread parses; generation 0 outside a parse.
struct ParseContext {
    unsigned nGeneration = 0;
    unsigned long long nTicket = 0;
    const std::string* pNodeKey = nullptr;
    const std::string* pRequestUrl = nullptr;
};
thread_local ParseContext t_parse;

class ParseContextScope {
public:
    ParseContextScope(unsigned nGeneration, unsigned long long nTicket, const std::string& strNodeKey,
                      const std::string& strRequestUrl) {
        t_parse = ParseContext{nGeneration, nTicket, &strNodeKey, &strRequestUrl};
    }
    ~ParseContextScope() { t_parse = ParseContext(); }
    ParseContextScope(const ParseContextScope&) = delete;
    ParseContextScope& operator=(const ParseContextScope&) = delete;
};

std::string NextTempFileName() {
    const unsigned nNumber = g_nTempFileCounter.fetch_add(1) & 0x7fffffffu;
    return CommonAPI_FormatString("/tmp/RemoteDirectory.%010d.xml", static_cast<int>(nNumber));
}

// Made-up keys of directory entries are their parent's URL, "<Index>" and a number taken from
// g_nEntryKeyCounter: strKey holds the first two in its first nPrefix bytes and room for any number behind
// them (see WithEntryNumberRoom), the number is written there and the key is the view up to its end.
constexpr std::size_t kEntryNumberRoom = 20;  // the digits of any unsigned long long

void WithEntryNumberRoom(std::string& strKey) {
    strKey.resize(strKey.size() + kEntryNumberRoom);
}

std::string_view EntryKey(std::string& strKey, std::size_t nPrefix, unsigned long long nNumber) {
    char* pNumber = strKey.data() + nPrefix;
    const auto converted = std::to_chars(pNumber, pNumber + kEntryNumberRoom, nNumber);
    return std::string_view(strKey.data(), static_cast<std::size_t>(converted.ptr - strKey.data()));
}

std::size_t DecimalDigits(unsigned long long nNumber) {
    std::size_t nDigits = 1;
    for (; nNumber >= 10; nNumber /= 10) {
        ++nDigits;
    }
    return nDigits;
}

// What the nodes of nEntries directory entries take of an arena, their keys numbered from nFirstNumber
// after nKeyPrefix bytes.
std::size_t EntryNodeBytes(std::size_t nEntries, std::size_t nKeyPrefix, unsigned long long nFirstNumber) {
    using Node = CContactRemoteModel::RemoteTree::TinyNode;
    if (nEntries == 0) {
        return 0;
    }
    const unsigned long long nLastNumber = nFirstNumber + nEntries - 1;
    if (DecimalDigits(nFirstNumber) == DecimalDigits(nLastNumber)) {
        return nEntries * Node::ChildBytes<ContactRemoteUnit>(nKeyPrefix + DecimalDigits(nFirstNumber));
    }
    std::size_t nBytes = 0;
    for (unsigned long long nNumber = nFirstNumber; nNumber <= nLastNumber; ++nNumber) {
        nBytes += Node::ChildBytes<ContactRemoteUnit>(nKeyPrefix + DecimalDigits(nNumber));
    }
    return nBytes;
}

std::string NextNoUrlKey(const std::string& strParentUrl) {
    return strParentUrl + "<NoUrl>" + std::to_string(g_nEntryKeyCounter.fetch_add(1));
}

bool IsUnreservedUrlByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string PercentEncode(const std::string& strText) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string strOut;
    strOut.reserve(strText.size() * 3);
    for (const char ch : strText) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreservedUrlByte(c)) {
            strOut += ch;
        } else {
            strOut += '%';
            strOut += kHex[c >> 4];
            strOut += kHex[c & 0x0f];
        }
    }
    return strOut;
}

// The name a child is ordered by: the menu's or unit's name, "" for any other kind.
const std::string& SortName(const ContactRemoteItemBase* pItem) {
    static const std::string kNone;
    switch (pItem->GetType()) {
        case CRIT_MENU:
            return static_cast<const ContactRemoteMenu*>(pItem)->m_strName;
        case CRIT_UNIT:
            return static_cast<const ContactRemoteUnit*>(pItem)->m_strName;
        default:
            return kNone;
    }
}

// The first eight bytes of a name as one number that orders like the bytes themselves (shorter names padded
// with zero bytes), so most comparisons of names need not look at the strings.
std::uint64_t NamePrefix(const std::string& strName) {
    std::uint64_t nPrefix = 0;
    if (strName.size() >= sizeof(nPrefix)) {
        std::memcpy(&nPrefix, strName.data(), sizeof(nPrefix));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        return __builtin_bswap64(nPrefix);
#else
        return nPrefix;
#endif
    }
    for (std::size_t nByte = 0; nByte < sizeof(nPrefix); ++nByte) {
        const unsigned char c = nByte < strName.size() ? static_cast<unsigned char>(strName[nByte]) : 0;
        nPrefix = (nPrefix << 8) | c;
    }
    return nPrefix;
}

using TinyNode = CContactRemoteModel::RemoteTree::TinyNode;

// A child that is ordered by its name, as small as the sort can move it: the first eight bytes of the name
// and the child's position, which leads back to the node (and its name) when two prefixes are equal.
struct NamedChild {
    std::uint64_t nPrefix;
    std::size_t nPosition;
};

// Names are ordered by their bytes, so equal prefixes leave the order to the bytes after the eighth (a name
// shorter than eight bytes equals the other only when both are the same). Equal names keep the order they
// came in.
bool ComesBefore(const NamedChild& a, const NamedChild& b, const std::vector<TinyNode*>& vecChildren) {
    if (a.nPrefix != b.nPrefix) {
        return a.nPrefix < b.nPrefix;
    }
    if (a.nPosition == b.nPosition) {
        return false;
    }
    const int nCompare = SortName(vecChildren[a.nPosition]->GetData().m_pItem)
                             .compare(SortName(vecChildren[b.nPosition]->GetData().m_pItem));
    if (nCompare != 0) {
        return nCompare < 0;
    }
    return a.nPosition < b.nPosition;
}

// Orders the children: page keys (whose name counts as empty), menus and entries by name, then hot keys in
// document order, then nodes without item.
void SortChildren(std::vector<TinyNode*>& vecChildren) {
    std::vector<NamedChild> vecNamed;
    vecNamed.reserve(vecChildren.size());
    std::vector<TinyNode*> vecHotKeys;
    std::vector<TinyNode*> vecWithoutItem;
    for (std::size_t nIndex = 0; nIndex < vecChildren.size(); ++nIndex) {
        TinyNode* pNode = vecChildren[nIndex];
        const ContactRemoteItemBase* pItem = pNode->GetData().m_pItem;
        if (pItem == nullptr) {
            vecWithoutItem.push_back(pNode);
        } else if (pItem->GetType() == CRIT_HOTKEY) {
            vecHotKeys.push_back(pNode);
        } else {
            vecNamed.push_back({NamePrefix(SortName(pItem)), nIndex});
        }
    }
    std::sort(vecNamed.begin(), vecNamed.end(), [&vecChildren](const NamedChild& a, const NamedChild& b) {
        return ComesBefore(a, b, vecChildren);
    });
    std::vector<TinyNode*> vecSorted;
    vecSorted.reserve(vecChildren.size());
    for (const NamedChild& child : vecNamed) {
        vecSorted.push_back(vecChildren[child.nPosition]);
    }
    vecSorted.insert(vecSorted.end(), vecHotKeys.begin(), vecHotKeys.end());
    vecSorted.insert(vecSorted.end(), vecWithoutItem.begin(), vecWithoutItem.end());
    vecChildren.swap(vecSorted);
}

void NotifyGui(int nMsg, int nLParam) {
    EtlMsgHandler_NotifyApp(false, nMsg, 0, nLParam);
}

}  // namespace

std::string RemoteUrlForLog(const std::string& strUrl) {
    const std::size_t nScheme = strUrl.find("://");
    if (nScheme == std::string::npos) {
        return strUrl;
    }
    const std::size_t nHostStart = nScheme + 3;
    const std::size_t nHostEnd = strUrl.find_first_of("/?#", nHostStart);
    const std::size_t nAt = strUrl.rfind('@', nHostEnd == std::string::npos ? std::string::npos : nHostEnd);
    if (nAt == std::string::npos || nAt < nHostStart) {
        return strUrl;
    }
    const std::size_t nColon = strUrl.find(':', nHostStart);
    if (nColon == std::string::npos || nColon > nAt) {
        return strUrl;
    }
    return strUrl.substr(0, nColon + 1) + "***" + strUrl.substr(nAt);
}

unsigned long long CContactRemoteModel::TreeRevision() {
    return m_nTreeRevision.load();
}

void CContactRemoteModel::MyTreeChanged() {
    ++m_nTreeRevision;
}

bool CContactRemoteModel::MyIsStaleParse() {
    if (t_parse.nGeneration == 0) {
        return false;
    }
    if (t_parse.nGeneration != m_nGeneration) {
        return true;
    }
    RemoteTree::TinyNode* pNode = m_treeContact.Find(*t_parse.pNodeKey);
    return pNode == nullptr || pNode->GetData().m_nTicket != t_parse.nTicket;
}

const std::string& CContactRemoteModel::MyParentKey(const std::string& strParentUrl) const {
    if (t_parse.nGeneration != 0 && strParentUrl == *t_parse.pRequestUrl) {
        return *t_parse.pNodeKey;
    }
    return strParentUrl;
}

void CContactRemoteModel::MyInitTopChildren() {
    std::vector<ItemData> vecTop;
    {
        Lock lock(m_csLock);
        for (const auto& pSlot : m_vecConfig) {
            ItemData data;
            data.m_strName = pSlot->m_strName;
            data.m_strUrl = pSlot->m_strUrl;
            data.m_eStatus =
                pSlot->m_strUrl.empty() || pSlot->m_bSearch ? FILE_DOWNLOAD_NO_URL : FILE_DOWNLOAD_READY;
            vecTop.push_back(data);
        }
    }
    for (const ItemData& data : vecTop) {
        MyAddNodeByUrl(REMOTE_ROOT_KEY, data);
    }
}

bool CContactRemoteModel::MyAddNodeByUrl(const std::string& strParentUrl, const ItemData& data) {
    return MyAddNodeByUrl(strParentUrl, ItemData(data));
}

bool CContactRemoteModel::MyAddNodeByUrl(const std::string& strParentUrl, ItemData&& data) {
    if (strParentUrl.empty()) {
        return false;
    }
    const std::string& strParent = MyParentKey(strParentUrl);
    if (data.m_strUrl.empty()) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyAddNodeByUrl Node[%s] add empty child[%s]!\n",
                RemoteUrlForLog(strParent).c_str(), data.m_strUrl.c_str());
    }
    bool bAdded = false;
    {
        Lock lock(m_csLock);
        RemoteTree::TinyNode* pParent = MyIsStaleParse() ? nullptr : m_treeContact.Find(strParent);
        if (pParent != nullptr) {
            if (m_treeContact.Find(data.m_strUrl) != nullptr) {
                app_log(6, APP_LOG_INFO,
                        "CContactRemoteModel::MyAddNodeByUrl Node[%s] add duplicate child[%s]!\n",
                        RemoteUrlForLog(strParent).c_str(), RemoteUrlForLog(data.m_strUrl).c_str());
            } else {
                pParent->AddChild(std::move(data), data.m_strUrl);
                MyTreeChanged();
                ItemData& child = pParent->GetChildren().back()->GetData();
                if (child.m_strUrl.empty() && child.m_eStatus != FILE_DOWNLOADED_OK &&
                    child.m_eStatus != FILE_DOWNLOAD_NO_URL) {
                    child.m_eStatus = FILE_DOWNLOAD_NO_URL;
                }
                child.m_nLevel = pParent->GetData().m_nLevel + 1;
                bAdded = true;
            }
        }
    }
    if (!bAdded) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyAddNodeByUrl Node [%s] Add [%s] failed.\n",
                RemoteUrlForLog(strParent).c_str(), RemoteUrlForLog(data.m_strUrl).c_str());
    }
    return bAdded;
}

int CContactRemoteModel::MyAddItemNode(ContactRemoteItemBase* pItem, std::string strKey,
                                       FileDownloadStatus eStatus, const std::string& strParentUrl) {
    ItemData data;
    data.m_strUrl = std::move(strKey);
    data.m_eStatus = eStatus;
    data.m_pItem = pItem;
    bool bAdded = false;
    try {
        bAdded = MyAddNodeByUrl(strParentUrl, std::move(data));
    } catch (const std::bad_alloc&) {
        bAdded = false;
    }
    if (!bAdded) {
        delete pItem;
        return -1;
    }
    return 0;
}

std::string CContactRemoteModel::MyLinkKey(const std::string& strUrl, const std::string& strParentUrl) {
    return strUrl.empty() ? NextNoUrlKey(strParentUrl) : strUrl;
}

int CContactRemoteModel::MyAddMenuContact(const ContactRemoteMenu* pMenu, FileDownloadStatus eStatus,
                                          const std::string& strParentUrl) {
    if (pMenu == nullptr) {
        return -1;
    }
    ContactRemoteMenu* pCopy = new (std::nothrow) ContactRemoteMenu(*pMenu);
    return pCopy == nullptr
               ? -1
               : MyAddItemNode(pCopy, MyLinkKey(pMenu->m_strUrl, strParentUrl), eStatus, strParentUrl);
}

int CContactRemoteModel::MyAddHotKeyContact(const ContactRemoteHotKey* pHotKey, FileDownloadStatus eStatus,
                                            const std::string& strParentUrl) {
    if (pHotKey == nullptr) {
        return -1;
    }
    ContactRemoteHotKey* pCopy = new (std::nothrow) ContactRemoteHotKey(*pHotKey);
    return pCopy == nullptr
               ? -1
               : MyAddItemNode(pCopy, MyLinkKey(pHotKey->m_strUrl, strParentUrl), eStatus, strParentUrl);
}

int CContactRemoteModel::MyAddPageKeyContact(const ContactRemotePageKey* pPageKey, FileDownloadStatus eStatus,
                                             const std::string& strParentUrl) {
    if (pPageKey == nullptr) {
        return -1;
    }
    app_log(6, APP_LOG_INFO, "url = %s\n", RemoteUrlForLog(pPageKey->m_strUrl).c_str());
    ContactRemotePageKey* pCopy = new (std::nothrow) ContactRemotePageKey(*pPageKey);
    return pCopy == nullptr
               ? -1
               : MyAddItemNode(pCopy, MyLinkKey(pPageKey->m_strUrl, strParentUrl), eStatus, strParentUrl);
}

int CContactRemoteModel::MyAddUnitContact(const ContactRemoteUnit* pUnit, const std::string& strParentUrl) {
    if (pUnit == nullptr) {
        return -1;
    }
    try {
        const std::vector<std::string_view> vecNumbers(pUnit->m_listNumber.begin(),
                                                       pUnit->m_listNumber.end());
        RemoteUnitText text;
        text.name = pUnit->m_strName;
        text.nNumbers = vecNumbers.size();
        return MyAddUnitContacts(&text, 1, vecNumbers.data(), strParentUrl) == 1 ? 0 : -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CContactRemoteModel::MyAddUnitContacts(const RemoteUnitText* pUnits, std::size_t nUnits,
                                           const std::string_view* pNumbers,
                                           const std::string& strParentUrl) {
    int nAdded = 0;
    Lock lock(m_csLock);
    const std::string& strParent = MyParentKey(strParentUrl);
    RemoteTree::TinyNode* pParent =
        strParentUrl.empty() || MyIsStaleParse() ? nullptr : m_treeContact.Find(strParent);
    if (pParent != nullptr) {
        pParent->ReserveChildren(nUnits);
    }
    std::string strKey = strParent + "<Index>";
    const std::size_t nKeyPrefix = strKey.size();
    WithEntryNumberRoom(strKey);
    // The batch's numbers are taken at once: workers parsing side by side share the counter.
    unsigned long long nKeyNumber = g_nEntryKeyCounter.fetch_add(nUnits);
    // The batch's nodes are cut from one block sized for the entries there is room for, so adding one
    // allocates nothing and the block goes with the last of them.
    const std::size_t nRoom =
        pParent == nullptr || m_nUnitCount >= m_nMaxUnitCount
            ? 0
            : std::min(nUnits, static_cast<std::size_t>(m_nMaxUnitCount - m_nUnitCount));
    TinyNodeArena arena(EntryNodeBytes(nRoom, nKeyPrefix, nKeyNumber));
    // Every entry's node data starts the same; each new node takes it over and it is set again for the next.
    ItemData data;
    for (std::size_t nUnit = 0; nUnit < nUnits; ++nUnit) {
        if (m_nUnitCount >= m_nMaxUnitCount) {
            break;
        }
        const std::string_view key = EntryKey(strKey, nKeyPrefix, nKeyNumber++);
        if (pParent == nullptr) {
            if (!strParentUrl.empty()) {
                app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyAddNodeByUrl Node [%s] Add [%s] failed.\n",
                        RemoteUrlForLog(strParent).c_str(), RemoteUrlForLog(std::string(key)).c_str());
            }
            continue;
        }
        data.Reset();
        data.m_eStatus = FILE_DOWNLOADED_OK;
        data.m_nLevel = pParent->GetData().m_nLevel + 1;
        const RemoteUnitText& text = pUnits[nUnit];
        auto makeUnit = [&text, pNumbers](void* pTail) {
            ::new (pTail) ContactRemoteUnit(text.name, pNumbers + text.nFirstNumber, text.nNumbers);
        };
        RemoteTree::TinyNode* pNode =
            pParent->EmplaceUniqueChild<ContactRemoteUnit>(data, key, makeUnit, &arena);
        if (pNode == nullptr) {
            app_log(6, APP_LOG_INFO,
                    "CContactRemoteModel::MyAddNodeByUrl Node[%s] add duplicate child[%s]!\n",
                    RemoteUrlForLog(strParent).c_str(), RemoteUrlForLog(std::string(key)).c_str());
            app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyAddNodeByUrl Node [%s] Add [%s] failed.\n",
                    RemoteUrlForLog(strParent).c_str(), RemoteUrlForLog(std::string(key)).c_str());
            continue;
        }
        pNode->GetData().m_pItem = static_cast<ContactRemoteUnit*>(pNode->GetTail());
        ++m_nUnitCount;
        ++nAdded;
    }
    if (nAdded != 0) {
        MyTreeChanged();
    }
    return nAdded;
}

int CContactRemoteModel::MySetTitle(const std::string& strTitle, const std::string& strUrl) {
    if (strUrl.empty()) {
        return -1;
    }
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = MyIsStaleParse() ? nullptr : m_treeContact.Find(strUrl);
    if (pNode == nullptr) {
        return -1;
    }
    pNode->GetData().m_strName = strTitle;
    return 0;
}

void CContactRemoteModel::MySortChildrenByUrl(const std::string& strUrl) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = MyIsStaleParse() ? nullptr : m_treeContact.Find(strUrl);
    if (pNode != nullptr) {
        SortChildren(pNode->GetChildren());
        MyTreeChanged();
    }
}

int CContactRemoteModel::MyFindMixedUrlTimes(const std::string& strName) {
    Lock lock(m_csLock);
    if (m_treeContact.Find(strName) == nullptr) {
        return 0;
    }
    int nTimes = 1;
    while (m_treeContact.Find(strName + CommonAPI_FormatString("(%d)", nTimes)) != nullptr) {
        ++nTimes;
    }
    return nTimes;
}

int CContactRemoteModel::MyAddMixedMenuContact(ContactRemoteMenu* pMenu, const std::string& strParentUrl) {
    if (pMenu == nullptr) {
        return -1;
    }
    Lock lock(m_csLock);
    const int nTimes = MyFindMixedUrlTimes(pMenu->m_strName);
    if (nTimes > 0) {
        pMenu->m_strName += CommonAPI_FormatString("(%d)", nTimes);
        pMenu->m_strUrl = pMenu->m_strName;
    }
    return MyAddMenuContact(pMenu, FILE_DOWNLOADED_OK, strParentUrl);
}

int CContactRemoteModel::MyExecDownload(const std::string& strUrl, bool bSync, bool bSendMsg) {
    if (strUrl.empty()) {
        return FILE_DOWNLOAD_NO_URL;
    }
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = MyIsStaleParse() ? nullptr : m_treeContact.Find(strUrl);
    if (pNode == nullptr) {
        return FILE_DOWNLOAD_FAILED;
    }
    ItemData& data = pNode->GetData();
    if (data.m_eStatus != FILE_DOWNLOAD_READY) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyExecDownload [%s] Not in ready[%d].\n",
                RemoteUrlForLog(strUrl).c_str(), data.m_eStatus);
        return data.m_eStatus;
    }
    // This download supersedes any earlier one of the node, and what an earlier answer left goes.
    const unsigned long long nTicket = ++m_nLastTicket;
    data.m_nTicket = nTicket;
    MyDropChildren(pNode);
    FileDownloadStatus eStatus = FILE_DOWNLOAD_FAILED;
    if (data.m_nLevel > m_nMaxLevel) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyExecDownload max level [%d] reached!\n",
                data.m_nLevel);
        eStatus = FILE_DOWNLOAD_MAX_LEVEL;
    } else {
        std::string strRequestUrl = strUrl;
        if (IsSearchContact(strRequestUrl)) {
            RepalceUrl(strRequestUrl);
        }
        CContactRemoteAction* pAction =
            Directory_CreateContactRemoteAction(NextTempFileName(), strRequestUrl);
        if (pAction != nullptr) {
            pAction->SetKeepBodyInMemory(true);
            pAction->SetSendMesg(bSendMsg);
            pAction->SetRead(true);
            pAction->SetSync(bSync);
            pAction->SetCallback(this);
            if (MyHandOver(pAction, strUrl, nTicket)) {
                eStatus = FILE_DOWNLOADING;
            } else {
                Directory_DestroyContactRemoteAction(pAction);
            }
        }
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyExecDownload download [%s] begin(Status[%d]).\n",
                RemoteUrlForLog(strRequestUrl).c_str(), eStatus);
    }
    data.m_eStatus = eStatus;
    return eStatus;
}

bool CContactRemoteModel::MyHandOver(CContactRemoteAction* pAction, const std::string& strNodeKey,
                                     unsigned long long nTicket) {
    try {
        m_mapRunning[pAction] = RunningDownload{m_nGeneration, strNodeKey, nTicket};
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!TaskAction_ExecAction(pAction)) {
        m_mapRunning.erase(pAction);
        return false;
    }
    return true;
}

void CContactRemoteModel::RepalceUrl(std::string& strUrl) {
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::RepalceUrl\n");
    strUrl = GetFulUrl(strUrl);
    strUrl = CommonAPI_TranslateString(strUrl, "#IP", PercentEncode(netGetWanIP()));
    PhoneStatusData status;
    NS_SETTING::CStatusController::GetPhoneStatusData(&status);
    strUrl = CommonAPI_TranslateString(strUrl, "#MAC", PercentEncode(status.m_strMac));
    std::string strKey;
    {
        Lock lock(m_csLock);
        strKey = m_strSearchKey;
    }
    strUrl = CommonAPI_TranslateString(strUrl, "#SEARCH", PercentEncode(strKey));
    app_log(6, APP_LOG_INFO, "After repalce:strUrl = %s\n", RemoteUrlForLog(strUrl).c_str());
}

bool CContactRemoteModel::MyParseForAction(CContactRemoteAction* pAction) {
    RunningDownload running;
    {
        Lock lock(m_csLock);
        // An action this model is not waiting for was started by an earlier model, now released.
        const auto found = m_mapRunning.find(pAction);
        if (found == m_mapRunning.end() || found->second.nGeneration != m_nGeneration) {
            return false;
        }
        running = found->second;
    }
    ParseContextScope scope(running.nGeneration, running.nTicket, running.strNodeKey,
                            pAction->GetFilePathRemote());
    {
        Lock lock(m_csLock);
        if (MyIsStaleParse()) {
            app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyParseForAction [%s] superseded, not parsed\n",
                    RemoteUrlForLog(running.strNodeKey).c_str());
            return false;
        }
    }
    if (!pAction->IsKeepBodyInMemory()) {
        return ParseDownloadedFile(pAction->GetFilePath(), pAction->GetFilePathRemote(),
                                   pAction->GetFileContent());
    }
    return MyParseDownloadedBody(pAction->GetFilePath(), pAction->GetFilePathRemote(),
                                 pAction->TakeFileContent());
}

bool CContactRemoteModel::MyParseDownloadedBody(const std::string& strFile, const std::string& strUrl,
                                                std::string strBody) {
    if (MyFindStatusByUrl(strUrl) == FILE_DOWNLOAD_CANCELED) {
        return false;
    }
    try {
        pugi::xml_document doc;
        // The same options and encoding detection as load_buffer, without its copy of the body. The parser
        // takes the last byte it is given for the end of the text: that must be a terminating NUL, as a
        // copy or a file read gives it, or a body with a NUL inside could end on its real last byte, so
        // that "<Directory/\0>" would read as a whole element.
        strBody.push_back('\0');
        return doc.load_buffer_inplace(strBody.data(), strBody.size()) &&
               MyParseDocument(doc, strFile, strUrl);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactRemoteModel::ParseDownloadedFile [%s] out of memory\n",
                strFile.c_str());
        return false;
    }
}

bool CContactRemoteModel::ParseDownloadedFile(const std::string& strFile, const std::string& strUrl,
                                              const std::string& strContent) {
    if (MyFindStatusByUrl(strUrl) == FILE_DOWNLOAD_CANCELED) {
        return false;
    }
    try {
        return MyLoadDataFromFile(strFile, strUrl, strContent);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactRemoteModel::ParseDownloadedFile [%s] out of memory\n",
                strFile.c_str());
        return false;
    }
}

bool CContactRemoteModel::MyLoadDataFromFile(const std::string& strFile, const std::string& strUrl,
                                             const std::string& /*strContent*/) {
    pugi::xml_document doc;
    std::error_code ec;
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strFile);
    return std::filesystem::is_regular_file(strReal, ec) && doc.load_file(strReal.c_str()) &&
           MyParseDocument(doc, strFile, strUrl);
}

bool CContactRemoteModel::MyParseDocument(pugi::xml_document& doc, const std::string& strFile,
                                          const std::string& strUrl) {
    CContactRemoteParserDelegator delegator;
    const pugi::xml_node root = delegator.ChooseParserFor(doc);
    return root && delegator.Parse(strFile, strUrl, root);
}

void CContactRemoteModel::OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) {
    if (pTaskAction == nullptr) {
        return;
    }
    app_log(6, APP_LOG_INFO, "taskActionCallback.type[%d]\n", pTaskAction->GetRequestType());
    try {
        switch (pTaskAction->GetRequestType()) {
            case NS_TA::TA_REQUEST_REMOTE_CONTACT_DOWNLOAD:
                MyOnDownloadFinished(static_cast<CContactRemoteAction*>(pTaskAction));
                break;
            case NS_TA::TA_REQUEST_REMOTE_CONTACT_SEARCH:
                MySearchCallBack(static_cast<CContactRemoteSearchAction*>(pTaskAction));
                break;
            case NS_TA::TA_REQUEST_NETWORK_FILE:
                MyOnPageLoaded(pTaskAction);
                break;
            default:
                break;
        }
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactRemoteModel::OnTaskActionCallback out of memory\n");
    }
}

void CContactRemoteModel::MyOnDownloadFinished(CContactRemoteAction* pAction) {
    const FileDownloadStatus eStatus =
        pAction->IsOperationSucceed() ? FILE_DOWNLOADED_OK : FILE_DOWNLOAD_FAILED;
    std::string strKey;
    bool bCurrent = false;
    {
        Lock lock(m_csLock);
        const auto found = m_mapRunning.find(pAction);
        if (found != m_mapRunning.end()) {
            const RunningDownload running = std::move(found->second);
            m_mapRunning.erase(found);
            strKey = running.strNodeKey;
            RemoteTree::TinyNode* pNode =
                running.nGeneration == m_nGeneration ? m_treeContact.Find(strKey) : nullptr;
            bCurrent = pNode != nullptr && pNode->GetData().m_nTicket == running.nTicket;
            if (bCurrent) {
                // A page load in flight or a page on show keeps its own state.
                if (m_ePageStatus != FILE_DOWNLOADING && m_strPageUrl.empty()) {
                    m_ePageStatus = eStatus;
                }
                if (pNode->GetData().m_eStatus != FILE_DOWNLOAD_CANCELED) {
                    app_log(6, APP_LOG_INFO,
                            "CContactRemoteModel::OnTaskActionCallback URL[%s] StatusChanged[%d]->[%d]\n",
                            RemoteUrlForLog(strKey).c_str(), pNode->GetData().m_eStatus, eStatus);
                    pNode->GetData().m_eStatus = eStatus;
                }
                MyDropLastGoodWhenLoaded(strKey);
            }
        }
    }
    MyFreeReleasedNodesInBackground();
    if (!bCurrent) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::OnTaskActionCallback URL[%s] superseded, dropped\n",
                RemoteUrlForLog(pAction->GetFilePathRemote()).c_str());
    } else if (strKey == m_strCurUrl) {
        NotifyGui(REMOTE_MSG_DOWNLOAD_RESULT, eStatus == FILE_DOWNLOADED_OK ? 0 : 1);
        app_log(6, APP_LOG_INFO, "At current page : Send Notif UI\n");
    }
    app_log(6, APP_LOG_INFO, "curUrl(%s),remoteUrl(%s)\n", RemoteUrlForLog(m_strCurUrl).c_str(),
            RemoteUrlForLog(pAction->GetFilePathRemote()).c_str());
    pAction->RemoveLocalFile();
    Directory_DestroyContactRemoteAction(pAction);
}

void CContactRemoteModel::MyReleaseRunningActions() {
    std::map<NS_TA::CTaskAction*, RunningDownload> mapRunning;
    {
        Lock lock(m_csLock);
        mapRunning.swap(m_mapRunning);
    }
    for (const auto& entry : mapRunning) {
        Directory_DestroyContactRemoteAction(static_cast<CContactRemoteAction*>(entry.first));
    }
}

int CContactRemoteModel::ReDownload(const std::string& strUrl) {
    if (strUrl.empty()) {
        return FILE_DOWNLOAD_FAILED;
    }
    if (!IsNetworkConnected()) {
        return kNoNetwork;
    }
    if (m_pSearchHelper != nullptr) {
        m_pSearchHelper->ResetKey();
    }
    int nResult = FILE_DOWNLOAD_FAILED;
    try {
        if (strUrl == REMOTE_ROOT_KEY) {
            CommonUnits_RemoveStatus(kStatusRemoteDirectory);
            MyClear1stLevelChildren();
            nResult = MyExecDownloadTopChildren() ? FILE_DOWNLOADING : FILE_DOWNLOAD_FAILED;
        } else {
            nResult = MyReDownloadTopNode(MyGetTopChildUrl(strUrl));
        }
    } catch (const std::bad_alloc&) {
        nResult = FILE_DOWNLOAD_FAILED;
    }
    MyFreeReleasedNodes();
    if (nResult == FILE_DOWNLOADING) {
        NotifyGui(REMOTE_MSG_REFRESH_STARTED, 0);
    } else if (nResult == FILE_DOWNLOAD_FAILED) {
        NotifyGui(REMOTE_MSG_DOWNLOAD_RESULT, 0);
    }
    return nResult;
}

int CContactRemoteModel::Update(bool bAll) {
    return ReDownload(bAll ? std::string(REMOTE_ROOT_KEY) : m_strCurUrl);
}

// A downloaded top node is released and fetched again, a ready one fetched; any other keeps its state.
int CContactRemoteModel::MyReDownloadTopNode(const std::string& strTop) {
    Lock lock(m_csLock);
    const FileDownloadStatus eStatus = MyFindStatusByUrl(strTop);
    if (eStatus == FILE_DOWNLOADED_OK) {
        MyReleaseTree(strTop);
    }
    if (eStatus == FILE_DOWNLOADED_OK || eStatus == FILE_DOWNLOAD_READY || eStatus == FILE_DOWNLOAD_NONE) {
        return MyExecDownload(strTop, false, false);
    }
    return eStatus;
}

void CContactRemoteModel::MyClear1stLevelChildren() {
    std::vector<std::string> vecKeys;
    {
        Lock lock(m_csLock);
        RemoteTree::TinyNode* pRoot = m_treeContact.GetRoot();
        if (pRoot == nullptr) {
            return;
        }
        for (RemoteTree::TinyNode* pTop : pRoot->GetChildren()) {
            if (!pTop->GetData().m_strUrl.empty()) {
                vecKeys.push_back(pTop->GetData().m_strUrl);
            }
        }
    }
    for (const std::string& strKey : vecKeys) {
        MyReleaseTree(strKey);
    }
}

bool CContactRemoteModel::MyExecDownloadTopChildren() {
    std::vector<std::string> vecKeys;
    {
        Lock lock(m_csLock);
        RemoteTree::TinyNode* pRoot = m_treeContact.GetRoot();
        if (pRoot == nullptr) {
            return false;
        }
        for (RemoteTree::TinyNode* pTop : pRoot->GetChildren()) {
            ItemData& data = pTop->GetData();
            if (data.m_strUrl.empty()) {
                data.m_eStatus = FILE_DOWNLOAD_NO_URL;
            } else if (IsSearchContact(data.m_strUrl)) {
                data.m_eStatus = FILE_DOWNLOADED_OK;
            } else {
                data.m_eStatus = FILE_DOWNLOAD_READY;
                vecKeys.push_back(data.m_strUrl);
            }
        }
    }
    bool bStarted = false;
    for (const std::string& strKey : vecKeys) {
        bStarted = MyExecDownload(strKey, false, false) == FILE_DOWNLOADING || bStarted;
    }
    return bStarted;
}

bool CContactRemoteModel::MyReleaseTree(const std::string& strUrl) {
    if (strUrl.empty()) {
        return false;
    }
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = m_treeContact.Find(strUrl);
    if (pNode == nullptr) {
        return false;
    }
    if (pNode->GetData().m_eStatus == FILE_DOWNLOADED_OK) {
        pNode->GetData().m_eStatus = FILE_DOWNLOAD_READY;
        const bool bSlot = pNode->GetParent() != nullptr && pNode->GetParent() == m_treeContact.GetRoot();
        if (bSlot && !IsSearchContact(strUrl)) {
            MyKeepAsLastGood(pNode);
        } else {
            MyDropChildren(pNode);
        }
    }
    return true;
}

void CContactRemoteModel::MyKeepAsLastGood(RemoteTree::TinyNode* pTop) {
    if (pTop->GetChildCount() == 0 || m_mapLastGood.count(std::string(pTop->GetKey())) != 0) {
        MyDropChildren(pTop);
        return;
    }
    std::vector<RemoteTree::TinyNode*>& vecKept = m_mapLastGood[std::string(pTop->GetKey())];
    m_nUnitCount -= MyCountUnitsBelow(pTop);
    vecKept = pTop->DetachChildren();
    MyTreeChanged();
}

void CContactRemoteModel::MyDropLastGoodWhenLoaded(const std::string& strKey) {
    if (m_mapLastGood.empty()) {
        return;
    }
    RemoteTree::TinyNode* pTop = m_treeContact.Find(MyGetTopChildUrl(strKey));
    const auto found =
        pTop == nullptr ? m_mapLastGood.end() : m_mapLastGood.find(std::string(pTop->GetKey()));
    if (found == m_mapLastGood.end() || pTop->GetData().m_eStatus != FILE_DOWNLOADED_OK ||
        MyHasRunningDownloadBelow(pTop) || MyHasUnfinishedDownloadBelow(pTop)) {
        return;
    }
    m_vecReleased.insert(m_vecReleased.end(), found->second.begin(), found->second.end());
    m_mapLastGood.erase(found);
}

bool CContactRemoteModel::MyHasRunningDownloadBelow(RemoteTree::TinyNode* pNode) {
    for (const auto& entry : m_mapRunning) {
        const RunningDownload& running = entry.second;
        RemoteTree::TinyNode* pRunning =
            running.nGeneration == m_nGeneration ? m_treeContact.Find(running.strNodeKey) : nullptr;
        if (pRunning != nullptr && pRunning->GetData().m_eStatus == FILE_DOWNLOADING &&
            pRunning->GetData().m_nTicket == running.nTicket && pNode->IsChild(pRunning)) {
            return true;
        }
    }
    return false;
}

bool CContactRemoteModel::MyHasUnfinishedDownloadBelow(RemoteTree::TinyNode* pNode) const {
    for (RemoteTree::TinyNode* pChild : pNode->GetChildren()) {
        const FileDownloadStatus eStatus = pChild->GetData().m_eStatus;
        if (eStatus == FILE_DOWNLOADING || eStatus == FILE_DOWNLOAD_FAILED ||
            (pChild->GetChildCount() != 0 && MyHasUnfinishedDownloadBelow(pChild))) {
            return true;
        }
    }
    return false;
}

void CContactRemoteModel::MyDropAllLastGood() {
    for (auto& entry : m_mapLastGood) {
        m_vecReleased.insert(m_vecReleased.end(), entry.second.begin(), entry.second.end());
    }
    m_mapLastGood.clear();
}

void CContactRemoteModel::MyDropChildren(RemoteTree::TinyNode* pNode) {
    if (pNode->GetChildCount() == 0) {
        return;
    }
    m_nUnitCount -= MyCountUnitsBelow(pNode);
    std::vector<RemoteTree::TinyNode*> vecDetached = pNode->DetachChildren();
    MyTreeChanged();
    m_vecReleased.insert(m_vecReleased.end(), vecDetached.begin(), vecDetached.end());
}

int CContactRemoteModel::MyCountUnitsBelow(RemoteTree::TinyNode* pNode) {
    int nCount = 0;
    for (RemoteTree::TinyNode* pChild : pNode->GetChildren()) {
        nCount += (Base2Unit(pChild->GetData().m_pItem) != nullptr ? 1 : 0) +
                  (pChild->GetChildCount() != 0 ? MyCountUnitsBelow(pChild) : 0);
    }
    return nCount;
}

void CContactRemoteModel::MyFreeReleasedNodes() {
    std::vector<RemoteTree::TinyNode*> vecReleased;
    {
        Lock lock(m_csLock);
        vecReleased.swap(m_vecReleased);
    }
    for (RemoteTree::TinyNode* pNode : vecReleased) {
        CRemoteSubtreeFreeAction::FreeSubtree(pNode);
    }
}

void CContactRemoteModel::MyFreeReleasedNodesInBackground() {
    std::vector<RemoteTree::TinyNode*> vecReleased;
    {
        Lock lock(m_csLock);
        vecReleased.swap(m_vecReleased);
    }
    CRemoteSubtreeFreeAction::FreeInBackground(vecReleased);
}

bool CContactRemoteModel::CancelDownload(const std::string& strUrl) {
    {
        Lock lock(m_csLock);
        m_ePageStatus = FILE_DOWNLOAD_CANCELED;
    }
    return MyCancelDownload(strUrl.empty() ? std::string(REMOTE_ROOT_KEY) : strUrl);
}

bool CContactRemoteModel::MyCancelDownload(const std::string& strUrl) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = m_treeContact.Find(strUrl);
    if (pNode == nullptr) {
        return false;
    }
    MyCancelMenusBelow(pNode);
    return true;
}

void CContactRemoteModel::MyCancelMenusBelow(RemoteTree::TinyNode* pNode) {
    for (RemoteTree::TinyNode* pChild : pNode->GetChildren()) {
        ItemData& data = pChild->GetData();
        if (Base2Menu(data.m_pItem) != nullptr &&
            (data.m_eStatus == FILE_DOWNLOAD_READY || data.m_eStatus == FILE_DOWNLOADING)) {
            data.m_eStatus = FILE_DOWNLOAD_CANCELED;
        }
        MyCancelMenusBelow(pChild);
    }
}

bool CContactRemoteModel::GetFailedMissonList(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    try {
        for (auto it = m_treeContact.begin(); it != m_treeContact.end(); ++it) {
            if ((*it).m_eStatus == FILE_DOWNLOAD_FAILED) {
                pList->emplace_back(it->GetKey());
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string CContactRemoteModel::MyGetTopChildUrl(const std::string& strUrl) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = m_treeContact.Find(strUrl);
    const RemoteTree::TinyNode* pRoot = m_treeContact.GetRoot();
    if (pNode == nullptr || pNode == pRoot) {
        return strUrl;
    }
    while (pNode->GetParent() != nullptr && pNode->GetParent() != pRoot) {
        pNode = pNode->GetParent();
    }
    return std::string(pNode->GetKey());
}

bool CContactRemoteModel::MySetStatusByUrl(const std::string& strUrl, FileDownloadStatus eStatus) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = strUrl.empty() ? nullptr : m_treeContact.Find(strUrl);
    if (pNode == nullptr || pNode->GetData().m_eStatus == eStatus) {
        return false;
    }
    pNode->GetData().m_eStatus = eStatus;
    return true;
}

CContactRemoteModel::FileDownloadStatus CContactRemoteModel::MyFindStatusByUrl(const std::string& strUrl) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = strUrl.empty() ? nullptr : m_treeContact.Find(strUrl);
    return pNode == nullptr ? FILE_DOWNLOAD_NONE : pNode->GetData().m_eStatus;
}

}  // namespace NS_DIRECTORY
