// The pool of function entries shared by the main-thread queue and the thread-exit list.
#include "function_entry.h"

#include <utility>

#include "../detail/never_destroyed.h"
#include "orvutil/com/module.h"
#include "orvutil/foundation/pool.h"
#include "orvutil/threads/locks.h"

namespace Orv {
namespace Detail {

namespace {

// Guarded by eGlobalCSMainThreadQueue. Never destroyed: threads may still leave (and free their
// entries) while the process ends.
tPoolAllocator<SFunctionEntry, false>& EntryPool() {
  static Detail::tNeverDestroyed<tPoolAllocator<SFunctionEntry, false>> s_pool;
  return s_pool.Get();
}

}  // namespace

SFunctionEntry* NewFunctionEntry(std::function<void()>& function, CModule* module) {
  SFunctionEntry* entry = EntryPool().New(SFunctionEntry{nullptr, module, ::GetCurrentThreadId()});
  if (!entry) return nullptr;
  entry->function.swap(function);
  if (module) module->AddRef();
  return entry;
}

void UndoFunctionEntry(SFunctionEntry* entry, std::function<void()>& function) {
  function.swap(entry->function);
  if (entry->module) entry->module->Release();
  EntryPool().Delete(entry);
}

// The function may hold code or data of the module's binary: it goes before the module's count.
// The empty entries then go back together.
void RunFunctionEntries(const FunctionEntryList& entries) {
  for (SFunctionEntry* entry : entries) {
    entry->function();
    entry->function = nullptr;
    if (entry->module) entry->module->Release();
    entry->module = nullptr;
  }
  if (entries.IsEmpty()) return;
  CScopeCriticalSection guard(eGlobalCSMainThreadQueue);
  for (SFunctionEntry* entry : entries) EntryPool().Delete(entry);
}

}  // namespace Detail
}  // namespace Orv
