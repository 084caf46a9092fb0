// The keyed tree: index, ownership, child access, ancestry, iteration, nodes cut from an arena and the key
// hash; its flat index against a std::map.

#include <cstddef>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "FlatNodeIndex.h"
#include "TinyNodeArena.h"
#include "TinyTree.h"

namespace {

using Tree = NS_DIRECTORY::TinyTree<int, std::string>;

// root -> a -> (a1, a2 -> a21), root -> b
void Build(Tree& tree) {
    tree.SetRoot(0, "root");
    tree.GetRoot()->AddChild(1, "a");
    tree.GetRoot()->AddChild(2, "b");
    tree.Find("a")->AddChild(11, "a1");
    tree.Find("a")->AddChild(12, "a2");
    tree.Find("a2")->AddChild(121, "a21");
}

TEST(TinyTreeTest, StrHashMultipliesByFiveAndAddsEachByte) {
    const std::pair<const char*, std::size_t> kCases[] = {
        {"", 0}, {"a", 97}, {"ab", 97 * 5 + 98}, {"\xff", 255}};
    for (const auto& [pKey, nHash] : kCases) {
        EXPECT_EQ(NS_DIRECTORY::str_hash()(pKey), nHash) << pKey;
    }
    EXPECT_LE(NS_DIRECTORY::str_hash()(std::string(200, 'z')), 0xffffffffu) << "wraps in 32 bits";
}

TEST(TinyTreeTest, NodesAreFoundByKeyWithParentChildrenAncestryAndIteration) {
    Tree tree;
    EXPECT_EQ(tree.GetRoot(), nullptr);
    Build(tree);
    EXPECT_EQ(tree.size(), 6u);
    Tree::TinyNode* pRoot = tree.GetRoot();
    Tree::TinyNode* pA = tree.Find("a");
    Tree::TinyNode* pA21 = tree.Find("a21");
    ASSERT_NE(pA21, nullptr);
    EXPECT_EQ(pA21->GetData(), 121);
    EXPECT_EQ(pA21->GetParent(), tree.Find("a2"));
    EXPECT_EQ(tree.Find("missing"), nullptr);
    pA21->GetData() = 7;
    EXPECT_EQ(tree.Find("a21")->GetData(), 7);

    EXPECT_EQ(pA->GetChildCount(), 2);
    EXPECT_EQ(pA->GetChild(0), tree.Find("a1"));
    EXPECT_EQ(pA->GetChild(-1), nullptr);
    EXPECT_EQ(pA->GetChild(pA->GetChildCount()), nullptr);

    // IsChild means proper ancestor.
    EXPECT_TRUE(pRoot->IsChild(pA21));
    EXPECT_TRUE(pA->IsChild(pA21));
    EXPECT_FALSE(pA21->IsChild(pA21));
    EXPECT_FALSE(tree.Find("b")->IsChild(pA21));
    EXPECT_FALSE(pA21->IsChild(pA));
    EXPECT_FALSE(pRoot->IsChild(nullptr));
    EXPECT_FALSE(pRoot->IsChild(pRoot));

    std::multiset<int> seen;
    for (Tree::iterator it = tree.begin(); it != tree.end(); ++it) {
        seen.insert(*it);
        EXPECT_EQ(tree.Find(it->GetKey()), it.operator->());
    }
    EXPECT_EQ(seen, (std::multiset<int>{0, 1, 2, 11, 12, 7}));

    std::vector<Tree::TinyNode*>& children = pA->GetChildren();
    std::swap(children[0], children[1]);
    EXPECT_EQ(pA->GetChild(0), tree.Find("a2"));
}

TEST(TinyTreeTest, RemovedSubtreesLeaveTheIndexButAnOlderDuplicateStays) {
    Tree tree;
    Build(tree);
    Tree::TinyNode* pOld = tree.Find("a1");
    tree.Find("b")->AddChild(99, "a1");
    EXPECT_EQ(tree.Find("a1"), pOld);
    tree.Find("b")->RemoveChildren();
    EXPECT_EQ(tree.Find("a1"), pOld) << "removing the newer duplicate must not unindex the older node";

    tree.Find("a21")->RemoveChildren();  // a leaf: nothing happens
    EXPECT_EQ(tree.size(), 6u);
    tree.Find("a")->RemoveChildren();
    EXPECT_EQ(tree.Find("a1"), nullptr);
    EXPECT_EQ(tree.Find("a21"), nullptr);
    EXPECT_NE(tree.Find("b"), nullptr);
    tree.GetRoot()->RemoveChildren();
    EXPECT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree.Find("root"), tree.GetRoot());

