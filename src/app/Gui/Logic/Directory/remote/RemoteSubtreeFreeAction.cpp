#include "RemoteSubtreeFreeAction.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

namespace NS_DIRECTORY {

void CRemoteSubtreeFreeAction::FreeInBackground(std::vector<TinyNode*>& vecSubtrees) {
    const std::size_t nJobs = std::min(kMaxJobs, vecSubtrees.size());
    for (std::size_t nJob = 0; nJob < nJobs; ++nJob) {
        const auto first =
            vecSubtrees.begin() + static_cast<std::ptrdiff_t>(nJob * vecSubtrees.size() / nJobs);
        const auto last =
            vecSubtrees.begin() + static_cast<std::ptrdiff_t>((nJob + 1) * vecSubtrees.size() / nJobs);
        std::vector<TinyNode*> vecJob;
        try {
            vecJob.assign(first, last);
        } catch (const std::bad_alloc&) {
            std::for_each(first, last, &FreeSubtree);
            continue;
        }
        MyFreeOnWorker(std::move(vecJob));
    }
    vecSubtrees.clear();
}

void CRemoteSubtreeFreeAction::MyFreeOnWorker(std::vector<TinyNode*>&& vecSubtrees) {
    CRemoteSubtreeFreeAction* pAction = new (std::nothrow) CRemoteSubtreeFreeAction(std::move(vecSubtrees));
    if (pAction == nullptr) {
        for (TinyNode* pNode : vecSubtrees) {
            FreeSubtree(pNode);
        }
        return;
    }
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
