// The library's DLL entry points, called through orvutil.dll's exports: unload answers while objects
// or server locks live, and the library's module; and the singleton class factory's instance lifetime.
#include <gtest/gtest.h>

#include "orvutil/com.h"
#include "plugin/plugin_api.h"
#include "test_objects.h"

namespace {

using ComTest::CCounter;
using PluginApi::GetProc;

Orv::ComCreatorFunction const kCreator = &Orv::CComObject<CCounter>::CreateInstance;

// The library cannot unload while one of its objects (a factory of orvutil.dll itself) lives or a
// server lock outlives its factory.
TEST(LibraryEntryPoints, UnloadAnswersAndModule) {
  Orv::CModule& library = Orv::GetOrvutilModule();
  long const before = library.GetObjectCount();
  auto canUnload = GetProc<HRESULT(STDAPICALLTYPE*)()>(library.GetInstance(), "DllCanUnloadNow");
  ASSERT_NE(nullptr, canUnload);
  for (BOOL lock : {TRUE, FALSE}) {
    IClassFactory* factory = nullptr;
    ASSERT_TRUE(Orv::CreateClassFactory(__uuidof(CCounter), &library, kCreator, &factory));
    EXPECT_EQ(before + (lock ? 1 : 2), library.GetObjectCount());  // the second round: the first's lock too
    EXPECT_EQ(S_FALSE, canUnload());
    EXPECT_EQ(S_OK, factory->LockServer(lock));
    factory->Release();
    EXPECT_EQ(lock ? before + 1 : before, library.GetObjectCount());
  }
  EXPECT_EQ(&library, &GetProc<Orv::CModule& (*)()>(library.GetInstance(), "DllGetModule")());
}

// The factory holds no reference: the instance ends with its clients' last release, and the next
// client gets a new one (the first is gone).
TEST(ClassFactories, SingletonIsSharedWhileHeldAndRenewedAfterItEnds) {
  IClassFactory* factory = nullptr;
  ASSERT_TRUE(Orv::CreateSingletonClassFactory(__uuidof(CCounter), &Orv::GetThisModule(), kCreator, &factory));
  CCounter::s_destructs = 0;
  for (int round = 1; round <= 2; ++round) {
    IUnknown *first = nullptr, *again = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&again)));
    EXPECT_EQ(first, again) << round;
    first->Release();
    EXPECT_EQ(round - 1, CCounter::s_destructs);
    again->Release();
    EXPECT_EQ(round, CCounter::s_destructs);
  }
  factory->Release();
}

}  // namespace
