#pragma once
// A fresh local phone book on a fresh temporary root for each test, with helpers to write its files,
// add contacts and read back what it wrote and told the phone.

#include <cstdio>
#include <functional>
#include <memory>
#include <list>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "CommonUnits.h"
#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGeneralSearchHelper.h"
#include "ContactGroupController.h"
#include "HostControl.h"
#include "MsgQueue.h"
#include "Registry.h"
#include "TempRoot.h"

namespace NS_DIRECTORY {

// Reaches the store no public operation shows whole.
class ContactGeneralModelTestPeer {
public:
    static const auto& Items(const CContactGeneralModel& model) { return model.m_listItem; }
};

}  // namespace NS_DIRECTORY

namespace localtest {

using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::CContactSearchSnapshot;
using NS_DIRECTORY::ContactGeneralItemData;
using NS_DIRECTORY::ContactGeneralModelTestPeer;
using NS_DIRECTORY::ContactGeneralSearchItemListData;
using ItemData = NS_DIRECTORY::CContactGeneralModel::ItemData;
using Strings = std::vector<std::string>;

constexpr const char* kGroupFile = "/config/data/contact_group_list.xml";
constexpr const char* kContactFile = "/config/data/contact_list.xml";
constexpr const char* kMarkFile = "/tmp/contact_update_mark.ini";

inline ContactGeneralItemData Contact(const std::string& strName, const std::string& strGroup,
                                      const std::string& strMobile = "", const std::string& strOffice = "",
                                      const std::string& strOther = "") {
    ContactGeneralItemData data;
    data.m_strDisplayName = strName;
    data.m_strGroupName = strGroup;
    data.m_strMobileNumber = strMobile;
    data.m_strOfficeNumber = strOffice;
    data.m_strOtherNumber = strOther;
    return data;
}

// One <contact> element of the contact file; attrs are extra attributes written as they are.
inline std::string ContactElement(const std::string& strName, int nGroupId,
                                  const std::string& strAttrs = "") {
    return "<contact display_name=\"" + strName + "\" group_id_name=\"" + std::to_string(nGroupId) + "\" " +
           strAttrs + "/>";
}

// A store item as the search engines see it, with its digit-key name.
inline ItemData Item(const std::string& strName, int nGroupId, const std::string& strMobile = "",
                     const std::string& strOffice = "") {
    ItemData item;
    item.m_strDisplayName = strName;
    item.m_nGroupId = nGroupId;
    item.m_strMobileNumber = strMobile;
    item.m_strOfficeNumber = strOffice;
    item.m_strNameIndex = CommonUnits_ToKeyString(strName);
    return item;
}

// A search snapshot of the items with the groups All Contacts (0), Blacklist (1) and Work (2).
inline std::shared_ptr<CContactSearchSnapshot> Snapshot(std::vector<ItemData> listItem) {
    return std::make_shared<CContactSearchSnapshot>(
        std::move(listItem),
        std::vector<std::pair<int, std::string>>{{0, "All Contacts"}, {1, "Blacklist"}, {2, "Work"}});
}

// Tells how a search walked the source: a full scan reads every contact, narrowing converts every
// remaining match, paging from memory converts only the page.
class CountingSource : public NS_DIRECTORY::CContactSearchSource {
public:
    explicit CountingSource(std::shared_ptr<CContactSearchSnapshot> pInner) : m_pInner(std::move(pInner)) {}
    size_t GetContactCount() const override { return m_pInner->GetContactCount(); }
    const ItemData& GetContact(size_t nIndex) const override {
        ++m_nReads;
        return m_pInner->GetContact(nIndex);
    }
    bool Convert(ContactGeneralItemData* pOut, const ItemData& item) const override {
        ++m_nConverts;
        return m_pInner->Convert(pOut, item);
    }

    mutable int m_nReads = 0;
    mutable int m_nConverts = 0;

private:
    std::shared_ptr<CContactSearchSnapshot> m_pInner;
};

inline ContactGeneralSearchItemListData Request(int nFrom = 0, int nCount = 20) {
    ContactGeneralSearchItemListData data;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    return data;
}

// The display names of a page or a search answer.
template <class Data>
Strings NamesOf(const Data& data) {
    Strings listNames;
    for (const auto& record : data.m_listData) {
        listNames.push_back(record.m_strDisplayName);
    }
    return listNames;
}

// Every field of a contact in one line.
inline std::string Describe(const ContactGeneralItemData& data) {
    return data.m_strDisplayName + "|" + data.m_strGroupName + "|" + data.m_strMobileNumber + "|" +
           data.m_strOfficeNumber + "|" + data.m_strOtherNumber + "|" + data.m_strRing + "|" +
           data.m_strDefaultPhoto + "|" + std::to_string(data.m_nLine) + "|" +
           std::to_string(data.m_nSelectedPhoto);
}

inline std::string ContactFileXml(const std::string& strElements) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>" + strElements + "</root_contact>\n";
}

inline std::string GroupFileXml(const std::string& strElements) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_group>" + strElements + "</root_group>\n";
}

