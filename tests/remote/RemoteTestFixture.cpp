#include "RemoteTestFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteSearchHelper.h"
#include "HostControl.h"
#include <gtest/gtest.h>

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;
using TinyNode = CContactRemoteModel::RemoteTree::TinyNode;

RemoteNodeView MakeView(TinyNode* pNode) {
    RemoteNodeView view;
    CContactRemoteModel::ItemData& data = pNode->GetData();
    view.strKey = pNode->GetKey();
    view.strTitle = data.m_strName;
    view.nStatus = data.m_eStatus;
    view.nLevel = data.m_nLevel;
    if (data.m_pItem != nullptr) {
        view.nType = data.m_pItem->GetType();
    }
    if (const ContactRemoteMenu* pMenu = Base2Menu(data.m_pItem)) {
        view.strName = pMenu->m_strName;
    } else if (const ContactRemoteUnit* pUnit = Base2Unit(data.m_pItem)) {
        view.strName = pUnit->m_strName;
        view.vecNumbers.assign(pUnit->m_listNumber.begin(), pUnit->m_listNumber.end());
    } else if (const ContactRemoteHotKey* pHotKey = Base2HotKey(data.m_pItem)) {
        view.strName = pHotKey->m_strName;
    } else if (const ContactRemotePageKey* pPageKey = Base2PageKey(data.m_pItem)) {
        view.strName = pPageKey->m_strName;
    }
    return view;
}

}  // namespace

template <typename Visit>
void RemoteModelPeer::WithModel(Visit visit) {
    if (CContactRemoteModel* pModel = CContactRemoteModel::PeekInstance()) {
        Lock lock(pModel->m_csLock);
        visit(pModel);
    }
}

bool RemoteModelPeer::Node(const std::string& strKey, RemoteNodeView* pView) {
    bool bFound = false;
    WithModel([&](CContactRemoteModel* pModel) {
        if (TinyNode* pNode = pModel->m_treeContact.Find(strKey)) {
            *pView = MakeView(pNode);
            bFound = true;
        }
    });
    return bFound;
}

std::vector<RemoteNodeView> RemoteModelPeer::Children(const std::string& strKey) {
    std::vector<RemoteNodeView> vecViews;
    WithModel([&](CContactRemoteModel* pModel) {
        if (TinyNode* pNode = pModel->m_treeContact.Find(strKey)) {
            for (TinyNode* pChild : pNode->GetChildren()) {
                vecViews.push_back(MakeView(pChild));
            }
        }
    });
    return vecViews;
}

std::string RemoteModelPeer::WalkedNameByNumber(const std::string& strNumber) {
    std::string strName;
    WithModel([&](CContactRemoteModel* pModel) {
        strName = pModel->MyWalkedNameByNumber(strNumber);
        if (strName.empty()) {
            strName = pModel->MyLastGoodNameByNumber(strNumber);
        }
    });
    return strName;
}

int RemoteModelPeer::UnitCount() {
    int nCount = -1;
    WithModel([&](CContactRemoteModel* pModel) { nCount = pModel->m_nUnitCount; });
    return nCount;
}

int RemoteModelPeer::CountNodes(bool bUnits, int nStatus) {
    int nCount = 0;
    WithModel([&](CContactRemoteModel* pModel) {
        for (auto it = pModel->m_treeContact.begin(); it != pModel->m_treeContact.end(); ++it) {
            nCount += bUnits ? Base2Unit((*it).m_pItem) != nullptr : (*it).m_eStatus == nStatus;
        }
    });
    return nCount;
}

void RemoteModelPeer::SetCurUrl(const std::string& strKey) {
    CContactRemoteModel::GetInstance()->m_strCurUrl = strKey;
}

}  // namespace NS_DIRECTORY

namespace remotetest {

namespace fs = std::filesystem;
using NS_DIRECTORY::RemoteSearchItemData;
using NS_DIRECTORY::RemoteSearchListData;

RemoteSearchListData Request(const std::string& strKey, int nFrom, int nCount) {
    RemoteSearchListData data;
    data.m_strKey = strKey;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    return data;
}

std::vector<std::string> Names(const std::list<RemoteSearchItemData>& listItems) {
    std::vector<std::string> vecNames;
    for (const RemoteSearchItemData& item : listItems) {
        vecNames.push_back(item.m_strName);
    }
    return vecNames;
}

std::vector<std::string> Described(const std::list<RemoteSearchItemData>& listItems) {
    std::vector<std::string> vecItems;
    for (const RemoteSearchItemData& item : listItems) {
        std::string strItem = item.m_strName + "/" + std::to_string(item.m_eType) + "=";
        for (const std::string& strNumber : item.m_vecNumber) {
            strItem += strNumber + ",";
        }
        vecItems.push_back(strItem);
    }
    return vecItems;
}

int FreshSearches() {
    const std::vector<std::string> vecLines = HostControl::TakeLogLines();
    return static_cast<int>(
        std::count(vecLines.begin(), vecLines.end(), "CContactRemoteSearchHelper::MyReSearchLocal begin\n"));
}

void RemoteFixture::SetUp() {
    HostControl::SetManualClock(true);
}

void RemoteFixture::TearDown() {
    NS_DIRECTORY::CContactGeneralModel::ReleaseInstance();  // made by copies into the local book
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    EXPECT_EQ(TempFileCount(), 0) << "temporary files left behind";
}

void RemoteFixture::WriteSlots(const std::string& strDisplayName, const std::vector<Slot>& vecSlots) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_remote_phonebook display_name=\""
        << strDisplayName << "\">\n";
    for (const Slot& slot : vecSlots) {
        out << "\t<item name=\"" << slot.first << "\" url=\"" << slot.second << "\"/>\n";
    }
    out << "</root_remote_phonebook>\n";
    m_root.WriteFile("/config/data/remote_phonebook_list.xml", out.str());
}

