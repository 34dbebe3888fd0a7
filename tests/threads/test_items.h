// Work items, listeners and small helpers shared by the thread tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <vector>

#include "../support/new_object.h"
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

// Counts its calls and records their threads. Run optionally appends the tag to `log` (written by one
// thread at a time), signals `started` and then blocks until `release` is set; `onEnd` runs after
// OnComplete or OnCancel.
class CTestItem : public Orv::IWorkItem {
 public:
  void Run() override {
    runThread = ::GetCurrentThreadId();
    if (log) log->push_back(tag);
    if (started) ::SetEvent(started);
    if (release) ::WaitForSingleObject(release, INFINITE);
    ++runs;
  }
  void OnComplete() override {
    completeThread = ::GetCurrentThreadId(), runsBeforeComplete = runs.load(), ++completions;
    if (onEnd) onEnd();
  }
  void OnCancel() override {
    ++cancels;
    if (onEnd) onEnd();
  }
  int GetPriority() const override { return priority; }

  int priority = s_nDefaultPriority, tag = 0;
  std::vector<int>* log = nullptr;
  HANDLE started = nullptr, release = nullptr;
  std::function<void()> onEnd;
  std::atomic<int> runs{0}, completions{0}, cancels{0}, runsBeforeComplete{-1};
  std::atomic<DWORD> runThread{0}, completeThread{0};
};

inline Orv::tSmartPtr<CTestItem> MakeItem(int priority = Orv::IWorkItem::s_nDefaultPriority, int tag = 0,
                                          std::vector<int>* log = nullptr) {
  Orv::tSmartPtr<CTestItem> item = OrvTest::New<CTestItem>();
  item->priority = priority, item->tag = tag, item->log = log;
  return item;
}

inline Orv::tSmartPtr<Orv::IThreadPool> MakePool(int threads) {
  Orv::tSmartPtr<Orv::IThreadPool> pool;
  Orv::CreateThreadPool(pool.Receive(), threads);
  return pool;
}

}  // namespace ThreadsTest

ORV_CLASS_GUID(ThreadsTest::CTestItem, 0x50c0c71a, 0xa8bd, 0x421c, 0x9b, 0x5c, 0x54, 0xf0, 0x4e, 0x31, 0xc0, 0x97)
