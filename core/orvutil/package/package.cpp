// CPackage: the tree of package nodes, the GUID records and the listeners of one package, and the
// process-wide list of live packages.
#include "orvutil/foundation/paths.h"
#include "orvutil/package/manager.h"
#include "orvutil/threads/locks.h"
#include "package_impl.h"

namespace Orv {

namespace {

// Non-owning pointers, in order of creation, under the library-wide lock.
tVectorPOD<CPackage*>& LiveList() {
  static auto* list = new tVectorPOD<CPackage*>();  // process-wide, never destroyed
  return *list;
}

void RemoveLive(CPackage* package) {
  tVectorPOD<CPackage*>& list = LiveList();
  for (unsigned i = 0; i < list.Count(); ++i) {
    if (list[i] == package) {
      list.Erase(i, 1);
      return;
    }
  }
}

}  // namespace

void GetLivePackages(tSmartPtrVector<IPackage>& out) {
  out.Clear();
  CScopeCriticalSection guard(eGlobalCSLibrary);
  tVectorPOD<CPackage*>& list = LiveList();
  for (unsigned i = 0; i < list.Count(); ++i) out.PushBack(tSmartPtr<IPackage>(list[i]));
}

bool CreatePackage(IPackage** out) {
  if (!out) return false;
  *out = nullptr;
  CPackage* package = nullptr;
  if (FAILED(CComObject<CPackage>::CreateObject(nullptr, &package))) return false;
  *out = package;
  return true;
}

long CPackage::_Construct(IUnknown* outer) {
  long hr = CComBase::_Construct(outer);
  if (FAILED(hr)) return hr;
  if (!CreateTree(m_tree.Receive())) return E_OUTOFMEMORY;
  CScopeCriticalSection guard(eGlobalCSLibrary);
  return LiveList().PushBack(this) ? S_OK : E_OUTOFMEMORY;
}

unsigned long CPackage::_Release() {
  CScopeCriticalSection guard(eGlobalCSLibrary);
  if (_GetRefCount() == 1) RemoveLive(this);
  return CComBase::_Release();
}

void CPackage::_Destruct() {
  {
    CScopeCriticalSection guard(eGlobalCSLibrary);
    RemoveLive(this);  // a construction that failed half-way
  }
  m_listeners.Clear();
  m_tree = nullptr;
  CComBase::_Destruct();
}

tstring CPackage::GetName() {
  if (!m_name.empty() || m_path.empty()) return m_name;
  return GetPathTail(m_path.c_str());
}

template <class Match>
PackageNode CPackage::FindFirst(Match const& match) {
  for (unsigned i = 0; i < m_tree->GetNodeCount(); ++i) {
    CPackageNode* node = CPackageNode::FromTreeNode(m_tree->GetNodeFast(i));
    if (node && node->GetEntry() && match(node->GetEntry())) return PackageNode(node, this);
  }
  return PackageNode();
}

PackageNode CPackage::GetFirstNode() {
  return FindFirst([](IPackageEntry*) { return true; });
}

PackageNode CPackage::FindNode(wchar_t const* name, GUID const& classId, GUID const& categoryId) {
  return FindFirst([&](IPackageEntry* entry) {
    return (!name || entry->GetName() == name) &&
           (IsEqualGUID(classId, GUID_NULL) || IsEqualGUID(classId, entry->GetObjectClassID())) &&
           (IsEqualGUID(categoryId, GUID_NULL) || IsEqualGUID(categoryId, entry->GetObjectCategoryID()));
  });
}

PackageNode CPackage::FindNodeByID(GUID const& instanceId) {
  if (IsEqualGUID(instanceId, GUID_NULL)) return PackageNode();
  return FindFirst([&](IPackageEntry* entry) { return IsEqualGUID(instanceId, entry->GetInstanceID()) != FALSE; });
}

PackageNode CPackage::AddNodeUnder(INode* parent, IPackageEntry* entry) {
  if (!entry) return PackageNode();
  CPackageNode* created = nullptr;
  if (FAILED(CComObject<CPackageNode>::CreateObject(nullptr, &created))) return PackageNode();
  tSmartPtr<CPackageNode, IPackageNode> node(created);
  static_cast<IPackageNode*>(created)->Release();
  node->Init(entry, this);
  tSmartPtr<INode> treeNode;
  if (!CreateNode(treeNode.Receive(), static_cast<IPackageNode*>(node.Get()))) return PackageNode();
  if (!m_tree->AddChildNode(treeNode, parent, true)) return PackageNode();
  Tell([&](IPackageListener* listener) { listener->OnNodeAdded(this, node); });
  return PackageNode(node, this);
}

bool CPackage::RemoveNode(IPackageNode* node) {
  if (!node || node->GetPackage() != static_cast<IPackage*>(this)) return false;
  tSmartPtr<IPackageNode> hold(node);
  m_tree->RemoveNode(node->GetTreeNode(), true);
  Tell([&](IPackageListener* listener) { listener->OnNodeRemoved(this, node); });
  return true;
}

template <class Event>
void CPackage::Tell(Event const& event) {
  tSmartPtrVector<IPackageListener> listeners;  // a listener may remove itself while told
  for (unsigned i = 0; i < m_listeners.Count(); ++i) listeners.PushBack(m_listeners[i]);
  for (unsigned i = 0; i < listeners.Count(); ++i) event(listeners[i]);
}

void CPackage::AddListener(IPackageListener* listener) {
  if (!listener) return;
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i].Get() == listener) return;
  }
  m_listeners.PushBack(tSmartPtr<IPackageListener>(listener));
}

