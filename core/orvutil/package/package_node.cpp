// CPackageNode: one node of a package, carried as the data of a tree node.
#include "orvutil/com/plugins.h"
#include "orvutil/package/persist.h"
#include "package_impl.h"

namespace Orv {

CPackageNode* CPackageNode::FromTreeNode(INode* node) {
  if (!node) return nullptr;
  tSmartPtr<IPackageNode> packageNode;
  if (!node->QueryData(__uuidof(IPackageNode), reinterpret_cast<void**>(packageNode.Receive()))) return nullptr;
  return static_cast<CPackageNode*>(packageNode.Get());  // only package nodes carry this interface
}

IPackage* CPackageNode::GetPackage() { return m_package; }

PackageNode CPackageNode::Wrap(INode* node) {
  CPackageNode* packageNode = FromTreeNode(node);
  return packageNode ? PackageNode(packageNode, m_package) : PackageNode();
}

PackageNode CPackageNode::GetFirstChild() { return m_node ? Wrap(m_node->GetFirstChild()) : PackageNode(); }
PackageNode CPackageNode::GetNextSibling() { return m_node ? Wrap(m_node->GetNextSibling()) : PackageNode(); }

PackageNode CPackageNode::GetParent() {
  if (!m_node || !m_package) return PackageNode();
  INode* parent = m_node->GetParent();
  return parent ? Wrap(parent) : PackageNode(static_cast<IPackage*>(m_package));
}

PackageNode CPackageNode::AddChildNode(IPackageEntry* entry) {
  return m_node && m_package ? m_package->AddNodeUnder(m_node, entry) : PackageNode();
}

bool CPackageNode::CloneNodeData(IUnknown** out) {
  if (!out) return false;
  *out = nullptr;
  tSmartPtr<IPackageEntry> entry;
  if (m_entry && !m_entry->Clone(entry.Receive())) return false;
  CPackageNode* copy = nullptr;
  if (FAILED(CComObject<CPackageNode>::CreateObject(nullptr, &copy))) return false;
  copy->Init(entry, nullptr);
  *out = static_cast<IPackageNode*>(copy);
  return true;
}

void CPackageNode::OnNodeTreeChanged(ITree* tree) {
  if (!tree) m_package = nullptr;
}

HRESULT CPackageNode::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  if (!m_entry) return E_FAIL;
  tSmartPtr<IUnknown> object;
  HRESULT hr = CPackagePersistAsyncHelper::CreateInstance(outer, m_entry->GetObjectClassID(), IID_IUnknown,
                                                          reinterpret_cast<void**>(object.Receive()));
  if (FAILED(hr)) return hr;
  tSmartPtr<IPackageNodePersist> persist;
  if (SUCCEEDED(object->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()))) &&
      !persist->Load(PackageNode(this, m_package))) {
    return E_FAIL;
  }
  return object->QueryInterface(iid, ppv);
}

}  // namespace Orv