std::string RemoteFixture::DataDoc(const std::string& strName) const {
    const fs::path path = fs::path(__FILE__).parent_path().parent_path() / "data" / "remote" / strName;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return CommonAPI_TranslateString(content.str(), "@BASE@", m_server.Url(""));
}

void RemoteFixture::ServeData(const std::string& strName) {
    m_server.Serve("/" + strName, DataDoc(strName));
}

void RemoteFixture::ServeCompany() {
    for (const char* pName : {"company-menu.xml", "sales.xml", "north.xml", "depot.xml", "night.xml",
                              "accounts.xml", "reception.xml", "help.xml"}) {
        ServeData(pName);
    }
}

NS_DIRECTORY::CContactRemoteModel* RemoteFixture::StartModel() {
    NS_DIRECTORY::CContactRemoteModel* pModel = Model();
    WaitIdle();
    return pModel;
}

void RemoteFixture::WaitIdle() {
    ASSERT_TRUE(HostControl::RunUntilIdle(60000));
}

void RemoteFixture::WaitForRequests(const std::string& strPath, std::size_t nCount) {
    for (int nTurn = 0; m_server.RequestsTo(strPath).size() < nCount; ++nTurn) {
        ASSERT_LT(nTurn, 2000) << "no request " << nCount << " to " << strPath;
        HostControl::RunUntilIdle(5);
    }
}

void RemoteFixture::WaitForStatus(const std::string& strKey, int nStatus) {
    for (int nTurn = 0; Status(strKey) != nStatus; ++nTurn) {
        ASSERT_LT(nTurn, 2000) << strKey << " stays in state " << Status(strKey);
        HostControl::RunUntilIdle(5);
    }
}

int RemoteFixture::Status(const std::string& strKey) const {
    NS_DIRECTORY::RemoteNodeView view;
    return NS_DIRECTORY::RemoteModelPeer::Node(strKey, &view) ? view.nStatus : -1;
}

std::vector<std::string> RemoteFixture::ChildNames(const std::string& strKey) const {
    std::vector<std::string> vecNames;
    for (const NS_DIRECTORY::RemoteNodeView& view : NS_DIRECTORY::RemoteModelPeer::Children(strKey)) {
        vecNames.push_back(view.strName);
    }
    return vecNames;
}

int RemoteFixture::TempFileCount() const {
    int nCount = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_root.Path("/tmp"), ec)) {
        const std::string strName = entry.path().filename().string();
        nCount += strName.rfind("RemoteDirectory.", 0) == 0 || strName.rfind("RemotePage.xml", 0) == 0 ||
                  strName.find(".part.") != std::string::npos;
    }
    return nCount;
}

RemoteSearchListData RemoteFixture::Search(const std::string& strKey, int nScope, bool bAll, int nFrom,
                                           int nCount) {
    RemoteSearchListData data = Request(strKey, nFrom, nCount);
    EXPECT_TRUE(Model()->Search(&data, nScope, bAll)) << strKey;
    return data;
}

void RemoteFixture::TypeKeysAgainstFreshSearches(std::mt19937& random,
                                                 const std::vector<std::string>& vecStrokes, int nRounds,
                                                 int nStrokes, const std::string& strSlotUrl, int* pNarrowed,
                                                 int* pMultiByteNarrowed) {
    NS_DIRECTORY::CContactRemoteSearchHelper fresh(Model());
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        const bool bAll = nRound % 3 != 0;
        std::string strKey;
        const int nLength = nStrokes > 0 ? nStrokes : 1 + static_cast<int>(random() % 4);
        for (int nStroke = 0; nStroke < nLength; ++nStroke) {
            const std::string& strStroke = vecStrokes[random() % vecStrokes.size()];
            strKey += strStroke;
            RemoteSearchListData expected =
                Request(strKey, static_cast<int>(random() % 5), 1 + static_cast<int>(random() % 30));
            const RemoteSearchListData typed =
                Search(strKey, 0, bAll, expected.m_nIndexFrom, expected.m_nCountToGet);
            const bool bNarrowed = nStroke > 0 && FreshSearches() == 0;
            *pNarrowed += bNarrowed ? 1 : 0;
            *pMultiByteNarrowed += bNarrowed && strStroke.size() > 1 ? 1 : 0;
            fresh.ResetKey();
            ASSERT_TRUE(fresh.SearchLocal(&expected, bAll ? NS_DIRECTORY::REMOTE_ROOT_KEY : strSlotUrl))
                << strKey;
            HostControl::TakeLogLines();
            ASSERT_EQ(typed.m_nTotalCount, expected.m_nTotalCount) << strKey;
            ASSERT_EQ(Described(typed.m_listData), Described(expected.m_listData)) << strKey;
        }
    }
}

std::vector<int> RemoteFixture::NotificationIds() {
    std::vector<int> vecIds;
    for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
        vecIds.push_back(note.id);
    }
    return vecIds;
}

std::vector<int> RemoteFixture::ResultsOf(const std::vector<HostControl::Notification>& vecNotes, int nId) {
    std::vector<int> vecResults;
    for (const HostControl::Notification& note : vecNotes) {
        if (note.id == nId) {
            vecResults.push_back(note.lParam);
        }
    }
    return vecResults;
}

}  // namespace remotetest
