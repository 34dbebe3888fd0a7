// Object references of `obj` lists ("registration:name[:path]") and the type records that entries
// made by the compiler bring into the package.
#include "orvutil/com/module.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/package/manager.h"
#include "parser_impl.h"

namespace Orv {
namespace Detail {

namespace {

// The module that registers `clsid`, with its class record.
CModule* FindClassModule(GUID const& clsid, SModuleClassInfo const** info) {
  for (unsigned int i = 0; i < GetModuleCount(); ++i) {
    CModule* module = GetModuleByIndex(i);
    if (module && (*info = module->GetClassInfoW(clsid)) != nullptr) return module;
  }
  return nullptr;
}

bool CreatedClassOf(tstring const& registration, GUID& clsid) {
  for (unsigned int i = 0; i < GetModuleCount(); ++i) {
    CModule* module = GetModuleByIndex(i);
    SModuleObjectCreatorInfo const* info = module ? module->GetObjectCreatorInfo(registration.c_str()) : nullptr;
    if (info) {
      clsid = info->createdClass;
      return true;
    }
  }
  return false;
}

void AddRecord(IPackage* package, GUID const& id, GUID const& second, unsigned int kind, tstring const& name) {
  if (IsEqualGUID(id, GUID_NULL)) return;
  IPackage::GuidInfo info{id, second, kind, name};
  package->AddGuidInfo(info);  // an existing record stays
}

// Copies the record of `id` from one package into another.
void CopyRecord(IPackage* from, IPackage* to, GUID const& id, GUID* second) {
  IPackage::GuidInfo info;
  if (IsEqualGUID(id, GUID_NULL) || !from->FindGuidInfo(id, &info)) return;
  to->AddGuidInfo(info);
  if (second) *second = info.secondId;
}

// The node `path` ("a/b") below `node`, matched by entry names; empty when a step is missing.
PackageNode DescendPath(PackageNode node, tstring const& path) {
  tObjVector<tstring> steps = SplitString(path.c_str(), L"/\\");
  for (unsigned int i = 0; i < steps.Count() && !!node; ++i) {
    PackageNode child = node->GetFirstChild();
    while (!!child && child.GetEntry()->GetName() != steps[i]) child = child->GetNextSibling();
    node = child;
  }
  return node;
}

}  // namespace

void AddTypeRecords(IPackage* package, IPackageEntry* entry) {
  SModuleClassInfo const* info = nullptr;
  CModule* module = FindClassModule(entry->GetObjectClassID(), &info);
  if (!module) return;
  AddRecord(package, info->clsid, module->GetID(), IPackage::GuidInfo::eClass, info->name);
  SModuleCategoryInfo const* category = nullptr;
  for (unsigned int i = 0; !category && i < GetModuleCount(); ++i) {
    CModule* each = GetModuleByIndex(i);
    if (each) category = each->GetCategoryInfo(entry->GetObjectCategoryID());
  }
  AddRecord(package, entry->GetObjectCategoryID(), GUID_NULL, IPackage::GuidInfo::eCategory,
            category ? category->name : tstring());
  AddRecord(package, module->GetID(), GUID_NULL, IPackage::GuidInfo::eModule, module->GetName());
}

bool ResolveObjectReference(CPackageParser& parser, tstring const& reference, IUnknown** out) {
  size_t colon = reference.find(L':');
  if (colon == tstring::npos) return false;
  tstring rest = reference.substr(colon + 1);
  size_t second = rest.find(L':');
  tstring name = second == tstring::npos ? rest : rest.substr(0, second);
  tstring path = second == tstring::npos ? tstring() : rest.substr(second + 1);
  GUID clsid = GUID_NULL;
  SModuleClassInfo const* info = nullptr;
  IPackageManager* manager = GetPackageManager();
  if (!manager || !CreatedClassOf(reference.substr(0, colon), clsid) || !FindClassModule(clsid, &info)) return false;
  GUID category = info->category;
  PackageNode node;
  manager->FindNode(node, name.c_str(), clsid, GUID_NULL);
  if (!node) return false;
  IPackage* built = parser.GetPackage();
  if (node.GetPackage() && node.GetPackage() != built) {
    GUID module = GUID_NULL;
    CopyRecord(node.GetPackage(), built, clsid, &module);
    CopyRecord(node.GetPackage(), built, category, nullptr);
    CopyRecord(node.GetPackage(), built, module, nullptr);
  }
  if (!path.empty()) node = DescendPath(node, path);
  tSmartPtr<IClassFactory> factory;
  if (!node || FAILED(node->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(factory.Receive())))) {
    return false;
  }
  return SUCCEEDED(factory->CreateInstance(parser.GetCategoryUnkOuter(category), IID_IUnknown,
                                           reinterpret_cast<void**>(out))) &&
         *out;
}

}  // namespace Detail
}  // namespace Orv
