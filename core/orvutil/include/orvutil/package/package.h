// Packages: in-memory collections of persisted objects. A package (IPackage) has a GUID, a name, a
// file path, a tree of package nodes each holding one entry (IPackageEntry), and a table of GUID
// records saying what the GUIDs used inside the package stand for.
//
// The nodes of a package are the nodes of its tree (orvutil/tree.h): each tree node carries its
// package node as attached data, so the hierarchy of package nodes is the nesting of tree nodes.
// PackageNode names a node together with the package that holds it and keeps both alive.
//
// Every package is on the process-wide list of live packages from its construction to its end (see
// orvutil/package/manager.h).
//
// Threading: a package and its entries are used by one thread at a time.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/tree.h"

namespace Orv {

struct IPackage;
struct IPackageEntry;
struct IPackageNode;
class PackageNode;

// Told of every change of an entry it was added to; not owned by the entry.
struct IPackageEntryListener {
  virtual void OnEntryChanged(IPackageEntry* entry) = 0;
};

// The stored description of one object: its name, three GUIDs (class, category, instance), its
// persisted payload and three small properties. Setters take a reference on interfaces, release the
// previous one, and then tell the listeners, the most recently added first.
struct IPackageEntry : public IUnknown {
  // A new entry with the same name, GUIDs, payload and properties.
  virtual bool Clone(IPackageEntry** out) = 0;
  virtual ISavedData* GetSavedData() = 0;  // no reference added
  virtual void SetSavedData(ISavedData* data) = 0;
  virtual tstring GetName() = 0;
  virtual void SetName(wchar_t const* name) = 0;
  virtual GUID const& GetObjectClassID() = 0;
  virtual void SetObjectClassID(GUID const& id) = 0;
  virtual GUID const& GetObjectCategoryID() = 0;
  virtual void SetObjectCategoryID(GUID const& id) = 0;
  virtual GUID const& GetInstanceID() = 0;
  virtual void SetInstanceID(GUID const& id) = 0;
  virtual unsigned __int64 GetValue64() = 0;
  virtual void SetValue64(unsigned __int64 value) = 0;
  virtual unsigned int GetValue32() = 0;
  virtual void SetValue32(unsigned int value) = 0;
  virtual IData* GetInlineData() = 0;  // no reference added
  virtual void SetInlineData(IData* data) = 0;
  // Listeners are not owned; one is kept once.
  virtual void AddListener(IPackageEntryListener* listener) = 0;
  virtual void RemoveListener(IPackageEntryListener* listener) = 0;
};

// One node of a package. Navigation answers an empty PackageNode when there is no such node.
struct IPackageNode : public IUnknown {
  virtual IPackage* GetPackage() = 0;  // no reference added; null once the node left its package
  virtual IPackageEntry* GetEntry() = 0;  // no reference added
  virtual PackageNode GetFirstChild() = 0;
  virtual PackageNode GetNextSibling() = 0;
  virtual PackageNode GetParent() = 0;
  // Adds a node for `entry` as this node's last child.
  virtual PackageNode AddChildNode(IPackageEntry* entry) = 0;
  // The tree node that carries this node (no reference added), null once it left its package.
  virtual INode* GetTreeNode() = 0;
};

// Hears of changes to a package.
struct IPackageListener : public IUnknown {
  virtual void OnGuidInfoChanged(IPackage* package, GUID const& id) = 0;
  virtual void OnNodeAdded(IPackage* package, IPackageNode* node) = 0;
  virtual void OnNodeRemoved(IPackage* package, IPackageNode* node) = 0;
};

struct IPackage : public IUnknown {
  // A GUID record: what a GUID used inside the package stands for.
  struct GuidInfo {
    enum EKind : unsigned int { eModule = 1, ePackage = 2, eClass = 3, eForeignObject = 5, eCategory = 6 };
    GUID id;
    GUID secondId;  // class: its module; foreign object: its package
    unsigned int kind;
    tstring name;
  };

