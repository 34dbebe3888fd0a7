// Turns the library's critical sections on for a scope and puts back the previous setting, also
// when an assertion ends the test early.
#pragma once

#include "orvutil/threads/locks.h"

class ScopedLocks {
 public:
  explicit ScopedLocks(bool allowed = true) : m_previous(Orv::CScopeCriticalSection::AreCriticalSectionsAllowed()) {
    Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(allowed);
  }
  ~ScopedLocks() { Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(m_previous); }
  ScopedLocks(const ScopedLocks&) = delete;
  ScopedLocks& operator=(const ScopedLocks&) = delete;

 private:
  bool m_previous;
};