void CPackage::RemoveListener(IPackageListener* listener) {
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i].Get() == listener) {
      m_listeners.Erase(i, 1);
      return;
    }
  }
}

unsigned CPackage::FindGuid(GUID const& id) const {
  for (unsigned i = 0; i < m_guids.Count(); ++i) {
    if (IsEqualGUID(m_guids[i].id, id)) return i;
  }
  return ~0u;
}

bool CPackage::AddGuidInfo(GuidInfo const& info) {
  if (FindGuid(info.id) != ~0u || !m_guids.PushBack(info)) return false;
  Tell([&](IPackageListener* listener) { listener->OnGuidInfoChanged(this, info.id); });
  return true;
}

bool CPackage::RemoveGuidInfo(GUID const& id) {
  unsigned at = FindGuid(id);
  if (at == ~0u) return false;
  GUID removed = id;  // `id` may be a record's own field
  m_guids.Erase(at, 1);
  Tell([&](IPackageListener* listener) { listener->OnGuidInfoChanged(this, removed); });
  return true;
}

bool CPackage::FindGuidInfo(GUID const& id, GuidInfo* out) { return GetGuidInfo(FindGuid(id), out); }

bool CPackage::GetGuidInfo(unsigned int index, GuidInfo* out) {
  if (index >= m_guids.Count()) return false;
  if (out) *out = m_guids[index];
  return true;
}

PackageNode::PackageNode(IPackageNode* node) : PackageNode(node, node ? node->GetPackage() : nullptr) {}

PackageNode::PackageNode(IPackage* package) : PackageNode(nullptr, package) {}

PackageNode::PackageNode(IPackageNode* node, IPackage* package) : m_node(node), m_package(package) {
  if (m_node) m_node->AddRef();
  if (m_package) m_package->AddRef();
}

PackageNode& PackageNode::operator=(PackageNode const& other) {
  PackageNode copy(other);
  std::swap(m_node, copy.m_node);
  std::swap(m_package, copy.m_package);
  return *this;
}

PackageNode::~PackageNode() {
  if (m_node) m_node->Release();
  if (m_package) m_package->Release();
}

IPackageEntry* PackageNode::GetEntry() const { return m_node ? m_node->GetEntry() : nullptr; }

PackageNode PackageNode::AddChild(IPackageEntry* entry) const {
  if (m_node) return m_node->AddChildNode(entry);
  if (m_package) return m_package->AddNode(entry);
  return PackageNode();
}

}  // namespace Orv
