// Released subtrees are freed on a worker, or at once when the executor takes no work.

#include <vector>

#include <gtest/gtest.h>

#include "FreeLog.h"
#include "HostControl.h"
#include "RemoteSubtreeFreeAction.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::CRemoteSubtreeFreeAction;
using TinyNode = CRemoteSubtreeFreeAction::TinyNode;

using FreeLog = testsupport::FreeLog;
using LoggedUnit = testsupport::FreeLogged<NS_DIRECTORY::ContactRemoteUnit>;

// Two detached subtrees: a menu node with three entries below it, and one lone entry.
std::vector<TinyNode*> DetachedSubtrees(FreeLog* pLog) {
    CContactRemoteModel::RemoteTree tree;
    CContactRemoteModel::ItemData root;
    tree.SetRoot(root, "root");
    CContactRemoteModel::ItemData menu;
    menu.m_pItem = new NS_DIRECTORY::ContactRemoteMenu();
    tree.GetRoot()->AddChild(menu, "menu");
    for (int nIndex = 0; nIndex < 3; ++nIndex) {
        CContactRemoteModel::ItemData entry;
        entry.m_pItem = new LoggedUnit(pLog);
        tree.Find("menu")->AddChild(entry, "menu<Index>" + std::to_string(nIndex));
    }
    CContactRemoteModel::ItemData lone;
    lone.m_pItem = new LoggedUnit(pLog);
    tree.GetRoot()->AddChild(lone, "lone");
    return tree.GetRoot()->DetachChildren();
}

TEST(RemoteSubtreeFreeActionTest, SubtreesAreFreedOnAWorkerOrAtOnceWhenTheExecutorTakesNoWork) {
    for (const bool bRefuse : {false, true}) {
        SCOPED_TRACE(bRefuse ? "executor refuses" : "executor runs it");
        testsupport::TempRoot root;
        HostControl::SetRefuseTaskActions(bRefuse);
        FreeLog log;
        std::vector<TinyNode*> vecSubtrees = DetachedSubtrees(&log);
        ASSERT_EQ(vecSubtrees.size(), 2u);
        CRemoteSubtreeFreeAction::FreeInBackground(vecSubtrees);
        EXPECT_TRUE(vecSubtrees.empty());
        ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        EXPECT_EQ(log.nFreed.load(), 4);
        EXPECT_EQ(log.nFreedHere.load(), bRefuse ? 4 : 0);
        HostControl::SetRefuseTaskActions(false);
    }
}

}  // namespace
