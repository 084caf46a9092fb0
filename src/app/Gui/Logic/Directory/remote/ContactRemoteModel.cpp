// The remote model's life cycle, its settings file and the refresh timer.

#include "ContactRemoteModel.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <sstream>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonUnits.h"
#include "ConfigParser.h"
#include "ContactRemoteAction.h"
#include "ContactRemotePageAction.h"
#include "ContactRemoteSearchHelper.h"
#include "PhoneServices.h"
#include "RemoteNumberIndex.h"

namespace NS_DIRECTORY {

const char* const REMOTE_ROOT_KEY = "<URL>All";

namespace {

const char* const kConfigFolder = "/config/data/";
const char* const kConfigFile = "remote_phonebook_list.xml";
const char* const kSearchMark = "search.php";
constexpr std::size_t kMaxSlots = 5;
constexpr int kMinRefreshSeconds = 120;
constexpr int kStatusRemoteDirectory = 18;

// Guards creation and destruction of the singleton against workers taking a lease. Made when the library
// is loaded, so they are still there when its unload releases a model left alive.
std::mutex g_instanceMutex;
std::condition_variable g_leasesGone;
std::mutex& InstanceMutex() {
    return g_instanceMutex;
}
std::condition_variable& LeasesGone() {
    return g_leasesGone;
}
int g_nLeases = 0;

pugi::xml_node FindRemoteRoot(const pugi::xml_document& doc) {
    return doc.child("root_remote_phonebook");
}

// Only regular files are read: the XML loader would take a folder's size for a file's.
bool LoadSettings(pugi::xml_document& doc, const std::string& strPath) {
    std::error_code ec;
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    return std::filesystem::is_regular_file(strReal, ec) && doc.load_file(strReal.c_str());
}

}  // namespace

std::atomic<CContactRemoteModel*> CContactRemoteModel::m_pInst{nullptr};
std::atomic<unsigned long long> CContactRemoteModel::m_nTreeRevision{0};

void CContactRemoteModel::RemoteConfigItem::Reset() {
    m_strName.clear();
    m_strUrl.clear();
    m_bSearch = false;
    m_strFullUrl.clear();
}

void CContactRemoteModel::ItemData::Reset() {
    m_strName.clear();
    m_strUrl.clear();
    m_eStatus = FILE_DOWNLOAD_NONE;
    m_pItem = nullptr;
    m_nLevel = -1;
    m_nTicket = 0;
}

CContactRemoteModel::CWorkerLease::CWorkerLease() : m_pModel(nullptr) {
    std::lock_guard<std::mutex> lock(InstanceMutex());
    m_pModel = m_pInst.load();
    if (m_pModel != nullptr) {
        ++g_nLeases;
    }
}

CContactRemoteModel::CWorkerLease::~CWorkerLease() {
    if (m_pModel == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(InstanceMutex());
    if (--g_nLeases == 0) {
        LeasesGone().notify_all();
    }
}

CContactRemoteModel* CContactRemoteModel::GetInstance() {
    CContactRemoteModel* pModel = m_pInst.load();
    if (pModel != nullptr) {
        return pModel;
    }
    std::lock_guard<std::mutex> lock(InstanceMutex());
    if (m_pInst.load() != nullptr) {
        return m_pInst.load();
    }
    try {
        pModel = new CContactRemoteModel();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    m_pInst = pModel;
    return pModel;
}

CContactRemoteModel* CContactRemoteModel::PeekInstance() {
    return m_pInst.load();
}

void CContactRemoteModel::ReleaseInstance() {
    CContactRemoteModel* pModel = nullptr;
    {
        std::unique_lock<std::mutex> lock(InstanceMutex());
        pModel = m_pInst.exchange(nullptr);
        LeasesGone().wait(lock, [] { return g_nLeases == 0; });
    }
    delete pModel;
}

CContactRemoteModel::CContactRemoteModel()
    : m_nUnitCount(0),
      m_nMaxUnitCount(5000),
      m_nMaxLevel(4),
      m_ePageStatus(FILE_DOWNLOAD_NONE),
      m_pSearchHelper(nullptr),
      m_pNumberIndex(new (std::nothrow) CRemoteNumberIndex),
      m_pPageAction(nullptr),
      m_nLastTicket(0),
      m_nGeneration(1) {
    MyInit();
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, &CContactRemoteModel::OnMessage);
}

CContactRemoteModel::~CContactRemoteModel() {
    MyFinal();
    EtlMsgHandler_UnregisterMsgHandle(TM_TIMER, TM_TIMER, &CContactRemoteModel::OnMessage);
    MyReleaseRunningActions();
    MyReleaseWaitingSearches();
    MyAbandonPageLoad();
}

bool CContactRemoteModel::MyInit() {
    if (m_pSearchHelper == nullptr) {
        m_pSearchHelper = new (std::nothrow) CContactRemoteSearchHelper(this);
    }
    ProcessAutoUpdate();
    {
        std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
        ItemData root;
        root.m_strUrl = REMOTE_ROOT_KEY;
        root.m_eStatus = FILE_DOWNLOADED_OK;
        root.m_nLevel = 0;
        m_treeContact.SetRoot(root, REMOTE_ROOT_KEY);
        MyTreeChanged();
        m_nUnitCount = 0;
        m_ePageStatus = FILE_DOWNLOAD_READY;
    }
    MyLoadDataFromConfigXml(kConfigFile);
    MyInitTopChildren();
    MyClearStatusMap();
    return ReDownload(REMOTE_ROOT_KEY) == FILE_DOWNLOADING;
}

void CContactRemoteModel::MyFinal() {
    delete m_pSearchHelper;
    m_pSearchHelper = nullptr;
    MyClearPageList();
    timerKillThreadTimer(REMOTE_REFRESH_TIMER_ID);
    {
        std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
        ++m_nGeneration;
        MyClearConfigVector();
        MyReleaseTree(REMOTE_ROOT_KEY);
        MyDropAllLastGood();
        if (m_pNumberIndex) {
            m_pNumberIndex->Clear();
        }
    }
    MyFreeReleasedNodes();
}

bool CContactRemoteModel::ReloadConfigure() {
    try {
        MyFinal();
        MyInit();
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactRemoteModel::ReloadConfigure out of memory\n");
    }
    return true;
}

void CContactRemoteModel::ProcessAutoUpdate() {
    const int nSeconds = std::max(configParser_GetConfigInt("SRemoteNameFlashTime"), kMinRefreshSeconds);
    const int nMilliseconds = nSeconds > INT_MAX / 1000 ? INT_MAX : nSeconds * 1000;
    timerSetThreadTimer(REMOTE_REFRESH_TIMER_ID, nMilliseconds);
}

int CContactRemoteModel::OnMessage(ETL_MsgQueueHelper::msgObject& msg) {
    if (talkLogic_SessionExist(false)) {
        return 0;
    }
    CContactRemoteModel* pModel = GetInstance();
    if (pModel != nullptr) {
        pModel->OnTimeout(msg);
    }
    return 0;
}

bool CContactRemoteModel::OnTimeout(ETL_MsgQueueHelper::msgObject& msg) {
    if (msg.message != TM_TIMER || msg.wParam != REMOTE_REFRESH_TIMER_ID) {
        return true;
    }
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::OnTimeout [wParam=%d]\n", msg.wParam);
    try {
        ReDownload(REMOTE_ROOT_KEY);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactRemoteModel::OnTimeout out of memory\n");
    }
    return true;
}

bool CContactRemoteModel::MyLoadDataFromConfigXml(const std::string& strFile) {
    const std::string strPath = std::string(kConfigFolder) + strFile;
    app_log(6, APP_LOG_INFO, "Load remote config file [%s]\n", strPath.c_str());
    if (!MyPreLoadConfigure(strPath)) {
        ETL_TraceHelper::etlWarningMessage("ContactRemoteModel", "Fail to Preload remote config file %s!",
                                           strPath.c_str());
        return false;
    }
    pugi::xml_document doc;
    LoadSettings(doc, strPath);
    const pugi::xml_node root = FindRemoteRoot(doc);
    if (!root) {
        return false;
    }
    std::vector<std::unique_ptr<RemoteConfigItem>> vecSlots;
    for (pugi::xml_node item = root.child("item"); item && vecSlots.size() < kMaxSlots;
         item = item.next_sibling("item")) {
        auto pSlot = std::make_unique<RemoteConfigItem>();
        pSlot->m_strName = item.attribute("name").value();
        const pugi::xml_attribute url = item.attribute("url");
        if (url) {
            pSlot->m_strUrl = url.value();
            const std::size_t nPos = pSlot->m_strUrl.find(kSearchMark);
            if (nPos != std::string::npos) {
                pSlot->m_bSearch = true;
                pSlot->m_strFullUrl = pSlot->m_strUrl;
                pSlot->m_strUrl.resize(nPos + std::char_traits<char>::length(kSearchMark));
            }
        }
        vecSlots.push_back(std::move(pSlot));
    }
    while (vecSlots.size() < kMaxSlots) {
        vecSlots.push_back(std::make_unique<RemoteConfigItem>());
    }
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    m_strDisplayName = root.attribute("display_name").value();
    m_vecConfig = std::move(vecSlots);
    return true;
}

bool CContactRemoteModel::MyPreLoadConfigure(const std::string& strPath) {
    if (strPath.empty()) {
        return false;
    }
    if (ETL_MiscHelper::pathFileExist(strPath)) {
        pugi::xml_document doc;
        if (LoadSettings(doc, strPath) && FindRemoteRoot(doc)) {
            return true;
        }
    }
    return MyCreateConfigure(strPath);
}

bool CContactRemoteModel::MyCreateConfigure(const std::string& strPath) {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.prepend_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "utf-8";
    pugi::xml_node root = doc.append_child("root_remote_phonebook");
    root.append_attribute("display_name") = GetDisplayName().c_str();
    for (std::size_t i = 0; i < kMaxSlots; ++i) {
        pugi::xml_node item = root.append_child("item");
        item.append_attribute("name") = "";
        item.append_attribute("url") = "";
    }
    std::ostringstream out;
    doc.save(out, "\t");
    return ETL_MiscHelper::fileWriteAtomic(strPath, out.str());
}

void CContactRemoteModel::MyClearConfigVector() {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    m_vecConfig.clear();
}

CContactRemoteModel::RemoteConfigItem* CContactRemoteModel::MyGetRemoteConfigDataByIndex(int nIndex) {
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_vecConfig.size()) {
        return nullptr;
    }
    return m_vecConfig[static_cast<std::size_t>(nIndex)].get();
}

void CContactRemoteModel::MyClearStatusMap() {
    CommonUnits_RemoveStatus(kStatusRemoteDirectory);
}

bool CContactRemoteModel::IsRemotePhoneBookConfigured() {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    return std::any_of(m_vecConfig.begin(), m_vecConfig.end(),
                       [](const std::unique_ptr<RemoteConfigItem>& pSlot) {
                           return !pSlot->m_strName.empty() || !pSlot->m_strUrl.empty();
                       });
}

bool CContactRemoteModel::IsItemConfigured(int nIndex) {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    const RemoteConfigItem* pSlot = MyGetRemoteConfigDataByIndex(nIndex);
    return pSlot != nullptr && (!pSlot->m_strName.empty() || !pSlot->m_strUrl.empty());
}

int CContactRemoteModel::GetTotalConfigurableItemCount() {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    return static_cast<int>(m_vecConfig.size());
}

bool CContactRemoteModel::GetConfiguredList(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    try {
        for (const auto& pSlot : m_vecConfig) {
            if (!pSlot->m_strName.empty()) {
                pList->push_back(pSlot->m_strName);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string CContactRemoteModel::GetConfiguredItemName(int nIndex) {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    const RemoteConfigItem* pSlot = MyGetRemoteConfigDataByIndex(nIndex);
    return pSlot == nullptr ? std::string() : pSlot->m_strName;
}

std::string CContactRemoteModel::GetConfiguredItemUrl(int nIndex) {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    const RemoteConfigItem* pSlot = MyGetRemoteConfigDataByIndex(nIndex);
    return pSlot == nullptr ? std::string() : pSlot->m_strUrl;
}

std::string CContactRemoteModel::GetDisplayName() {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    return m_strDisplayName;
}

std::string CContactRemoteModel::GetFulUrl(std::string& strUrl) {
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    for (const auto& pSlot : m_vecConfig) {
        if (pSlot->m_strUrl == strUrl) {
            return pSlot->m_strFullUrl;
        }
    }
    return strUrl;
}

void CContactRemoteModel::SetSelectedIndex(int /*nIndex*/) {}

int CContactRemoteModel::GetSelectedIndex() {
    return 0;
}

bool CContactRemoteModel::IsSearchContact(const std::string& strUrl) {
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::IsSearchContact\n");
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    for (const auto& pSlot : m_vecConfig) {
        if (pSlot->m_strUrl == strUrl) {
            return pSlot->m_bSearch;
        }
    }
    return false;
}

}  // namespace NS_DIRECTORY
