#include "ContactGeneralModel.h"

#include <strings.h>

#include <algorithm>
#include <iterator>
#include <string_view>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ContactGeneralSearchHelper.h"
#include "ContactNumberIndex.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"
#include "MsgQueue.h"
#include "PhoneServices.h"
#include "RecentFileChecks.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

namespace {

constexpr int kDefaultMaxGroupCount = 50;
constexpr int kDefaultMaxContactCount = 1000;
constexpr int kDefaultMaxBlackCount = 30;

// One page of a list request: numbers the entries of source that keep() accepts from 0 and appends to the
// request the records convert() makes of those numbered inside the host's window. Nothing is appended when
// the window is refused or a record cannot be made for lack of memory. Answers how many entries were
// numbered, or -1 when the window was refused.
template <class TList, class TSource, class TKeep, class TConvert>
int CopyPage(TList* pList, const TSource& source, int nCandidates, TKeep keep, TConvert convert) {
    int nFrom = -1;
    int nTo = -1;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pList->m_nIndexFrom, pList->m_nCountToGet, nCandidates)) {
        return -1;
    }
    decltype(pList->m_listData) listPage;
    int nNumber = 0;
    for (const auto& pEntry : source) {
        if (!keep(*pEntry)) {
            continue;
        }
        typename decltype(listPage)::value_type record;
        if (nNumber >= nFrom && nNumber < nTo && convert(&record, *pEntry)) {
            listPage.push_back(std::move(record));
        }
        ++nNumber;
    }
    pList->m_listData.insert(pList->m_listData.end(), std::make_move_iterator(listPage.begin()),
                             std::make_move_iterator(listPage.end()));
    return nNumber;
}

}  // namespace

CContactGeneralModel* CContactGeneralModel::m_pInst = nullptr;

// A new store starts with fresh answers about ring and photo files: the files may have changed while no
// store was there to show them.
CContactGeneralModel::CContactGeneralModel() {
    CRecentFileChecks::Shared().Forget();
}

CContactGeneralModel::~CContactGeneralModel() {
    MyClearMenuList();
}

