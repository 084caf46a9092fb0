#include "DirectoryShortcut.h"

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <new>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

namespace {

const char* const kSettingsFolder = "/config/data/";
const char* const kSettingsFile = "favorite_setting.xml";

bool IsSwitchedOn(const char* pKey) {
    return configParser_GetConfigInt(pKey) == 1;
}

bool IsRemotePhoneBookConfigured() {
    CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
    return pModel != nullptr && pModel->IsRemotePhoneBookConfigured();
}

// Only regular files are read: the XML loader would take a folder's size for a file's.
bool LoadSettings(pugi::xml_document& doc, const std::string& strPath) {
    std::error_code ec;
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    return std::filesystem::is_regular_file(strReal, ec) && doc.load_file(strReal.c_str());
}

}  // namespace

CDirectoryShortcut* CDirectoryShortcut::m_pInst = nullptr;

CDirectoryShortcut* CDirectoryShortcut::GetInstance() {
    if (m_pInst == nullptr) {
        m_pInst = new (std::nothrow) CDirectoryShortcut();
        if (m_pInst != nullptr) {
            m_pInst->Init();
        }
    }
    assert(m_pInst != nullptr);
    return m_pInst;
}

void CDirectoryShortcut::ReleaseInstance() {
    if (m_pInst != nullptr) {
        m_pInst->Final();
        delete m_pInst;
        m_pInst = nullptr;
    }
}

bool CDirectoryShortcut::Init() {
    return LoadConfigure();
}

void CDirectoryShortcut::Final() {
    ClearVec();
}

std::string CDirectoryShortcut::MyFilePath() {
    std::string strPath = kSettingsFolder;
    if (!strPath.empty() && strPath.back() != '/') {
        strPath += '/';
    }
    return strPath + kSettingsFile;
}

bool CDirectoryShortcut::LoadConfigure() {
    try {
        pugi::xml_document doc;
        if (!LoadSettings(doc, MyFilePath())) {
            return false;
        }
        const pugi::xml_node root = doc.child("root_favorite_set");
        if (!root) {
            return false;
        }
        std::vector<std::unique_ptr<ItemData>> vecItem;
        for (pugi::xml_node item = root.child("item"); item; item = item.next_sibling("item")) {
            auto pItem = std::make_unique<ItemData>();
            pItem->m_strIdName = item.attribute("id_name").value();
            pItem->m_strDisplayName = item.attribute("display_name").value();
            pItem->m_bEnable = item.attribute("enable").as_int(0) == 1;
            pItem->m_nPriority = pItem->m_bEnable ? item.attribute("priority").as_int(0) : kDisabledPriority;
            vecItem.push_back(std::move(pItem));
        }
        std::stable_sort(vecItem.begin(), vecItem.end(),
                         [](const std::unique_ptr<ItemData>& pLeft, const std::unique_ptr<ItemData>& pRight) {
                             return CompareVal(pLeft.get(), pRight.get());
                         });
        m_vecItem = std::move(vecItem);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CDirectoryShortcut::ReloadConfigure() {
    ClearVec();
    return LoadConfigure();
}

bool CDirectoryShortcut::ClearVec() {
    m_vecItem.clear();
    return m_vecItem.empty();
}

bool CDirectoryShortcut::CompareVal(const ItemData* pLeft, const ItemData* pRight) {
    if (pLeft == nullptr) {
        return false;
    }
    if (pRight == nullptr) {
        return true;
    }
    return pLeft->m_nPriority < pRight->m_nPriority;
}

std::vector<const CDirectoryShortcut::ItemData*> CDirectoryShortcut::MyOfferedItems() const {
    const bool bBroadSoftOn = IsSwitchedOn("BSFTActive");
    const bool bLdapOn = IsSwitchedOn("LDAPSwitch");
    int nRemoteConfigured = -1;  // asked only when a shortcut needs it
    std::vector<const ItemData*> vecOffered;
    for (const std::unique_ptr<ItemData>& pItem : m_vecItem) {
        if (pItem == nullptr || !pItem->m_bEnable) {
            continue;
        }
        const std::string& strId = pItem->m_strIdName;
        bool bAvailable = true;
        if (strId == "broadsoftdirectory" || strId == "networkcalllog") {
            bAvailable = bBroadSoftOn;
        } else if (strId == "ldap") {
            bAvailable = bLdapOn;
        } else if (strId == "remotedirectory") {
            if (nRemoteConfigured < 0) {
                nRemoteConfigured = IsRemotePhoneBookConfigured() ? 1 : 0;
            }
            bAvailable = nRemoteConfigured == 1;
        }
        if (bAvailable) {
            vecOffered.push_back(pItem.get());
        }
    }
    return vecOffered;
}

bool CDirectoryShortcut::GetShortcutList(DirShortcutListData* pData) {
    if (pData == nullptr) {
        return false;
    }
    try {
        ReloadConfigure();
        const std::vector<const ItemData*> vecOffered = MyOfferedItems();
        int nFrom = 0;
        int nTo = 0;
        if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pData->m_nIndexFrom, pData->m_nCountToGet,
                                         static_cast<int>(vecOffered.size()))) {
            return false;
        }
        int nAppended = 0;
        for (int i = nFrom; i < nTo; ++i) {
            DirShortcutData shortcut;
            shortcut.m_strIdName = vecOffered[static_cast<std::size_t>(i)]->m_strIdName;
            pData->m_listData.push_back(std::move(shortcut));
            ++nAppended;
        }
        pData->m_nTotalCount = nAppended;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace NS_DIRECTORY
