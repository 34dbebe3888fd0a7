// Object listeners: category and per-object registrations, nesting and self-removal, proxies.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "orvutil/com.h"
#include "test_objects.h"

namespace {

using namespace ComTest;
// One event heard: created (else destroyed), the class and the object.
using Events = std::vector<std::tuple<bool, GUID, IUnknown*>>;

class CRecorder : public Orv::CComBase, public Orv::IComListener {
 public:
  ORV_INTERFACES(Orv::IComListener)

  void OnComObjectCreated(IUnknown*, GUID const&, GUID const& clsid, IUnknown* object) override {
    events.emplace_back(true, clsid, object);
    if (removeSelf) Orv::RemoveComListener(GUID_NULL, this);
  }
  void OnComObjectDestroyed(GUID const&, GUID const& clsid, IUnknown* object) override {
    events.emplace_back(false, clsid, object);
  }

  Events events;
  bool removeSelf = false;
};

}  // namespace

ORV_CLASS_GUID(CRecorder, 0x9a3e1f40, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)

namespace {

// A GUID_NULL listener hears every object, a category listener its category only; one listener is
// registered once per key, and not under a category while it hears everything. A listener that
// removes itself while it hears is not called again.
TEST(ComListeners, CategoriesTheNullCategoryAndSelfRemoval) {
  auto all = New<CRecorder>(), categorized = New<CRecorder>(), quitter = New<CRecorder>();
  quitter->removeSelf = true;
  EXPECT_FALSE(Orv::AddComListener(GUID_NULL, static_cast<Orv::IComListener*>(nullptr)));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, quitter.Get()) && Orv::AddComListener(GUID_NULL, all.Get()));
  ASSERT_TRUE(Orv::AddComListener(kOwnCategory, categorized.Get()));
  EXPECT_FALSE(Orv::AddComListener(kOwnCategory, categorized.Get()) || Orv::AddComListener(kOwnCategory, all.Get()));
  EXPECT_EQ(2, all->_GetRefCount());  // the registration holds a reference
  auto counter = New<CCounter>();
  auto own = New<CCategorized>();
  IUnknown *a = counter->_GetUnknown(), *b = own->_GetUnknown();
  counter.Reset(), own.Reset();
  EXPECT_EQ((Events{{true, __uuidof(CCounter), a},
                    {true, __uuidof(CCategorized), b},
                    {false, __uuidof(CCounter), a},
                    {false, __uuidof(CCategorized), b}}),
            all->events);
  EXPECT_EQ((Events{{true, __uuidof(CCategorized), b}, {false, __uuidof(CCategorized), b}}), categorized->events);
  EXPECT_EQ((Events{{true, __uuidof(CCounter), a}}), quitter->events);  // created once, then gone
  EXPECT_EQ(1, quitter->_GetRefCount());
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, categorized.Get()));  // found under any category
  EXPECT_FALSE(Orv::RemoveComListener(kOwnCategory, categorized.Get()));
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, all.Get()));
  EXPECT_FALSE(Orv::RemoveComListener(GUID_NULL, all.Get()) || Orv::RemoveComListener(GUID_NULL, quitter.Get()));
  EXPECT_EQ(1, all->_GetRefCount());
}

// A per-object listener hears that object's end once and is forgotten; a proxy forwards until
// detached.
TEST(ComListeners, PerObjectListenersAndProxies) {
  auto watcher = New<CRecorder>(), target = New<CRecorder>();
  auto counter = New<CCounter>();
  IUnknown* watched = counter->_GetUnknown();
  EXPECT_FALSE(Orv::AddComListener(static_cast<IUnknown*>(nullptr), watcher.Get()));
  ASSERT_TRUE(Orv::AddComListener(watched, watcher.Get()));
  EXPECT_FALSE(Orv::AddComListener(watched, watcher.Get()));
  Orv::tSmartPtr<Orv::IProxyComListener> proxy;
  ASSERT_FALSE(Orv::CreateProxyComListener(target.Get(), nullptr));
  ASSERT_TRUE(Orv::CreateProxyComListener(target.Get(), proxy.Receive()));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, proxy.Get()));
  New<CCounter>();
  counter.Reset();
  EXPECT_EQ((Events{{false, __uuidof(CCounter), watched}}), watcher->events);
  EXPECT_EQ(1, watcher->_GetRefCount());
  EXPECT_FALSE(Orv::RemoveComListener(watched, watcher.Get()));
  EXPECT_EQ(3u, target->events.size());
  proxy->SetComListener(nullptr);
  New<CCounter>();
  EXPECT_EQ(3u, target->events.size());
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, proxy.Get()));
}

}  // namespace
