// COnceFlag: data set up once on first use, under a lock, and read without it afterwards.
//
// The flag is read with acquire and set with release ordering, so a thread that finds it set also
// sees everything the setting thread wrote before it: the data it guards needs no ordering of its
// own. The lock is taken only while the flag is clear and, like every scope guard, only while
// critical sections are allowed (before start-up one thread runs).
#pragma once

#include <atomic>

#include "orvutil/threads/locks.h"

namespace Orv {

class COnceFlag {
 public:
  constexpr COnceFlag() = default;
  COnceFlag(const COnceFlag&) = delete;
  COnceFlag& operator=(const COnceFlag&) = delete;

  bool IsDone() const { return m_done.load(std::memory_order_acquire); }

  // Unless the flag is set, enters `lock` (a CRITICAL_SECTION or an EGlobalCriticalSection), tests
  // again and calls `init`, which returns whether it set the data up: true sets the flag, false
  // leaves it clear so that a later call tries again. Returns whether the flag is set; read the
  // data only then.
  template <class Lock, class Init>
  bool Run(Lock&& lock, Init&& init) {
    if (IsDone()) return true;
    CScopeCriticalSection guard(lock);
    if (IsDone()) return true;
    if (!init()) return false;
    m_done.store(true, std::memory_order_release);
    return true;
  }

 private:
  std::atomic<bool> m_done{false};
};

}  // namespace Orv
