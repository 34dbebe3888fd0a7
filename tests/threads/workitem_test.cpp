// Work items on their own: the listener list (order, duplicates, removal, release after delivery)
// and proxy listeners.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/threads.h"
#include "test_items.h"

using Orv::tSmartPtr;
using ThreadsTest::New;
using ThreadsTest::MakeItem;

namespace {

// Counts the callbacks it hears, records the last item, and optionally logs its tag.
class CTestListener : public Orv::CComBase, public Orv::IWorkItemListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener)
  void OnWorkItemComplete(Orv::IWorkItem* item) override { Heard(item), ++completions; }
  void OnWorkItemCancel(Orv::IWorkItem* item) override { Heard(item), ++cancels; }
  void Heard(Orv::IWorkItem* item) {
    lastItem = item;
    if (log) log->Add(tag);
  }

  int completions = 0, cancels = 0;
  Orv::IWorkItem* lastItem = nullptr;
  ThreadsTest::CRunLog* log = nullptr;
  int tag = 0;
};

}  // namespace

ORV_CLASS_GUID(CTestListener, 0x095a8d84, 0xdb9e, 0x4f76, 0xae, 0x46, 0x36, 0x56, 0xbc, 0xbf, 0x4d, 0xdd)

// Each listener hears once, in the order of adding, and is released after the delivery.
TEST(WorkItem, ListenersHearOnceInOrderAndAreReleased) {
  for (bool complete : {true, false}) {
    ThreadsTest::CRunLog log;
    auto item = MakeItem();
    tSmartPtr<CTestListener> listeners[4];
    for (int tag : {2, 0, 3, 1, 2}) {
      if (!listeners[tag]) listeners[tag] = New<CTestListener>();
      listeners[tag]->log = &log, listeners[tag]->tag = tag;
      item->AddListener(listeners[tag]);
    }
    item->AddListener(nullptr);
    item->RemoveListener(listeners[3]);
    item->RemoveListener(listeners[3]);
    for (int i = 0; i < 2; ++i)
      complete ? item->InternalOnComplete() : item->InternalOnCancel();  // listeners hear the first
    EXPECT_EQ((std::vector<int>{2, 0, 1}), log.tags);
    EXPECT_EQ(2, complete ? item->completions.load() : item->cancels.load());
    for (auto& listener : listeners) {
      EXPECT_EQ(1, listener->_GetRefCount());
      EXPECT_EQ(0, complete ? listener->cancels : listener->completions);
    }
    EXPECT_EQ(item.Get(), listeners[1]->lastItem);
  }
}

TEST(WorkItem, AProxyListenerForwardsUntilItsTargetIsCleared) {
  auto target = New<CTestListener>();
  for (bool cleared : {false, true}) {
    auto item = MakeItem();
    tSmartPtr<Orv::IProxyWorkItemListener> proxy;
    ASSERT_TRUE(item->AddProxyListener(target, proxy.Receive()));
    EXPECT_EQ(1, target->_GetRefCount());  // the proxy does not count its target
    if (cleared) proxy->SetWorkItemListener(nullptr);
    item->InternalOnComplete();
    EXPECT_EQ(1, target->completions);
    EXPECT_FALSE(item->AddProxyListener(target, nullptr));
  }
}
