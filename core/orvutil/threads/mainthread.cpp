// Main-thread dispatch: the queue of functions for the main thread, its wake event and its
// message-only window.
//
// A post that makes the queue non-empty sets the wake event and posts WM_USER to the window, so the
// main thread drains the queue from its message loop or from WaitForHandle; further posts into a
// non-empty queue signal nothing more. Section 26 is held only while entries move: a post takes its
// entry from the pool and queues it under one lock, and a drain returns its whole batch to the pool
// under one more.
#include "orvutil/threads/mainthread.h"

#include <atomic>
#include <utility>

#include "../detail/never_destroyed.h"
#include "../detail/dispatch.h"
#include "function_entry.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/ui/window.h"

namespace Orv {

namespace {

using Detail::SFunctionEntry;
using EntryList = Detail::FunctionEntryList;

// Runs the queue when woken up, and once more when it is destroyed.
class CMainThreadMessageWindow : public CCustomWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DESTROY || msg == WM_USER) FlushMainThreadFunctions();
    return CCustomWindow::WindowProc(hwnd, msg, wParam, lParam);
  }
};

struct SDispatchState {
  std::atomic<DWORD> mainThreadId{0};
  std::atomic<bool> ready{false};
  // The window's handle while posts are accepted; changed under eGlobalCSMainThreadQueue.
  std::atomic<HWND> hwnd{nullptr};
  HANDLE wakeEvent = nullptr;
  CMainThreadMessageWindow* window = nullptr;  // main thread only
  EntryList queue;                             // in posting order, under eGlobalCSMainThreadQueue
  EntryList spare;                             // main thread only: an emptied batch whose buffer the queue takes next
};

// Never destroyed: other threads may post while the process ends.
SDispatchState& State() {
  static Detail::tNeverDestroyed<SDispatchState> s_state;
  return s_state.Get();
}

// Lets pending sent messages and asynchronous procedure calls through without waiting.
void LetSentMessagesThrough() {
  ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
}

// Takes everything queued so far and runs it in posting order, outside the lock; what the functions
// post meanwhile waits for the next drain. The queue continues in the buffer of the previous batch,
// so a steady stream of posts does not grow a new array each time.
void DrainQueue() {
  SDispatchState& state = State();
  EntryList batch = std::move(state.spare);
  {
    CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
    if (!state.queue.IsEmpty()) {  // the event is set only while the queue holds entries
      std::swap(state.queue, batch);
      ::ResetEvent(state.wakeEvent);
    }
  }
  Detail::RunFunctionEntries(batch);
  batch.Clear();
  state.spare = std::move(batch);
}

// Waits alertably for `handle` alone; I/O completion routines that end the wait do not count.
bool WaitAlertably(HANDLE handle) {
  for (;;) {
    DWORD result = ::WaitForSingleObjectEx(handle, INFINITE, TRUE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_IO_COMPLETION) return false;
  }
}

}  // namespace

unsigned long GetMainThreadID() {
  return State().mainThreadId;
}

bool IsRunningOnMainThread() {
  SDispatchState& state = State();
  return state.ready && state.mainThreadId == ::GetCurrentThreadId();
}

void PostMainThreadFunction(std::function<void()> fn, CModule* module) {
  SDispatchState& state = State();
  if (!fn || !state.hwnd) return;
  // A function that is not queued is destroyed with `fn`, after the lock is left.
  CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
  HWND hwnd = state.hwnd;
  if (!hwnd) return;
  SFunctionEntry* entry = Detail::NewFunctionEntry(fn, module);
  if (!entry) return;
  if (!state.queue.PushBack(entry)) {
    Detail::UndoFunctionEntry(entry, fn);
    return;
  }
  if (state.queue.Count() == 1) {
    ::SetEvent(state.wakeEvent);
    ::PostMessageW(hwnd, WM_USER, 0, 0);
  }
}

void FlushMainThreadFunctions() {
  if (!IsRunningOnMainThread()) return;
  LetSentMessagesThrough();
  DrainQueue();
}

bool IsEventSet(HANDLE handle) {
  return !handle || ::WaitForSingleObjectEx(handle, 0, FALSE) == WAIT_OBJECT_0;
}

bool WaitForHandle(HANDLE handle) {
  if (!IsRunningOnMainThread()) return WaitAlertably(handle);
  HANDLE wakeEvent = State().wakeEvent;
  if (!wakeEvent) return WaitAlertably(handle);
  HANDLE handles[2] = {handle, wakeEvent};
  for (;;) {
    DWORD result = ::WaitForMultipleObjectsEx(2, handles, FALSE, INFINITE, TRUE);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_OBJECT_0 + 1) {
      LetSentMessagesThrough();
      DrainQueue();
    } else if (result != WAIT_IO_COMPLETION) {
      return false;
    }
  }
}

namespace Detail {

void StartMainThreadDispatch() {
  SDispatchState& state = State();
  state.mainThreadId = ::GetCurrentThreadId();
  HANDLE wakeEvent = ::CreateEventExW(nullptr, nullptr, CREATE_EVENT_MANUAL_RESET, EVENT_ALL_ACCESS);
  if (state.wakeEvent) ::CloseHandle(state.wakeEvent);
  state.wakeEvent = wakeEvent;
  if (!state.window) {
    auto* window = new CMainThreadMessageWindow;
    if (window->CreateMessageWindow(CCustomWindow::GetMessageWindowClassName())) {
      state.window = window;
    } else {
      delete window;
    }
  }
  if (state.window) state.hwnd = state.window->GetHwnd();
  state.ready = true;
}

void StopMainThreadDispatch() {
  SDispatchState& state = State();
  RunThreadExitFunctions();
  {
    CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
    state.hwnd = nullptr;
  }
  if (CMainThreadMessageWindow* window = state.window) {
    state.window = nullptr;
    ::DestroyWindow(window->GetHwnd());  // its WM_DESTROY runs the functions still queued
    delete window;
  }
  state.ready = false;
  if (state.wakeEvent) ::CloseHandle(state.wakeEvent);
  state.wakeEvent = nullptr;
}

}  // namespace Detail

}  // namespace Orv
