// Thread pools: worker threads that run work items (orvutil/threads/workitem.h) in priority order and
// deliver their completion on the main thread.
//
// A pool starts without threads and starts one more, up to its maximum, whenever an item is added
// while every started thread is busy. Workers run the highest priority first (among equals, the one
// added last). When an item's Run has returned, its OnComplete and its listeners' completion
// callbacks run on the main thread: from a function posted there (orvutil/threads/mainthread.h) or
// from one of the waits. A pending item can be cancelled instead; a running one cannot.
//
// Threading: every IThreadPool operation may be called from any thread, except that the waits
// (WaitForWorkItem, WaitForAllWork) only work on the main thread, where they pump messages while
// they wait; elsewhere they return at once. The library keeps a list of all pools (under the global
// critical section eGlobalCSThreadPools) to flush their work at shut-down and to suspend their
// workers around critical main-thread sections.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/gapvector.h"
#include "orvutil/foundation/list.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/threads/workitem.h"

namespace Orv {

struct IThreadPool : public IUnknown {
  // Queues the item (with a reference). An item the pool cannot take, because no worker can start
  // or the pool is being destroyed, is cancelled at once on the calling thread.
  virtual void AddWorkItem(IWorkItem* item) = 0;
  // Main thread only (false elsewhere): delivers completions until `item` has been delivered, or,
  // for a null item, waits for some activity and delivers one completion.
  virtual bool WaitForWorkItem(IWorkItem* item) = 0;
  // Takes a pending item out of the queue and delivers its cancellation; false when the item is
  // running, finished or unknown.
  virtual bool CancelWorkItem(IWorkItem* item) = 0;
  // Main thread only: runs the pool dry, delivering every completion.
  virtual void WaitForAllWork() = 0;
  // Hold or release the pool's workers (calls nest): while held no worker takes an item, and an item
  // already running finishes. Workers are stopped between items, never frozen wherever they are:
  // a thread frozen inside the heap or a lock would block the caller's next allocation for good.
  virtual void SuspendThreads() = 0;
  virtual void ResumeThreads() = 0;
};

class ORV_API CThreadPool : public CComBase, public IThreadPool {
 public:
  static const int kMaxThreadLimit = 32;

  ORV_INTERFACES(IThreadPool)

  // Joins the list of all pools; the maximum thread count starts at 2.
  CThreadPool();
  // Leaves the list of all pools, cancels every pending item, stops the workers (delivering, on the
  // main thread, the completions of items that finish meanwhile) and waits for them to end.
  ~CThreadPool() override;

  void AddWorkItem(IWorkItem* item) override;
  bool WaitForWorkItem(IWorkItem* item) override;
  bool CancelWorkItem(IWorkItem* item) override;
  void WaitForAllWork() override;
  void SuspendThreads() override;
  void ResumeThreads() override;

  // The most worker threads the pool starts: 1 to 32 (other values are clamped).
  void SetMaxThreads(int threads);
  int GetMaxThreads() const { return m_maxThreads; }
  // The number of worker threads started so far.
  unsigned GetThreadCount();

 private:
  class CLock;

  static unsigned __stdcall WorkerMain(void* pool);
  void WorkerLoop();
  bool CreateEvents();
  void SetWorkEvent(bool set);
  void SetDoneEvent(bool set);
  bool EnsureWorker();
  void InsertPending(IWorkItem* item);
  tSmartPtr<IWorkItem> TakeWork();
  void FinishWork(IWorkItem* item);
  tSmartPtr<IWorkItem> TakeCompleted();
  void DeliverOneCompletion();
  static void DeliverPostedCompletion(CThreadPool* pool);
  void WaitForActivity();
  bool HasWork();
  bool IsKnown(IWorkItem* item);
  void CancelAllPending();
  void WaitForWorkers();
  void DeliverRemainingCompletions();
  void CloseEvents();

  CCriticalSection m_lock;
  HANDLE m_workEvent = nullptr;  // set while the queue may hold work
  HANDLE m_doneEvent = nullptr;  // set while finished items wait for delivery
  HANDLE m_stopEvent = nullptr;  // set once, when the pool is destroyed
  bool m_workEventSet = false;
  bool m_doneEventSet = false;
  tGapVector<tSmartPtr<IWorkItem>, 0> m_pending;  // ascending priority: the last runs next
  tSmartPtrVector<IWorkItem> m_running;
  tList<tSmartPtr<IWorkItem>> m_completed;  // in order of finishing
  tVectorPOD<HANDLE> m_threads;
  unsigned m_holds = 0;  // SuspendThreads calls not yet matched: no worker takes work meanwhile
  volatile LONG m_maxThreads = 2;  // 0 while the pool is destroyed
};

// Creates a pool whose maximum thread count is `threads` when it lies in 1 to 32, else the number
// of processors, at most 8. Hands out one reference.
ORV_API bool CreateThreadPool(IThreadPool** out, int threads);
// The library's shared pool, created on first use and released at library shut-down. Not counted:
// callers that keep it take their own reference.
ORV_API IThreadPool* GetGlobalThreadPool();
// Main thread: waits for the work of every pool and delivers its completions.
ORV_API void FlushAllThreadPoolWork();
// Hold and release the workers of every pool (see SuspendThreads); nested calls hold and release once.
ORV_API void SuspendAllWorkerThreads();
ORV_API void ResumeAllWorkerThreads();

// Keeps every pool's workers from taking work for its lifetime (nestable).
class ORV_API CScopeBlockAllWorkerThreads {
 public:
  CScopeBlockAllWorkerThreads() { SuspendAllWorkerThreads(); }
  ~CScopeBlockAllWorkerThreads() { ResumeAllWorkerThreads(); }
  CScopeBlockAllWorkerThreads(const CScopeBlockAllWorkerThreads&) = delete;
  CScopeBlockAllWorkerThreads& operator=(const CScopeBlockAllWorkerThreads&) = delete;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::IThreadPool, 0xd30c3973, 0x3380, 0x4e66, 0x9d, 0xb8, 0x7a, 0x87, 0xa5, 0x0f, 0x90, 0x40)
ORV_CLASS_GUID(Orv::CThreadPool, 0xa5728312, 0xeac1, 0x44f1, 0xa7, 0x3b, 0x9a, 0xba, 0xc0, 0xf0, 0x40, 0xe2)
