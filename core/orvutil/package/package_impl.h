// The package and package-node classes behind orvutil/package/package.h.
#pragma once

#include "orvutil/com/comobject.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/package/package.h"

namespace Orv {

class CPackage;

// A package node: the entry of one tree node of a package. The tree node holds it as its data.
class CPackageNode : public CComBase, public IPackageNode, public INodeData, public IClassFactory {
 public:
  ORV_INTERFACES(IPackageNode, INodeData, IClassFactory)

  static CPackageNode* FromTreeNode(INode* node);
  void Init(IPackageEntry* entry, CPackage* package) {
    m_entry = entry;
    m_package = package;
  }

  IPackage* GetPackage() override;
  IPackageEntry* GetEntry() override { return m_entry; }
  PackageNode GetFirstChild() override;
  PackageNode GetNextSibling() override;
  PackageNode GetParent() override;
  PackageNode AddChildNode(IPackageEntry* entry) override;
  INode* GetTreeNode() override { return m_node; }

  // A copy of the node with a copy of its entry, for cloned tree nodes.
  bool CloneNodeData(IUnknown** out) override;
  void OnNodeTreeChanged(ITree* tree) override;
  void SetNode(INode* node) override { m_node = node; }

  // Creates the object the entry describes and loads it from this node.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  PackageNode Wrap(INode* node);

  tSmartPtr<IPackageEntry> m_entry;
  CPackage* m_package = nullptr;  // not counted: the package owns the tree that holds this node
  INode* m_node = nullptr;        // not counted: the tree node holds this object
};

class CPackage : public CComBase, public IPackage {
 public:
  ORV_INTERFACES(IPackage)

  long _Construct(IUnknown* outer) override;
  void _Destruct() override;
  // The last reference leaves the live list under the list's lock, before the count reaches zero,
  // so that no look-up can take a reference to a package that is ending.
  unsigned long _Release();

  GUID const& GetID() override { return m_id; }
  void SetID(GUID const& id) override { m_id = id; }
  tstring GetName() override;
  void SetName(wchar_t const* name) override { m_name = name ? name : L""; }
  tstring GetPath() override { return m_path; }
  void SetPath(wchar_t const* path) override { m_path = path ? path : L""; }
  PackageNode GetFirstNode() override;
  unsigned int GetNodeCount() override { return m_tree->GetNodeCount(); }
  PackageNode FindNode(wchar_t const* name, GUID const& classId, GUID const& categoryId) override;
  PackageNode FindNodeByID(GUID const& instanceId) override;
  void AddListener(IPackageListener* listener) override;
  void RemoveListener(IPackageListener* listener) override;
  bool AddGuidInfo(GuidInfo const& info) override;
  bool RemoveGuidInfo(GUID const& id) override;
  bool FindGuidInfo(GUID const& id, GuidInfo* out) override;
  bool GetGuidInfo(unsigned int index, GuidInfo* out) override;
  unsigned int GetGuidInfoCount() override { return m_guids.Count(); }
  PackageNode AddNode(IPackageEntry* entry) override { return AddNodeUnder(nullptr, entry); }
  bool RemoveNode(IPackageNode* node) override;
  ITree* GetTree() override { return m_tree; }

  // Adds a node for `entry` as the last child of `parent` (null: the top level).
  PackageNode AddNodeUnder(INode* parent, IPackageEntry* entry);

 private:
  template <class Event>
  void Tell(Event const& event);
  unsigned FindGuid(GUID const& id) const;
  template <class Match>
  PackageNode FindFirst(Match const& match);

  GUID m_id = GUID_NULL;
  tstring m_name;
  tstring m_path;
  tSmartPtr<ITree> m_tree;
  tObjVector<GuidInfo> m_guids;
  tSmartPtrVector<IPackageListener> m_listeners;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CPackageNode, 0x4be38ecb, 0xb752, 0x439a, 0xb9, 0x4c, 0xbb, 0xff, 0x7d, 0x22, 0x2e, 0x38)
ORV_CLASS_GUID(Orv::CPackage, 0x6c29dcc9, 0xb348, 0x418a, 0x8e, 0xcd, 0x3a, 0x92, 0x75, 0x63, 0xe4, 0xaa)
