// ORV_PRECONDITION(condition): a precondition of an accessor (an index below the count, a container
// that is not empty), checked in debug builds only. A broken precondition there reports the condition
// and its place to the debugger output and stops the program; release builds (NDEBUG) check nothing
// and cost nothing.
#pragma once

#if defined(NDEBUG)

#define ORV_PRECONDITION(condition) static_cast<void>(0)

#else

#include <windows.h>

#include <cstdlib>

namespace Orv {
namespace Detail {

[[noreturn]] inline void PreconditionFailed(const char* condition, const char* file, int line) {
  char text[512];
  wsprintfA(text, "orvutil: precondition failed: %s (%s:%d)\n", condition, file, line);
  ::OutputDebugStringA(text);
  std::abort();
}

}  // namespace Detail
}  // namespace Orv

#define ORV_PRECONDITION(condition) \
  ((condition) ? static_cast<void>(0) : ::Orv::Detail::PreconditionFailed(#condition, __FILE__, __LINE__))

#endif