CContactGeneralModel* CContactGeneralModel::GetInstance() {
    if (m_pInst == nullptr) {
        try {
            m_pInst = new CContactGeneralModel();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        m_pInst->MyInit();
    }
    return m_pInst;
}

void CContactGeneralModel::ReleaseInstance() {
    if (m_pInst == nullptr) {
        return;
    }
    m_pInst->MyFinal();
    delete m_pInst;
    m_pInst = nullptr;
}

bool CContactGeneralModel::MyInit() {
    return MyNoThrow(false, [&]() -> bool {
        if (!m_pMenuList) {
            m_pMenuList = std::make_unique<MenuItemList>();
        }
        if (m_pSearchAction == nullptr) {
            m_pSearchAction = TaskAction_CreateLocalContactSearchAction();
        }
        if (!m_pIdGenerator) {
            m_pIdGenerator = std::make_unique<CRIdGenerator>();
        }
        if (!m_pNumberIndex && m_listItem.empty()) {
            m_pNumberIndex = std::make_unique<CContactNumberIndex>();
        }
        if (m_pSearchHelper == nullptr) {
            m_pSearchHelper = new CContactGeneralSearchHelper();
        }
        m_nMaxGroupCount = kDefaultMaxGroupCount;
        m_nMaxContactCount = kDefaultMaxContactCount;
        m_nMaxBlackCount = kDefaultMaxBlackCount;
        MyRemoveStaleTempFiles();
        const bool bGroupsLoaded = MyLoadGroupFromXmlFile(kLocalGroupFileName);
        const bool bContactsLoaded = MyLoadContactFromXmlFile(kLocalContactFileName);
        return bGroupsLoaded && bContactsLoaded;
    });
}

bool CContactGeneralModel::MyFinal() {
    m_pIdGenerator.reset();
    delete m_pSearchHelper;
    m_pSearchHelper = nullptr;
    TaskAction_DestroyLocalContactSearchAction(m_pSearchAction);
    m_pSearchAction = nullptr;
    m_pWaitingSearch.reset();
    m_bSearchRunning = false;
    m_listReloads.clear();
    m_bReloadByHttp = false;
    timerKillThreadTimer(kLocalSaveTimerId);
    const bool bContactsEmpty = MyClearContactList();
    const bool bGroupsEmpty = MyClearGroupList();
    const bool bHadMenuList = m_pMenuList != nullptr;
    MyClearMenuList();
    m_pMenuList.reset();
    return bContactsEmpty && bGroupsEmpty && bHadMenuList;
}

bool CContactGeneralModel::MyRefuseWhenBusy() const {
    if (!m_bReloadByHttp) {
        return false;
    }
    CommonUnits_SetErrorId(CONTACT_RESULT_BUSY);
    return true;
}

bool CContactGeneralModel::MyRefuse(int nCode) {
    CommonUnits_SetErrorId(nCode);
    return false;
}

// ---- limits and counters

int CContactGeneralModel::SetMaxContactCount(int nMax) {
    std::swap(m_nMaxContactCount, nMax);
    return nMax;
}

int CContactGeneralModel::SetMaxBlackCount(int nMax) {
    std::swap(m_nMaxBlackCount, nMax);
    return nMax;
}

int CContactGeneralModel::SetMaxGroupCount(int nMax) {
    std::swap(m_nMaxGroupCount, nMax);
    return nMax;
}

int CContactGeneralModel::GetCurrentContactCount() const {
    return static_cast<int>(m_listItem.size()) - m_nCurrentBlackCount;
}

int CContactGeneralModel::GetCurrentGroupCount() const {
    return static_cast<int>(m_listGroup.size());
}

// ---- lookups

bool CContactGeneralModel::CompareItem(const ItemData& a, const ItemData& b) {
    return strcasecmp(a.m_strDisplayName.c_str(), b.m_strDisplayName.c_str()) < 0;
}

bool CContactGeneralModel::CompareGroup(const GroupData& a, const GroupData& b) {
    return strcasecmp(a.m_strDisplayName.c_str(), b.m_strDisplayName.c_str()) < 0;
}

CContactGeneralModel::ItemData* CContactGeneralModel::MyFindContact(const std::string& strName) const {
    if (strName.empty()) {
        return nullptr;
    }
    // The list is in name order ignoring case, so the first equal name is where the lower bound lands.
    const auto found =
        std::lower_bound(m_listItem.begin(), m_listItem.end(), strName,
                         [](const std::unique_ptr<ItemData>& pItem, const std::string& strKey) {
                             return strcasecmp(pItem->m_strDisplayName.c_str(), strKey.c_str()) < 0;
                         });
    if (found == m_listItem.end() || strcasecmp((*found)->m_strDisplayName.c_str(), strName.c_str()) != 0) {
        return nullptr;
    }
    return found->get();
}

CContactGeneralModel::GroupData* CContactGeneralModel::MyFindGroupById(int nId) const {
    if (nId == -1) {
        return nullptr;
    }
    for (const auto& pGroup : m_listGroup) {
        if (pGroup->m_nId == nId) {
            return pGroup.get();
        }
    }
    return nullptr;
}

CContactGeneralModel::GroupData* CContactGeneralModel::MyFindGroupByDisplayName(
    const std::string& strName) const {
    if (strName.empty()) {
        return nullptr;
    }
    for (const auto& pGroup : m_listGroup) {
        if (pGroup->m_strDisplayName == strName) {
            return pGroup.get();
        }
    }
    return nullptr;
}

int CContactGeneralModel::MyGName2Id(const std::string& strName) const {
    const GroupData* pGroup = MyFindGroupByDisplayName(strName);
    return pGroup == nullptr ? -1 : pGroup->m_nId;
}

std::string CContactGeneralModel::MyGId2Name(int nId) const {
    const GroupData* pGroup = MyFindGroupById(nId);
    return pGroup == nullptr ? std::string() : pGroup->m_strDisplayName;
}

CContactGeneralModel::GroupData* CContactGeneralModel::MyFindGDataByIndex(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCurrentGroupCount()) {
        return nullptr;
    }
    return m_listGroup[static_cast<size_t>(nIndex)].get();
}

