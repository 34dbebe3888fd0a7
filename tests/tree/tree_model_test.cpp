// Random edits of a tree checked after every step against a plain model: a list of cells, each a
// character or one delimiter of a numbered node, with every relation found by brute force.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "tree_support.h"

namespace {

using namespace TreeTest;

struct Cell {
  wchar_t c;   // a plain character, or '<' / '>' for a delimiter
  int node;    // the node of a delimiter, -1 for plain characters
};

class Model {
 public:
  std::vector<Cell> cells;

  int Start(int node) const { return Find(node, L'<'); }
  int End(int node) const { return Find(node, L'>'); }
  // The innermost node whose range holds position p, or -1.
  int At(int p) const {
    int best = -1;
    for (int i = 0; i < p && i < static_cast<int>(cells.size()); ++i)
      if (cells[i].c == L'<' && End(cells[i].node) >= p) best = cells[i].node;
    return best;
  }
  // Nodes in start order.
  std::vector<int> Nodes() const {
    std::vector<int> nodes;
    for (Cell const& cell : cells)
      if (cell.c == L'<') nodes.push_back(cell.node);
    return nodes;
  }
  int Parent(int node) const { return At(Start(node)); }
  // Whether some node has exactly one delimiter in [from, to).
  bool Cuts(int from, int to) const {
    for (int n : Nodes())
      if ((Start(n) >= from && Start(n) < to) != (End(n) >= from && End(n) < to)) return true;
    return false;
  }
  void Remove(int from, int to) { cells.erase(cells.begin() + from, cells.begin() + to); }

 private:
  int Find(int node, wchar_t c) const {
    for (size_t i = 0; i < cells.size(); ++i)
      if (cells[i].node == node && cells[i].c == c) return static_cast<int>(i);
    return -1;
  }
};

class TreeModelCheck {
 public:
  explicit TreeModelCheck(unsigned seed) : m_random(seed), m_tree(NewTree()) {}

  void Step() {
    int length = static_cast<int>(m_model.cells.size());
    int a = Pick(length + 2), b = Pick(length + 2);
    switch (Pick(6)) {
      case 0:
      case 1: InsertText(a, 1 + Pick(3)); break;
      case 2: RemoveText(a, b); break;
      case 3:
      case 4: AddNode(a, b); break;
      default: RemoveNode(Pick(std::max<int>(1, m_nodes.size())), Pick(2) == 1); break;
    }
  }

  // Compares everything the tree tells with the model.
  void Check() {
    std::wstring expected;
    for (Cell const& cell : m_model.cells) expected += cell.c;
    ASSERT_EQ(expected, Text(m_tree));
    std::vector<int> order = m_model.Nodes();
    ASSERT_EQ(order.size(), m_tree->GetNodeCount());
    for (unsigned i = 0; i < order.size(); ++i) {
      Orv::INode* node = m_tree->GetNode(i);
      int n = order[i];
      ASSERT_EQ(m_nodes[n].Get(), node) << "index " << i;
      EXPECT_EQ(i, node->GetIndex());
      EXPECT_EQ(static_cast<unsigned>(m_model.Start(n)), node->GetStart());
      EXPECT_EQ(static_cast<unsigned>(m_model.End(n)), node->GetEnd());
      EXPECT_EQ(Handle(m_model.Parent(n)), node->GetParent()) << "parent of index " << i;
      EXPECT_EQ(Handle(FirstChild(n)), node->GetFirstChild());
      EXPECT_EQ(Handle(LastChild(n)), node->GetLastChild());
      EXPECT_EQ(Handle(Sibling(n, +1)), node->GetNextSibling());
      EXPECT_EQ(Handle(Sibling(n, -1)), node->GetPreviousSibling());
    }
    for (int p = 0; p <= static_cast<int>(m_model.cells.size()); ++p)
      EXPECT_EQ(Handle(m_model.At(p)), m_tree->FindNodeAt(p)) << "position " << p;
  }

 private:
  int Pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
  Orv::INode* Handle(int n) const { return n < 0 ? nullptr : m_nodes[n].Get(); }

  std::vector<int> Children(int parent) const {
    std::vector<int> children;
    for (int n : m_model.Nodes())
      if (m_model.Parent(n) == parent) children.push_back(n);
    return children;
  }
  int FirstChild(int n) const { auto c = Children(n); return c.empty() ? -1 : c.front(); }
  int LastChild(int n) const { auto c = Children(n); return c.empty() ? -1 : c.back(); }
  int Sibling(int n, int step) const {
    auto siblings = Children(m_model.Parent(n));
    auto at = std::find(siblings.begin(), siblings.end(), n) - siblings.begin() + step;
    return at < 0 || at >= static_cast<long>(siblings.size()) ? -1 : siblings[at];
  }

  void InsertText(int p, int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i) text += static_cast<wchar_t>(L'a' + Pick(26));
    m_tree->InsertText(p, text.c_str(), count);
    if (p > static_cast<int>(m_model.cells.size())) return;
    for (int i = 0; i < count; ++i) m_model.cells.insert(m_model.cells.begin() + p + i, Cell{text[i], -1});
  }

  void RemoveText(int from, int to) {
    m_tree->RemoveText(from, to);
    int length = static_cast<int>(m_model.cells.size());
    to = std::min(to, length);
    if (from >= to || m_model.Cuts(from, to)) return;
    m_model.Remove(from, to);
  }

  void AddNode(int start, int end) {
    int length = static_cast<int>(m_model.cells.size());
    start = std::min(start, length);
    end = end < start ? start : std::min(end, length);
    tSmartPtr<Orv::INode> node = NewNode();
    bool added = m_tree->AddNode(node, start, end);
    ASSERT_EQ(!m_model.Cuts(start, end), added) << "range " << start << ".." << end;
    if (!added) return;
    int id = static_cast<int>(m_nodes.size());
    m_nodes.push_back(node);
    m_model.cells.insert(m_model.cells.begin() + end, Cell{L'>', id});
    m_model.cells.insert(m_model.cells.begin() + start, Cell{L'<', id});
  }

  void RemoveNode(int n, bool withContents) {
    if (n >= static_cast<int>(m_nodes.size())) return;
    m_tree->RemoveNode(m_nodes[n], withContents);
    int start = m_model.Start(n);
    if (start < 0) return;
    int end = m_model.End(n);
    if (withContents) {
      m_model.Remove(start, end + 1);
    } else {
      m_model.Remove(end, end + 1);
      m_model.Remove(start, start + 1);
    }
    EXPECT_EQ(nullptr, m_nodes[n]->GetTree());
  }

  std::mt19937 m_random;
  tSmartPtr<Orv::ITree> m_tree;
  std::vector<tSmartPtr<Orv::INode>> m_nodes;  // by model number
  Model m_model;
};

TEST(TreeModel, RandomEditsKeepTextNodesAndRelationsInStep) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    TreeModelCheck check(seed);
    for (int step = 0; step < 200; ++step) {
      check.Step();
      SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
      check.Check();
      if (testing::Test::HasFailure()) return;
    }
  }
}

// Trees are not shared, but four threads may each work on trees of their own at the same time.
TEST(TreeModel, TreesOnFourThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      TreeModelCheck check(100 + t);
      for (int step = 0; step < 400; ++step) check.Step();
      check.Check();
      failures[t] = testing::Test::HasFailure();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), failures);
}

}  // namespace
