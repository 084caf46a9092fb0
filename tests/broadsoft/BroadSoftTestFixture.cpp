#include "BroadSoftTestFixture.h"

#include <filesystem>

#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "ConfigParser.h"
#include "ContactBSTSearchHelper.h"
#include "UrlCodec.h"
#include "XsiAccount.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

}  // namespace

CContactBroadSoftModel* BroadSoftModelPeer::Peek() {
    return CContactBroadSoftModel::m_pInst.load();
}

void BroadSoftModelPeer::Destroy() {
    delete Peek();
}

BroadSoftListView BroadSoftModelPeer::List(const std::string& strUrl) {
    BroadSoftListView view;
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csLock);
    const auto found = pModel->m_mapListData.find(strUrl);
    if (found == pModel->m_mapListData.end()) {
        return view;
    }
    view.bEntry = true;
    if (found->second == nullptr) {
        return view;
    }
    view.bList = true;
    view.nStatus = found->second->m_eStatus;
    view.nTotal = found->second->m_nTotal;
    for (const ContactBroadSoftItemBase* pItem : found->second->m_listItem) {
        view.vecNames.push_back(pItem->GetDisplayName());
    }
    return view;
}

std::vector<std::string> BroadSoftModelPeer::ListKeys() {
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csLock);
    std::vector<std::string> vecKeys;
    for (const auto& entry : pModel->m_mapListData) {
        vecKeys.push_back(entry.first);
    }
    return vecKeys;
}

int BroadSoftModelPeer::MakeReady(const std::string& strUrl) {
    return Peek()->MyMakeReadyForDownload(strUrl);
}

bool BroadSoftModelPeer::LoadPage(const std::string& strUrl, const std::string& strPath, int nStart) {
    return Peek()->MyLoadDataFromFile(strUrl, strPath, nStart);
}

bool BroadSoftModelPeer::LoadCustomList(std::string& strWanted, const std::string& strPath) {
    return Peek()->MyLoadCustomListFromFile(strWanted, strPath);
}

int BroadSoftModelPeer::AddPersonal(const std::string& strUrl, const std::string& strName,
                                    const std::string& strNumber) {
    ContactBroadSoftPersonal record;
    record.m_strName = strName;
    record.m_strNumber = strNumber;
    return Peek()->MyAddPersonalItem(strUrl, record);
}

void BroadSoftModelPeer::SetStatus(const std::string& strUrl, int eStatus) {
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csLock);
    pModel->MySetStatus(pModel->MyFindItemData(strUrl), eStatus);
}

bool BroadSoftModelPeer::CopyDirectory(ContactBroadSoftListData* pList, const std::string& strUrl) {
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csLock);
    return pModel->MyCopyList(pList, pModel->MyFindItemData(strUrl));
}

bool BroadSoftModelPeer::CopyCombined(ContactBroadSoftListData* pList,
                                      const std::list<std::string>& listUrls) {
    return Peek()->MyCopyList(pList, listUrls);
}

void BroadSoftModelPeer::ClearMap(bool bKeepConfigured) {
    Peek()->MyClearMap(bKeepConfigured);
}

bool BroadSoftModelPeer::RemoveList(const std::string& strUrl) {
    return Peek()->MyRemoveListByUrl(strUrl);
}

std::string BroadSoftModelPeer::NextFilePath() {
    return Peek()->MyNextFilePath();
}

void BroadSoftModelPeer::PlantSearchResult(const std::string& strName) {
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csSearch);
    CContactBSTSearchHelper& helper = *pModel->m_pSearchHelper;
    ContactBroadSoftItemData item;
    item.m_eType = BSFT_ITEM_PERSONAL;
    item.m_strName = strName;
    helper.m_listResult.insert(helper.m_listResult.begin(), {helper.m_vecRecord.size(), std::string()});
    helper.m_vecRecord.push_back(item);
}

const void* BroadSoftModelPeer::CombinedStorage() {
    CContactBroadSoftModel* pModel = Peek();
    Lock lock(pModel->m_csLock);
    return pModel->m_pAllList->m_listItem.data();
}

std::vector<std::string> BroadSoftModelPeer::PendingDeletes() {
    const std::list<std::string>& listNames = Peek()->m_listDeleteName;
    return std::vector<std::string>(listNames.begin(), listNames.end());
}

std::string BroadSoftModelPeer::CurUrl() {
    return Peek()->m_strCurUrl;
}

bool BroadSoftModelPeer::IsServerReady() {
    return Peek()->m_bServerReady;
}

}  // namespace NS_DIRECTORY

