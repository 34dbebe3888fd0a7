// Threads that race a module's first look-up of its identity and type library all get the result:
// none of them sees the "already looked up" mark before the value it guards.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "orvutil/com.h"

namespace {

// Calls `read` on `threads` threads released together; returns what each got.
template <class R, class F>
std::vector<R> RaceFirstUse(unsigned threads, F read) {
  std::vector<R> results(threads);
  std::atomic<unsigned> waiting{threads};
  std::vector<std::thread> runners;
  for (unsigned i = 0; i < threads; ++i) {
    runners.emplace_back([&, i] {
      waiting.fetch_sub(1);
      while (waiting.load() != 0) {
      }
      results[i] = read();
    });
  }
  for (std::thread& t : runners) t.join();
  return results;
}

}  // namespace

TEST(ModuleFirstUse, RacingThreadsAllGetTheTypeLibraryAndTheIdentity) {
  HMODULE plugin = ::LoadLibraryW(L"orv_test_plugin.dll");  // stays loaded for the other tests
  ASSERT_NE(nullptr, plugin);
  Orv::CModule reference;
  reference.SetInstance(plugin);
  ASSERT_NE(nullptr, reference.GetTypeLib(0));
  GUID id = reference.GetID();
  ASSERT_FALSE(IsEqualGUID(id, GUID_NULL));
  for (int round = 0; round < 10; ++round) {
    Orv::CModule module;
    module.SetInstance(plugin);
    for (ITypeLib* typeLib : RaceFirstUse<ITypeLib*>(4, [&] { return module.GetTypeLib(0); })) {
      EXPECT_NE(nullptr, typeLib) << "round " << round;
      EXPECT_EQ(module.GetTypeLib(0), typeLib);
    }
    for (GUID seen : RaceFirstUse<GUID>(4, [&] { return module.GetID(); })) EXPECT_TRUE(IsEqualGUID(id, seen));
  }
}
