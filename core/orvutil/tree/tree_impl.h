// The tree, node and listener fan-out classes behind orvutil/tree.h.
#pragma once

#include "orvutil/com/comobject.h"
#include "orvutil/foundation/gapvector.h"
#include "orvutil/foundation/markedvector.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/tree.h"

namespace Orv {

class CNode;
class CTree;

using CNodeStorage = tObjGapVector<tSmartPtr<CNode>>;
using CTextStorage = tGapVectorPOD<wchar_t>;
using CNodeVector = tMarkedVector<CNodeStorage>;
using CTextVector = tMarkedVector<CTextStorage>;
using CNodeMarker = tMarker<CNodeStorage>;
using CTextMarker = tMarker<CTextStorage>;

// Forwards every event first to the tree it is about, then to the registered listeners in order.
// Removal nulls an entry; null entries are erased once the outermost delivery has ended, so adding and
// removing listeners from inside an event is safe. Each listener, the fan-out object and the tree are
// held for the length of a call.
class CTreeListeners : public ITreeListener {
 public:
  void Add(ITreeListener* listener);
  void Remove(ITreeListener* listener);

  void OnDestroying(ITree* tree) override;
  void OnDestroyed(ITree* tree) override;
  void OnAddingText(ITree* tree, unsigned int position, wchar_t const* text, unsigned int length) override;
  void OnAddedText(ITree* tree, unsigned int start, unsigned int end) override;
  void OnRemovingText(ITree* tree, unsigned int start, unsigned int end) override;
  void OnRemovedText(ITree* tree, unsigned int start) override;
  void OnAddingNode(ITree* tree, INode* node, unsigned int start, unsigned int end) override;
  void OnAddedNode(ITree* tree, INode* node) override;
  void OnRemovingNode(ITree* tree, INode* node) override;
  void OnRemovedNode(ITree* tree, INode* node) override;
  void OnChangedPaint(ITree* tree, unsigned int start, unsigned int end) override;
  void OnChangedRender(ITree* tree, unsigned int start, unsigned int end) override;

 private:
  template <class Event>
  void Deliver(ITree* tree, Event const& event);
  void Compact();

  tObjGapVector<tSmartPtr<ITreeListener>> m_listeners;
  bool m_hasHoles = false;
  unsigned m_depth = 0;  // deliveries under way, nested ones included
};

class CNode : public CComBase, public INode {
 public:
  ORV_INTERFACES(INode)

  void _Destruct() override;

  void SetData(IUnknown* data) override;
  bool QueryData(REFIID riid, void** out) override;
  IUnknown* GetData() override { return m_data; }
  bool Clone(INode** out) override;
  bool IsInTree(ITree* tree) override;
  ITree* GetTree() override;
  INode* GetParent() override;
  INode* GetFirstChild() override;
  INode* GetLastChild() override;
  INode* GetNextSibling() override;
  INode* GetPreviousSibling() override;
  unsigned int GetIndex() override;
  unsigned int GetStart() override;
  unsigned int GetEnd() override;
  unsigned int GetAfter() override;
  bool Contains(INode* other) override;

 private:
  friend class CTree;

  // Puts the node into a tree or takes it out (null), telling INodeData data.
  void SetTree(CTree* tree);
  // Releases the four markers and forgets the tree.
  void Detach();

  CTree* m_tree = nullptr;  // not counted
  CNodeMarker* m_parent = nullptr;
  CNodeMarker* m_index = nullptr;
  CTextMarker* m_start = nullptr;
  CTextMarker* m_end = nullptr;
  IUnknown* m_data = nullptr;
};

class CTree : public ITree, public ITreeListener {
 public:
  ORV_INTERFACES(ITree, ITreeListener)

  long _Construct(IUnknown* outer) override;
  void _Destruct() override;

  void SetData(IUnknown* data) override;
  bool QueryData(REFIID riid, void** out) override;
  IUnknown* GetData() override { return m_data; }
  void AddListener(ITreeListener* listener) override;
  void RemoveListener(ITreeListener* listener) override;
  unsigned int GetNodeCount() override { return m_nodes.Count(); }
  INode* GetNodeFast(unsigned int index) override { return m_nodes[index].Get(); }
  INode* GetNode(unsigned int index) override;
  INode* FindNodeAt(unsigned int position) override;
  unsigned int FindNodeIndex(unsigned int position) override;
  bool AddNode(INode* node, unsigned int start, unsigned int end) override;
  bool AddChildNode(INode* node, INode* parent, bool last) override;
  bool AddSiblingNode(INode* node, INode* sibling, bool after) override;
  void RemoveNode(INode* node, bool withContents) override;
  unsigned int GetTextLength() override { return m_text.Count(); }
  wchar_t GetChar(unsigned int position) override;
  wchar_t const* GetTextPtr(unsigned int from, unsigned int to) override;
  void InsertText(unsigned int position, wchar_t const* text, unsigned int count) override;
  void InsertChar(unsigned int position, wchar_t c) override;
  void RemoveText(unsigned int from, unsigned int to) override;

  // The tree's own reactions to its events.
  void OnDestroyed(ITree* tree) override;

 private:
  friend class CNode;

  CNode* NodeAt(unsigned index) const { return index < m_nodes.Count() ? m_nodes[index].Get() : nullptr; }
  unsigned TextPosition(CTextMarker const* marker) const { return m_text.MarkerPosition(marker); }
  unsigned NodeIndex(CNodeMarker const* marker) const { return m_nodes.MarkerPosition(marker); }
  CNode* ParentOf(CNode* node);
  // This tree's node behind an interface pointer, or null.
  CNode* OwnNode(INode* node) const;

  // Brings every node's parent marker up to date after structural changes.
  void UpdateParents();
  void SetParent(CNode* node, CNode* parent);
  // Removes `nodes` (indices into the node array, ascending) and the text [from, to) with the events
  // of both; `delimiters` removes the single characters at from and to instead of the range.
  void RemoveNodesAndText(unsigned firstIndex, unsigned endIndex, unsigned from, unsigned to);
  void RemoveDelimiters(CNode* node);
  void EraseText(unsigned from, unsigned to);

  CNodeVector m_nodes;
  CTextVector m_text;
  IUnknown* m_data = nullptr;
  CTreeListeners* m_listeners = nullptr;  // counted
  bool m_parentsStale = false;            // some parent markers no longer hold
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CTreeListeners, 0xbd54ff44, 0x25a5, 0x4628, 0xb3, 0x85, 0x6b, 0x02, 0xa7, 0x02, 0x4c, 0x8b)
ORV_CLASS_GUID(Orv::CNode, 0xd43f2711, 0xdda8, 0x4687, 0xb2, 0x60, 0xf3, 0xbf, 0xc8, 0xa2, 0x36, 0x4e)
ORV_CLASS_GUID(Orv::CTree, 0xaaad7c9d, 0xb104, 0x4496, 0x95, 0x5b, 0xf1, 0xad, 0xbb, 0x56, 0xda, 0x8f)
