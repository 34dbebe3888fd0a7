#include "process_usage.h"

#include <psapi.h>

#include <cstdlib>

namespace OrvTest {

namespace {

// Handle values run in steps of 4; a long enough run of free values follows the last one in use.
constexpr ULONG_PTR kHandleStep = 4, kFreeRunAfterLast = 4096;

}  // namespace

DWORD HandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return count;
  DWORD flags = 0;
  for (ULONG_PTR value = kHandleStep, last = 0; value - last < kFreeRunAfterLast; value += kHandleStep) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++count;
      last = value;
    }
  }
  return count;
}

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters)) &&
      counters.PrivateUsage) {
    return counters.PrivateUsage;
  }
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

unsigned RoundsFromEnvironment(const char* name, unsigned byDefault) {
  const char* text = std::getenv(name);
  unsigned rounds = text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 0;
  return rounds ? rounds : byDefault;
}

}  // namespace OrvTest
