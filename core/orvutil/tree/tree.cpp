// CTree: the text with its node delimiters, the sorted node array, and the edits that keep both in
// step and announce themselves to the listeners.
#include <cwchar>

#include "orvutil/foundation/vector.h"
#include "tree_impl.h"

namespace Orv {

bool CreateTree(ITree** out, IUnknown* data) {
  if (!out) return false;
  *out = nullptr;
  CTree* tree = nullptr;
  if (FAILED(CComObject<CTree>::CreateObject(nullptr, &tree))) return false;
  tree->SetData(data);
  *out = tree;
  return true;
}

long CTree::_Construct(IUnknown* outer) {
  long hr = ITreeListener::_Construct(outer);
  if (FAILED(hr)) return hr;
  return SUCCEEDED(CComObject<CTreeListeners>::CreateObject(nullptr, &m_listeners)) ? S_OK : E_OUTOFMEMORY;
}

void CTree::_Destruct() {
  if (m_listeners) {
    m_listeners->OnDestroying(this);
    m_listeners->OnDestroyed(this);
    m_listeners->Release();
    m_listeners = nullptr;
  }
  SetData(nullptr);
  ITreeListener::_Destruct();
}

// Every node leaves the tree with it: detached, markers released, the array's reference dropped.
void CTree::OnDestroyed(ITree*) {
  for (unsigned i = 0; i < m_nodes.Count(); ++i) m_nodes[i]->Detach();
  m_nodes.Clear();
}

void CTree::SetData(IUnknown* data) {
  if (data == m_data) return;
  if (data) data->AddRef();
  IUnknown* old = m_data;
  m_data = data;
  if (old) old->Release();
}

bool CTree::QueryData(REFIID riid, void** out) {
  if (!out) return false;
  *out = nullptr;
  return m_data && SUCCEEDED(m_data->QueryInterface(riid, out));
}

void CTree::AddListener(ITreeListener* listener) { m_listeners->Add(listener); }
void CTree::RemoveListener(ITreeListener* listener) { m_listeners->Remove(listener); }

INode* CTree::GetNode(unsigned int index) { return NodeAt(index); }

CNode* CTree::OwnNode(INode* node) const {
  CNode* own = dynamic_cast<CNode*>(node);
  return own && own->m_tree == this ? own : nullptr;
}

// Halving search over the nodes' start markers. Storage positions keep the order of logical ones,
// so the markers are compared as stored, against the storage position of `position`.
unsigned int CTree::FindNodeIndex(unsigned int position) {
  unsigned key = position <= m_text.GapStart() ? position : position + m_text.GapSize();
  unsigned low = 0;
  unsigned high = m_nodes.Count();
  while (low < high) {
    unsigned mid = low + (high - low) / 2;
    unsigned start = m_nodes[mid]->m_start->StoragePosition();
    if (start == key) return mid;
    if (start < key)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

INode* CTree::FindNodeAt(unsigned int position) {
  unsigned index = FindNodeIndex(position);
  CNode* node = NodeAt(index);
  if (!node || TextPosition(node->m_start) >= position) node = index ? NodeAt(index - 1) : nullptr;
  while (node && TextPosition(node->m_end) < position) node = ParentOf(node);
  return node;
}

CNode* CTree::ParentOf(CNode* node) {
  UpdateParents();
  return node->m_parent ? NodeAt(NodeIndex(node->m_parent)) : nullptr;
}

bool CTree::AddNode(INode* node, unsigned int start, unsigned int end) {
  CNode* own = dynamic_cast<CNode*>(node);
  if (!own || own->m_tree) return false;
  unsigned length = m_text.Count();
  if (start > length) start = length;
  if (end == ~0u || end < start)
    end = start;
  else if (end > length)
    end = length;
  // The new delimiters must land in the same innermost node, or the ranges would cross.
  if (FindNodeAt(start) != FindNodeAt(end)) return false;

  unsigned index = FindNodeIndex(start);
  m_listeners->OnAddingNode(this, node, start, end);
  tSmartPtr<CNode> hold(own);
  InsertChar(start, kNodeStartChar);
  InsertChar(end + 1, kNodeEndChar);
  own->m_start = m_text.CreateMarker(start, eMarkerListB);
  own->m_end = m_text.CreateMarker(end + 1, eMarkerListB);
  m_nodes.Insert(index, hold);
  own->m_index = m_nodes.CreateMarker(index, eMarkerListB);
  own->SetTree(this);

  CNode* next = NodeAt(index + 1);
  if (next && own->Contains(next))
    m_parentsStale = true;  // the new node wraps nodes that had another parent
  else if (!m_parentsStale)
    SetParent(own, static_cast<CNode*>(FindNodeAt(start)));
  m_listeners->OnAddedNode(this, node);
  return true;
}

bool CTree::AddChildNode(INode* node, INode* parent, bool last) {
  if (!parent) return AddNode(node, last ? ~0u : 0, ~0u);
  if (!OwnNode(parent)) return false;
  return AddNode(node, last ? parent->GetEnd() : parent->GetStart() + 1, ~0u);
}

bool CTree::AddSiblingNode(INode* node, INode* sibling, bool after) {
  if (!sibling) return AddNode(node, after ? ~0u : 0, ~0u);
  if (!OwnNode(sibling)) return false;
  return AddNode(node, after ? sibling->GetAfter() : sibling->GetStart(), ~0u);
}

void CTree::RemoveNode(INode* node, bool withContents) {
  CNode* own = OwnNode(node);
  if (!own) return;
  if (!withContents) return RemoveDelimiters(own);
  unsigned first = own->GetIndex();
  RemoveNodesAndText(first, FindNodeIndex(own->GetAfter()), own->GetStart(), own->GetAfter());
}

void CTree::RemoveDelimiters(CNode* node) {
  tSmartPtr<CNode> hold(node);
  unsigned index = node->GetIndex();
  unsigned start = node->GetStart();
  unsigned end = node->GetEnd();
  if (node->GetFirstChild()) m_parentsStale = true;  // the children move to the node's parent
  m_listeners->OnRemovingNode(this, node);
  if (OwnNode(node)) {
    index = node->GetIndex();
    node->Detach();
    m_nodes.Erase(index, 1);
  }
  // The end goes first, so the start position still holds for the second removal.
  EraseText(end, end + 1);
  EraseText(start, start + 1);
  m_listeners->OnRemovedNode(this, node);
}

void CTree::RemoveNodesAndText(unsigned firstIndex, unsigned endIndex, unsigned from, unsigned to) {
  tSmartPtrVector<CNode> removed;
  for (unsigned i = firstIndex; i < endIndex && i < m_nodes.Count(); ++i) removed.PushBack(m_nodes[i]);
  for (unsigned i = 0; i < removed.Count(); ++i) m_listeners->OnRemovingNode(this, removed[i]);
  for (unsigned i = removed.Count(); i-- > 0;) {
    CNode* node = removed[i];
    if (!OwnNode(node)) continue;  // a listener took it out already
    unsigned index = node->GetIndex();
    node->Detach();
    m_nodes.Erase(index, 1);
  }
  EraseText(from, to);
  for (unsigned i = 0; i < removed.Count(); ++i) m_listeners->OnRemovedNode(this, removed[i]);
}

void CTree::EraseText(unsigned from, unsigned to) {
  unsigned length = m_text.Count();
  if (to > length) to = length;
  if (from >= to) return;
  m_listeners->OnRemovingText(this, from, to);
  m_text.Erase(from, to - from);
  m_listeners->OnRemovedText(this, from);
}

wchar_t CTree::GetChar(unsigned int position) { return position < m_text.Count() ? m_text[position] : L'\0'; }

wchar_t const* CTree::GetTextPtr(unsigned int from, unsigned int to) {
  unsigned length = m_text.Count();
  if (to == ~0u) to = length;
  if (from > to || to > length) return nullptr;
  if (length == 0) return L"";
  if (from == to && to < length) ++to;
  return m_text.Contiguous(from, to);
}

void CTree::InsertText(unsigned int position, wchar_t const* text, unsigned int count) {
  unsigned length = m_text.Count();
  if (!text || position > length) return;
  if (count == ~0u) count = static_cast<unsigned>(wcslen(text));
  if (count == 0 || count > ~0u - 1 - length) return;
  m_listeners->OnAddingText(this, position, text, count);
  if (!m_text.Insert(position, text, count)) return;
  m_listeners->OnAddedText(this, position, position + count);
}

void CTree::InsertChar(unsigned int position, wchar_t c) { InsertText(position, &c, 1); }

void CTree::RemoveText(unsigned int from, unsigned int to) {
  unsigned length = m_text.Count();
  if (from > length || to == ~0u) return;
  if (to > length) to = length;
  if (from >= to) return;
  // A range may take whole nodes with it, never one delimiter of a node.
  if (FindNodeAt(from) != FindNodeAt(to)) return;
  unsigned first = FindNodeIndex(from);
  unsigned last = FindNodeIndex(to);
  if (first == last)
    EraseText(from, to);
  else
    RemoveNodesAndText(first, last, from, to);
}

void CTree::SetParent(CNode* node, CNode* parent) {
  unsigned index = parent ? parent->GetIndex() : ~0u;
  if (node->m_parent && parent && NodeIndex(node->m_parent) == index) return;
  CNodeVector::ReleaseMarker(node->m_parent);
  node->m_parent = parent ? m_nodes.CreateMarker(index, eMarkerListB) : nullptr;
}

// One pass in start order with the chain of open nodes: a node's parent is the innermost open node
// whose range has not ended before the node starts.
void CTree::UpdateParents() {
  if (!m_parentsStale) return;
  m_parentsStale = false;
  struct Open {
    unsigned index;
    unsigned after;
  };
  tVectorPOD<Open> open;
  for (unsigned i = 0; i < m_nodes.Count(); ++i) {
    CNode* node = m_nodes[i];
    unsigned start = node->GetStart();
    while (open.Count() && open.Back().after <= start) open.PopBack();
    SetParent(node, open.Count() ? NodeAt(open.Back().index) : nullptr);
    open.PushBack(Open{i, node->GetAfter()});
  }
}

}  // namespace Orv
