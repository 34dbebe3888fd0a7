// The library's DLL entry points, called through orvutil.dll's exports: unload answers while objects
// or server locks live, registration results; and the singleton class factory's instance lifetime.
#include <gtest/gtest.h>

#include <olectl.h>

#include "orvutil/com.h"
#include "plugin/plugin_api.h"
#include "test_objects.h"

namespace {

using ComTest::CCounter;
using PluginApi::GetProc;

template <class F = HRESULT(STDAPICALLTYPE*)()>
F LibraryEntry(char const* name) {
  return GetProc<F>(Orv::GetOrvutilInstance(), name);
}

int g_creations = 0;

long __cdecl CountingCreator(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv) {
  ++g_creations;
  return Orv::CComObject<CCounter>::CreateInstance(outer, clsid, iid, ppv);
}

// The library cannot unload while one of its objects (a factory of orvutil.dll itself) lives or a
// server lock outlives its factory. Registration is refused and the library serves no class.
TEST(LibraryEntryPoints, UnloadRegistrationAndLookupResults) {
  Orv::CModule& library = Orv::GetOrvutilModule();
  long const before = library.GetObjectCount();
  auto canUnload = LibraryEntry("DllCanUnloadNow");
  ASSERT_NE(nullptr, canUnload);
  for (BOOL lock : {TRUE, FALSE}) {
    IClassFactory* factory = nullptr;
    ASSERT_TRUE(Orv::CreateClassFactory(__uuidof(CCounter), &library, &CountingCreator, &factory));
    EXPECT_EQ(before + (lock ? 1 : 2), library.GetObjectCount());  // the second round: the first's lock too
    EXPECT_EQ(S_FALSE, canUnload());
    EXPECT_EQ(S_OK, factory->LockServer(lock));
    factory->Release();
    EXPECT_EQ(lock ? before + 1 : before, library.GetObjectCount());
  }
  EXPECT_EQ(SELFREG_E_CLASS, LibraryEntry("DllRegisterServer")());
  EXPECT_EQ(S_FALSE, LibraryEntry("DllUnregisterServer")());
  void* out = nullptr;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, LibraryEntry<decltype(&DllGetClassObject)>("DllGetClassObject")(
                                           __uuidof(CCounter), IID_IClassFactory, &out));
  EXPECT_EQ(&library, &LibraryEntry<Orv::CModule& (*)()>("DllGetModule")());
}

// Creates through `factory` and returns the object's identity (one reference held by the caller).
IUnknown* Create(IClassFactory* factory) {
  IUnknown* object = nullptr;
  EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
  return object;
}

// The factory holds no reference: the instance ends with its clients' last release, and the next
// client gets a new one.
TEST(ClassFactories, SingletonIsSharedWhileHeldAndRenewedAfterItEnds) {
  IClassFactory* factory = nullptr;
  ASSERT_TRUE(Orv::CreateSingletonClassFactory(__uuidof(CCounter), &Orv::GetThisModule(), &CountingCreator, &factory));
  g_creations = CCounter::s_destructs = 0;
  for (int round = 1; round <= 2; ++round) {
    IUnknown* first = Create(factory);
    IUnknown* again = Create(factory);
    EXPECT_TRUE(first == again && g_creations == round) << round;
    first->Release();
    EXPECT_EQ(round - 1, CCounter::s_destructs);
    again->Release();
    EXPECT_EQ(round, CCounter::s_destructs);
  }
  factory->Release();
}

}  // namespace
