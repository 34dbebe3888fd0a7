// Pooled function entries: a function queued for the main thread or registered to run when its
// thread leaves, with the module that must stay loaded until it ran.
//
// Entries come from one process-wide pool that eGlobalCSMainThreadQueue guards, the same lock as the lists that
// hold the entries: taking an entry and listing it cost one lock round trip, and a batch of entries
// goes back to the pool under one more. An entry belongs to whoever holds it.
#pragma once

#include <windows.h>

#include <functional>

#include "orvutil/foundation/vector.h"

namespace Orv {

class CModule;

namespace Detail {

struct SFunctionEntry {
  std::function<void()> function;
  CModule* module;  // counted while the entry lives; may be null
  DWORD threadId;   // the thread that queued or registered the function
};

using FunctionEntryList = tVectorPOD<SFunctionEntry*>;

// With eGlobalCSMainThreadQueue held: an entry that takes over `function` for the calling thread and counts
// `module`. Null, with `function` untouched, when out of memory.
SFunctionEntry* NewFunctionEntry(std::function<void()>& function, CModule* module);
// With eGlobalCSMainThreadQueue held: gives back an entry that was never listed; its function returns to
// `function`, to be destroyed by the caller outside the lock.
void UndoFunctionEntry(SFunctionEntry* entry, std::function<void()>& function);
// Without the lock: calls the functions of `entries` in order, destroying each function and
// letting its module go as soon as it ran, then returns the entries to the pool under eGlobalCSMainThreadQueue.
void RunFunctionEntries(const FunctionEntryList& entries);

}  // namespace Detail
}  // namespace Orv