    Build(tree);
    tree.SetRoot(100, "new");
    EXPECT_EQ(tree.size(), 1u);
    for (const char* pKey : {"root", "a", "b", "a1", "a2", "a21"}) {
        EXPECT_EQ(tree.Find(pKey), nullptr) << pKey;
    }
    EXPECT_EQ(tree.Find("new")->GetData(), 100);
}

TEST(TinyTreeTest, AUniqueChildIsAddedOnlyUnderAKeyNoNodeHas) {
    Tree tree;
    Build(tree);
    int nData = 7;
    std::string strKey = "a21";  // taken deeper in another branch
    EXPECT_EQ(tree.Find("b")->AddUniqueChild(nData, strKey), nullptr);
    EXPECT_EQ(strKey, "a21") << "a refused key is given back";
    EXPECT_EQ(nData, 7);
    EXPECT_EQ(tree.Find("b")->GetChildCount(), 0);
    EXPECT_EQ(tree.size(), 6u);
    EXPECT_EQ(tree.Find("a21")->GetData(), 121);

    strKey = std::string(40, 'k');  // too long to live inside the string object
    Tree::TinyNode* pAdded = tree.Find("b")->AddUniqueChild(nData, strKey);
    ASSERT_NE(pAdded, nullptr);
    EXPECT_EQ(tree.Find(std::string(40, 'k')), pAdded);
    EXPECT_EQ(pAdded->GetParent(), tree.Find("b"));
    EXPECT_EQ(pAdded->GetData(), 7);
    EXPECT_EQ(tree.Find("b")->GetChild(0), pAdded);
    EXPECT_EQ(tree.size(), 7u);
}

TEST(TinyTreeTest, AUniqueChildMayHoldAnObjectInItsOwnAllocationAndARefusedOneLeavesItWithTheCaller) {
    Tree tree;
    Build(tree);
    int nData = 8;
    std::string strObject(40, 'o');  // owns memory of its own, which must move, not be copied
    EXPECT_EQ(tree.Find("b")->AddUniqueChild(nData, "a1", strObject), nullptr);
    EXPECT_EQ(strObject, std::string(40, 'o')) << "a refused child leaves the object as it was";
    EXPECT_EQ(tree.Find("a1")->GetTail(), nullptr) << "a node made without an object has none";

    const char* pBytes = strObject.data();
    Tree::TinyNode* pAdded = tree.Find("b")->AddUniqueChild(nData, std::string(30, 'k'), strObject);
    ASSERT_NE(pAdded, nullptr);
    auto* pHeld = static_cast<std::string*>(pAdded->GetTail());
    ASSERT_NE(pHeld, nullptr);
    EXPECT_EQ(pHeld->data(), pBytes) << "the object was moved in";
    EXPECT_EQ(*pHeld, std::string(40, 'o'));
    EXPECT_EQ(pAdded->GetKey(), std::string(30, 'k'));
    EXPECT_EQ(tree.Find(std::string(30, 'k')), pAdded);
    EXPECT_EQ(pAdded->GetData(), 8);
    // Whoever deletes the node destroys the object first.
    using std::string;
    pHeld->~string();
}

TEST(TinyTreeTest, DetachedChildrenLeaveTheIndexAndBelongToTheCaller) {
    Tree tree;
    Build(tree);
    std::vector<Tree::TinyNode*> detached = tree.Find("a")->DetachChildren();
    ASSERT_EQ(detached.size(), 2u);
    EXPECT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree.Find("a21"), nullptr);
    EXPECT_EQ(tree.Find("a")->GetChildCount(), 0);
    tree.Find("b")->AddChild(5, "a2");  // the key is free again
    EXPECT_EQ(detached[1]->GetChild(0)->GetData(), 121);
    for (Tree::TinyNode* pNode : detached) {
        delete pNode;  // leaves the new "a2" indexed
    }
    EXPECT_EQ(tree.Find("a2")->GetData(), 5);
}

