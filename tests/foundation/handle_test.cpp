// tHandle destroys what it owns exactly once (a recording destroy function, real events),
// leaves null alone, and hands ownership on by move and Detach.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "orvutil/foundation.h"


namespace {

std::vector<void*> g_destroyed;
void RecordDestroy(void* handle) {
  g_destroyed.push_back(handle);
}

using RecordedHandle = Orv::tHandle<void*, void*, RecordDestroy>;
struct DerivedHandle : RecordedHandle {
  using RecordedHandle::RecordedHandle;
};

void* Fake(int n) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + 4 * n));
}

}  // namespace

TEST(Handle, DestroysEachOwnedHandleOnce) {
  g_destroyed.clear();
  {
    RecordedHandle none, null(nullptr), a(Fake(1)), b(Fake(3));
    a.Reset(Fake(2));
    a.Reset(Fake(2));  // the same handle again is kept
    EXPECT_EQ(Fake(3), b.Detach());
    RecordedHandle c(std::move(a)), d(Fake(4));
    d = std::move(c);
    EXPECT_EQ(nullptr, a.Get());
    EXPECT_FALSE(none.IsValid());
    RecordedHandle* derived = new DerivedHandle(Fake(5));
    delete derived;  // through the virtual destructor
  }
  EXPECT_EQ((std::vector<void*>{Fake(1), Fake(4), Fake(5), Fake(2)}), g_destroyed);
}

TEST(Handle, ClosesKernelHandles) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD flags = 0;
  ASSERT_TRUE(GetHandleInformation(event, &flags));
  { Orv::tHandle<void*, void*, Orv::MyDestroyHandle> owner(event); }
  EXPECT_FALSE(GetHandleInformation(event, &flags));
}
