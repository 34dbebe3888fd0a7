// Object listeners: category and per-object registrations, nesting and self-removal, proxies.
#include <gtest/gtest.h>

#include <vector>

#include "orvutil/com.h"
#include "test_objects.h"

namespace {

using ComTest::CCategorized;
using ComTest::CCounter;

struct SEvent {
  bool created;
  GUID clsid;
  IUnknown* object;
};

class CRecorder : public Orv::CComBase, public Orv::IComListener {
 public:
  ORV_INTERFACES(Orv::IComListener)

  void OnComObjectCreated(IUnknown*, GUID const&, GUID const& clsid, IUnknown* object) override {
    events.push_back({true, clsid, object});
    if (removeSelf) Orv::RemoveComListener(GUID_NULL, this);
  }
  void OnComObjectDestroyed(GUID const&, GUID const& clsid, IUnknown* object) override {
    events.push_back({false, clsid, object});
  }
  int Count(bool created, GUID const& clsid) const {
    int n = 0;
    for (SEvent const& e : events) n += e.created == created && ::IsEqualGUID(e.clsid, clsid);
    return n;
  }

  std::vector<SEvent> events;
  bool removeSelf = false;
};

}  // namespace

ORV_CLASS_GUID(CRecorder, 0x9a3e1f40, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)

namespace {

using ComTest::New;

// A GUID_NULL listener hears every object, a category listener its category only; one listener is
// registered once per key, and not under a category while it hears everything. A listener that
// removes itself while it hears is not called again.
TEST(ComListeners, CategoriesTheNullCategoryAndSelfRemoval) {
  auto all = New<CRecorder>(), categorized = New<CRecorder>(), quitter = New<CRecorder>();
  quitter->removeSelf = true;
  EXPECT_FALSE(Orv::AddComListener(GUID_NULL, static_cast<Orv::IComListener*>(nullptr)));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, quitter.Get()) && Orv::AddComListener(GUID_NULL, all.Get()));
  ASSERT_TRUE(Orv::AddComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_FALSE(Orv::AddComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_FALSE(Orv::AddComListener(ComTest::kOwnCategory, all.Get()));
  EXPECT_EQ(2, all->_GetRefCount());  // the registration holds a reference
  New<CCounter>();
  New<CCategorized>();
  for (GUID const& clsid : {__uuidof(CCounter), __uuidof(CCategorized)})
    for (bool created : {true, false}) EXPECT_EQ(1, all->Count(created, clsid));
  EXPECT_EQ(2u, categorized->events.size());
  EXPECT_EQ(1, categorized->Count(true, __uuidof(CCategorized)));
  EXPECT_EQ(1u, quitter->events.size());  // created once, then gone
  EXPECT_EQ(1, quitter->_GetRefCount());
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, categorized.Get()));  // found under any category
  EXPECT_FALSE(Orv::RemoveComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, all.Get()));
  EXPECT_FALSE(Orv::RemoveComListener(GUID_NULL, all.Get()) || Orv::RemoveComListener(GUID_NULL, quitter.Get()));
  EXPECT_EQ(1, all->_GetRefCount());
}

TEST(ComListeners, PerObjectListenerHearsTheEndOnceAndIsForgotten) {
  auto watcher = New<CRecorder>();
  auto counter = New<CCounter>();
  IUnknown* watched = counter->_GetUnknown();
  EXPECT_FALSE(Orv::AddComListener(static_cast<IUnknown*>(nullptr), watcher.Get()));
  ASSERT_TRUE(Orv::AddComListener(watched, watcher.Get()));
  EXPECT_FALSE(Orv::AddComListener(watched, watcher.Get()));
  New<CCounter>();
  EXPECT_TRUE(watcher->events.empty());
  counter.Reset();
  ASSERT_EQ(1u, watcher->events.size());
  EXPECT_TRUE(!watcher->events[0].created && watcher->events[0].object == watched);
  EXPECT_EQ(1, watcher->_GetRefCount());
  EXPECT_FALSE(Orv::RemoveComListener(watched, watcher.Get()));
}

TEST(ComListeners, ProxyForwardsUntilDetached) {
  auto target = New<CRecorder>();
  Orv::tSmartPtr<Orv::IProxyComListener> proxy;
  ASSERT_FALSE(Orv::CreateProxyComListener(target.Get(), nullptr));
  ASSERT_TRUE(Orv::CreateProxyComListener(target.Get(), proxy.Receive()));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, proxy.Get()));
  for (size_t heard : {2u, 2u}) {
    New<CCounter>();
    EXPECT_EQ(heard, target->events.size());
    proxy->SetComListener(nullptr);
  }
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, proxy.Get()));
}

}  // namespace
