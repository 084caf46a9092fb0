#include "ContactGroupController.h"

#include <new>

#include "CommonAPI.h"
#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

namespace {

CContactGeneralModel* Model() {
    return CContactGeneralModel::GetInstance();
}

}  // namespace

CContactGroupController* CContactGroupController::m_pInst = nullptr;

CContactGroupController* CContactGroupController::GetInstance() {
    if (m_pInst == nullptr) {
        m_pInst = new (std::nothrow) CContactGroupController();
    }
    return m_pInst;
}

void CContactGroupController::ReleaseInstance() {
    delete m_pInst;
    m_pInst = nullptr;
}

int CContactGroupController::AddGroup(const ContactGroupData& data) {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->AddGroup(data);
}

int CContactGroupController::UpdateGroupData(const std::string& strOldName, const ContactGroupData& data) {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->UpdateGroupData(strOldName, data);
}

bool CContactGroupController::RemoveGroup(const std::string& strName) {
    CContactGeneralModel* pModel = Model();
    return pModel != nullptr && pModel->RemoveGroup(strName);
}

bool CContactGroupController::GetGroupList(ContactGroupListData* pList, bool bWithBlacklist) {
    CContactGeneralModel* pModel = Model();
    return pList != nullptr && pModel != nullptr && pModel->GetGroupList(pList, bWithBlacklist);
}

bool CContactGroupController::GetGroupSimpleList(ContactGroupSimpleListData* pList) {
    CContactGeneralModel* pModel = Model();
    return pList != nullptr && pModel != nullptr && pModel->GetGroupSimpleList(pList);
}

bool CContactGroupController::GetGroupDataByClickAction(ContactGroupData* pData,
                                                        const std::string& strAction) {
    if (pData == nullptr || strAction.empty()) {
        return false;
    }
    const int nGroupId = CommonAPI_ParseIdByClickAction(strAction, kLocalClickActionPattern);
    CContactGeneralModel* pModel = Model();
    return nGroupId >= 0 && pModel != nullptr && pModel->GetGroupDataById(pData, nGroupId);
}

int CContactGroupController::GetGIdByGName(const std::string& strName) {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->GetGIdByGName(strName);
}

int CContactGroupController::GetGroupIdByGroupName(const std::string& strName) {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->GetGroupIdByGroupName(strName);
}

bool CContactGroupController::IsBlacklistIndex(int nIndex) {
    CContactGeneralModel* pModel = Model();
    return pModel != nullptr && pModel->IsBlacklistIndex(nIndex);
}

int CContactGroupController::GetCurrentGroupCount() {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->GetCurrentGroupCount();
}

int CContactGroupController::GetMaxGroupCount() {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->GetMaxGroupCount();
}

int CContactGroupController::SetMaxGroupCount(int nMax) {
    CContactGeneralModel* pModel = Model();
    return pModel == nullptr ? -1 : pModel->SetMaxGroupCount(nMax);
}

bool CContactGroupController::SaveGroupToXml() {
    CContactGeneralModel* pModel = Model();
    return pModel != nullptr && pModel->SaveGroupToXml();
}

bool CContactGroupController::ReloadGroupXml() {
    CContactGeneralModel* pModel = Model();
    return pModel != nullptr && pModel->ReloadGroupXml();
}

bool CContactGroupController::OnTimeoutSaveGroup(unsigned int nTimerId) {
    CContactGeneralModel* pModel = Model();
    return pModel != nullptr && pModel->OnTimeoutSaveGroup(nTimerId);
}

}  // namespace NS_DIRECTORY
