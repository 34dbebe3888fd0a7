// Thread-exit functions: registered by any thread, run by that thread when it leaves (the DLL entry
// point's DLL_THREAD_DETACH, or the main thread's clean-up at library shut-down).
#include <utility>

#include "../detail/never_destroyed.h"
#include "../detail/dispatch.h"
#include "function_entry.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/threads/locks.h"
#include "orvutil/threads/mainthread.h"

namespace Orv {

namespace {

using Detail::SFunctionEntry;
using EntryList = Detail::FunctionEntryList;

// Every thread's registrations, oldest first, under eGlobalCSMainThreadQueue. Never destroyed:
// threads leave until the process ends.
EntryList& ExitList() {
  static Detail::tNeverDestroyed<EntryList> s_list;
  return s_list.Get();
}

// Moves the entries of `threadId` out of the list, newest first; the others keep their order.
EntryList TakeEntriesOf(DWORD threadId) {
  EntryList taken;
  CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
  EntryList& list = ExitList();
  for (unsigned i = list.Count(); i-- > 0;) {
    if (list[i]->threadId == threadId) taken.PushBack(list[i]);
  }
  if (taken.IsEmpty()) return taken;
  unsigned kept = 0;
  for (unsigned i = 0; i < list.Count(); ++i) {
    if (list[i]->threadId != threadId) list[kept++] = list[i];
  }
  list.Resize(kept);
  return taken;
}

}  // namespace

void AtThreadExit(std::function<void()> fn, CModule* module) {
  if (!fn) return;
  // A function that is not registered is destroyed with `fn`, after the lock is left.
  CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
  SFunctionEntry* entry = Detail::NewFunctionEntry(fn, module);
  if (entry && !ExitList().PushBack(entry)) Detail::UndoFunctionEntry(entry, fn);
}

namespace Detail {

void RunThreadExitFunctions() {
  RunFunctionEntries(TakeEntriesOf(::GetCurrentThreadId()));
}

}  // namespace Detail

}  // namespace Orv