// A small detach drops its keys one by one, a large one sweeps the index: both leave the same index.
TEST(TinyTreeTest, DetachingFewOrMostNodesLeavesTheRestIndexedAndOlderDuplicatesInPlace) {
    for (const int nBig : {2, 200}) {
        SCOPED_TRACE(nBig);
        Tree tree;
        tree.SetRoot(0, "root");
        tree.GetRoot()->AddChild(1, "keep");
        tree.GetRoot()->AddChild(2, "go");
        Tree::TinyNode* pKeep = tree.Find("keep");
        Tree::TinyNode* pGo = tree.Find("go");
        for (int nKey = 0; nKey < 40; ++nKey) {
            pKeep->AddChild(nKey, "k" + std::to_string(nKey));
        }
        for (int nKey = 0; nKey < nBig; ++nKey) {
            pGo->AddChild(nKey, "g" + std::to_string(nKey));
        }
        pGo->GetChild(0)->AddChild(7, "k3");  // a newer duplicate, below the detached part
        Tree::TinyNode* pOlder = tree.Find("k3");

        std::vector<Tree::TinyNode*> detached = pGo->DetachChildren();
        EXPECT_EQ(detached.size(), static_cast<size_t>(nBig));
        EXPECT_EQ(tree.size(), 43u);
        EXPECT_EQ(tree.Find("k3"), pOlder);
        EXPECT_EQ(tree.Find("g0"), nullptr);
        EXPECT_EQ(tree.Find("g" + std::to_string(nBig - 1)), nullptr);
        EXPECT_EQ(tree.Find("k39")->GetParent(), pKeep);
        for (Tree::TinyNode* pNode : detached) {
            delete pNode;
        }
        EXPECT_EQ(tree.Find("k3"), pOlder);
        pGo->AddChild(9, "g0");
        EXPECT_EQ(tree.Find("g0")->GetData(), 9);
    }
}

// An arena too small for the batch starts another block; its nodes outlive it, a refused child wastes only
// room, and the nodes go one by one on two threads (the blocks' counts are shared) or with their tree.
TEST(TinyTreeTest, ChildrenCutFromAnArenaOutliveItAndMayBeFreedOneByOneOnAnyThread) {
    Tree tree;
    Build(tree);
    Tree::TinyNode* pParent = tree.Find("b");
    constexpr int kChildren = 40;
    {
        NS_DIRECTORY::TinyNodeArena arena(3 * Tree::TinyNode::ChildBytes<long long>(2));
        for (int nChild = 0; nChild < kChildren; ++nChild) {
            int nData = nChild;
            long long nObject = 1000 + nChild;
            Tree::TinyNode* pAdded =
                pParent->AddUniqueChild(nData, "e" + std::to_string(nChild), nObject, &arena);
            ASSERT_NE(pAdded, nullptr);
            EXPECT_EQ(*static_cast<long long*>(pAdded->GetTail()), 1000 + nChild);
        }
        int nData = 5;
        long long nObject = 5;
        EXPECT_EQ(pParent->AddUniqueChild(nData, "a21", nObject, &arena), nullptr);
    }
    for (int nChild = 0; nChild < kChildren; ++nChild) {
        Tree::TinyNode* pFound = tree.Find("e" + std::to_string(nChild));
        ASSERT_NE(pFound, nullptr);
        EXPECT_EQ(pFound->GetData(), nChild);
        EXPECT_EQ(pFound->GetKey(), "e" + std::to_string(nChild));
        EXPECT_EQ(*static_cast<long long*>(pFound->GetTail()), 1000 + nChild);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pFound->GetTail()) % alignof(std::max_align_t), 0u);
    }
    std::vector<Tree::TinyNode*> detached = pParent->DetachChildren();
    ASSERT_EQ(detached.size(), static_cast<std::size_t>(kChildren));
    std::thread other([&] {
        for (std::size_t nChild = 0; nChild < detached.size(); nChild += 2) {
            delete detached[nChild];
        }
    });
    for (std::size_t nChild = 1; nChild < detached.size(); nChild += 2) {
        delete detached[nChild];
    }
    other.join();

    NS_DIRECTORY::TinyNodeArena arena(0);
    int nData = 9;
    long long nObject = 9;
    ASSERT_NE(pParent->AddUniqueChild(nData, "kept", nObject, &arena), nullptr);
    EXPECT_EQ(tree.Find("kept")->GetParent(), pParent) << "freed with the tree, after the arena";
}

#if defined(__SANITIZE_ADDRESS__)
// The bytes between the nodes of one block are poisoned, as those between separate allocations are.
TEST(TinyTreeDeathTest, RunningOverTheEndOfANodeCutFromAnArenaIsCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Tree tree;
    Build(tree);
    NS_DIRECTORY::TinyNodeArena arena(4 * Tree::TinyNode::ChildBytes<long long>(2));
    int nData = 1;
    long long nObject = 1;
    Tree::TinyNode* pFirst = tree.Find("b")->AddUniqueChild(nData, "e0", nObject, &arena);
    ASSERT_NE(pFirst, nullptr);
    ASSERT_NE(tree.Find("b")->AddUniqueChild(nData, "e1", nObject, &arena), nullptr);
    char* pPastKey = const_cast<char*>(pFirst->GetKey().data()) + pFirst->GetKey().size();
    EXPECT_DEATH(*static_cast<volatile char*>(pPastKey) = 'x', "use-after-poison");
}
#endif