bool CContactGeneralModel::MyIsGroupReadOnly(int nId) {
    return nId == kAllContactsGroupId || nId == kBlacklistGroupId;
}

namespace {

std::string_view BuiltInGroupName(int nId) {
    return nId == kAllContactsGroupId ? std::string_view("All Contacts") : std::string_view("Blacklist");
}

}  // namespace

CContactGeneralModel::GroupData CContactGeneralModel::MyBuiltInGroup(int nId) {
    GroupData group;
    group.m_nId = nId;
    group.m_strDisplayName = std::string(BuiltInGroupName(nId));
    group.m_bReadOnly = true;
    return group;
}

bool CContactGeneralModel::MyRepairBuiltInName(GroupData& group) {
    if (!MyIsGroupReadOnly(group.m_nId)) {
        return false;
    }
    const std::string_view fixedName = BuiltInGroupName(group.m_nId);
    if (group.m_strDisplayName == fixedName) {
        return false;
    }
    group.m_strDisplayName = std::string(fixedName);
    return true;
}

bool CContactGeneralModel::MyTakesBuiltInName(const GroupData& group) {
    return !MyIsGroupReadOnly(group.m_nId) &&
           (group.m_strDisplayName == BuiltInGroupName(kAllContactsGroupId) ||
            group.m_strDisplayName == BuiltInGroupName(kBlacklistGroupId));
}

// ---- conversions

bool CContactGeneralModel::MyID2CGID(ContactGeneralItemData* pOut, const ItemData& in) const {
    if (pOut == nullptr) {
        return false;
    }
    const GroupData* pGroup = MyFindGroupById(in.m_nGroupId);
    return pGroup != nullptr && MyFillContactRecord(pOut, in, pGroup->m_strDisplayName);
}

bool CContactGeneralModel::MyFillContactRecord(ContactGeneralItemData* pOut, const ItemData& in,
                                               const std::string& strGroupName) {
    if (pOut == nullptr || strGroupName.empty()) {
        return false;
    }
    pOut->m_strDisplayName = in.m_strDisplayName;
    pOut->m_strGroupName = strGroupName;
    pOut->m_strOfficeNumber = in.m_strOfficeNumber;
    pOut->m_strMobileNumber = in.m_strMobileNumber;
    pOut->m_strOtherNumber = in.m_strOtherNumber;
    CRecentFileChecks& files = CRecentFileChecks::Shared();
    if (files.Exists(CRecentFileChecks::FILE_KIND_RING, in.m_strRing)) {
        pOut->m_strRing = in.m_strRing;
    } else {
        pOut->m_strRing.clear();
    }
    if (files.Exists(CRecentFileChecks::FILE_KIND_PHOTO, in.m_strDefaultPhoto)) {
        pOut->m_strDefaultPhoto = in.m_strDefaultPhoto;
    } else {
        pOut->m_strDefaultPhoto = CommonUnits_GetDefaultContactImage();
    }
    pOut->m_nLine = in.m_nLine;
    pOut->m_nSelectedPhoto = in.m_nSelectedPhoto;
    return true;
}

