// Opening package files and describing what is in them, for the command-line and window programs.
#include "package_file.h"

namespace OrvApps {

std::wstring Text(Orv::tstring const& text) {
  return std::wstring(text.c_str(), text.size());
}

bool OpenPackageFile(std::wstring const& path, Orv::tSmartPtr<Orv::IPackage>& package) {
  Orv::tSmartPtr<Orv::IDataFile> file;
  Orv::tSmartPtr<Orv::IDataReader> reader;
  return Orv::FileExists(path.c_str()) && Orv::CreateDataFile(path.c_str(), false, file.Receive()) &&
         Orv::CreateDataReader(file, 0, reader.Receive()) && Orv::LoadPackage(reader, package.Receive());
}

std::wstring GuidText(GUID const& id) {
  return Text(Orv::StringFromGUID(id));
}

std::wstring GuidKindName(unsigned kind) {
  switch (kind) {
    case Orv::IPackage::GuidInfo::eModule:
      return L"module";
    case Orv::IPackage::GuidInfo::ePackage:
      return L"package";
    case Orv::IPackage::GuidInfo::eClass:
      return L"class";
    case Orv::IPackage::GuidInfo::eForeignObject:
      return L"foreign-object";
    case Orv::IPackage::GuidInfo::eCategory:
      return L"category";
    default:
      return L"kind-" + std::to_wstring(kind);
  }
}

std::wstring PayloadText(Orv::ISavedData* saved) {
  if (!saved) return L"none";
  return std::to_wstring(saved->GetSavedSize()) + L"/" + std::to_wstring(saved->GetLoadedSize()) +
         (saved->IsCompressed() ? L" compressed" : L" plain");
}

bool LoadByteData(Orv::PackageNode const& node, Orv::tSmartPtr<Orv::IPackageByteData>& bytes) {
  Orv::IPackageEntry* entry = node.GetEntry();
  Orv::tSmartPtr<IClassFactory> factory;
  return entry && IsEqualGUID(entry->GetObjectClassID(), Orv::GetPackageByteDataClassID()) &&
         SUCCEEDED(node->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()))) &&
         SUCCEEDED(factory->CreateInstance(nullptr, __uuidof(Orv::IPackageByteData),
                                           reinterpret_cast<void**>(bytes.Receive())));
}

}  // namespace OrvApps