struct KeyedNode {
    std::string strKey;
    std::string_view GetKey() const { return strKey; }
};
using Index = NS_DIRECTORY::FlatNodeIndex<KeyedNode>;

// Every node the index holds, by key, checked against what it should hold.
void ExpectHolds(const Index& index, const std::map<std::string, KeyedNode*>& expected) {
    ASSERT_EQ(index.size(), expected.size());
    std::map<std::string, KeyedNode*> visited;
    for (KeyedNode* pNode : index) {
        EXPECT_TRUE(visited.emplace(pNode->strKey, pNode).second) << "visited twice: " << pNode->strKey;
    }
    EXPECT_EQ(visited, expected);
    for (const auto& [strKey, pNode] : expected) {
        EXPECT_EQ(index.Find(strKey), pNode) << strKey;
    }
}

// Keys whose home slot in the first table (16 slots) is the last one, so their run wraps round to slot 0,
// and keys of the first slot behind them.
TEST(FlatNodeIndexTest, CollidingRunsThatWrapRoundStayFoundThroughInsertsAndErases) {
    std::vector<KeyedNode> nodes;
    for (int nKey = 0; nodes.size() < 7; ++nKey) {
        const std::string strKey = "k" + std::to_string(nKey);
        const std::size_t nHome = Index::HashOf(strKey) & 15;
        if (nHome == 15 || (nHome == 0 && nodes.size() >= 4)) {
            nodes.push_back({strKey});
        }
    }
    Index index;
    std::map<std::string, KeyedNode*> expected;
    EXPECT_EQ(index.Find("k0"), nullptr);
    EXPECT_FALSE(index.Erase(&nodes[0]));
    for (KeyedNode& node : nodes) {
        EXPECT_TRUE(index.Insert(&node));
        expected[node.strKey] = &node;
    }
    ExpectHolds(index, expected);
    KeyedNode duplicate{nodes[2].strKey};
    EXPECT_FALSE(index.Insert(&duplicate)) << "the older node keeps the key";
    EXPECT_FALSE(index.Erase(&duplicate)) << "a node the key does not find is not erased";
    EXPECT_EQ(index.Find(duplicate.strKey), &nodes[2]);
    for (const std::size_t nErased : {1u, 5u, 0u}) {
        EXPECT_TRUE(index.Erase(&nodes[nErased]));
        expected.erase(nodes[nErased].strKey);
        ExpectHolds(index, expected);
    }
    index.EraseIf([&](const KeyedNode* pNode) { return pNode == &nodes[3] || pNode == &nodes[6]; });
    expected.erase(nodes[3].strKey);
    expected.erase(nodes[6].strKey);
    ExpectHolds(index, expected);
    index.clear();
    ExpectHolds(index, {});
}

// Random inserts, erases and sweeps over a small key space, through many doublings of the table.
TEST(FlatNodeIndexTest, AgreesWithAMapThroughGrowthErasesAndSweeps) {
    std::vector<KeyedNode> nodes(3000);
    for (std::size_t nNode = 0; nNode < nodes.size(); ++nNode) {
        nodes[nNode].strKey = "http://127.0.0.1/dir.xml<Index>" + std::to_string(nNode % 1500);
    }
    std::mt19937 random(5);
    Index index;
    std::map<std::string, KeyedNode*> expected;
    for (int nStep = 0; nStep < 20000; ++nStep) {
        KeyedNode& node = nodes[random() % nodes.size()];
        const unsigned nOperation = random() % 100;
        if (nOperation < 60) {
            EXPECT_EQ(index.Insert(&node), expected.emplace(node.strKey, &node).second);
        } else if (nOperation < 99) {
            const auto found = expected.find(node.strKey);
            const bool bErases = found != expected.end() && found->second == &node;
            EXPECT_EQ(index.Erase(&node), bErases);
            if (bErases) {
                expected.erase(found);
            }
        } else {
            const std::size_t nEvery = 2 + random() % 5;
            const auto drop = [&](const KeyedNode* pNode) {
                return static_cast<std::size_t>(pNode - nodes.data()) % nEvery == 0;
            };
            index.EraseIf(drop);
            for (auto it = expected.begin(); it != expected.end();) {
                it = drop(it->second) ? expected.erase(it) : std::next(it);
            }
            ExpectHolds(index, expected);
        }
    }
    ExpectHolds(index, expected);
}

#ifndef NDEBUG
TEST(TinyTreeDeathTest, DereferencingAnInvalidIteratorAsserts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Tree tree;
    Build(tree);
    Tree::iterator none;
    EXPECT_DEATH(*none, "m_pTree != __null");
    EXPECT_DEATH(*tree.end(), "pNode != __null");
}
#endif

}  // namespace
