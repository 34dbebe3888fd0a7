// The pool of function entries shared by the main-thread queue and the thread-exit list.
#include "function_entry.h"

#include <utility>

#include "../detail/never_destroyed.h"
#include "orvutil/com/module.h"
#include "orvutil/foundation/pool.h"

namespace Orv {
namespace Detail {

namespace {

// Never destroyed: threads may still leave (and free their entries) while the process ends.
tPoolAllocator<SFunctionEntry>& EntryPool() {
  static Detail::tNeverDestroyed<tPoolAllocator<SFunctionEntry>> s_pool;
  return s_pool.Get();
}

}  // namespace

SFunctionEntry* NewFunctionEntry(std::function<void()> function, CModule* module) {
  SFunctionEntry* entry = EntryPool().New(SFunctionEntry{std::move(function), module, ::GetCurrentThreadId()});
  if (entry && module) module->AddRef();
  return entry;
}

// The function may hold code or data of the module's binary: it goes before the module's count.
void FreeFunctionEntry(SFunctionEntry* entry) {
  CModule* module = entry->module;
  EntryPool().Delete(entry);
  if (module) module->Release();
}

void RunFunctionEntry(SFunctionEntry* entry) {
  entry->function();
  FreeFunctionEntry(entry);
}

}  // namespace Detail
}  // namespace Orv
