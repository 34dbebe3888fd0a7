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

typedef HRESULT(STDAPICALLTYPE* NoArgumentEntry)();

HRESULT CallLibraryEntry(char const* name) {
  auto entry = GetProc<NoArgumentEntry>(Orv::GetOrvutilInstance(), name);
  return entry ? entry() : E_POINTER;
}

int g_creations = 0;

long __cdecl CountingCreator(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv) {
  ++g_creations;
  return Orv::CComObject<CCounter>::CreateInstance(outer, clsid, iid, ppv);
}

// A factory of orvutil.dll itself (its objects count against the library's module).
IClassFactory* LibraryFactory() {
  IClassFactory* factory = nullptr;
  EXPECT_TRUE(Orv::CreateClassFactory(__uuidof(CCounter), &Orv::GetOrvutilModule(), &CountingCreator, &factory));
  return factory;
}

// The library cannot unload while one of its objects lives or a server lock outlives its factory.
TEST(LibraryEntryPoints, CannotUnloadWhileALibraryObjectOrServerLockLives) {
  Orv::CModule& library = Orv::GetOrvutilModule();
  long const before = library.GetObjectCount();
  IClassFactory* factory = LibraryFactory();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(before + 1, library.GetObjectCount());
  EXPECT_EQ(S_FALSE, CallLibraryEntry("DllCanUnloadNow"));
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  factory->Release();
  EXPECT_EQ(before + 1, library.GetObjectCount());
  EXPECT_EQ(S_FALSE, CallLibraryEntry("DllCanUnloadNow"));
  factory = LibraryFactory();
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  factory->Release();
  EXPECT_EQ(before, library.GetObjectCount());
}

TEST(LibraryEntryPoints, RegistrationAndLookupResults) {
  EXPECT_EQ(SELFREG_E_CLASS, CallLibraryEntry("DllRegisterServer"));
  EXPECT_EQ(S_FALSE, CallLibraryEntry("DllUnregisterServer"));
  auto getClassObject = GetProc<decltype(&DllGetClassObject)>(Orv::GetOrvutilInstance(), "DllGetClassObject");
  ASSERT_NE(nullptr, getClassObject);
  void* out = nullptr;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(__uuidof(CCounter), IID_IClassFactory, &out));
  auto getModule = GetProc<Orv::CModule& (*)()>(Orv::GetOrvutilInstance(), "DllGetModule");
  ASSERT_NE(nullptr, getModule);
  EXPECT_EQ(&Orv::GetOrvutilModule(), &getModule());
}

// Creates through `factory` and returns the object's identity (one reference held by the caller).
IUnknown* Create(IClassFactory* factory) {
  IUnknown* object = nullptr;
  EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
  return object;
}

TEST(ClassFactories, SingletonIsSharedWhileHeldAndRenewedAfterItEnds) {
  IClassFactory* factory = nullptr;
  ASSERT_TRUE(Orv::CreateSingletonClassFactory(__uuidof(CCounter), &Orv::GetThisModule(), &CountingCreator, &factory));
  g_creations = 0;
  CCounter::s_destructs = 0;
  IUnknown* first = Create(factory);
  ComTest::ICounter* counter = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(ComTest::ICounter), reinterpret_cast<void**>(&counter)));
  IUnknown* again = Create(factory);
  EXPECT_EQ(first, again);
  EXPECT_EQ(1, g_creations);
  // The factory holds no reference: the instance ends with its clients' last release.
  first->Release();
  again->Release();
  EXPECT_EQ(0, CCounter::s_destructs);
  counter->Release();
  EXPECT_EQ(1, CCounter::s_destructs);
  IUnknown* renewed = Create(factory);
  EXPECT_EQ(2, g_creations);
  renewed->Release();
  factory->Release();
}

}  // namespace
