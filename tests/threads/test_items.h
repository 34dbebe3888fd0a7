// Work items, listeners and small helpers shared by the thread-pool tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/threads.h"

namespace ThreadsTest {

// A manual-reset event owned by the test; Wait does not pump (for signals from worker threads).
struct CEvent {
  HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CEvent() = default;
  CEvent(const CEvent&) = delete;
  ~CEvent() { ::CloseHandle(handle); }
  HANDLE Get() const { return handle; }
  void Set() { ::SetEvent(handle); }
  void Wait() { ::WaitForSingleObject(handle, INFINITE); }
};

// The order of calls, by tags.
struct CRunLog {
  std::mutex mutex;
  std::vector<int> tags;
  void Add(int tag) {
    std::lock_guard<std::mutex> lock(mutex);
    tags.push_back(tag);
  }
};

// Counts its calls and records their threads. Run optionally logs the tag, signals `started` and
// then blocks until `release` is set.
class CTestItem : public Orv::IWorkItem {
 public:
  void Run() override {
    runThread = ::GetCurrentThreadId();
    if (log) log->Add(tag);
    if (started) ::SetEvent(started);
    if (release) ::WaitForSingleObject(release, INFINITE);
    ++runs;
  }
  void OnComplete() override {
    completeThread = ::GetCurrentThreadId(), runsBeforeComplete = runs.load(), ++completions;
  }
  void OnCancel() override {
    ++cancels;
    if (onCancelSet) ::SetEvent(onCancelSet);
  }
  int GetPriority() const override { return priority; }

  int priority = s_nDefaultPriority, tag = 0;
  CRunLog* log = nullptr;
  HANDLE started = nullptr, release = nullptr, onCancelSet = nullptr;
  std::atomic<int> runs{0}, completions{0}, cancels{0}, runsBeforeComplete{-1};
  std::atomic<DWORD> runThread{0}, completeThread{0};
};

// Counts the callbacks it hears, records the last item and the thread of the last completion, and
// optionally logs its tag and signals each completion.
class CTestListener : public Orv::CComBase, public Orv::IWorkItemListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener)
  void OnWorkItemComplete(Orv::IWorkItem* item) override {
    Heard(item), completeThread = ::GetCurrentThreadId(), ++completions;
    if (onCompleteSet) ::SetEvent(onCompleteSet);
  }
  void OnWorkItemCancel(Orv::IWorkItem* item) override { Heard(item), ++cancels; }
  void Heard(Orv::IWorkItem* item) {
    lastItem = item;
    if (log) log->Add(tag);
  }

  std::atomic<int> completions{0}, cancels{0};
  std::atomic<DWORD> completeThread{0};
  Orv::IWorkItem* lastItem = nullptr;
  HANDLE onCompleteSet = nullptr;
  CRunLog* log = nullptr;
  int tag = 0;
};

template <class T>
Orv::tSmartPtr<T> Make() {
  T* object = nullptr;
  Orv::CComObject<T>::CreateObject(nullptr, &object);
  Orv::tSmartPtr<T> held;
  held.Attach(object);
  return held;
}

inline Orv::tSmartPtr<CTestItem> MakeItem(int priority = Orv::IWorkItem::s_nDefaultPriority, int tag = 0,
                                          CRunLog* log = nullptr) {
  Orv::tSmartPtr<CTestItem> item = Make<CTestItem>();
  item->priority = priority, item->tag = tag, item->log = log;
  return item;
}

inline Orv::tSmartPtr<Orv::IThreadPool> MakePool(int threads) {
  Orv::tSmartPtr<Orv::IThreadPool> pool;
  Orv::CreateThreadPool(pool.Receive(), threads);
  return pool;
}

// Whether the thread has ended (or no longer exists).
inline bool ThreadEnded(DWORD threadId) {
  HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, threadId);
  bool ended = !thread || ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  if (thread) ::CloseHandle(thread);
  return ended;
}

}  // namespace ThreadsTest

ORV_CLASS_GUID(ThreadsTest::CTestItem, 0x50c0c71a, 0xa8bd, 0x421c, 0x9b, 0x5c, 0x54, 0xf0, 0x4e, 0x31, 0xc0, 0x97)
ORV_CLASS_GUID(ThreadsTest::CTestListener, 0x095a8d84, 0xdb9e, 0x4f76, 0xae, 0x46, 0x36, 0x56, 0xbc, 0xbf, 0x4d, 0xdd)
