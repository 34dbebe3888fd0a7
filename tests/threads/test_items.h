// Work items, listeners and small helpers shared by the thread-pool tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/threads.h"

namespace ThreadsTest {

// A manual-reset event owned by the test.
class CEvent {
 public:
  CEvent() : m_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~CEvent() { ::CloseHandle(m_handle); }
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  HANDLE Get() const { return m_handle; }
  void Set() { ::SetEvent(m_handle); }
  // Waits without pumping: for signals from worker threads.
  bool Wait() { return ::WaitForSingleObject(m_handle, INFINITE) == WAIT_OBJECT_0; }

 private:
  HANDLE m_handle;
};

// The order in which items ran, by their tags.
class CRunLog {
 public:
  void Add(int tag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tags.push_back(tag);
  }
  std::vector<int> Tags() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tags;
  }

 private:
  std::mutex m_mutex;
  std::vector<int> m_tags;
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
    completeThread = ::GetCurrentThreadId();
    runsBeforeComplete = runs.load();
    ++completions;
  }
  void OnCancel() override {
    ++cancels;
    if (onCancelSet) ::SetEvent(onCancelSet);
  }
  int GetPriority() const override { return priority; }

  int priority = s_nDefaultPriority;
  int tag = 0;
  CRunLog* log = nullptr;
  HANDLE started = nullptr;
  HANDLE release = nullptr;
  HANDLE onCancelSet = nullptr;
  std::atomic<int> runs{0};
  std::atomic<int> completions{0};
  std::atomic<int> cancels{0};
  std::atomic<int> runsBeforeComplete{-1};
  std::atomic<DWORD> runThread{0};
  std::atomic<DWORD> completeThread{0};
};

// Counts the callbacks it hears, records the thread of the last completion, and optionally logs its
// tag and signals each completion.
class CTestListener : public Orv::CComBase, public Orv::IWorkItemListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener)

  void OnWorkItemComplete(Orv::IWorkItem* item) override {
    lastItem = item;
    completeThread = ::GetCurrentThreadId();
    if (log) log->Add(tag);
    ++completions;
    if (onCompleteSet) ::SetEvent(onCompleteSet);
  }
  void OnWorkItemCancel(Orv::IWorkItem* item) override {
    lastItem = item;
    if (log) log->Add(tag);
    ++cancels;
  }

  std::atomic<int> completions{0};
  std::atomic<int> cancels{0};
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

inline Orv::tSmartPtr<CTestItem> MakeItem(int priority = Orv::IWorkItem::s_nDefaultPriority, int tag = 0) {
  Orv::tSmartPtr<CTestItem> item = Make<CTestItem>();
  item->priority = priority;
  item->tag = tag;
  return item;
}

inline Orv::tSmartPtr<Orv::IThreadPool> MakePool(int threads) {
  Orv::tSmartPtr<Orv::IThreadPool> pool;
  Orv::CreateThreadPool(pool.Receive(), threads);
  return pool;
}

// The implementation object behind a pool created by CreateThreadPool.
inline Orv::CThreadPool* Implementation(Orv::IThreadPool* pool) {
  void* object = nullptr;
  if (FAILED(pool->QueryInterface(__uuidof(Orv::CThreadPool), &object))) return nullptr;
  pool->Release();
  return static_cast<Orv::CThreadPool*>(static_cast<Orv::CComBaseEx*>(object));
}

// Whether the thread has ended (or no longer exists).
inline bool ThreadEnded(DWORD threadId) {
  HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, threadId);
  if (!thread) return true;
  bool ended = ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  ::CloseHandle(thread);
  return ended;
}

}  // namespace ThreadsTest

ORV_CLASS_GUID(ThreadsTest::CTestItem, 0x50c0c71a, 0xa8bd, 0x421c, 0x9b, 0x5c, 0x54, 0xf0, 0x4e, 0x31, 0xc0, 0x97)
ORV_CLASS_GUID(ThreadsTest::CTestListener, 0x095a8d84, 0xdb9e, 0x4f76, 0xae, 0x46, 0x36, 0x56, 0xbc, 0xbf, 0x4d, 0xdd)
