// CThreadPool: the pending queue, running and completed lists, the worker threads, the waits and
// the pool's destruction; CreateThreadPool.
//
// Workers and the main thread share the three lists under the pool lock. Run, OnComplete, OnCancel
// and listener callbacks always run outside it. The pool lock is a real lock at all times (not only
// while the library's lock switch is on): the workers are live threads whenever the pool exists.
#include "orvutil/threads/threadpool.h"

#include <process.h>

#include "orvutil/com/comobject.h"
#include "orvutil/com/startup.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/ui/messageloop.h"
#include "pool_registry.h"

namespace Orv {

namespace {

// Every input except sent messages (QS_ALLINPUT without QS_SENDMESSAGE).
constexpr DWORD kPumpedInput = QS_ALLINPUT & ~QS_SENDMESSAGE;
constexpr DWORD kPumpFlags = MWMO_ALERTABLE | MWMO_INPUTAVAILABLE;
constexpr unsigned kNotFound = ~0u;

// Completions and waits belong to the thread that started the library, also during its shut-down.
bool IsMainThread() {
  DWORD mainThread = GetMainThreadID();
  return mainThread && mainThread == ::GetCurrentThreadId();
}

int DefaultThreadCount() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  int processors = static_cast<int>(info.dwNumberOfProcessors);
  return processors < 1 ? 1 : processors > 8 ? 8 : processors;
}

HANDLE NewManualResetEvent() {
  return ::CreateEventExW(nullptr, nullptr, CREATE_EVENT_MANUAL_RESET, EVENT_ALL_ACCESS);
}

}  // namespace

