// Object listeners: category and per-object registrations, nesting and self-removal, proxies.
#include <gtest/gtest.h>

#include <vector>

#include "orvutil/com.h"
#include "test_objects.h"

namespace {

using ComTest::CCategorized;
using ComTest::CCounter;
using ComTest::ICounter;

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
    if (removeSelfWith) Orv::RemoveComListener(*removeSelfWith, this);
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
  GUID const* removeSelfWith = nullptr;
};

}  // namespace

ORV_CLASS_GUID(CRecorder, 0x9a3e1f40, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)

namespace {

// A recorder with one reference held by the test.
Orv::tSmartPtr<CRecorder> NewRecorder() {
  CRecorder* recorder = nullptr;
  Orv::CComObject<CRecorder>::CreateObject(nullptr, &recorder);
  Orv::tSmartPtr<CRecorder> owned;
  owned.Attach(recorder);
  return owned;
}

template <class T>
IUnknown* NewObject() {
  IUnknown* object = nullptr;
  Orv::CComObject<T>::CreateInstance(nullptr, GUID_NULL, IID_IUnknown, reinterpret_cast<void**>(&object));
  return object;
}

// A GUID_NULL listener hears every object, a category listener its category only; one listener is
// registered once per key, and not under a category while it hears everything.
TEST(ComListeners, CategoriesAndTheNullCategory) {
  auto all = NewRecorder(), categorized = NewRecorder();
  EXPECT_FALSE(Orv::AddComListener(GUID_NULL, static_cast<Orv::IComListener*>(nullptr)));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, all.Get()));
  ASSERT_TRUE(Orv::AddComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_FALSE(Orv::AddComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_FALSE(Orv::AddComListener(ComTest::kOwnCategory, all.Get()));
  EXPECT_EQ(2, all->_GetRefCount());  // the registration holds a reference
  NewObject<CCounter>()->Release();
  NewObject<CCategorized>()->Release();
  for (GUID const& clsid : {__uuidof(CCounter), __uuidof(CCategorized)})
    for (bool created : {true, false}) EXPECT_EQ(1, all->Count(created, clsid));
  EXPECT_EQ(2u, categorized->events.size());
  EXPECT_EQ(1, categorized->Count(true, __uuidof(CCategorized)));
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, categorized.Get()));  // found under any category
  EXPECT_FALSE(Orv::RemoveComListener(ComTest::kOwnCategory, categorized.Get()));
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, all.Get()));
  EXPECT_FALSE(Orv::RemoveComListener(GUID_NULL, all.Get()));
  EXPECT_EQ(1, all->_GetRefCount());
}

TEST(ComListeners, ListenerRemovingItselfIsNotCalledAgain) {
  auto quitter = NewRecorder();
  auto stayer = NewRecorder();
  quitter->removeSelfWith = &GUID_NULL;
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, quitter.Get()));
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, stayer.Get()));
  NewObject<CCounter>()->Release();
  NewObject<CCounter>()->Release();
  EXPECT_EQ(1u, quitter->events.size());  // created once, then gone
  EXPECT_EQ(4u, stayer->events.size());
  EXPECT_EQ(1, quitter->_GetRefCount());
  EXPECT_FALSE(Orv::RemoveComListener(GUID_NULL, quitter.Get()));
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, stayer.Get()));
}

TEST(ComListeners, PerObjectListenerHearsTheEndOnceAndIsForgotten) {
  auto watcher = NewRecorder();
  IUnknown* watched = NewObject<CCounter>();
  IUnknown* other = NewObject<CCounter>();
  EXPECT_FALSE(Orv::AddComListener(static_cast<IUnknown*>(nullptr), watcher.Get()));
  ASSERT_TRUE(Orv::AddComListener(watched, watcher.Get()));
  EXPECT_FALSE(Orv::AddComListener(watched, watcher.Get()));
  other->Release();
  EXPECT_TRUE(watcher->events.empty());
  watched->Release();
  ASSERT_EQ(1u, watcher->events.size());
  EXPECT_FALSE(watcher->events[0].created);
  EXPECT_EQ(watched, watcher->events[0].object);
  EXPECT_EQ(1, watcher->_GetRefCount());
  EXPECT_FALSE(Orv::RemoveComListener(watched, watcher.Get()));
}

TEST(ComListeners, ProxyForwardsUntilDetached) {
  auto target = NewRecorder();
  Orv::tSmartPtr<Orv::IProxyComListener> proxy;
  ASSERT_FALSE(Orv::CreateProxyComListener(target.Get(), nullptr));
  ASSERT_TRUE(Orv::CreateProxyComListener(target.Get(), proxy.Receive()));
  Orv::IComListener* asListener = nullptr;
  ASSERT_EQ(S_OK, proxy->QueryInterface(__uuidof(Orv::IComListener), reinterpret_cast<void**>(&asListener)));
  EXPECT_EQ(static_cast<Orv::IComListener*>(proxy.Get()), asListener);
  asListener->Release();
  ASSERT_TRUE(Orv::AddComListener(GUID_NULL, proxy.Get()));
  NewObject<CCounter>()->Release();
  EXPECT_EQ(2u, target->events.size());
  proxy->SetComListener(nullptr);
  NewObject<CCounter>()->Release();
  EXPECT_EQ(2u, target->events.size());
  EXPECT_TRUE(Orv::RemoveComListener(GUID_NULL, proxy.Get()));
}

}  // namespace