inline std::string GroupElement(int nId, const std::string& strName, const std::string& strAttrs = "") {
    return "<group id_name=\"" + std::to_string(nId) + "\" display_name=\"" + strName + "\" " + strAttrs +
           "/>";
}

// What the module's timer handler does when the save timer expires: both files saved when out of date.
inline int DeliverLocalSaveTimer(ETL_MsgQueueHelper::msgObject& msg) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    pModel->OnTimeoutSaveGroup(static_cast<unsigned int>(msg.wParam));
    pModel->OnTimeoutSaveContact(static_cast<unsigned int>(msg.wParam));
    return 0;
}

class LocalModelFixture : public testsupport::HostFixture {
protected:
    void TearDown() override {
        NS_DIRECTORY::CContactEditorController::ReleaseInstance();
        NS_DIRECTORY::CContactGroupController::ReleaseInstance();
        CContactGeneralModel::ReleaseInstance();
    }

    CContactGeneralModel& Model() { return *CContactGeneralModel::GetInstance(); }

    // Forgets everything the host recorded so far.
    static void DropRecords() {
        HostControl::TakeNotifications();
        HostControl::TakeCallLogUpdates();
        HostControl::TakeLogLines();
        CommonUnits_SetErrorId(0);
    }

    // A contact file of count contacts named <prefix>0000... in group nGroupId.
    void WriteManyContacts(const std::string& strPrefix, int nCount, int nGroupId,
                           const std::string& strMore = "") {
        std::string strElements;
        for (int nIndex = 0; nIndex < nCount; ++nIndex) {
            char szName[16];
            std::snprintf(szName, sizeof(szName), "%04d", nIndex);
            strElements += ContactElement(strPrefix + szName, nGroupId);
        }
        m_root.WriteFile(kContactFile, ContactFileXml(strElements + strMore));
    }

    Strings PageNames(int nGroupId, int nFrom = 0, int nCount = 10000) {
        NS_DIRECTORY::ContactGeneralItemListData page;
        page.m_nIndexFrom = nFrom;
        page.m_nCountToGet = nCount;
        EXPECT_TRUE(Model().GetContactListById(&page, nGroupId));
        return NamesOf(page);
    }

    int CountOf(int nMsg) {
        int nCount = 0;
        for (const auto& note : HostControl::TakeNotifications()) {
            nCount += note.id == nMsg ? 1 : 0;
        }
        return nCount;
    }

    int MarkBits() {
        return registryGetInt(registryOpen(HostControl::MapPath(kMarkFile), "update"), "type", 0);
    }

    // The counters agree with the store.
    void ExpectCountersInStep() {
        int nBlack = 0;
        int nFavourites = 0;
        for (const auto& pItem : ContactGeneralModelTestPeer::Items(Model())) {
            nBlack += pItem->m_nGroupId == NS_DIRECTORY::kBlacklistGroupId ? 1 : 0;
            nFavourites += pItem->m_bFavorate ? 1 : 0;
        }
        EXPECT_EQ(Model().GetCurrentBlackCount(), nBlack);
        EXPECT_EQ(Model().GetCurrentFavorateCount(), nFavourites);
        EXPECT_EQ(Model().GetCurrentContactCount() + nBlack, Model().MyGetContactCountByGroupId(0));
    }

    Strings AllNames() {
        Strings listNames;
        for (const auto& pItem : ContactGeneralModelTestPeer::Items(Model())) {
            listNames.push_back(pItem->m_strDisplayName);
        }
        return listNames;
    }

    Strings GroupNames() {
        Strings listNames;
        for (int nIndex = 0; nIndex < Model().GetCurrentGroupCount(); ++nIndex) {
            listNames.push_back(Model().GetGroupNameByIndex(nIndex));
        }
        return listNames;
    }

    // Expects op to refuse with its failure value and code, changing neither the store nor its files.
    void ExpectRefused(const std::function<int()>& op, int nFailure, int nCode) {
        const auto state = [&] {
            return std::make_tuple(AllNames(), GroupNames(), Model().GetCurrentBlackCount(),
                                   m_root.ReadFile(kContactFile), m_root.ReadFile(kGroupFile));
        };
        const auto before = state();
        CommonUnits_SetErrorId(0);
        EXPECT_EQ(op(), nFailure);
        EXPECT_EQ(CommonUnits_GetErrorId(), nCode);
        EXPECT_EQ(state(), before);
    }

    // The call log updates since the last take, as "number1,number2,number3=name".
    static Strings CallLog() {
        Strings listOut;
        for (const CallLogUpdateData& update : HostControl::TakeCallLogUpdates()) {
            listOut.push_back(update.m_strNumber1 + "," + update.m_strNumber2 + "," + update.m_strNumber3 +
                              "=" + update.m_strDisplayName);
        }
        return listOut;
    }

    static std::list<std::string> Names(std::initializer_list<const char*> names) {
        return std::list<std::string>(names.begin(), names.end());
    }
};

}  // namespace localtest
