// Random edits of trees checked after every step against a plain model: a list of cells, each a
// character or one delimiter of a numbered node, with every relation and every event the listeners
// hear found by brute force. Then the listener list's own rules and attached data.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "../support/new_object.h"
#include "orvutil/tree.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

using Orv::INode;
using Orv::ITree;
using Orv::tSmartPtr;
using OrvTest::New;
using Events = std::vector<std::string>;

// One event as a line, e.g. "AddedText 0 3" or "RemovingNode 2" (nodes by number).
template <class... Numbers>
std::string Line(std::string what, Numbers... numbers) {
  ((what += " " + std::to_string(numbers)), ...);
  return what;
}

// Records every event, with nodes shown by their number in `nodes`.
class CRecorder : public Orv::ITreeListener {
 public:
  Events events;
  std::vector<tSmartPtr<INode>> nodes;
  std::function<void()> onAddingNode;

  void OnDestroying(ITree*) override { events.push_back("Destroying"); }
  void OnDestroyed(ITree*) override { events.push_back("Destroyed"); }
  void OnAddingText(ITree*, unsigned p, wchar_t const*, unsigned n) override { events.push_back(Line("AddingText", p, n)); }
  void OnAddedText(ITree*, unsigned s, unsigned e) override { events.push_back(Line("AddedText", s, e)); }
  void OnRemovingText(ITree*, unsigned s, unsigned e) override { events.push_back(Line("RemovingText", s, e)); }
  void OnRemovedText(ITree*, unsigned s) override { events.push_back(Line("RemovedText", s)); }
  void OnAddingNode(ITree*, INode* n, unsigned s, unsigned e) override {
    events.push_back(Line("AddingNode", Tag(n), s, e));
    if (onAddingNode) onAddingNode();
  }
  void OnAddedNode(ITree*, INode* n) override { events.push_back(Line("AddedNode", Tag(n))); }
  void OnRemovingNode(ITree*, INode* n) override { events.push_back(Line("RemovingNode", Tag(n))); }
  void OnRemovedNode(ITree*, INode* n) override { events.push_back(Line("RemovedNode", Tag(n))); }
  long Tag(INode* node) { return std::find(nodes.begin(), nodes.end(), node) - nodes.begin(); }
};

// Data that wants to know its node and tree, and copies itself for clones when allowed.
class CNodeData : public Orv::CComBase, public Orv::INodeData {
 public:
  ORV_INTERFACES(Orv::INodeData)
  INode* node = nullptr;
  ITree* tree = nullptr;
  bool copyable = true;
  bool CloneNodeData(IUnknown** out) override {
    return copyable && New<CNodeData>()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out)) == S_OK;
  }
  void OnNodeTreeChanged(ITree* changed) override { tree = changed; }
  void SetNode(INode* set) override { node = set; }
};

}  // namespace

ORV_CLASS_GUID(CRecorder, 0x5b0c1f8e, 0x2d41, 0x4a7e, 0x9c, 0x11, 0x3e, 0x52, 0x7a, 0x90, 0x11, 0x00)
ORV_CLASS_GUID(CNodeData, 0x5b0c1f8e, 0x2d41, 0x4a7e, 0x9c, 0x11, 0x3e, 0x52, 0x7a, 0x90, 0x11, 0x02)

namespace {

template <class I>
tSmartPtr<I> Make(bool (*create)(I**, IUnknown*), IUnknown* data = nullptr) {
  tSmartPtr<I> made;
  create(made.Receive(), data);
  return made;
}

// The model: the text with node k's delimiters written as the private-use characters U+E000 + 2k
// (start) and U+E001 + 2k (end).
class ModelCheck {
 public:
  explicit ModelCheck(unsigned seed) : m_random(seed) { m_tree->AddListener(m_heard); }

  void Step() {
    int length = Length(), a = Pick(length + 2), b = Pick(length + 2), n = Pick(Count() + 1), id = Pick(3) ? Count() : n;
    int start = std::min(a, length), end = b < start ? start : std::min(b, length), rs = Find(n, 0), re = Find(n, 1);
    bool child = Pick(2), last = Pick(2);
    INode* relative = n < Count() ? m_nodes[n].Get() : nullptr;
    int at = !relative ? (last ? length : 0) : child ? (last ? re : rs + 1) : (last ? re + 1 : rs);
    switch (Pick(7)) {
      case 0: return RemoveText(a, b);
      case 1: return AddNode(id, start, end, true, [&](INode* node) { return m_tree->AddNode(node, a, b); });
      case 2:  // the child and sibling forms: an empty node where a range would start
        return AddNode(id, at, at, !relative || rs >= 0, [&](INode* node) {
          return child ? m_tree->AddChildNode(node, relative, last) : m_tree->AddSiblingNode(node, relative, last);
        });
      case 3: return RemoveNode(n, Pick(2) == 1);
      default: return InsertText(a, Pick(4));
    }
  }

