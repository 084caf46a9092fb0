// The network directory model's life: creation, the combined list it always holds, and destruction.

#include "ContactBroadSoftModel.h"

#include <new>

#include "AppLog.h"
#include "BroadSoftNumberIndex.h"
#include "ContactBSTSearchHelper.h"

namespace NS_DIRECTORY {

const char* const BSFT_ALL_CONTACT = "All Contact";

std::atomic<CContactBroadSoftModel*> CContactBroadSoftModel::m_pInst{nullptr};

void CContactBroadSoftModel::ListItemData::Reset() {
    m_listItem.clear();
    m_eStatus = LIST_NONE;
    m_nTotal = 0;
    m_nPageSize = 0;
    m_mapPageDownloads.clear();
    m_mapEarlyAnswers.clear();
    m_mapBehind.clear();
    m_nNextStart = 0;
    m_nRequestStart = 0;
}

CContactBroadSoftModel* CContactBroadSoftModel::GetInstance() {
    CContactBroadSoftModel* pModel = m_pInst.load();
    if (pModel != nullptr) {
        return pModel;
    }
    try {
        pModel = new CContactBroadSoftModel();
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::GetInstance out of memory\n");
        return nullptr;
    }
    m_pInst = pModel;
    return pModel;
}

CContactBroadSoftModel* CContactBroadSoftModel::PeekInstance() {
    return m_pInst.load();
}

CContactBroadSoftModel::CContactBroadSoftModel()
    : m_bEnterpriseConfigured(false),
      m_pAllList(nullptr),
      m_nListRevision(1),
      m_nAllListRevision(0),
      m_bAllListOfTable(false),
      m_nFileIndex(0),
      m_bServerReady(false),
      m_pProbeAction(nullptr),
      m_pCustomListAction(nullptr),
      m_nUploadIndex(0) {
    m_pNumberIndex.reset(new (std::nothrow) CBroadSoftNumberIndex);
    m_pAllList = new ListItemData();
    m_mapListData[BSFT_ALL_CONTACT] = m_pAllList;
    PreLoad(true);
}

CContactBroadSoftModel::~CContactBroadSoftModel() {
    MyFinal();
    MyReleaseRunningActions();
    std::lock_guard<ETL_BaseHelper::chCriticalSection> lock(m_csLock);
    MyDropAllLastGood();
    m_mapListData.erase(BSFT_ALL_CONTACT);
    delete m_pAllList;
    m_pAllList = nullptr;
    if (m_pInst.load() == this) {
        m_pInst = nullptr;
    }
}

}  // namespace NS_DIRECTORY
