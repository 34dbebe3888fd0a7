// orvpack dump, id and extract: reading a binary package file.
#include "commands.h"
#include "console.h"
#include "package_file.h"

namespace OrvPack {

namespace {

using OrvApps::GuidKindName;
using OrvApps::GuidText;

void DumpEntry(Orv::IPackageEntry* entry, std::wstring const& indent) {
  Orv::IData* inlineData = entry->GetInlineData();
  Out(indent + L"\"" + Text(entry->GetName()) + L"\" class " + GuidText(entry->GetObjectClassID()) + L" category " +
      GuidText(entry->GetObjectCategoryID()) + L" instance " + GuidText(entry->GetInstanceID()));
  Out(indent + L"  value64 " + std::to_wstring(entry->GetValue64()) + L" value32 " +
      std::to_wstring(entry->GetValue32()) + L" inline " + std::to_wstring(inlineData ? inlineData->GetSize() : 0) +
      L" payload " + OrvApps::PayloadText(entry->GetSavedData()));
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
  if (!OrvApps::OpenPackageFile(args[0], package)) return Fail(L"cannot read a package from " + args[0]);
  Out(L"package \"" + Text(package->GetName()) + L"\" " + GuidText(package->GetID()));
  Out(L"nodes " + std::to_wstring(package->GetNodeCount()));
  DumpNodes(package->GetFirstNode(), L"  ");
  Out(L"guid records " + std::to_wstring(package->GetGuidInfoCount()));
  Orv::IPackage::GuidInfo info;
  for (unsigned i = 0; package->GetGuidInfo(i, &info); ++i) {
    Out(L"  " + GuidText(info.id) + L" " + GuidKindName(info.kind) + L" \"" + Text(info.name) + L"\" " +
        GuidText(info.secondId));
  }
  return eExitOk;
}

int Id(Args const& args) {
  if (args.size() != 1) return Usage(L"id FILE.pak");
  GUID id = Orv::GetPackageID(args[0].c_str());
  if (IsEqualGUID(id, GUID_NULL)) return Fail(L"no package header in " + args[0]);
  Out(GuidText(id));
  return eExitOk;
}

int Extract(Args const& args) {
  if (args.size() != 4 || args[2] != L"-o") return Usage(L"extract FILE.pak NODE -o OUT");
  Orv::tSmartPtr<Orv::IPackage> package;
  if (!OrvApps::OpenPackageFile(args[0], package)) return Fail(L"cannot read a package from " + args[0]);
  Orv::PackageNode node = package->FindNode(args[1].c_str(), Orv::GetPackageByteDataClassID(), GUID_NULL);
  Orv::tSmartPtr<Orv::IPackageByteData> bytes;
  if (!node || !OrvApps::LoadByteData(node, bytes)) {
    return Fail(L"no byte data named \"" + args[1] + L"\" in " + args[0]);
  }
  Orv::IData* data = bytes->GetData();
  bool ok = Orv::ReplaceFileContents(args[3].c_str(), data ? data->GetPointer() : nullptr, data ? data->GetSize() : 0);
  return ok ? eExitOk : Fail(L"cannot write " + args[3]);
}

}  // namespace OrvPack
