// CNode: a node of a tree, its attached data and its relatives.
#include "tree_impl.h"

namespace Orv {

namespace {

tSmartPtr<INodeData> NodeDataOf(IUnknown* data) {
  tSmartPtr<INodeData> nodeData;
  if (data) data->QueryInterface(__uuidof(INodeData), reinterpret_cast<void**>(nodeData.Receive()));
  return nodeData;
}

}  // namespace

bool CreateNode(INode** out, IUnknown* data) {
  if (!out) return false;
  *out = nullptr;
  CNode* node = nullptr;
  if (FAILED(CComObject<CNode>::CreateObject(nullptr, &node))) return false;
  node->SetData(data);
  *out = node;
  return true;
}

void CNode::_Destruct() {
  SetData(nullptr);
  Detach();
  CComBase::_Destruct();
}

void CNode::SetData(IUnknown* data) {
  if (data == m_data) return;
  tSmartPtr<INodeData> oldNodeData = NodeDataOf(m_data);
  tSmartPtr<INodeData> newNodeData = NodeDataOf(data);
  if (data) data->AddRef();
  IUnknown* old = m_data;
  m_data = data;
  if (old) old->Release();
  if (oldNodeData) oldNodeData->SetNode(nullptr);
  if (newNodeData) newNodeData->SetNode(this);
}

bool CNode::QueryData(REFIID riid, void** out) {
  if (!out) return false;
  *out = nullptr;
  return m_data && SUCCEEDED(m_data->QueryInterface(riid, out));
}

bool CNode::Clone(INode** out) {
  if (!out) return false;
  *out = nullptr;
  tSmartPtr<IUnknown> data(m_data);
  if (tSmartPtr<INodeData> nodeData = NodeDataOf(m_data)) {
    data = nullptr;
    if (!nodeData->CloneNodeData(data.Receive())) return false;
  }
  return CreateNode(out, data);
}

bool CNode::IsInTree(ITree* tree) { return GetTree() == tree; }

ITree* CNode::GetTree() { return m_tree; }

INode* CNode::GetParent() {
  return m_tree ? m_tree->ParentOf(this) : nullptr;
}

INode* CNode::GetFirstChild() {
  if (!m_tree) return nullptr;
  CNode* next = m_tree->NodeAt(GetIndex() + 1);
  return next && Contains(next) ? next : nullptr;
}

INode* CNode::GetLastChild() {
  if (!m_tree) return nullptr;
  unsigned index = GetIndex();
  unsigned last = m_tree->FindNodeIndex(GetEnd()) - 1;
  if (last == ~0u || last <= index) return nullptr;
  INode* node = m_tree->NodeAt(last);
  while (node) {
    INode* parent = node->GetParent();
    if (parent == this) return node;
    node = parent;
  }
  return nullptr;
}

INode* CNode::GetNextSibling() {
  if (!m_tree) return nullptr;
  CNode* next = m_tree->NodeAt(m_tree->FindNodeIndex(GetAfter()));
  return next && next->GetParent() == GetParent() ? next : nullptr;
}

INode* CNode::GetPreviousSibling() {
  if (!m_tree) return nullptr;
  unsigned index = GetIndex();
  INode* parent = GetParent();
  INode* node = index ? m_tree->NodeAt(index - 1) : nullptr;
  while (node && node != parent) {
    INode* up = node->GetParent();
    if (up == parent) return node;
    node = up;
  }
  return nullptr;
}

unsigned int CNode::GetIndex() { return m_tree && m_index ? m_tree->NodeIndex(m_index) : ~0u; }
unsigned int CNode::GetStart() { return m_tree && m_start ? m_tree->TextPosition(m_start) : ~0u; }
unsigned int CNode::GetEnd() { return m_tree && m_end ? m_tree->TextPosition(m_end) : ~0u; }

unsigned int CNode::GetAfter() {
  unsigned end = GetEnd();
  return end == ~0u ? ~0u : end + 1;
}

bool CNode::Contains(INode* other) {
  if (!other || !m_tree || other->GetTree() != GetTree()) return false;
  unsigned otherStart = other->GetStart();
  return GetStart() < otherStart && GetEnd() > otherStart;
}

void CNode::SetTree(CTree* tree) {
  m_tree = tree;
  if (tSmartPtr<INodeData> nodeData = NodeDataOf(m_data)) nodeData->OnNodeTreeChanged(tree);
}

void CNode::Detach() {
  if (m_tree) SetTree(nullptr);
  CNodeVector::ReleaseMarker(m_parent);
  CNodeVector::ReleaseMarker(m_index);
  CTextVector::ReleaseMarker(m_start);
  CTextVector::ReleaseMarker(m_end);
  m_parent = m_index = nullptr;
  m_start = m_end = nullptr;
}

}  // namespace Orv