bool CContactGeneralModel::MyCGID2ID(ItemData* pOut, int nGroupId, const ContactGeneralItemData& in,
                                     bool bFavorate) {
    if (pOut == nullptr || nGroupId == -1) {
        return MyRefuse(CONTACT_RESULT_MISSING_ARGUMENT);
    }
    pOut->m_strDisplayName = in.m_strDisplayName;
    pOut->m_strOfficeNumber = in.m_strOfficeNumber;
    pOut->m_strMobileNumber = in.m_strMobileNumber;
    pOut->m_strOtherNumber = in.m_strOtherNumber;
    pOut->m_strRing = in.m_strRing;
    pOut->m_strDefaultPhoto = in.m_strDefaultPhoto;
    pOut->m_nLine = in.m_nLine;
    pOut->m_nSelectedPhoto = in.m_nSelectedPhoto;
    pOut->m_nGroupId = nGroupId;
    pOut->m_bFavorate = bFavorate;
    return true;
}

bool CContactGeneralModel::MyGD2CGD(ContactGroupData* pOut, const GroupData& in) {
    if (pOut == nullptr) {
        return false;
    }
    pOut->m_strDisplayName = in.m_strDisplayName;
    pOut->m_strRing = CRecentFileChecks::Shared().Exists(CRecentFileChecks::FILE_KIND_RING, in.m_strRing)
                          ? in.m_strRing
                          : std::string();
    return true;
}

bool CContactGeneralModel::MyCGD2GD(GroupData* pOut, int nId, const ContactGroupData& in) {
    if (pOut == nullptr) {
        return MyRefuse(CONTACT_RESULT_MISSING_ARGUMENT);
    }
    if (nId < 0) {
        return MyRefuse(CONTACT_RESULT_BAD_GROUP_ID);
    }
    pOut->m_nId = nId;
    pOut->m_strDisplayName = in.m_strDisplayName;
    pOut->m_strRing = in.m_strRing;
    pOut->m_bReadOnly = MyIsGroupReadOnly(nId);
    return true;
}

namespace {

template <class TRecord, size_t N>
bool AllXmlSafe(const TRecord& record, std::string TRecord::*const (&texts)[N]) {
    return std::all_of(std::begin(texts), std::end(texts),
                       [&record](std::string TRecord::*pText) { return IsXmlSafeText(record.*pText); });
}

template <class TRecord, size_t N>
void MakeAllXmlSafe(TRecord& record, std::string TRecord::*const (&texts)[N]) {
    for (std::string TRecord::*pText : texts) {
        std::string& strText = record.*pText;
        if (!IsPlainAsciiText(strText.data(), strText.size())) {  // plain ASCII is safe as it is
            MakeXmlSafeText(strText);
        }
    }
}

std::string ContactGeneralItemData::*const kRecordTexts[] = {
    &ContactGeneralItemData::m_strDisplayName,  &ContactGeneralItemData::m_strGroupName,
    &ContactGeneralItemData::m_strOfficeNumber, &ContactGeneralItemData::m_strMobileNumber,
    &ContactGeneralItemData::m_strOtherNumber,  &ContactGeneralItemData::m_strRing,
    &ContactGeneralItemData::m_strDefaultPhoto,
};
std::string ContactGroupData::*const kGroupRecordTexts[] = {&ContactGroupData::m_strDisplayName,
                                                            &ContactGroupData::m_strRing};
std::string CContactGeneralModel::ItemData::*const kItemTexts[] = {
    &CContactGeneralModel::ItemData::m_strDisplayName,  &CContactGeneralModel::ItemData::m_strOfficeNumber,
    &CContactGeneralModel::ItemData::m_strMobileNumber, &CContactGeneralModel::ItemData::m_strOtherNumber,
    &CContactGeneralModel::ItemData::m_strRing,         &CContactGeneralModel::ItemData::m_strDefaultPhoto,
};
std::string CContactGeneralModel::GroupData::*const kGroupTexts[] = {
    &CContactGeneralModel::GroupData::m_strDisplayName, &CContactGeneralModel::GroupData::m_strRing};

}  // namespace

