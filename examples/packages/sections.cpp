// orv_sections: a plug-in DLL that lets package text build trees of sections. A section keeps its
// members as text lines ("name = value, value") and saves its child sections below its own node:
//
//   import { "orv_sections.dll" }
//   new section ("manual") { string title { "Start" } new section ("install") { int steps { 3 } } }
#include <string>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace Sections {

class CSection : public Orv::CPackagePersistAsyncHelper {
 public:
  std::wstring text;
  Orv::tSmartPtrVector<Orv::IPackageNodePersist> children;

 protected:
  bool InternalLoad(Orv::IDataReader* reader, Orv::PackageNode) override {
    unsigned size = reader->GetSize();
    const unsigned char* p = reader->Read(size);
    if (!p && size) return false;
    text.assign(reinterpret_cast<const wchar_t*>(p), size / sizeof(wchar_t));
    return true;
  }
  // The members, then each child as a node below this one.
  bool InternalSave(Orv::IDataWriter* writer, Orv::PackageNode node) override {
    if (!writer->Write(text.data(), static_cast<unsigned>(text.size() * sizeof(wchar_t)))) return false;
    for (unsigned i = 0; i < children.Count(); ++i) {
      if (!children[i]->Save(node)) return false;
    }
    return true;
  }
};

class CSectionCreator : public Orv::CComBase, public Orv::IObjectCreator {
 public:
  ORV_INTERFACES(Orv::IObjectCreator)
  Orv::tSmartPtr<Orv::IObjectCreator> parent;

  bool SetName(Orv::tstring const& name) override {
    if (m_section) return false;
    Orv::CComObject<CSection>::CreateObject(nullptr, &m_section);
    if (!m_section) return false;
    m_section->SetName(name.c_str());
    return true;
  }
  bool Complete(Orv::IPackageParser*) override {
    if (!m_section) return false;
    if (!parent) return true;
    static_cast<CSectionCreator*>(parent.Get())->m_section->children.PushBack(
        Orv::tSmartPtr<Orv::IPackageNodePersist>(m_section));
    return true;
  }
  bool SetObjectValues(Orv::tstring const& member, IUnknown* const* values, unsigned count) override {
    return Add(member, count, [&](unsigned i) { return Orv::tstring(L"object ") + NameOf(values[i]); });
  }
  bool SetStringValues(Orv::tstring const& member, Orv::tstring const* values, unsigned count) override {
    return Add(member, count, [&](unsigned i) { return Orv::tstring(L"\"") + values[i] + L"\""; });
  }
  bool SetFloatValues(Orv::tstring const& member, float const* values, unsigned count) override {
    return Add(member, count, [&](unsigned i) { return Orv::tstring(std::to_wstring(values[i]).c_str()); });
  }
  bool SetIntValues(Orv::tstring const& member, int const* values, unsigned count) override {
    return Add(member, count, [&](unsigned i) { return Orv::tstring(std::to_wstring(values[i]).c_str()); });
  }
  bool CreateChild(Orv::tstring const& className, Orv::IObjectCreator** out) override {
    if (className != L"section") return false;
    CSectionCreator* child = nullptr;
    Orv::CComObject<CSectionCreator>::CreateObject(nullptr, &child);
    if (!child) return false;
    child->parent = this;
    *out = child;
    return true;
  }
  IUnknown* GetObject(unsigned index) override {
    return index == 0 && m_section ? static_cast<Orv::IPackageNodePersist*>(m_section) : nullptr;
  }
  ~CSectionCreator() override {
    if (m_section) static_cast<Orv::IPackageNodePersist*>(m_section)->Release();
  }

 private:
  static Orv::tstring NameOf(IUnknown* object) {
    Orv::tSmartPtr<Orv::IPackageNodePersist> persist;
    if (!object || FAILED(object->QueryInterface(__uuidof(Orv::IPackageNodePersist),
                                                 reinterpret_cast<void**>(persist.Receive())))) {
      return Orv::tstring(L"?");
    }
    return persist->GetName();
  }
  template <class F>
  bool Add(Orv::tstring const& member, unsigned count, F value) {
    if (!m_section) return false;
    std::wstring& text = m_section->text;
    text += std::wstring(member.c_str()) + L" =";
    for (unsigned i = 0; i < count; ++i) text += std::wstring(i ? L", " : L" ") + value(i).c_str();
    text += L"\n";
    return true;
  }
  CSection* m_section = nullptr;
};

}  // namespace Sections

ORV_CLASS_GUID(Sections::CSection, 0x2d4f9e60, 0x7a1c, 0x4b8e, 0x9f, 0x02, 0x3e, 0x55, 0x6a, 0x71, 0x80, 0x01)
ORV_CLASS_GUID(Sections::CSectionCreator, 0x2d4f9e60, 0x7a1c, 0x4b8e, 0x9f, 0x02, 0x3e, 0x55, 0x6a, 0x71, 0x80, 0x02)

namespace {

const GUID kSectionCategory = {0x2d4f9e60, 0x7a1c, 0x4b8e, {0x9f, 0x02, 0x3e, 0x55, 0x6a, 0x71, 0x80, 0x03}};

Orv::StaticModuleCategoryInfo s_category(Orv::GetThisModule(), kSectionCategory, L"Sections", nullptr);
Orv::StaticModuleClassInfo s_section(Orv::GetThisModule(), __uuidof(Sections::CSection), kSectionCategory, GUID_NULL,
                                     L"Section", Orv::CComObject<Sections::CSection>::CreateInstance);
Orv::StaticModuleClassInfo s_creator(Orv::GetThisModule(), __uuidof(Sections::CSectionCreator), GUID_NULL, GUID_NULL,
                                     L"Section Creator", Orv::CComObject<Sections::CSectionCreator>::CreateInstance);
Orv::StaticModuleObjectCreatorInfo s_name(Orv::GetThisModule(), L"section", __uuidof(Sections::CSectionCreator),
                                          __uuidof(Sections::CSection));

}  // namespace

ORV_PLUGIN_ENTRY_POINTS()
