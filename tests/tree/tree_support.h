// Helpers shared by the tree tests: owned trees and nodes, and a listener that records events.
#pragma once

#include <string>
#include <vector>

#include "orvutil/orvutil.h"
#include "orvutil/tree.h"

namespace TreeTest {

using Orv::tSmartPtr;

inline tSmartPtr<Orv::ITree> NewTree() {
  tSmartPtr<Orv::ITree> tree;
  Orv::CreateTree(tree.Receive());
  return tree;
}

inline tSmartPtr<Orv::INode> NewNode(IUnknown* data = nullptr) {
  tSmartPtr<Orv::INode> node;
  Orv::CreateNode(node.Receive(), data);
  return node;
}

// The tree's text with the delimiters shown as '<' and '>'.
inline std::wstring Text(Orv::ITree* tree) {
  std::wstring text;
  for (unsigned i = 0; i < tree->GetTextLength(); ++i) {
    wchar_t c = tree->GetChar(i);
    text += c == Orv::kNodeStartChar ? L'<' : c == Orv::kNodeEndChar ? L'>' : c;
  }
  return text;
}

// Writes every event as one line, e.g. "AddedText 0 3", with nodes shown by their tag.
class CRecorder : public Orv::ITreeListener {
 public:
  std::vector<std::string> events;
  std::vector<Orv::INode*> tags;

  void OnDestroying(Orv::ITree*) override { Log("Destroying"); }
  void OnDestroyed(Orv::ITree*) override { Log("Destroyed"); }
  void OnAddingText(Orv::ITree*, unsigned p, wchar_t const*, unsigned n) override { Log("AddingText", p, n); }
  void OnAddedText(Orv::ITree*, unsigned s, unsigned e) override { Log("AddedText", s, e); }
  void OnRemovingText(Orv::ITree*, unsigned s, unsigned e) override { Log("RemovingText", s, e); }
  void OnRemovedText(Orv::ITree*, unsigned s) override { Log("RemovedText", s); }
  void OnAddingNode(Orv::ITree*, Orv::INode* n, unsigned s, unsigned e) override { Log("AddingNode" + Tag(n), s, e); }
  void OnAddedNode(Orv::ITree*, Orv::INode* n) override { Log("AddedNode" + Tag(n)); }
  void OnRemovingNode(Orv::ITree*, Orv::INode* n) override { Log("RemovingNode" + Tag(n)); }
  void OnRemovedNode(Orv::ITree*, Orv::INode* n) override { Log("RemovedNode" + Tag(n)); }

 private:
  std::string Tag(Orv::INode* node) {
    for (size_t i = 0; i < tags.size(); ++i)
      if (tags[i] == node) return " n" + std::to_string(i);
    return " ?";
  }
  void Log(std::string const& what, long a = -1, long b = -1) {
    std::string line = what;
    if (a >= 0) line += " " + std::to_string(a);
    if (b >= 0) line += " " + std::to_string(b);
    events.push_back(line);
  }
};

template <class T>
tSmartPtr<T> NewObject() {
  T* object = nullptr;
  Orv::CComObject<T>::CreateObject(nullptr, &object);
  tSmartPtr<T> held(object);
  object->Release();
  return held;
}

}  // namespace TreeTest

ORV_CLASS_GUID(TreeTest::CRecorder, 0x5b0c1f8e, 0x2d41, 0x4a7e, 0x9c, 0x11, 0x3e, 0x52, 0x7a, 0x90, 0x11, 0x00)