const ContactGeneralItemData& CContactGeneralModel::MyXmlSafeRecord(const ContactGeneralItemData& data,
                                                                    ContactGeneralItemData* pClean) {
    if (AllXmlSafe(data, kRecordTexts)) {
        return data;
    }
    *pClean = data;
    MakeAllXmlSafe(*pClean, kRecordTexts);
    return *pClean;
}

const ContactGroupData& CContactGeneralModel::MyXmlSafeRecord(const ContactGroupData& data,
                                                              ContactGroupData* pClean) {
    if (AllXmlSafe(data, kGroupRecordTexts)) {
        return data;
    }
    *pClean = data;
    MakeAllXmlSafe(*pClean, kGroupRecordTexts);
    return *pClean;
}

void CContactGeneralModel::MyMakeXmlSafe(ItemData& item) {
    MakeAllXmlSafe(item, kItemTexts);
}

void CContactGeneralModel::MyMakeXmlSafe(GroupData& group) {
    MakeAllXmlSafe(group, kGroupTexts);
}

bool CContactGeneralModel::MyClearContactList() {
    if (m_pNumberIndex) {
        m_pNumberIndex->Clear();
    }
    m_listItem.clear();
    m_nImportSorted = 0;  // an open import batch starts again from the empty list
    m_setImportNames.clear();
    CallLog_ResetLogContactName();
    MyResetSearchKeys();
    m_nCurrentBlackCount = 0;
    m_nCurrentFavorateCount = 0;
    return m_listItem.empty();
}

bool CContactGeneralModel::MyClearGroupList() {
    m_listGroup.clear();
    m_pSearchSnapshot.reset();
    return m_listGroup.empty();
}

// Forgets the remembered search results, which point into the contact list or into its snapshot.
void CContactGeneralModel::MyResetSearchKeys() {
    if (m_pSearchHelper != nullptr) {
        m_pSearchHelper->ResetKey();
    }
    if (m_pSearchAction != nullptr) {
        m_pSearchAction->ResetKey();
    }
    m_pSearchSnapshot.reset();
}

// ---- queries

bool CContactGeneralModel::IsContactExist(const std::string& strName) const {
    return MyFindContact(strName) != nullptr;
}

int CContactGeneralModel::GetContactGroupId(const std::string& strName) const {
    const ItemData* pItem = MyFindContact(strName);
    return pItem == nullptr ? -1 : pItem->m_nGroupId;
}

bool CContactGeneralModel::GetContactData(ContactGeneralItemData* pData, const std::string& strName) const {
    const ItemData* pItem = MyFindContact(strName);
    if (pItem == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool { return MyID2CGID(pData, *pItem); });
}

bool CContactGeneralModel::IsGroupExist(const std::string& strName) const {
    return MyFindGroupByDisplayName(strName) != nullptr;
}

int CContactGeneralModel::GetGroupIdByGroupName(const std::string& strName) const {
    return MyGName2Id(strName);
}

int CContactGeneralModel::GetGIdByGName(const std::string& strName) const {
    return MyGName2Id(strName);
}

bool CContactGeneralModel::GetGroupDataById(ContactGroupData* pData, int nId) const {
    if (pData == nullptr || nId < 0) {
        return false;
    }
    const GroupData* pGroup = MyFindGroupById(nId);
    if (pGroup == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool { return MyGD2CGD(pData, *pGroup); });
}

std::string CContactGeneralModel::GetGroupNameByIndex(int nIndex) const {
    const GroupData* pGroup = MyFindGDataByIndex(nIndex);
    if (pGroup == nullptr) {
        return std::string();
    }
    return MyNoThrow(std::string(), [&]() -> std::string { return pGroup->m_strDisplayName; });
}

bool CContactGeneralModel::IsBlacklistIndex(int nIndex) const {
    return nIndex == GetCurrentGroupCount() - 1;
}

