// Pooled function entries: a function queued for the main thread or registered to run when its
// thread leaves, with the module that must stay loaded until it ran.
//
// Entries come from one process-wide pool that locks itself; an entry belongs to whoever holds it.
#pragma once

#include <windows.h>

#include <functional>

namespace Orv {

class CModule;

namespace Detail {

struct SFunctionEntry {
  std::function<void()> function;
  CModule* module;  // counted while the entry lives; may be null
  DWORD threadId;   // the thread that queued or registered the function
};

// An entry holding `function` for the calling thread; counts `module`. Null when out of memory.
SFunctionEntry* NewFunctionEntry(std::function<void()> function, CModule* module);
// Destroys the function, returns the entry to the pool, then lets the module go.
void FreeFunctionEntry(SFunctionEntry* entry);
// Calls the function and frees the entry.
void RunFunctionEntry(SFunctionEntry* entry);

}  // namespace Detail
}  // namespace Orv
