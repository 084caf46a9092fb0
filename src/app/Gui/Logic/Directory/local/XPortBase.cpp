#include "XPortBase.h"

#include <new>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

namespace {

// Keeps the model's import batch open while a reader runs, and closes it however the reader ends.
class ImportBatchScope {
public:
    ImportBatchScope() : m_pModel(CContactGeneralModel::GetInstance()) {
        if (m_pModel != nullptr) {
            m_pModel->MyBeginImportBatch();
        }
    }
    ~ImportBatchScope() {
        if (m_pModel != nullptr) {
            m_pModel->MyEndImportBatch();
        }
    }
    ImportBatchScope(const ImportBatchScope&) = delete;
    ImportBatchScope& operator=(const ImportBatchScope&) = delete;

private:
    CContactGeneralModel* const m_pModel;
};

int ImportInBatch(CXPortBase& reader, const std::string& strPath) {
    const ImportBatchScope batch;
    return reader.Import(strPath.c_str());
}

}  // namespace

const std::string& CXPortBase::DefaultFilePath() {
    static const std::string strPath = std::string(kLocalDataFolder) + kLocalExportFileName;
    return strPath;
}

int CXPortBase::Import(const char* pPath, bool bKeepContacts, bool bKeepGroups, bool bCheckLimits) {
    try {
        const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        if (pModel != nullptr && pModel->IsReloadGroupAndItemByHttp()) {
            app_log(6, APP_LOG_WARNING, "Local contact: no import while the phone book reloads.\n");
            return XPORT_RESULT_BUSY;
        }
        const std::string strPath =
            pPath == nullptr || *pPath == '\0' ? DefaultFilePath() : std::string(pPath);
        if (bCheckLimits) {
            const int nCode =
                CommonAPI_CanContactFileImported(strPath, pModel != nullptr ? pModel->GetMaxGroupCount() : 0,
                                                 pModel != nullptr ? pModel->GetMaxContactCount() : 0,
                                                 pModel != nullptr ? pModel->GetMaxBlackCount() : 0);
            if (nCode != 0) {
                return nCode;
            }
        }
        if (CommonAPI_ParseContactFileType(strPath) != m_nFileType) {
            app_log(6, APP_LOG_WARNING,
                    "Local contact: %s is no contact file of this kind, nothing imported.\n",
                    strPath.c_str());
            return XPORT_RESULT_INVALID_FILE;
        }
        BeforeImport(bKeepContacts, bKeepGroups);
        // The contacts are in name order again before the files are written and the GUI is told.
        const int nResult = ImportInBatch(*this, strPath);
        AfterImport();
        return nResult;
    } catch (const std::bad_alloc&) {
        return XPORT_RESULT_INVALID_FILE;
    }
}

void CXPortBase::BeforeImport(bool bKeepContacts, bool bKeepGroups) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return;
    }
    if (!bKeepContacts) {
        pModel->MyClearContactList();
    }
    if (!bKeepGroups) {
        pModel->MyClearGroupList();
        pModel->MyCreateDefaultGroup();
    }
}

void CXPortBase::AfterImport() {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return;
    }
    pModel->MySetGroupDirty(true);
    pModel->MySetContactDirty(true);
}

int CXPortBase::Export(const char* pPath) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return XPORT_RESULT_INVALID_FILE;
    }
    try {
        if (!pModel->ExportContactAndGroup(pPath == nullptr ? std::string() : std::string(pPath))) {
            return XPORT_RESULT_NOT_WRITTEN;
        }
    } catch (const std::bad_alloc&) {
        return XPORT_RESULT_NOT_WRITTEN;
    }
    return XPORT_RESULT_OK;
}

void CXPortBase::MyLoadDocument(pugi::xml_document& doc, const std::string& strPath) {
    if (!doc.load_file(ETL_MiscHelper::pathMapToRoot(strPath).c_str())) {
        doc.reset();
    }
}

int CXPortBase::MyInsertNewGroup(CContactGeneralModel& model, const std::string& strName,
                                 const std::string& strRing) {
    CContactGeneralModel::GroupData group;
    group.m_nId = model.MyGenGroupId();
    group.m_strDisplayName = strName;
    group.m_strRing = strRing;
    group.m_bReadOnly = false;
    CContactGeneralModel::MyMakeXmlSafe(group);
    if (group.m_nId < 0 || model.MyInsertGroup(group, false) < 0) {
        return -1;
    }
    return group.m_nId;
}

int CXPortBase::MyGroupIdForName(CContactGeneralModel& model, const std::string& strName,
                                 const std::string& strRing) {
    const int nExisting = model.MyGName2Id(XmlSafeText(strName));
    if (nExisting >= 0) {
        return nExisting;
    }
    const int nNew = MyInsertNewGroup(model, strName, strRing);
    return nNew >= 0 ? nNew : kAllContactsGroupId;
}

void CXPortBase::MyInsertContact(CContactGeneralModel& model, CContactGeneralModel::ItemData& item) {
    CContactGeneralModel::MyMakeXmlSafe(item);
    item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
    item.m_bFavorate = false;
    model.MyImportContact(item);
}

namespace {

bool HasParentStep(const std::string& strPath) {
    for (std::size_t nBegin = 0; nBegin <= strPath.size();) {
        std::size_t nEnd = strPath.find('/', nBegin);
        if (nEnd == std::string::npos) {
            nEnd = strPath.size();
        }
        if (strPath.compare(nBegin, nEnd - nBegin, "..") == 0) {
            return true;
        }
        nBegin = nEnd + 1;
    }
    return false;
}

bool StartsWith(const std::string& strText, const std::string& strPrefix) {
    return !strPrefix.empty() && strText.compare(0, strPrefix.size(), strPrefix) == 0;
}

// Whether the path names a file inside the user's or the phone's own folder of rings or of photos.
bool IsInsideMediaFolders(const std::string& strPath, int nFileType) {
    const bool bRing = nFileType == PHFILE_TYPE_RING;
    const std::string strUser =
        bRing ? CommonUnits_GetUserUploadRingFolder() : CommonUnits_GetUserUploadPhotoFolder();
    const std::string strBuiltIn =
        bRing ? CommonUnits_GetDefaultRingFolder() : CommonUnits_GetDefaultPhotoFolder();
    return !HasParentStep(strPath) && (StartsWith(strPath, strUser) || StartsWith(strPath, strBuiltIn));
}

}  // namespace

std::string CXPortBase::MyRealPath(const char* pStored, int nFileType) {
    std::string strPath = pStored != nullptr ? pStored : "";
    MakeXmlSafeText(strPath);
    if (strPath.empty()) {
        return strPath;
    }
    CommonUnits_Hide2Real(strPath, nFileType);
    if (!IsInsideMediaFolders(strPath, nFileType)) {
        app_log(6, APP_LOG_WARNING, "Local contact: imported %s path outside the media folders dropped\n",
                nFileType == PHFILE_TYPE_RING ? "ring" : "photo");
        return std::string();
    }
    return strPath;
}

}  // namespace NS_DIRECTORY
