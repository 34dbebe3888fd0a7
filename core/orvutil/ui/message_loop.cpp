// The message pump: message filters, modeless-dialog routing, WM_QUIT tracking, application
// message numbers and PostMessageOnce.
#include <windows.h>

#include <atomic>

#include "../detail/never_destroyed.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/ui/messageloop.h"

namespace Orv {

namespace {

struct SMessageFilter {
  bool (*filter)(MSG&);
  CModule* module;
};

// The filters in order of registration. Removed filters are nulled in place, so that a walk in
// progress keeps its positions, and compacted by the outermost walk when it ends.
struct SFilterList {
  CCriticalSection lock;
  tVectorPOD<SMessageFilter, 8> entries;
  unsigned walkDepth = 0;
  bool shutdownRegistered = false;
};

struct SModelessList {
  CCriticalSection lock;
  tVectorPOD<HWND, 8> dialogs;
};

struct SAppMessages {
  CCriticalSection lock;
  UINT next = WM_APP;
};

// Never destroyed: filters of other modules may be removed late in the process.
SFilterList& Filters() {
  static Detail::tNeverDestroyed<SFilterList> s_filters;
  return s_filters.Get();
}

SModelessList& ModelessDialogs() {
  static Detail::tNeverDestroyed<SModelessList> s_dialogs;
  return s_dialogs.Get();
}

SAppMessages& AppMessages() {
  static Detail::tNeverDestroyed<SAppMessages> s_messages;
  return s_messages.Get();
}

std::atomic<bool> g_gotQuit{false};

void ReleaseFilter(SMessageFilter& entry) {
  entry.filter = nullptr;
  if (entry.module) entry.module->Release();
  entry.module = nullptr;
}

// Shut-down function: drops every filter and its module reference.
void ClearMessageFilters() {
  SFilterList& list = Filters();
  CScopeCriticalSection guard(list.lock);
  for (SMessageFilter& entry : list.entries) ReleaseFilter(entry);
  if (list.walkDepth == 0) list.entries.Clear();
}

void DropRemovedFilters(SFilterList& list) {
  for (unsigned i = list.entries.Count(); i-- > 0;) {
    if (!list.entries[i].filter) list.entries.Erase(i, 1);
  }
}

// Calls the filters in order (the list may grow or lose filters meanwhile); true when one consumed
// the message.
bool RunFilters(MSG& msg) {
  SFilterList& list = Filters();
  CScopeCriticalSection guard(list.lock);
  if (list.entries.IsEmpty()) return false;
  ++list.walkDepth;
  bool consumed = false;
  bool sawRemoved = false;
  for (unsigned i = 0; i < list.entries.Count() && !consumed; ++i) {
    bool (*filter)(MSG&) = list.entries[i].filter;
    if (filter) {
      consumed = filter(msg);
    } else {
      sawRemoved = true;
    }
  }
  if (--list.walkDepth == 0 && sawRemoved) DropRemovedFilters(list);
  return consumed;
}

// Offers the message to the modeless dialogs, newest first. The handles are copied so that no lock
// is held while a dialog handles the message (it may add or remove dialogs).
bool RouteToModelessDialogs(MSG& msg) {
  tVectorPOD<HWND, 16> dialogs;
  {
    SModelessList& list = ModelessDialogs();
    CScopeCriticalSection guard(list.lock);
    dialogs.Insert(0, list.dialogs.Data(), list.dialogs.Count());
  }
  for (unsigned i = dialogs.Count(); i-- > 0;) {
    if (::IsDialogMessageW(dialogs[i], &msg)) return true;
  }
  return false;
}

}  // namespace

void HandleMessage(MSG& msg) {
  if (RunFilters(msg) || RouteToModelessDialogs(msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

bool HandleMessages() {
  // A zero wait in alertable state lets the thread's queued APCs run. A wait that input satisfies
  // at once runs none, so they get an alertable sleep of their own then.
  DWORD waited = ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT & ~QS_SENDMESSAGE, MWMO_ALERTABLE);
  if (waited == WAIT_OBJECT_0) ::SleepEx(0, TRUE);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      g_gotQuit = true;
    } else {
      HandleMessage(msg);
    }
  }
  return !g_gotQuit;
}

// MWMO_INPUTAVAILABLE: messages that an earlier PeekMessage saw but left in the queue (as
// PostMessageOnce does) must end the wait too.
bool WaitForMessage() {
  if (!g_gotQuit)
    ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
  return HandleMessages();
}

bool GotQuitMessage() {
  return g_gotQuit;
}

void AddMessageFilter(bool (*filter)(MSG&), CModule* module) {
  if (!filter) return;
  SFilterList& list = Filters();
  CScopeCriticalSection guard(list.lock);
  if (!list.shutdownRegistered) {
    list.shutdownRegistered = true;
    AtShutdown(ClearMessageFilters, &GetOrvutilModule());
  }
  if (module) module->AddRef();
  list.entries.PushBack(SMessageFilter{filter, module});
}

void RemoveMessageFilter(bool (*filter)(MSG&)) {
  if (!filter) return;
  SFilterList& list = Filters();
  CScopeCriticalSection guard(list.lock);
  for (SMessageFilter& entry : list.entries) {
    if (entry.filter == filter) ReleaseFilter(entry);
  }
}

void AddModelessDialog(HWND dialog) {
  if (!dialog) return;
  SModelessList& list = ModelessDialogs();
  CScopeCriticalSection guard(list.lock);
  for (HWND known : list.dialogs) {
    if (known == dialog) return;
  }
  list.dialogs.PushBack(dialog);
}

void RemoveModelessDialog(HWND dialog) {
  if (!dialog) return;
  SModelessList& list = ModelessDialogs();
  CScopeCriticalSection guard(list.lock);
  for (unsigned i = list.dialogs.Count(); i-- > 0;) {
    if (list.dialogs[i] == dialog) list.dialogs.Erase(i, 1);
  }
}

bool IsModelessDialog(HWND dialog) {
  if (!dialog) return false;
  SModelessList& list = ModelessDialogs();
  CScopeCriticalSection guard(list.lock);
  for (HWND known : list.dialogs) {
    if (known == dialog) return true;
  }
  return false;
}

UINT CreateAppMessage() {
  SAppMessages& messages = AppMessages();
  CScopeCriticalSection guard(messages.lock);
  return messages.next++;
}

// A null window means the thread's own messages (PeekMessage's -1). The number check matters for
// WM_NULL, whose filter range 0..0 would match any message.
bool PostMessageOnce(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG waiting;
  HWND peekWindow = hwnd ? hwnd : reinterpret_cast<HWND>(-1);
  if (::PeekMessageW(&waiting, peekWindow, msg, msg, PM_NOREMOVE | PM_NOYIELD) && waiting.message == msg) return false;
  return ::PostMessageW(hwnd, msg, wParam, lParam) != FALSE;
}

}  // namespace Orv