namespace bsfttest {

namespace fs = std::filesystem;

void BroadSoftFixture::SetUp() {
    HostControl::SetManualClock(true);
}

void BroadSoftFixture::TearDown() {
    NS_DIRECTORY::CContactGeneralModel::ReleaseInstance();  // made by copies into the local book
    m_xsi.ReleaseStalls();
    EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    EXPECT_EQ(TempFileCount(), 0) << "temporary files left behind";
    NS_DIRECTORY::BroadSoftModelPeer::Destroy();
    EXPECT_TRUE(HostControl::RunUntilIdle(60000));
}

void BroadSoftFixture::Configure(const std::vector<std::string>& vecEnabled, const std::string& strPort) {
    testsupport::ConfigureXsiAccount(m_xsi, kUser, kPassword, strPort == "@mock" ? m_xsi.Port() : strPort);
    for (const std::string& strKey : vecEnabled) {
        configParser_SetConfigInt(strKey, 1);
    }
}

NS_DIRECTORY::CContactBroadSoftModel* BroadSoftFixture::StartModel() {
    NS_DIRECTORY::CContactBroadSoftModel* pModel = Model();
    WaitIdle();
    return pModel;
}

void BroadSoftFixture::WaitIdle() {
    ASSERT_TRUE(HostControl::RunUntilIdle(60000));
}

std::string BroadSoftFixture::ModelUrl(const std::string& strSuffix) const {
    return m_xsi.Url("/com.broadsoft.xsi-actions/v2.0/user/" + CommonAPI_UrlEncode(kUser) + "/directories/" +
                     strSuffix);
}

std::vector<std::string> BroadSoftFixture::ShownNames(XsiDirectory eDirectory) const {
    std::vector<std::string> vecNames;
    for (const testsupport::XsiEntry& entry : m_xsi.Entries(eDirectory)) {
        const std::string strName = entry.Field("name");
        vecNames.push_back(strName.empty() ? entry.Field("firstName") + "," + entry.Field("lastName")
                                           : strName);
    }
    return vecNames;
}

std::vector<std::string> BroadSoftFixture::TableNames() {
    std::vector<std::string> vecNames;
    const int nCount = Model()->GetTotalConfigurableItemCount();
    for (int i = 0; i < nCount; ++i) {
        vecNames.push_back(Model()->GetConfiguredItemName(i));
    }
    return vecNames;
}

std::vector<Notice> BroadSoftFixture::TakeNotices() {
    std::vector<Notice> vecNotices;
    for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
        if (note.id == NS_DIRECTORY::BSFT_MSG_DOWNLOAD_RESULT) {
            vecNotices.push_back({note.wParam, note.lParam, note.data});
        }
    }
    return vecNotices;
}

std::vector<std::string> BroadSoftFixture::Names(const std::string& strSuffix) const {
    return NS_DIRECTORY::BroadSoftModelPeer::List(ModelUrl(strSuffix)).vecNames;
}

int BroadSoftFixture::Status(const std::string& strSuffix) const {
    return NS_DIRECTORY::BroadSoftModelPeer::List(ModelUrl(strSuffix)).nStatus;
}

void BroadSoftFixture::ExpectPasswordNeverLogged() {
    for (const std::string& strLine : HostControl::TakeLogLines()) {
        EXPECT_EQ(strLine.find(kPassword), std::string::npos) << strLine;
    }
}

std::vector<std::string> BroadSoftFixture::PostBodies() const {
    std::vector<std::string> vecBodies;
    for (const testsupport::RecordedRequest& request : m_xsi.Requests()) {
        if (request.strMethod == "POST") {
            vecBodies.push_back(request.strBody);
        }
    }
    return vecBodies;
}

int BroadSoftFixture::TempFileCount() const {
    int nCount = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_root.Path("/tmp"), ec)) {
        const std::string strName = entry.path().filename().string();
        nCount += strName.rfind("BroadSoftDirectory_", 0) == 0 || strName.rfind("BroadSoftUpload_", 0) == 0;
    }
    return nCount;
}

std::vector<testsupport::XsiEntry> BroadSoftFixture::Members(const std::string& strPrefix, int nCount) {
    std::vector<testsupport::XsiEntry> vecEntries;
    for (int i = 0; i < nCount; ++i) {
        const std::string strNumber = CommonAPI_FormatString("%03d", i);
        vecEntries.push_back(testsupport::XsiMember(strPrefix, strNumber, "+4930" + strNumber, strNumber));
    }
    return vecEntries;
}

std::string BroadSoftFixture::Page(NS_DIRECTORY::CContactBroadSoftModel* pModel,
                                   const std::string& strClickAction, int* pResult, int nFrom, int nCount,
                                   bool bClear) {
    NS_DIRECTORY::ContactBroadSoftListData page;
    page.m_nIndexFrom = nFrom;
    page.m_nCountToGet = nCount;
    NS_DIRECTORY::ContactBroadSoftItemData criteria;
    *pResult = pModel->GetContactListByClickAction(&page, strClickAction, criteria, bClear, false);
    std::string strNames;
    for (const NS_DIRECTORY::ContactBroadSoftItemData& item : page.m_listData) {
        strNames += (strNames.empty() ? "" : "|") + item.m_strName;
    }
    return strNames + "/" + std::to_string(page.m_nTotalCount);
}

}  // namespace bsfttest
