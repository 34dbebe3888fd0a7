// greetings.dll: a plug-in built on orvutil. It brings a persistent class, CGreeting, and lets
// package text create greetings:
//
//   new greeting ("welcome") { string text { "Hello" } int times { 2 } }
#include <cstring>

#include "greeting_api.h"
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace Greetings {

// The payload: the repeat count (4 bytes), then the text in UTF-16.
class CGreeting : public Orv::CPackagePersistAsyncHelper, public IGreeting {
 public:
  ORV_INTERFACES(IGreeting, Orv::IPackageNodePersist, Orv::IAsyncDataListener)

  Orv::tstring GetText() override { return m_text; }
  int GetTimes() override { return m_times; }
  void Set(Orv::tstring const& text, int times) {
    m_text = text;
    m_times = times;
  }

 protected:
  bool InternalLoad(Orv::IDataReader* reader, Orv::PackageNode) override {
    unsigned size = reader->GetSize();
    const unsigned char* p = size >= sizeof(int) ? reader->Read(size) : nullptr;
    if (!p || (size - sizeof(int)) % sizeof(wchar_t) != 0) return false;
    std::memcpy(&m_times, p, sizeof(int));
    m_text.assign(reinterpret_cast<const wchar_t*>(p + sizeof(int)), (size - sizeof(int)) / sizeof(wchar_t));
    return true;
  }
  bool InternalSave(Orv::IDataWriter* writer, Orv::PackageNode) override {
    return writer->Write(&m_times, sizeof(int)) &&
           writer->Write(m_text.c_str(), static_cast<unsigned>(m_text.size() * sizeof(wchar_t)));
  }

 private:
  Orv::tstring m_text;
  int m_times = 1;
};

// Driven by the package compiler for each `new greeting`: takes `string text` and `int times`.
class CGreetingCreator : public Orv::CComBase, public Orv::IObjectCreator {
 public:
  ORV_INTERFACES(Orv::IObjectCreator)

  ~CGreetingCreator() override {
    if (m_greeting) m_greeting->_GetUnknown()->Release();
  }
  bool SetName(Orv::tstring const& name) override {
    if (m_greeting || FAILED(Orv::CComObject<CGreeting>::CreateObject(nullptr, &m_greeting))) return false;
    m_greeting->SetName(name.c_str());
    return true;
  }
  bool Complete(Orv::IPackageParser* parser) override {
    if (!m_greeting || m_text.empty()) {
      parser->AddError(L"a greeting needs a text");
      return false;
    }
    m_greeting->Set(m_text, m_times);
    return true;
  }
  bool SetStringValues(Orv::tstring const& member, Orv::tstring const* values, unsigned count) override {
    if (member != L"text" || count != 1) return false;
    m_text = values[0];
    return true;
  }
  bool SetIntValues(Orv::tstring const& member, int const* values, unsigned count) override {
    if (member != L"times" || count != 1 || values[0] < 1) return false;
    m_times = values[0];
    return true;
  }
  bool SetObjectValues(Orv::tstring const&, IUnknown* const*, unsigned) override { return false; }
  bool SetFloatValues(Orv::tstring const&, float const*, unsigned) override { return false; }
  bool CreateChild(Orv::tstring const&, Orv::IObjectCreator**) override { return false; }
  IUnknown* GetObject(unsigned index) override {
    return index == 0 && m_greeting ? static_cast<Orv::IPackageNodePersist*>(m_greeting) : nullptr;
  }

 private:
  CGreeting* m_greeting = nullptr;
  Orv::tstring m_text;
  int m_times = 1;
};

}  // namespace Greetings

ORV_CLASS_GUID(Greetings::CGreeting, 0x7a3e51c1, 0x2b9d, 0x4c17, 0x8e, 0x64, 0x1f, 0x0a, 0x93, 0x5d, 0x2c, 0x41)
ORV_CLASS_GUID(Greetings::CGreetingCreator, 0x7a3e51c2, 0x2b9d, 0x4c17, 0x8e, 0x64, 0x1f, 0x0a, 0x93, 0x5d, 0x2c, 0x41)

namespace {

using Greetings::CGreeting;
using Greetings::CGreetingCreator;

Orv::StaticModuleClassInfo s_greeting(Orv::GetThisModule(), __uuidof(CGreeting), GUID_NULL, GUID_NULL, L"Greeting",
                                      Orv::CComObject<CGreeting>::CreateInstance);
Orv::StaticModuleClassInfo s_creator(Orv::GetThisModule(), __uuidof(CGreetingCreator), GUID_NULL, GUID_NULL,
                                     L"Greeting Creator", Orv::CComObject<CGreetingCreator>::CreateInstance);
Orv::StaticModuleObjectCreatorInfo s_name(Orv::GetThisModule(), L"greeting", __uuidof(CGreetingCreator),
                                          __uuidof(CGreeting));

}  // namespace

ORV_PLUGIN_ENTRY_POINTS()
