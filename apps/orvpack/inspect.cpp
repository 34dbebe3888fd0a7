// orvpack dump, id and extract: reading a binary package file.
#include "commands.h"
#include "console.h"

namespace OrvPack {

namespace {

// The package in the file; the file stays open while the package lives.
bool Open(std::wstring const& path, Orv::tSmartPtr<Orv::IPackage>& package) {
  Orv::tSmartPtr<Orv::IDataFile> file;
  Orv::tSmartPtr<Orv::IDataReader> reader;
  return Orv::FileExists(path.c_str()) && Orv::CreateDataFile(path.c_str(), false, file.Receive()) &&
         Orv::CreateDataReader(file, 0, reader.Receive()) && Orv::LoadPackage(reader, package.Receive());
}

std::wstring Guid(GUID const& id) { return Text(Orv::StringFromGUID(id)); }

std::wstring Size(unsigned value) { return std::to_wstring(value); }

std::wstring KindName(unsigned kind) {
  switch (kind) {
    case Orv::IPackage::GuidInfo::eModule: return L"module";
    case Orv::IPackage::GuidInfo::ePackage: return L"package";
    case Orv::IPackage::GuidInfo::eClass: return L"class";
    case Orv::IPackage::GuidInfo::eForeignObject: return L"foreign-object";
    case Orv::IPackage::GuidInfo::eCategory: return L"category";
    default: return L"kind-" + std::to_wstring(kind);
  }
}

void DumpEntry(Orv::IPackageEntry* entry, std::wstring const& indent) {
  Orv::ISavedData* saved = entry->GetSavedData();
  Orv::IData* inlineData = entry->GetInlineData();
  std::wstring payload = saved ? Size(saved->GetSavedSize()) + L"/" + Size(saved->GetLoadedSize()) +
                                     (saved->IsCompressed() ? L" compressed" : L" plain")
                               : L"none";
  Out(indent + L"\"" + Text(entry->GetName()) + L"\" class " + Guid(entry->GetObjectClassID()) + L" category " +
      Guid(entry->GetObjectCategoryID()) + L" instance " + Guid(entry->GetInstanceID()));
  Out(indent + L"  value64 " + std::to_wstring(entry->GetValue64()) + L" value32 " +
      std::to_wstring(entry->GetValue32()) + L" inline " + Size(inlineData ? inlineData->GetSize() : 0) +
      L" payload " + payload);
}

void DumpNodes(Orv::PackageNode node, std::wstring const& indent) {
  for (; !!node; node = node->GetNextSibling()) {
    DumpEntry(node.GetEntry(), indent);
    DumpNodes(node->GetFirstChild(), indent + L"  ");
  }
}

int Usage(wchar_t const* text) {
  Fail(std::wstring(L"usage: orvpack ") + text);
  return eExitUsage;
}

}  // namespace

int Dump(Args const& args) {
  if (args.size() != 1) return Usage(L"dump FILE.pak");
  Orv::tSmartPtr<Orv::IPackage> package;
  if (!Open(args[0], package)) return Fail(L"cannot read a package from " + args[0]);
  Out(L"package \"" + Text(package->GetName()) + L"\" " + Guid(package->GetID()));
  Out(L"nodes " + std::to_wstring(package->GetNodeCount()));
  DumpNodes(package->GetFirstNode(), L"  ");
  Out(L"guid records " + std::to_wstring(package->GetGuidInfoCount()));
  Orv::IPackage::GuidInfo info;
  for (unsigned i = 0; package->GetGuidInfo(i, &info); ++i) {
    Out(L"  " + Guid(info.id) + L" " + KindName(info.kind) + L" \"" + Text(info.name) + L"\" " + Guid(info.secondId));
  }
  return eExitOk;
}

int Id(Args const& args) {
  if (args.size() != 1) return Usage(L"id FILE.pak");
  GUID id = Orv::GetPackageID(args[0].c_str());
  if (IsEqualGUID(id, GUID_NULL)) return Fail(L"no package header in " + args[0]);
  Out(Guid(id));
  return eExitOk;
}

int Extract(Args const& args) {
  if (args.size() != 4 || args[2] != L"-o") return Usage(L"extract FILE.pak NODE -o OUT");
  Orv::tSmartPtr<Orv::IPackage> package;
  if (!Open(args[0], package)) return Fail(L"cannot read a package from " + args[0]);
  Orv::PackageNode node = package->FindNode(args[1].c_str(), Orv::GetPackageByteDataClassID(), GUID_NULL);
  Orv::tSmartPtr<IClassFactory> factory;
  Orv::tSmartPtr<Orv::IPackageByteData> bytes;
  if (!node || FAILED(node->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()))) ||
      FAILED(factory->CreateInstance(nullptr, __uuidof(Orv::IPackageByteData), reinterpret_cast<void**>(bytes.Receive())))) {
    return Fail(L"no byte data named \"" + args[1] + L"\" in " + args[0]);
  }
  Orv::IData* data = bytes->GetData();
  bool ok = Orv::ReplaceFileContents(args[3].c_str(), data ? data->GetPointer() : nullptr, data ? data->GetSize() : 0);
  return ok ? eExitOk : Fail(L"cannot write " + args[3]);
}

}  // namespace OrvPack
