// Editing and searching a large tree: single-character inserts near one another against
// std::wstring::insert at the same positions, and FindNodeAt against a binary search over a sorted
// array of node starts.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/tree.h"

namespace {

const unsigned kNodes = 100000;
const unsigned kCharsPerNode = 8;  // with the two delimiters, 1 MB of text

// kNodes sibling nodes, each over kCharsPerNode characters, nested two deep every tenth node.
Orv::tSmartPtr<Orv::ITree> BuildTree() {
  Orv::tSmartPtr<Orv::ITree> tree;
  Orv::CreateTree(tree.Receive());
  std::wstring chars(kCharsPerNode, L'x');
  Orv::INode* outer = nullptr;
  for (unsigned i = 0; i < kNodes; ++i) {
    Orv::tSmartPtr<Orv::INode> node;
    Orv::CreateNode(node.Receive());
    if (i % 10 == 0 || !outer) {
      tree->AddNode(node, ~0u, ~0u);
      outer = node;
    } else {
      tree->AddChildNode(node, outer, true);
    }
    tree->InsertText(node->GetEnd(), chars.c_str(), kCharsPerNode);
  }
  return tree;
}

// Positions of a random walk: each insert lands within 64 characters of the previous one.
std::vector<unsigned> NearbyPositions(unsigned count, unsigned length) {
  std::mt19937 random(7);
  std::vector<unsigned> positions;
  unsigned at = length / 2;
  for (unsigned i = 0; i < count; ++i) {
    at = std::min(length - 1, at + random() % 128 - std::min(at, 64u));
    positions.push_back(at);
  }
  return positions;
}

}  // namespace

ORV_BENCHMARK(TreeInsertNearby) {
  Orv::tSmartPtr<Orv::ITree> tree = BuildTree();
  std::wstring peer(tree->GetTextPtr(0, ~0u), tree->GetTextLength());
  std::vector<unsigned> positions = NearbyPositions(10000, tree->GetTextLength());
  OrvBench::Compare(
      "ITree.InsertChar x10000 nearby (100k nodes, 1 MB)", "std::wstring::insert",
      [&] {
        for (unsigned p : positions) tree->InsertChar(p, L'y');
      },
      [&] {
        for (unsigned p : positions) peer.insert(peer.begin() + p, L'y');
      });
}

ORV_BENCHMARK(TreeFindNodeAt) {
  Orv::tSmartPtr<Orv::ITree> tree = BuildTree();
  std::vector<unsigned> starts;
  for (unsigned i = 0; i < tree->GetNodeCount(); ++i) starts.push_back(tree->GetNodeFast(i)->GetStart());
  std::mt19937 random(11);
  std::vector<unsigned> probes(1024);
  for (unsigned& p : probes) p = random() % tree->GetTextLength();
  unsigned sink = 0;
  OrvBench::Compare(
      "ITree.FindNodeAt x1024 (100k nodes)", "std::upper_bound over node starts",
      [&] {
        for (unsigned p : probes) sink += tree->FindNodeAt(p) != nullptr;
      },
      [&] {
        for (unsigned p : probes) sink += std::upper_bound(starts.begin(), starts.end(), p) != starts.begin();
      });
  OrvBench::KeepAlive(sink);
}
