// Dictionaries in package nodes, with Object values as references to the nodes of their objects.
#include "orvutil/package/dict_node.h"

#include "orvutil/data/encodings.h"
#include "orvutil/package/persist.h"

namespace Orv {

namespace {

// Objects of dictionaries loaded inside one another, on this thread: a bound on nesting, so that
// dictionaries whose objects refer to each other cannot recurse without end.
thread_local unsigned t_loadDepth = 0;
constexpr unsigned kMaxLoadDepth = 32;

class CNodeObjects : public Detail::IDictObjects {
 public:
  explicit CNodeObjects(IPackage* package) : m_package(package) {}

  bool WriteObject(IUnknown* object, GUID& id) override {
    tSmartPtr<IPackageNodePersist> persist;
    if (!m_package ||
        FAILED(object->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()))))
      return false;
    PackageNode node = persist->GetOriginalNode();
    if (!node.GetEntry() || node.GetPackage() != m_package) node = persist->Save(PackageNode(m_package));
    if (!node.GetEntry()) return false;
    id = node.GetEntry()->GetInstanceID();
    return true;
  }

  bool ReadObject(GUID const& id, tSmartPtr<IUnknown>& object) override {
    PackageNode node = m_package ? m_package->FindNodeByID(id) : PackageNode();
    tSmartPtr<IClassFactory> factory;
    if (!node.GetNode() || t_loadDepth >= kMaxLoadDepth ||
        FAILED(node->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()))))
      return false;
    ++t_loadDepth;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.Receive()));
    --t_loadDepth;
    return SUCCEEDED(hr);
  }

 private:
  IPackage* m_package;
};

}  // namespace

PackageNode SaveDict(PackageNode parent, GUID const& id, const CDict& dict, bool withParents) {
  if (!parent) return PackageNode();
  CNodeObjects objects(parent.GetPackage());
  tSmartPtr<IDataVector> vector;
  tSmartPtr<IDataWriter> writer;
  tSmartPtr<ISavedData> saved;
  tSmartPtr<IPackageEntry> entry;
  if (!CreateDataWriter(vector.Receive(), writer.Receive()) || !Detail::WriteDict(dict, withParents, writer, &objects) ||
      !CreateLoadedDataFromMemory(vector, true, saved.Receive()) ||
      !CreatePackageEntry(L"CDict", GUID_NULL, GetCategoryDict(), id, saved, entry.Receive()))
    return PackageNode();
  return parent.AddChild(entry);
}

bool LoadDict(PackageNode node, CDict& dict) {
  IPackageEntry* entry = node.GetEntry();
  ISavedData* saved = entry ? entry->GetSavedData() : nullptr;
  IData* loaded = saved ? saved->Load() : nullptr;
  tSmartPtr<IDataReader> reader;
  CNodeObjects objects(node.GetPackage());
  return loaded && CreateDataReader(loaded, 0, reader.Receive()) && Detail::ReadDict(reader, dict, &objects);
}

}  // namespace Orv