int CContactGeneralModel::MyGetContactCountByGroupId(int nId) const {
    if (nId == kAllContactsGroupId) {
        return static_cast<int>(m_listItem.size());
    }
    return static_cast<int>(
        std::count_if(m_listItem.begin(), m_listItem.end(),
                      [nId](const std::unique_ptr<ItemData>& pItem) { return pItem->m_nGroupId == nId; }));
}

// ---- pages

bool CContactGeneralModel::GetContactListById(ContactGeneralItemListData* pList, int nGroupId) const {
    if (pList == nullptr || nGroupId < 0 || MyFindGroupById(nGroupId) == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const std::string strIcon = Directory_GetDefaultIcon(DDIT_LOCAL_CONTACT_ITEM);
        int nTotal = -1;
        if (nGroupId == kAllContactsGroupId) {
            nTotal = MyCopyAllContactsPage(pList, strIcon);
        } else {
            nTotal = CopyPage(
                pList, m_listItem, static_cast<int>(m_listItem.size()),
                [nGroupId](const ItemData& item) { return item.m_nGroupId == nGroupId; },
                [&](ContactGeneralItemData* pRecord, const ItemData& item) {
                    if (!MyID2CGID(pRecord, item)) {
                        return false;
                    }
                    pRecord->m_strDefaultPhoto = strIcon;
                    return true;
                });
        }
        if (nTotal < 0) {
            return false;
        }
        pList->m_nTotalCount = nTotal;
        return true;
    });
}

int CContactGeneralModel::MyCopyAllContactsPage(ContactGeneralItemListData* pList,
                                                const std::string& strIcon) const {
    int nFrom = -1;
    int nTo = -1;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pList->m_nIndexFrom, pList->m_nCountToGet,
                                     static_cast<int>(m_listItem.size()))) {
        return -1;
    }
    const std::vector<size_t>& listSpots = MyBlacklistSpots();
    // Contact number nFrom sits one place further on for every blacklisted contact up to it.
    size_t nIndex = static_cast<size_t>(nFrom);
    auto spot = listSpots.begin();
    for (; spot != listSpots.end() && *spot <= nIndex; ++spot) {
        ++nIndex;
    }
    decltype(pList->m_listData) listPage;
    for (int nNumber = nFrom; nNumber < nTo && nIndex < m_listItem.size(); ++nIndex) {
        if (spot != listSpots.end() && *spot == nIndex) {
            ++spot;
            continue;
        }
        ContactGeneralItemData record;
        if (MyID2CGID(&record, *m_listItem[nIndex])) {
            record.m_strDefaultPhoto = strIcon;
            listPage.push_back(std::move(record));
        }
        ++nNumber;
    }
    pList->m_listData.insert(pList->m_listData.end(), std::make_move_iterator(listPage.begin()),
                             std::make_move_iterator(listPage.end()));
    return static_cast<int>(m_listItem.size() - listSpots.size());
}

const std::vector<size_t>& CContactGeneralModel::MyBlacklistSpots() const {
    if (!MyBlacklistSpotsHold()) {
        m_listBlacklistSpots.clear();
        for (size_t nIndex = 0; nIndex < m_listItem.size(); ++nIndex) {
            if (m_listItem[nIndex]->m_nGroupId == kBlacklistGroupId) {
                m_listBlacklistSpots.push_back(nIndex);
            }
        }
    }
    return m_listBlacklistSpots;
}

// The spots ascend, so as many of them as there are blacklisted contacts, each on one, are all of them.
bool CContactGeneralModel::MyBlacklistSpotsHold() const {
    if (m_listBlacklistSpots.size() != static_cast<size_t>(m_nCurrentBlackCount)) {
        return false;
    }
    return std::all_of(m_listBlacklistSpots.begin(), m_listBlacklistSpots.end(), [this](size_t nSpot) {
        return nSpot < m_listItem.size() && m_listItem[nSpot]->m_nGroupId == kBlacklistGroupId;
    });
}

