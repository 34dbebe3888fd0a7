// Work items on their own: interface map, defaults, listener list and proxy listeners.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/threads.h"
#include "test_items.h"

using Orv::IWorkItem;
using Orv::tSmartPtr;
using ThreadsTest::CTestItem;
using ThreadsTest::CTestListener;
using ThreadsTest::Make;
using ThreadsTest::MakeItem;

namespace {

class CPlainItem : public IWorkItem {};

}  // namespace

ORV_CLASS_GUID(CPlainItem, 0x581982aa, 0xa9c4, 0x452a, 0x83, 0xce, 0xf8, 0xb3, 0xc3, 0x23, 0xb3, 0xf8)

TEST(WorkItem, AnswersTheWorkItemInterfaceWithItself) {
  tSmartPtr<CTestItem> item = MakeItem();
  void* answer = nullptr;
  ASSERT_EQ(item->QueryInterface(__uuidof(IWorkItem), &answer), S_OK);
  EXPECT_EQ(static_cast<IWorkItem*>(answer), static_cast<IWorkItem*>(item.Get()));
  static_cast<IWorkItem*>(answer)->Release();
  EXPECT_EQ(item->QueryInterface(__uuidof(Orv::IThreadPool), &answer), E_NOINTERFACE);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(item->_GetRefCount(), 1);
}

TEST(WorkItem, BaseOperationsDoNothingAndThePriorityIsFive) {
  tSmartPtr<CPlainItem> item = Make<CPlainItem>();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetPriority(), 5);
  EXPECT_EQ(IWorkItem::s_nDefaultPriority, 5);
  item->Run();
  item->InternalOnComplete();  // no listeners: nothing to call
  item->InternalOnCancel();
}

TEST(WorkItem, AListenerAddedTwiceIsCalledOnceAndThenReleased) {
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<CTestListener> listener = Make<CTestListener>();
  item->AddListener(listener);
  item->AddListener(listener);
  item->AddListener(nullptr);
  EXPECT_EQ(listener->_GetRefCount(), 2);
  item->InternalOnComplete();
  EXPECT_EQ(item->completions, 1);
  EXPECT_EQ(listener->completions, 1);
  EXPECT_EQ(listener->cancels, 0);
  EXPECT_EQ(listener->lastItem, item.Get());
  EXPECT_EQ(listener->_GetRefCount(), 1);
  item->InternalOnComplete();  // the listeners went with the first delivery
  EXPECT_EQ(item->completions, 2);
  EXPECT_EQ(listener->completions, 1);
}

TEST(WorkItem, ListenersHearInTheOrderOfAdding) {
  ThreadsTest::CRunLog log;
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<CTestListener> listeners[3] = {Make<CTestListener>(), Make<CTestListener>(), Make<CTestListener>()};
  for (int tag : {2, 0, 1}) {
    listeners[tag]->log = &log;
    listeners[tag]->tag = tag;
    item->AddListener(listeners[tag]);
  }
  item->InternalOnCancel();
  EXPECT_EQ(item->cancels, 1);
  EXPECT_EQ(log.Tags(), (std::vector<int>{2, 0, 1}));
  for (auto& listener : listeners) EXPECT_EQ(listener->completions, 0);
}

TEST(WorkItem, ARemovedListenerHearsNothingAndIsReleased) {
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<CTestListener> kept = Make<CTestListener>(), removed = Make<CTestListener>();
  item->AddListener(removed);
  item->AddListener(kept);
  item->RemoveListener(removed);
  item->RemoveListener(removed);  // no longer there
  EXPECT_EQ(removed->_GetRefCount(), 1);
  item->InternalOnComplete();
  EXPECT_EQ(removed->completions, 0);
  EXPECT_EQ(kept->completions, 1);
}

TEST(WorkItem, AProxyListenerForwardsUntilItsTargetIsCleared) {
  tSmartPtr<CTestListener> target = Make<CTestListener>();
  {
    tSmartPtr<CTestItem> item = MakeItem();
    tSmartPtr<Orv::IProxyWorkItemListener> proxy;
    ASSERT_TRUE(item->AddProxyListener(target, proxy.Receive()));
    ASSERT_TRUE(proxy);
    EXPECT_EQ(target->_GetRefCount(), 1) << "the proxy does not count its target";
    item->InternalOnComplete();
    EXPECT_EQ(target->completions, 1);
    EXPECT_EQ(target->lastItem, item.Get());
  }
  tSmartPtr<CTestItem> item = MakeItem();
  tSmartPtr<Orv::IProxyWorkItemListener> proxy;
  ASSERT_TRUE(item->AddProxyListener(target, proxy.Receive()));
  proxy->SetWorkItemListener(nullptr);
  item->InternalOnCancel();
  EXPECT_EQ(target->cancels, 0);
  void* asListener = nullptr;
  ASSERT_EQ(proxy->QueryInterface(__uuidof(Orv::IWorkItemListener), &asListener), S_OK);
  static_cast<Orv::IWorkItemListener*>(asListener)->Release();
  EXPECT_FALSE(item->AddProxyListener(target, nullptr));
}
