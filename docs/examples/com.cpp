// Component model: an interface, a class implementing it, registered with the program's module and
// created by class GUID through the library, then asked what it is.
#include <cstdio>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

// An interface: pure virtual methods on IUnknown, with a GUID.
struct ICounter : public IUnknown {
  virtual long Increment() = 0;
};
ORV_CLASS_GUID(ICounter, 0x81d3a6e0, 0x4b2f, 0x4c59, 0x9e, 0x71, 0x0a, 0x3b, 0x6c, 0x5d, 0x2e, 0x18)

namespace {

// The implementation: CComBase gives a thread-safe count, ORV_INTERFACES lists what QueryInterface answers.
class CCounter : public Orv::CComBase, public ICounter {
 public:
  ORV_INTERFACES(ICounter)
  long Increment() override { return ::InterlockedIncrement(&m_value); }

 private:
  volatile LONG m_value = 0;
};

}  // namespace

ORV_CLASS_GUID(CCounter, 0x81d3a6e1, 0x4b2f, 0x4c59, 0x9e, 0x71, 0x0a, 0x3b, 0x6c, 0x5d, 0x2e, 0x18)

namespace {

// Registered while the program loads; the module applies it at start-up.
Orv::StaticModuleClassInfo s_counter(Orv::GetThisModule(), __uuidof(CCounter), GUID_NULL, GUID_NULL, L"Counter",
                                     Orv::CComObject<CCounter>::CreateInstance);

}  // namespace

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  if (!init.Success()) return 1;

  // By class GUID: the modules are asked first, then the loaded plug-ins.
  Orv::tSmartPtr<ICounter> counter;
  HRESULT hr = Orv::GetComModules()->CreateInstance(nullptr, __uuidof(CCounter), __uuidof(ICounter),
                                                    reinterpret_cast<void**>(counter.Receive()));
  if (FAILED(hr)) return 1;
  counter->Increment();
  std::printf("counter at %ld\n", counter->Increment());

  // Every library object also answers IComObject: its class name and module.
  Orv::tSmartPtr<Orv::IComObject> object;
  if (FAILED(counter->QueryInterface(__uuidof(Orv::IComObject), reinterpret_cast<void**>(object.Receive())))) return 1;
  std::printf("class %ls of module %ls\n", object->GetClassName().c_str(), object->GetModule()->GetName().c_str());

  // Failures are HRESULTs: an unknown class is CLASS_E_CLASSNOTAVAILABLE, and *ppv stays null.
  const GUID kUnknown = {0x81d3a6e2, 0x4b2f, 0x4c59, {0x9e, 0x71, 0x0a, 0x3b, 0x6c, 0x5d, 0x2e, 0x18}};
  Orv::tSmartPtr<ICounter> none;
  hr = Orv::GetComModules()->CreateInstance(nullptr, kUnknown, __uuidof(ICounter), reinterpret_cast<void**>(none.Receive()));
  std::printf("unknown class: 0x%08lx\n", static_cast<unsigned long>(hr));
  return hr == CLASS_E_CLASSNOTAVAILABLE && !none ? 0 : 1;
}
