#pragma once
// Frees released subtrees of the remote tree (nodes and their items) on a worker thread, so that the GUI
// thread does not spend the time of thousands of frees when a refreshed phonebook replaces the old one.
// The subtrees must be out of the tree already; nothing else may point into them. The action has no
// receiver: the executor drops it after Exec, and its destructor frees whatever Exec did not (an action
// that never ran).

#include <vector>

#include "ContactRemoteModel.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CRemoteSubtreeFreeAction : public NS_TA::CTaskAction {
public:
    using TinyNode = CContactRemoteModel::RemoteTree::TinyNode;

    // Frees the subtrees on a worker, or at once on this thread when the executor does not take the job.
    // vecSubtrees is left empty either way.
    static void FreeInBackground(std::vector<TinyNode*>& vecSubtrees);
    // Frees one detached subtree, items and nodes, in one walk.
    static void FreeSubtree(TinyNode* pNode);

    bool Exec() override;

private:
    explicit CRemoteSubtreeFreeAction(std::vector<TinyNode*>&& vecSubtrees);
    ~CRemoteSubtreeFreeAction() override;

    void MyFreeAll();

    std::vector<TinyNode*> m_vecSubtrees;
};

}  // namespace NS_DIRECTORY
