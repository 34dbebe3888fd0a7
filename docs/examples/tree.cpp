// Trees: a text with nodes over parts of it, a listener that hears the changes, and nodes that
// follow the text as it is edited.
#include <cstdio>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

// Override only the events of interest; the others do nothing.
class CCountingListener : public Orv::ITreeListener {
 public:
  int added = 0, removed = 0;
  void OnAddedNode(Orv::ITree*, Orv::INode*) override { ++added; }
  void OnRemovedNode(Orv::ITree*, Orv::INode*) override { ++removed; }
};

// The characters of a node between its two delimiters.
Orv::tstring Inner(Orv::ITree* tree, Orv::INode* node) {
  const wchar_t* text = tree->GetTextPtr(node->GetStart() + 1, node->GetEnd());
  return text ? Orv::tstring(text, node->GetEnd() - node->GetStart() - 1) : Orv::tstring();
}

}  // namespace

ORV_CLASS_GUID(CCountingListener, 0x5b9c0d21, 0x7e3f, 0x4a46, 0x8b, 0x55, 0x1c, 0x2d, 0x3e, 0x4f, 0x50, 0x61)

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  Orv::tSmartPtr<Orv::ITree> tree;
  if (!init.Success() || !Orv::CreateTree(tree.Receive())) return 1;
  CCountingListener* listener = nullptr;
  if (FAILED(Orv::CComObject<CCountingListener>::CreateObject(nullptr, &listener))) return 1;
  tree->AddListener(listener);  // the tree holds its own reference

  tree->InsertText(0, L"Hello wide world", 0xFFFFFFFF);
  // A node over "wide world", and one over "world" inside it: ranges nest as nodes do.
  Orv::tSmartPtr<Orv::INode> outer, inner;
  if (!Orv::CreateNode(outer.Receive()) || !Orv::CreateNode(inner.Receive()) || !tree->AddNode(outer, 6, 16)) return 1;
  unsigned world = outer->GetStart() + 6;  // "world" after the delimiter and "wide "
  if (!tree->AddNode(inner, world, world + 5)) return 1;
  std::printf("%u nodes; the outer holds \"%ls\", its child \"%ls\"\n", tree->GetNodeCount(),
              Inner(tree, outer).c_str(), Inner(tree, outer->GetFirstChild()).c_str());

  // Edits in front of a node move it; a range that would cut a node in two is refused.
  tree->InsertText(0, L">> ", 0xFFFFFFFF);
  Orv::tSmartPtr<Orv::INode> crossing;
  bool refused = Orv::CreateNode(crossing.Receive()) && !tree->AddNode(crossing, 0, inner->GetStart() + 2);
  std::printf("outer now starts at %u; crossing node refused: %s\n", outer->GetStart(), refused ? "yes" : "no");

  tree->RemoveNode(outer, false);  // only its delimiters go; its child stays
  std::printf("listener heard %d added, %d removed; %u node left\n", listener->added, listener->removed,
              tree->GetNodeCount());
  bool ok = refused && listener->added == 2 && listener->removed == 1 && tree->GetNodeCount() == 1;
  tree->RemoveListener(listener);
  listener->_GetUnknown()->Release();
  return ok ? 0 : 1;
}