class CThreadPool::CLock {
 public:
  explicit CLock(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
  ~CLock() { m_section.Leave(); }
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;

 private:
  CCriticalSection& m_section;
};

CThreadPool::CThreadPool() {
  Detail::RegisterThreadPool(this);
}

CThreadPool::~CThreadPool() {
  Detail::UnregisterThreadPool(this);
  CancelAllPending();
  if (m_stopEvent) ::SetEvent(m_stopEvent);
  WaitForWorkers();
  DeliverRemainingCompletions();
  CloseEvents();
}

void CThreadPool::SetMaxThreads(int threads) {
  ::InterlockedExchange(&m_maxThreads, threads < 1 ? 1 : threads > kMaxThreadLimit ? kMaxThreadLimit : threads);
}

unsigned CThreadPool::GetThreadCount() {
  CLock lock(m_lock);
  return m_threads.Count();
}

// Adding.

// An item the pool cannot take (no worker, or the pool is being destroyed) is cancelled at once, so
// that its listeners still hear how it ended.
void CThreadPool::AddWorkItem(IWorkItem* item) {
  if (!item) return;
  bool queued;
  {
    CLock lock(m_lock);
    queued = EnsureWorker();
    if (queued) {
      InsertPending(item);
      SetWorkEvent(true);
    }
  }
  if (!queued) {
    tSmartPtr<IWorkItem> held(item);
    held->InternalOnCancel();
    return;
  }
  if (IsShuttingDown()) WaitForAllWork();
}

bool CThreadPool::CreateEvents() {
  if (!m_workEvent) m_workEvent = NewManualResetEvent();
  if (!m_doneEvent) m_doneEvent = NewManualResetEvent();
  if (!m_stopEvent) m_stopEvent = NewManualResetEvent();
  return m_workEvent && m_doneEvent && m_stopEvent;
}

// Under the lock: starts one more worker when every started one is busy and the maximum allows it.
// True when the pool has a worker for the new item.
bool CThreadPool::EnsureWorker() {
  if (m_maxThreads == 0 || !CreateEvents()) return false;
  unsigned started = m_threads.Count();
  if (m_pending.Count() + m_running.Count() >= started && started < static_cast<unsigned>(m_maxThreads) &&
      m_threads.Reserve(started + 1)) {
    uintptr_t thread = ::_beginthreadex(nullptr, 0, &CThreadPool::WorkerMain, this, 0, nullptr);
    if (thread) m_threads.PushBack(reinterpret_cast<HANDLE>(thread));
  }
  return !m_threads.IsEmpty();
}

// Under the lock: after every item of equal or lower priority.
void CThreadPool::InsertPending(IWorkItem* item) {
  int priority = item->GetPriority();
  unsigned low = 0, high = m_pending.Count();
  while (low < high) {
    unsigned middle = low + (high - low) / 2;
    if (m_pending[middle]->GetPriority() <= priority) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  m_pending.Insert(low, tSmartPtr<IWorkItem>(item));
}

// Under the lock: the events change only when their state does, sparing redundant kernel calls.
void CThreadPool::SetWorkEvent(bool set) {
  if (m_workEventSet == set) return;
  m_workEventSet = set;
  set ? ::SetEvent(m_workEvent) : ::ResetEvent(m_workEvent);
}

void CThreadPool::SetDoneEvent(bool set) {
  if (m_doneEventSet == set || !m_doneEvent) return;
  m_doneEventSet = set;
  set ? ::SetEvent(m_doneEvent) : ::ResetEvent(m_doneEvent);
}

// Workers.

unsigned __stdcall CThreadPool::WorkerMain(void* pool) {
  static_cast<CThreadPool*>(pool)->WorkerLoop();
  return 0;
}

// Takes work for as long as the queue has some (a wait would return at once: the work event is set
// while it does); waits again once a take finds nothing, or the pool is being destroyed.
void CThreadPool::WorkerLoop() {
  HANDLE handles[2] = {m_stopEvent, m_workEvent};  // stop first: it wins when both are set
  while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    while (tSmartPtr<IWorkItem> item = TakeWork()) {
      item->Run();
      FinishWork(item);
      ::Sleep(0);
    }
  }
}

// Nothing while the pool is held: the worker waits again until ResumeThreads sets the work event.
tSmartPtr<IWorkItem> CThreadPool::TakeWork() {
  CLock lock(m_lock);
  if (m_maxThreads == 0 || m_holds != 0 || m_pending.IsEmpty()) {
    SetWorkEvent(false);
    return nullptr;
  }
  tSmartPtr<IWorkItem> item = std::move(m_pending.Back());
  m_pending.PopBack();
  m_running.PushBack(item);
  return item;
}

// Moves the item to the completed list and has the main thread deliver it. While the pool is being
// destroyed nothing is posted: the destructor delivers.
void CThreadPool::FinishWork(IWorkItem* item) {
  CLock lock(m_lock);
  for (unsigned i = 0; i < m_running.Count(); ++i) {
    if (m_running[i] == item) {
      m_completed.PushBack(std::move(m_running[i]));
      m_running.Erase(i, 1);
      break;
    }
  }
  if (m_maxThreads != 0) {
    CThreadPool* pool = this;
    PostMainThreadFunction([pool] { DeliverPostedCompletion(pool); });
  }
  SetDoneEvent(true);
}

// Completions and waits.

tSmartPtr<IWorkItem> CThreadPool::TakeCompleted() {
  CLock lock(m_lock);
  tSmartPtr<IWorkItem> item;
  if (auto* first = m_completed.First()) {
    item = std::move(first->Value());
    m_completed.Remove(first);
  }
  if (m_completed.IsEmpty()) SetDoneEvent(false);
  return item;
}

void CThreadPool::DeliverOneCompletion() {
  if (tSmartPtr<IWorkItem> item = TakeCompleted()) item->InternalOnComplete();
}

// A worker's post names its pool without a reference: the last reference may be gone already (a
// reference taken then would revive a pool in destruction). The pool is used only while it is on
// the list of pools, under the list's lock; one that has left it delivers in its destructor.
void CThreadPool::DeliverPostedCompletion(CThreadPool* pool) {
  tSmartPtr<IWorkItem> item;
  {
    CScopeCriticalSection guard(eGlobalCSThreadPools);
    if (Detail::IsThreadPoolRegistered(pool)) item = pool->TakeCompleted();
  }
  if (item) item->InternalOnComplete();
}

bool CThreadPool::HasWork() {
  CLock lock(m_lock);
  return !m_pending.IsEmpty() || !m_running.IsEmpty() || !m_completed.IsEmpty();
}

// Waits, pumping messages, until an item finishes. Returns at once when nothing is pending or
// running, or when a finished item already waits for delivery (the done event is set then).
void CThreadPool::WaitForActivity() {
  for (;;) {
    {
      CLock lock(m_lock);
      if (!m_completed.IsEmpty() || (m_pending.IsEmpty() && m_running.IsEmpty())) return;
    }
    DWORD result = ::MsgWaitForMultipleObjectsEx(1, &m_doneEvent, INFINITE, kPumpedInput, kPumpFlags);
    if (result == WAIT_OBJECT_0 + 1) {
      HandleMessages();
    } else if (result != WAIT_IO_COMPLETION) {
      return;
    }
  }
}

bool CThreadPool::IsKnown(IWorkItem* item) {
  CLock lock(m_lock);
  for (unsigned i = 0; i < m_pending.Count(); ++i) {
    if (m_pending[i] == item) return true;
  }
  for (IWorkItem* running : m_running) {
    if (running == item) return true;
  }
  for (tSmartPtr<IWorkItem>& completed : m_completed) {
    if (completed == item) return true;
  }
  return false;
}

bool CThreadPool::WaitForWorkItem(IWorkItem* item) {
  if (!IsMainThread()) return false;
  if (!item) {
    WaitForActivity();
    DeliverOneCompletion();
    return true;
  }
  while (IsKnown(item)) {
    WaitForActivity();
    DeliverOneCompletion();
  }
  return true;
}

void CThreadPool::WaitForAllWork() {
  if (!IsMainThread()) return;
  DeliverOneCompletion();
  while (HasWork()) {
    WaitForActivity();
    DeliverOneCompletion();
  }
}

bool CThreadPool::CancelWorkItem(IWorkItem* item) {
  if (!item) return false;
  tSmartPtr<IWorkItem> cancelled;
  {
    CLock lock(m_lock);
    unsigned found = kNotFound;
    for (unsigned i = m_pending.Count(); i-- > 0;) {
      if (m_pending[i] == item) {
        found = i;
        break;
      }
    }
    if (found == kNotFound) return false;
    cancelled = std::move(m_pending[found]);
    m_pending.Erase(found, 1);
  }
  cancelled->InternalOnCancel();
  return true;
}

void CThreadPool::SuspendThreads() {
  CLock lock(m_lock);
  ++m_holds;
}

void CThreadPool::ResumeThreads() {
  CLock lock(m_lock);
  if (m_holds != 0 && --m_holds == 0 && !m_pending.IsEmpty()) SetWorkEvent(true);
}

// Destruction.

// Stops all taking of work and cancels what was still queued, next to run first.
void CThreadPool::CancelAllPending() {
  tGapVector<tSmartPtr<IWorkItem>, 0> pending;
  {
    CLock lock(m_lock);
    ::InterlockedExchange(&m_maxThreads, 0);
    pending = std::move(m_pending);
  }
  for (unsigned i = pending.Count(); i-- > 0;) pending[i]->InternalOnCancel();
}

// Waits for every worker to end, closing each handle as its thread ends. On the main thread it
// delivers the completions of items that finish meanwhile; it pumps messages on any thread.
void CThreadPool::WaitForWorkers() {
  const bool deliver = IsMainThread() && m_doneEvent;
  for (;;) {
    HANDLE handles[kMaxThreadLimit + 1];
    DWORD threads = 0;
    {
      CLock lock(m_lock);
      for (HANDLE thread : m_threads) handles[threads++] = thread;
    }
    if (threads == 0) return;
    DWORD count = threads;
    if (deliver) handles[count++] = m_doneEvent;
    DWORD result = ::MsgWaitForMultipleObjectsEx(count, handles, INFINITE, kPumpedInput, kPumpFlags);
    if (result < WAIT_OBJECT_0 + threads) {
      CLock lock(m_lock);
      m_threads.Erase(result - WAIT_OBJECT_0, 1);
      ::CloseHandle(handles[result - WAIT_OBJECT_0]);
    } else if (result < WAIT_OBJECT_0 + count) {
      DeliverOneCompletion();
    } else if (result == WAIT_OBJECT_0 + count) {
      HandleMessages();
    } else if (result != WAIT_IO_COMPLETION) {
      // The wait itself failed: wait for the threads without pumping.
      ::WaitForMultipleObjects(threads, handles, TRUE, INFINITE);
      CLock lock(m_lock);
      for (HANDLE thread : m_threads) ::CloseHandle(thread);
      m_threads.Clear();
    }
  }
}

// Items that finished after the last delivery: delivered here on the main thread, else posted to it
// (holding only the item).
void CThreadPool::DeliverRemainingCompletions() {
  if (IsMainThread()) {
    while (!m_completed.IsEmpty()) DeliverOneCompletion();
    return;
  }
  for (tSmartPtr<IWorkItem>& completed : m_completed) {
    PostMainThreadFunction([item = completed] { item->InternalOnComplete(); });
  }
  m_completed.Clear();
}

void CThreadPool::CloseEvents() {
  for (HANDLE event : {m_workEvent, m_doneEvent, m_stopEvent}) {
    if (event) ::CloseHandle(event);
  }
  m_workEvent = m_doneEvent = m_stopEvent = nullptr;
}

bool CreateThreadPool(IThreadPool** out, int threads) {
  if (!out) return false;
  *out = nullptr;
  CThreadPool* pool = nullptr;
  if (FAILED(CComObject<CThreadPool>::CreateObject(nullptr, &pool))) return false;
  pool->SetMaxThreads(threads >= 1 && threads <= CThreadPool::kMaxThreadLimit ? threads : DefaultThreadCount());
  *out = pool;
  return true;
}

}  // namespace Orv
