// What listeners hear, in which order, and how listener lists, attached data and the tree's end
// behave.
#include <gtest/gtest.h>

#include <functional>

#include "tree_support.h"

namespace TreeTest {

// A listener that runs an action on one event.
class CActor : public Orv::ITreeListener {
 public:
  std::function<void()> onAddingNode;
  int heard = 0;
  void OnAddingNode(Orv::ITree*, Orv::INode*, unsigned, unsigned) override {
    ++heard;
    if (onAddingNode) onAddingNode();
  }
};

// Data that wants to know its node, and copies itself for clones.
class CNodeData : public Orv::CComBase, public Orv::INodeData {
 public:
  ORV_INTERFACES(Orv::INodeData)
  Orv::INode* node = nullptr;
  Orv::ITree* tree = nullptr;
  bool copyable = true;
  bool CloneNodeData(IUnknown** out) override {
    if (!copyable) return false;
    tSmartPtr<CNodeData> copy = NewObject<CNodeData>();
    return copy.Get()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out)) == S_OK;
  }
  void OnNodeTreeChanged(Orv::ITree* changed) override { tree = changed; }
  void SetNode(Orv::INode* set) override { node = set; }
};

}  // namespace TreeTest

ORV_CLASS_GUID(TreeTest::CActor, 0x5b0c1f8e, 0x2d41, 0x4a7e, 0x9c, 0x11, 0x3e, 0x52, 0x7a, 0x90, 0x11, 0x01)
ORV_CLASS_GUID(TreeTest::CNodeData, 0x5b0c1f8e, 0x2d41, 0x4a7e, 0x9c, 0x11, 0x3e, 0x52, 0x7a, 0x90, 0x11, 0x02)

namespace {

using namespace TreeTest;
using Events = std::vector<std::string>;

class TreeEvents : public testing::Test {
 public:
  tSmartPtr<Orv::ITree> tree = NewTree();
  tSmartPtr<CRecorder> recorder = NewObject<CRecorder>();
  std::vector<tSmartPtr<Orv::INode>> nodes;

  void SetUp() override { tree->AddListener(recorder); }

