#pragma once
// Frees released subtrees of the remote tree (nodes and their items) on a worker thread, so that the GUI
// thread does not spend the time of thousands of frees when a refreshed phonebook replaces the old one.
// The subtrees must be out of the tree already; nothing else may point into them. The action has no
// receiver: the executor drops it after Exec, and its destructor frees whatever Exec did not (an action
// that never ran).

#include <cstddef>
#include <vector>

#include "ContactRemoteModel.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CRemoteSubtreeFreeAction : public NS_TA::CTaskAction {
public:
    using TinyNode = CContactRemoteModel::RemoteTree::TinyNode;

    // Frees the subtrees on workers, split into a few jobs so that idle workers share a large free; a job the
    // executor does not take is done at once on this thread. vecSubtrees is left empty either way.
    static void FreeInBackground(std::vector<TinyNode*>& vecSubtrees);
    // Frees one detached subtree, items and nodes, in one walk.
    static void FreeSubtree(TinyNode* pNode);

    bool Exec() override;

private:
    static constexpr std::size_t kMaxJobs = 4;

    explicit CRemoteSubtreeFreeAction(std::vector<TinyNode*>&& vecSubtrees);
    static void MyFreeOnWorker(std::vector<TinyNode*>&& vecSubtrees);
    ~CRemoteSubtreeFreeAction() override;

    void MyFreeAll();

    std::vector<TinyNode*> m_vecSubtrees;
};

}  // namespace NS_DIRECTORY