  // Compares the events heard and everything the tree and its nodes tell with the model.
  void Check() {
    ASSERT_EQ(m_expected, m_heard->events);
    m_expected.clear(), m_heard->events.clear();
    int length = Length(), a = Pick(length + 2), b = Pick(length + 2);
    std::wstring text = m_text;
    for (wchar_t& c : text)
      if (c >= kBase) c = (c - kBase) % 2 ? Orv::kNodeEndChar : Orv::kNodeStartChar;
    ASSERT_EQ(text, std::wstring(m_tree->GetTextPtr(0, ~0u), length));
    EXPECT_EQ(a > b || b > length, m_tree->GetTextPtr(a, b) == nullptr) << a << ".." << b;
    for (int p = 0; p <= length; ++p) {
      EXPECT_EQ(text.c_str()[p], p < length ? *m_tree->GetTextPtr(p, p) : m_tree->GetChar(p)) << p;
      EXPECT_EQ(At(p), m_tree->FindNodeAt(p)) << "position " << p;
    }
    Nodes();
  }

  // The tree's end is heard and every node leaves it with only the test's reference left; clones
  // copy the data, and data taken off hears it.
  void End() {
    m_tree = nullptr;
    m_text.clear();
    EXPECT_EQ((Events{"Destroying", "Destroyed"}), m_heard->events);
    Nodes();
    for (int n = 0; n < Count(); ++n) {
      INode* node = m_nodes[n];
      tSmartPtr<CNodeData> data(Data(n));
      tSmartPtr<INode> clone;
      EXPECT_EQ(1u, (node->AddRef(), node->Release()));
      EXPECT_EQ(data->copyable, node->Clone(clone.Receive()));
      EXPECT_TRUE(!clone || (clone->IsInTree(nullptr) && clone->GetData() && clone->GetData() != node->GetData()));
      node->SetData(nullptr);
      EXPECT_EQ(nullptr, data->node);
    }
  }

 private:
  static constexpr wchar_t kBase = 0xE000;
  int Pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
  int Length() const { return static_cast<int>(m_text.size()); }
  int Count() const { return static_cast<int>(m_nodes.size()); }
  CNodeData* Data(int n) const { return static_cast<CNodeData*>(static_cast<Orv::INodeData*>(m_nodes[n]->GetData())); }
  // The position of node n's start (side 0) or end (side 1), or -1.
  int Find(int n, int side) const { return static_cast<int>(m_text.find(static_cast<wchar_t>(kBase + 2 * n + side))); }
  // The innermost node whose range holds position p (its own start belongs to the enclosing one).
  INode* At(int p) const {
    INode* best = nullptr;
    for (int n : Inside(0, p))
      if (Find(n, 1) >= p) best = m_nodes[n];
    return best;
  }
  // Going from p by `step` over characters, the node of the first delimiter met if that is a start
  // (side 0) or an end (side 1) as asked, else null: a node's first or last child, or its sibling.
  INode* Met(int p, int step, int side) const {
    while (p >= 0 && p < Length() && m_text[p] < kBase) p += step;
    bool met = p >= 0 && p < Length() && (m_text[p] - kBase) % 2 == side;
    return met ? m_nodes[(m_text[p] - kBase) / 2].Get() : nullptr;
  }
  // Nodes starting in [from, to), in start order.
  std::vector<int> Inside(int from, int to) const {
    std::vector<int> nodes;
    for (int i = from; i < to; ++i)
      if (m_text[i] >= kBase && (m_text[i] - kBase) % 2 == 0) nodes.push_back((m_text[i] - kBase) / 2);
    return nodes;
  }
  // Every node's index, positions, relatives, tree and data, in the tree or not (then its index is
  // one past the last).
  void Nodes() {
    EXPECT_EQ(Inside(0, Length()).size(), m_tree ? m_tree->GetNodeCount() : 0u);
    for (int n = 0; n < Count(); ++n) {
      INode* node = m_nodes[n];
      int s = Find(n, 0), e = Find(n, 1), index = static_cast<int>(Inside(0, s < 0 ? Length() : s).size());
      EXPECT_EQ((std::vector<int>{s < 0 ? -1 : index, s, e}),
                (std::vector<int>{int(node->GetIndex()), int(node->GetStart()), int(node->GetEnd())})) << n;
      EXPECT_TRUE(!m_tree || m_tree->GetNode(index) == (s < 0 ? nullptr : node)) << n;
      std::vector<INode*> relatives(5);  // parent, first and last child, next and previous sibling
      if (s >= 0) relatives = {At(s), Met(s + 1, 1, 0), Met(e - 1, -1, 1), Met(e + 1, 1, 0), Met(s - 1, -1, 1)};
      EXPECT_EQ(relatives, (std::vector<INode*>{node->GetParent(), node->GetFirstChild(), node->GetLastChild(),
                                                node->GetNextSibling(), node->GetPreviousSibling()})) << n;
      ITree* tree = s < 0 ? nullptr : m_tree.Get();
      EXPECT_TRUE(node->GetTree() == tree && Data(n)->node == node && Data(n)->tree == tree) << n;
    }
  }
  // Whether some node has exactly one delimiter in [from, to).
  bool Cuts(int from, int to) const {
    for (int n : Inside(0, Length()))
      if ((Find(n, 0) >= from && Find(n, 0) < to) != (Find(n, 1) >= from && Find(n, 1) < to)) return true;
    return false;
  }
  // Removes [from, to) with the nodes starting in it, announced as the tree announces it.
  void Erase(int from, int to, bool withNodes = true) {
    std::vector<int> gone = withNodes ? Inside(from, to) : std::vector<int>();
    for (int n : gone) m_expected.push_back(Line("RemovingNode", n));
    m_expected.insert(m_expected.end(), {Line("RemovingText", from, to), Line("RemovedText", from)});
    m_text.erase(from, to - from);
    for (int n : gone) m_expected.push_back(Line("RemovedNode", n));
  }