  Orv::INode* Node(unsigned i) {
    while (nodes.size() <= i) {
      nodes.push_back(NewNode());
      recorder->tags.push_back(nodes.back());
    }
    return nodes[i];
  }
};

TEST_F(TreeEvents, EachEditAnnouncesItselfBeforeAndAfter) {
  struct Case {
    char const* what;
    std::function<void(TreeEvents&)> edit;
    Events expected;
    wchar_t const* text;
  };
  // Every case starts from "ab<c<d>e>f" with n0 the outer and n1 the inner node.
  Case cases[] = {
      {"insert", [](TreeEvents& t) { t.tree->InsertText(1, L"xy", 2); },
       {"AddingText 1 2", "AddedText 1 3"}, L"axyb<c<d>e>f"},
      {"insert to the terminator", [](TreeEvents& t) { t.tree->InsertText(0, L"xyz", ~0u); },
       {"AddingText 0 3", "AddedText 0 3"}, L"xyzab<c<d>e>f"},
      {"empty insert", [](TreeEvents& t) { t.tree->InsertText(0, L"", ~0u); }, {}, L"ab<c<d>e>f"},
      {"insert past the end", [](TreeEvents& t) { t.tree->InsertText(11, L"x", 1); }, {}, L"ab<c<d>e>f"},
      {"remove text", [](TreeEvents& t) { t.tree->RemoveText(0, 2); },
       {"RemovingText 0 2", "RemovedText 0"}, L"<c<d>e>f"},
      {"remove text clipped", [](TreeEvents& t) { t.tree->RemoveText(9, 99); },
       {"RemovingText 9 10", "RemovedText 9"}, L"ab<c<d>e>"},
      {"remove a delimiter alone", [](TreeEvents& t) { t.tree->RemoveText(1, 3); }, {}, L"ab<c<d>e>f"},
      {"remove text with a whole node", [](TreeEvents& t) { t.tree->RemoveText(4, 7); },
       {"RemovingNode n1", "RemovingText 4 7", "RemovedText 4", "RemovedNode n1"}, L"ab<ce>f"},
      {"add node", [](TreeEvents& t) { t.tree->AddNode(t.Node(2), 0, 1); },
       {"AddingNode n2 0 1", "AddingText 0 1", "AddedText 0 1", "AddingText 2 1", "AddedText 2 3",
        "AddedNode n2"}, L"<a>b<c<d>e>f"},
      {"add crossing node", [](TreeEvents& t) { t.tree->AddNode(t.Node(2), 1, 4); }, {}, L"ab<c<d>e>f"},
      {"remove node alone", [](TreeEvents& t) { t.tree->RemoveNode(t.Node(0), false); },
       {"RemovingNode n0", "RemovingText 8 9", "RemovedText 8", "RemovingText 2 3", "RemovedText 2",
        "RemovedNode n0"}, L"abc<d>ef"},
      {"remove node with contents", [](TreeEvents& t) { t.tree->RemoveNode(t.Node(0), true); },
       {"RemovingNode n0", "RemovingNode n1", "RemovingText 2 9", "RemovedText 2", "RemovedNode n0",
        "RemovedNode n1"}, L"abf"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    tree = NewTree();
    tree->InsertText(0, L"abcdef", 6);
    ASSERT_TRUE(tree->AddNode(Node(0), 2, 5));
    ASSERT_TRUE(tree->AddNode(Node(1), 4, 5));
    ASSERT_EQ(L"ab<c<d>e>f", Text(tree));
    tree->AddListener(recorder);
    recorder->events.clear();
    c.edit(*this);
    EXPECT_EQ(c.expected, recorder->events);
    EXPECT_EQ(c.text, Text(tree));
  }
}

TEST_F(TreeEvents, ListenersChangedDuringDeliveryNeitherSkipNorRepeat) {
  auto first = NewObject<CActor>(), second = NewObject<CActor>(), third = NewObject<CActor>();
  auto late = NewObject<CActor>();
  for (auto* actor : {first.Get(), second.Get(), third.Get()}) tree->AddListener(actor);
  tree->AddListener(first);  // twice: still heard once
  // The first removes itself and edits the tree (a nested delivery) and adds a late listener.
  first->onAddingNode = [&] {
    tree->RemoveListener(first);
    tree->InsertText(0, L"x", 1);
    tree->AddListener(late);
  };
  ASSERT_TRUE(tree->AddNode(Node(0), 0, 0));
  EXPECT_EQ(1, first->heard);
  EXPECT_EQ(1, second->heard);
  EXPECT_EQ(1, third->heard);
  EXPECT_EQ(1, late->heard);  // added during the event, so it hears that event too
  EXPECT_EQ(1, first.Get()->_GetRefCount());  // the tree let go of it
  ASSERT_TRUE(tree->AddNode(Node(1), 0, 0));
  EXPECT_EQ(1, first->heard);
  EXPECT_EQ(2, second->heard);
  EXPECT_EQ(2, late->heard);
}

TEST_F(TreeEvents, TheTreesEndDetachesItsNodesAndIsHeard) {
  tree->InsertText(0, L"abc", 3);
  tree->AddNode(Node(0), 0, 3);
  tree->AddNode(Node(1), 1, 2);
  recorder->events.clear();
  tree = nullptr;
  EXPECT_EQ((Events{"Destroying", "Destroyed"}), recorder->events);
  for (unsigned i = 0; i < 2; ++i) {
    EXPECT_EQ(nullptr, nodes[i]->GetTree());
    EXPECT_EQ(~0u, nodes[i]->GetStart());
    EXPECT_EQ(~0u, nodes[i]->GetIndex());
    EXPECT_EQ(nullptr, nodes[i]->GetParent());
    EXPECT_EQ(2u, nodes[i]->AddRef());  // only the test's reference was left
    nodes[i]->Release();
  }
}

TEST_F(TreeEvents, NodeDataHearsItsNodeAndTreeAndIsCopiedByClones) {
  auto data = NewObject<CNodeData>();
  auto other = NewObject<CNodeData>();
  tSmartPtr<Orv::INode> node = NewNode(data.Get());
  EXPECT_EQ(node.Get(), data->node);
  ASSERT_TRUE(tree->AddNode(node, 0, 0));
  EXPECT_EQ(tree.Get(), data->tree);
  tSmartPtr<Orv::INode> clone;
  ASSERT_TRUE(node->Clone(clone.Receive()));
  EXPECT_TRUE(clone->IsInTree(nullptr));
  EXPECT_NE(static_cast<IUnknown*>(data.Get()), clone->GetData());
  data->copyable = false;
  EXPECT_FALSE(node->Clone(clone.Receive()));
  EXPECT_EQ(nullptr, clone.Get());
  tree->RemoveNode(node, false);
  EXPECT_EQ(nullptr, data->tree);
  node->SetData(other.Get());
  EXPECT_EQ(nullptr, data->node);
  EXPECT_EQ(node.Get(), other->node);
}

TEST_F(TreeEvents, RefusalsAndQueriesOutsideTheText) {
  tree->InsertText(0, L"abc", 3);
  tSmartPtr<Orv::ITree> second = NewTree();
  ASSERT_TRUE(tree->AddNode(Node(0), 1, 2));
  recorder->events.clear();
  EXPECT_FALSE(tree->AddNode(Node(0), 0, 0));    // already in this tree
  EXPECT_FALSE(second->AddNode(Node(0), 0, 0));  // already in another
  EXPECT_FALSE(tree->AddNode(nullptr, 0, 0));
  tSmartPtr<Orv::INode> stranger = NewNode();
  EXPECT_FALSE(tree->AddChildNode(Node(1), stranger, true));  // the parent is not in the tree
  tree->RemoveNode(stranger, true);
  EXPECT_EQ(Events{}, recorder->events);
  EXPECT_EQ(nullptr, tree->GetNode(tree->GetNodeCount()));
  EXPECT_EQ(L'\0', tree->GetChar(tree->GetTextLength()));
  EXPECT_EQ(nullptr, tree->GetTextPtr(3, 2));
  EXPECT_EQ(nullptr, tree->GetTextPtr(0, 99));
  std::wstring all(tree->GetTextPtr(0, ~0u), tree->GetTextLength());
  EXPECT_EQ(Text(tree).size(), all.size());
  tree->InsertText(1, L"z", 1);  // the gap now sits inside the text
  for (unsigned from = 0; from <= tree->GetTextLength(); ++from) {
    wchar_t const* p = tree->GetTextPtr(from, from);
    ASSERT_NE(nullptr, p);
    if (from < tree->GetTextLength()) {
      EXPECT_EQ(tree->GetChar(from), *p) << from;
    }
  }
  // Empty nodes by the child and sibling forms, and where they land.
  ASSERT_TRUE(tree->AddChildNode(Node(1), Node(0), false));
  ASSERT_TRUE(tree->AddChildNode(Node(2), Node(0), true));
  ASSERT_TRUE(tree->AddSiblingNode(Node(3), Node(0), true));
  ASSERT_TRUE(tree->AddSiblingNode(Node(4), nullptr, false));
  EXPECT_EQ(L"<>az<<>b<>><>c", Text(tree));
  EXPECT_EQ(Node(2), Node(0)->GetLastChild());
  EXPECT_EQ(Node(3), Node(0)->GetNextSibling());
  EXPECT_EQ(Node(4), Node(0)->GetPreviousSibling());
}

}  // namespace
