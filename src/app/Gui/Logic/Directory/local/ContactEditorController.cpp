#include "ContactEditorController.h"

#include <new>

#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

CContactEditorController* CContactEditorController::m_pInst = nullptr;

CContactEditorController* CContactEditorController::GetInstance() {
    if (m_pInst == nullptr) {
        m_pInst = new (std::nothrow) CContactEditorController();
    }
    return m_pInst;
}

void CContactEditorController::ReleaseInstance() {
    delete m_pInst;
    m_pInst = nullptr;
}

int CContactEditorController::AddContact(const ContactGeneralItemData& data) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    return pModel == nullptr ? -1 : pModel->AddContact(data);
}

int CContactEditorController::UpdateContactData(const std::string& strOldName,
                                                const ContactGeneralItemData& data) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    return pModel == nullptr ? -1 : pModel->UpdateContactData(strOldName, data);
}

}  // namespace NS_DIRECTORY
