#include "RemoteSubtreeFreeAction.h"

#include <new>
#include <utility>

namespace NS_DIRECTORY {

void CRemoteSubtreeFreeAction::FreeInBackground(std::vector<TinyNode*>& vecSubtrees) {
    if (vecSubtrees.empty()) {
        return;
    }
    CRemoteSubtreeFreeAction* pAction = new (std::nothrow) CRemoteSubtreeFreeAction(std::move(vecSubtrees));
    if (pAction == nullptr) {
        for (TinyNode* pNode : vecSubtrees) {
            FreeSubtree(pNode);
        }
        vecSubtrees.clear();
        return;
    }
    vecSubtrees.clear();
    pAction->AddRef();
    pAction->SetRead(true);
    pAction->SetSync(false);
    pAction->SetCallback(nullptr);
    if (!TaskAction_ExecAction(pAction)) {
        pAction->MyFreeAll();
    }
    pAction->Release();
}

void CRemoteSubtreeFreeAction::FreeSubtree(TinyNode* pNode) {
    std::vector<TinyNode*>& vecChildren = pNode->GetChildren();
    for (TinyNode* pChild : vecChildren) {
        FreeSubtree(pChild);
    }
    vecChildren.clear();
    ContactRemoteItemBase* pItem = pNode->GetData().m_pItem;
    if (pItem != nullptr && pItem == pNode->GetTail()) {
        pItem->~ContactRemoteItemBase();
    } else {
        delete pItem;
    }
    delete pNode;
}

CRemoteSubtreeFreeAction::CRemoteSubtreeFreeAction(std::vector<TinyNode*>&& vecSubtrees)
    : NS_TA::CTaskAction(NS_TA::TA_REQUEST_NONE), m_vecSubtrees(std::move(vecSubtrees)) {}

CRemoteSubtreeFreeAction::~CRemoteSubtreeFreeAction() {
    MyFreeAll();
}

bool CRemoteSubtreeFreeAction::Exec() {
    MyFreeAll();
    return true;
}

void CRemoteSubtreeFreeAction::MyFreeAll() {
    std::vector<TinyNode*> vecSubtrees;
    vecSubtrees.swap(m_vecSubtrees);
    for (TinyNode* pNode : vecSubtrees) {
        FreeSubtree(pNode);
    }
}

}  // namespace NS_DIRECTORY
