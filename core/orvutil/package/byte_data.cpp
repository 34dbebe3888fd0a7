// CPackageByteData, its package-text creator CPackageByteDataCreator, and their registrations with
// the library's module.
#include "orvutil/com/comobject.h"
#include "orvutil/com/module.h"
#include "orvutil/data/encodings.h"
#include "orvutil/package/byte_data.h"
#include "orvutil/package/parser.h"

namespace Orv {

class CPackageByteData : public CPackagePersistAsyncHelper, public IPackageByteData {
 public:
  ORV_INTERFACES(IPackageByteData, IPackageNodePersist, IAsyncDataListener)

  IData* GetData() override {
    Wait();
    return m_data;
  }
  void SetData(IData* data) override { m_data = data; }

 protected:
  bool InternalLoad(IDataReader* reader, PackageNode) override {
    unsigned int format = 1, size = 0;
    if (!LoadBytes(reader, &format, 4) || format != 0 || !LoadBytes(reader, &size, 4)) return false;
    tSmartPtr<IData> data;
    if (size != 0 && !LoadBytes(reader, size, data.Receive())) return false;
    m_data = data;
    return true;
  }
  bool InternalSave(IDataWriter* writer, PackageNode) override {
    unsigned int header[2] = {0, m_data ? m_data->GetSize() : 0};
    unsigned int size = header[1];
    return SaveBytes(writer, header, sizeof(header)) && (size == 0 || SaveBytes(writer, m_data.Get()));
  }
  GUID InternalGetCategory() override { return GetPackageByteDataCategory(); }

 private:
  tSmartPtr<IData> m_data;
};

class CPackageByteDataCreator : public CComBase, public IObjectCreator {
 public:
  ORV_INTERFACES(IObjectCreator)

  bool SetName(tstring const&) override { return true; }
  bool Complete(IPackageParser* parser) override {
    if (m_object || !parser || !CreatePackageByteData(m_object.Receive())) return false;
    tstring path = parser->FindImportFile(m_file);
    tSmartPtr<IData> data;
    if (path.empty() || !ReadWholeFile(path.c_str(), data.Receive())) return false;
    m_object->SetData(data);
    return true;
  }
  bool SetObjectValues(tstring const&, IUnknown* const*, unsigned int) override { return false; }
  bool SetStringValues(tstring const& member, tstring const* values, unsigned int count) override {
    if (member != L"file" || count != 1 || !values) return false;
    m_file = values[0];
    return true;
  }
  bool SetFloatValues(tstring const&, float const*, unsigned int) override { return false; }
  bool SetIntValues(tstring const&, int const*, unsigned int) override { return false; }
  bool CreateChild(tstring const&, IObjectCreator**) override { return false; }
  IUnknown* GetObject(unsigned int index) override { return index == 0 ? m_object.Get() : nullptr; }

 private:
  tSmartPtr<IPackageByteData> m_object;
  tstring m_file;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CPackageByteData, 0x1f6a8d21, 0x4c5b, 0x4e7f, 0xa9, 0x31, 0x0d, 0x82, 0x6e, 0x57, 0xb4, 0x13)
ORV_CLASS_GUID(Orv::CPackageByteDataCreator, 0x1f6a8d22, 0x4c5b, 0x4e7f, 0xa9, 0x31, 0x0d, 0x82, 0x6e, 0x57, 0xb4,
               0x13)

namespace Orv {

namespace {

const GUID kByteDataCategory = {0x1f6a8d23, 0x4c5b, 0x4e7f, {0xa9, 0x31, 0x0d, 0x82, 0x6e, 0x57, 0xb4, 0x13}};

StaticModuleClassInfo s_byteData(GetOrvutilModule(), __uuidof(CPackageByteData), GUID_NULL, GUID_NULL,
                                 L"Package Byte Data", CComObject<CPackageByteData>::CreateInstance);
StaticModuleClassInfo s_byteDataCreator(GetOrvutilModule(), __uuidof(CPackageByteDataCreator), GUID_NULL, GUID_NULL,
                                        L"Package Byte Data Creator",
                                        CComObject<CPackageByteDataCreator>::CreateInstance);
StaticModuleCategoryInfo s_byteDataCategory(GetOrvutilModule(), kByteDataCategory, L"Package Byte Data", nullptr);
StaticModuleObjectCreatorInfo s_bytes(GetOrvutilModule(), L"bytes", __uuidof(CPackageByteDataCreator),
                                      __uuidof(CPackageByteData));

}  // namespace

GUID const& GetPackageByteDataClassID() { return __uuidof(CPackageByteData); }
GUID const& GetPackageByteDataCreatorClassID() { return __uuidof(CPackageByteDataCreator); }
GUID const& GetPackageByteDataCategory() { return kByteDataCategory; }

bool CreatePackageByteData(IPackageByteData** out) {
  if (!out) return false;
  *out = nullptr;
  return SUCCEEDED(CComObject<CPackageByteData>::CreateInstance(nullptr, __uuidof(CPackageByteData),
                                                               __uuidof(IPackageByteData),
                                                               reinterpret_cast<void**>(out))) &&
         *out;
}

}  // namespace Orv