  virtual GUID const& GetID() = 0;
  virtual void SetID(GUID const& id) = 0;
  // The name, or when it is empty and a path is set, the last component of the path.
  virtual tstring GetName() = 0;
  virtual void SetName(wchar_t const* name) = 0;
  virtual tstring GetPath() = 0;
  virtual void SetPath(wchar_t const* path) = 0;
  virtual PackageNode GetFirstNode() = 0;
  virtual unsigned int GetNodeCount() = 0;
  // The first node, in document order, whose entry has exactly this name (compared case-sensitively)
  // and these class and category GUIDs; GUID_NULL matches any.
  virtual PackageNode FindNode(wchar_t const* name, GUID const& classId, GUID const& categoryId) = 0;
  // The first node whose entry has this instance GUID.
  virtual PackageNode FindNodeByID(GUID const& instanceId) = 0;
  // Listeners are held with a reference, once each.
  virtual void AddListener(IPackageListener* listener) = 0;
  virtual void RemoveListener(IPackageListener* listener) = 0;
  // False, changing nothing, when a record with that GUID exists already.
  virtual bool AddGuidInfo(GuidInfo const& info) = 0;
  virtual bool RemoveGuidInfo(GUID const& id) = 0;
  virtual bool FindGuidInfo(GUID const& id, GuidInfo* out) = 0;
  virtual bool GetGuidInfo(unsigned int index, GuidInfo* out) = 0;
  virtual unsigned int GetGuidInfoCount() = 0;
  // Adds a top-level node for `entry` after the others.
  virtual PackageNode AddNode(IPackageEntry* entry) = 0;
  // Removes a node of this package with every node below it.
  virtual bool RemoveNode(IPackageNode* node) = 0;
  virtual ITree* GetTree() = 0;  // no reference added
};

// A node together with its package, both held with a reference. A PackageNode naming only a package
// stands for the package's top level (the parent of its top-level nodes); one naming neither is
// empty.
class ORV_API PackageNode {
 public:
  PackageNode() = default;
  PackageNode(IPackageNode* node);  // the package is the node's
  PackageNode(IPackage* package);   // the top level of the package
  PackageNode(IPackageNode* node, IPackage* package);
  PackageNode(PackageNode const& other) : PackageNode(other.m_node, other.m_package) {}
  PackageNode& operator=(PackageNode const& other);
  ~PackageNode();

  // Node pointers only: two PackageNodes of one node made through different packages are equal.
  bool operator==(PackageNode const& other) const { return m_node == other.m_node; }
  bool operator!=(PackageNode const& other) const { return m_node != other.m_node; }
  bool operator==(IPackageNode* node) const { return m_node == node; }
  bool operator!=(IPackageNode* node) const { return m_node != node; }
  // Empty: neither a node nor a package.
  bool operator!() const { return IsEmpty(); }
  bool IsEmpty() const { return !m_node && !m_package; }
  bool IsTopLevel() const { return !m_node && m_package; }

  IPackageNode* GetNode() const { return m_node; }
  IPackageNode* operator->() const { return m_node; }
  operator IPackageNode*() const { return m_node; }
  IPackage* GetPackage() const { return m_package; }
  PackageNode& This() { return *this; }

  // The entry of the node, or null.
  IPackageEntry* GetEntry() const;
  // Adds a node for `entry` as the last child of this node (or at the top level); empty on failure.
  PackageNode AddChild(IPackageEntry* entry) const;

 private:
  IPackageNode* m_node = nullptr;
  IPackage* m_package = nullptr;
};

// A new entry. A third GUID of GUID_NULL is replaced by a new one; a null or empty name by the
// braced text of the third GUID.
ORV_API bool CreatePackageEntry(wchar_t const* name, GUID const& classId, GUID const& categoryId,
                                GUID const& instanceId, ISavedData* savedData, IPackageEntry** out);
ORV_API bool CreatePackage(IPackage** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IPackageEntry, 0xc726cade, 0x93d2, 0x48b8, 0xa3, 0x85, 0xdd, 0xde, 0x56, 0x04, 0xea, 0xf2)
ORV_CLASS_GUID(Orv::IPackageNode, 0x30f00455, 0x2b92, 0x4c11, 0x99, 0x8f, 0xc5, 0xa8, 0x7b, 0xb9, 0x7d, 0xc2)
ORV_CLASS_GUID(Orv::IPackageListener, 0x3c1eeb77, 0xf9bf, 0x483d, 0xb3, 0x1d, 0x7a, 0x05, 0xec, 0xe2, 0x5d, 0x58)
ORV_CLASS_GUID(Orv::IPackage, 0xdacd24f9, 0x9872, 0x412b, 0x81, 0x5d, 0x0f, 0x96, 0x24, 0xbf, 0xd0, 0x2a)