bool CContactGeneralModel::GetContactList(ContactGeneralItemListData* pList,
                                          const std::string& strGroupName) const {
    if (pList == nullptr || strGroupName.empty()) {
        return false;
    }
    const GroupData* pGroup = MyFindGroupByDisplayName(strGroupName);
    return pGroup != nullptr && GetContactListById(pList, pGroup->m_nId);
}

bool CContactGeneralModel::GetContactListByClickAction(ContactGeneralItemListData* pList,
                                                       const std::string& strAction) const {
    if (pList == nullptr || strAction.empty()) {
        return false;
    }
    const int nGroupId = CommonAPI_ParseIdByClickAction(strAction, kLocalClickActionPattern);
    return nGroupId != -1 && GetContactListById(pList, nGroupId);
}

bool CContactGeneralModel::GetFavorateList(ContactGeneralItemListData* pList) const {
    if (pList == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const int nNumbered = CopyPage(
            pList, m_listItem, static_cast<int>(m_listItem.size()),
            [](const ItemData& item) { return item.m_bFavorate; },
            [this](ContactGeneralItemData* pRecord, const ItemData& item) {
                return MyID2CGID(pRecord, item);
            });
        if (nNumbered < 0) {
            return false;
        }
        pList->m_nTotalCount = m_nCurrentFavorateCount;
        return true;
    });
}

bool CContactGeneralModel::GetGroupList(ContactGroupListData* pList, bool bWithBlacklist) const {
    if (pList == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const int nNumbered = CopyPage(
            pList, m_listGroup, GetCurrentGroupCount(),
            [bWithBlacklist](const GroupData& group) {
                return bWithBlacklist || group.m_nId != kBlacklistGroupId;
            },
            [](ContactGroupData* pRecord, const GroupData& group) { return MyGD2CGD(pRecord, group); });
        if (nNumbered < 0) {
            return false;
        }
        pList->m_nTotalCount = GetCurrentGroupCount() - (bWithBlacklist ? 0 : 1);
        return true;
    });
}

bool CContactGeneralModel::GetGroupSimpleList(ContactGroupSimpleListData* pList) const {
    if (pList == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const int nNumbered = CopyPage(
            pList, m_listGroup, GetCurrentGroupCount(),
            [](const GroupData& group) { return group.m_nId != kBlacklistGroupId; },
            [](ContactGroupSimpleData* pRecord, const GroupData& group) {
                pRecord->m_strDisplayName = group.m_strDisplayName;
                pRecord->m_nGroupId = group.m_nId;
                return true;
            });
        if (nNumbered < 0) {
            return false;
        }
        pList->m_nTotalCount = GetCurrentGroupCount() - 1;
        return true;
    });
}

// ---- group menu

void CContactGeneralModel::MyClearMenuList() {
    if (!m_pMenuList) {
        return;
    }
    for (MenuItemData* pMenu : *m_pMenuList) {
        delete pMenu;
    }
    m_pMenuList->clear();
}

CContactGeneralModel::MenuItemList* CContactGeneralModel::MyGenLocalMenuList() {
    if (!m_pMenuList) {
        return nullptr;
    }
    MyClearMenuList();
    return MyNoThrow<MenuItemList*>(m_pMenuList.get(), [&]() -> MenuItemList* {
        m_pMenuList->reserve(m_listGroup.size());
        for (const auto& pGroup : m_listGroup) {
            if (pGroup->m_nId == kBlacklistGroupId) {
                continue;
            }
            auto pMenu = std::make_unique<MenuItemData>();
            pMenu->m_strIdName = kLocalClickActionPattern + IntToString(pGroup->m_nId);
            pMenu->m_strDisplayName = pGroup->m_strDisplayName;
            pMenu->m_strClickAction = "OpenSubPage(" + pMenu->m_strIdName + ")";
            m_pMenuList->push_back(pMenu.release());
        }
        return m_pMenuList.get();
    });
}

}  // namespace NS_DIRECTORY