  void InsertText(int p, int count) {
    std::wstring text(count, static_cast<wchar_t>(L'a' + Pick(26)));
    m_tree->InsertText(p, text.c_str(), Pick(2) ? count : ~0u);  // ~0u: up to the terminator
    if (p > Length() || count == 0) return;
    m_expected.insert(m_expected.end(), {Line("AddingText", p, count), Line("AddedText", p, p + count)});
    m_text.insert(p, text);
  }

  void RemoveText(int from, int to) {
    m_tree->RemoveText(from, to);
    to = std::min(to, Length());
    if (from < to && !Cuts(from, to)) Erase(from, to);
  }

  // Node `id` (a new one, or one seen before) over [start, end) by `add`, unless `allowed` is false,
  // the range cuts another node or the node is in the tree already.
  void AddNode(int id, int start, int end, bool allowed, std::function<bool(INode*)> const& add) {
    if (id == Count()) {
      auto data = New<CNodeData>();
      data->copyable = id % 2;
      m_nodes.push_back(Make(Orv::CreateNode, static_cast<Orv::INodeData*>(data.Get())));
    }
    allowed = allowed && Find(id, 0) < 0 && !Cuts(start, end);
    ASSERT_EQ(allowed, add(m_nodes[id])) << "node " << id << " over " << start << ".." << end;
    if (!allowed) return;
    m_expected.insert(m_expected.end(), {Line("AddingNode", id, start, end), Line("AddingText", start, 1),
                                         Line("AddedText", start, start + 1), Line("AddingText", end + 1, 1),
                                         Line("AddedText", end + 1, end + 2), Line("AddedNode", id)});
    m_text.insert(end, 1, static_cast<wchar_t>(kBase + 2 * id + 1));
    m_text.insert(start, 1, static_cast<wchar_t>(kBase + 2 * id));
  }

  void RemoveNode(int n, bool withContents) {
    m_tree->RemoveNode(n < Count() ? m_nodes[n].Get() : nullptr, withContents);
    int start = Find(n, 0), end = Find(n, 1);
    if (start < 0) return;
    if (withContents) return Erase(start, end + 1);
    m_expected.push_back(Line("RemovingNode", n));
    Erase(end, end + 1, false);
    Erase(start, start + 1, false);
    m_expected.push_back(Line("RemovedNode", n));
  }

  std::mt19937 m_random;
  tSmartPtr<ITree> m_tree = Make(Orv::CreateTree);
  tSmartPtr<CRecorder> m_heard = New<CRecorder>();
  std::vector<tSmartPtr<INode>>& m_nodes = m_heard->nodes;  // by model number, also those refused or removed
  std::wstring m_text;
  Events m_expected;
};

TEST(TreeModel, RandomEditsKeepTextNodesRelationsAndEventsInStep) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    ModelCheck check(seed);
    for (int step = 0; step < 300 && !testing::Test::HasFailure(); ++step) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
      check.Step();
      check.Check();
    }
    check.End();
  }
}

TEST(TreeListeners, ChangesDuringDeliveryNeitherSkipNorRepeat) {
  tSmartPtr<ITree> tree = Make(Orv::CreateTree);
  auto first = New<CRecorder>(), second = New<CRecorder>(), late = New<CRecorder>();
  for (CRecorder* listener : {first.Get(), second.Get(), first.Get(), static_cast<CRecorder*>(nullptr)})
    tree->AddListener(listener);  // the second registration of `first` and the null are ignored
  // The first removes itself, edits the tree (a nested delivery) and adds a late listener.
  first->onAddingNode = [&] {
    tree->RemoveListener(first);
    tree->InsertText(0, L"x", 1);
    tree->AddListener(late);
  };
  tSmartPtr<INode> node = Make(Orv::CreateNode);
  ASSERT_TRUE(tree->AddNode(node, 0, 0));
  EXPECT_FALSE(Make(Orv::CreateTree)->AddNode(node, 0, 0) || tree->AddNode(nullptr, 0, 0));  // in another tree; none
  EXPECT_EQ(1, first.Get()->_GetRefCount());  // the tree let go of it
  EXPECT_EQ(Events{"AddingNode 0 0 0"}, first->events);
  // Added during the event, the late listener hears it too, after the nested ones the second heard.
  EXPECT_EQ(Events(second->events.begin() + 2, second->events.end()), late->events);
}

}  // namespace
