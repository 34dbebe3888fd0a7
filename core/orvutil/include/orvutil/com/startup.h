// Library start-up and shut-down.
//
// The host constructs one CWinMainInit on its main thread before using the library and destroys it
// when done. Start-up runs the registered start-up functions, seeds the C random generator, lets the
// library take its locks, installs the structured-exception translator, starts main-thread dispatch
// and initialises COM and the common controls as the flags ask. Shut-down (the destructor) flushes
// background work and posted functions, runs the AtShutdown functions in reverse order, shuts every
// module down, stops locking and uninitialises COM. Each happens at most once per process.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

class CModule;

// CWinMainInit flags.
enum : unsigned long {
  eWinMainComApartment = 0x1,      // CoInitializeEx(COINIT_APARTMENTTHREADED)
  eWinMainComMultithreaded = 0x2,  // CoInitializeEx(COINIT_MULTITHREADED), when 0x1 is not set
  eWinMainOle = 0x4,               // OleInitialize, when neither 0x1 nor 0x2 is set
  eWinMainCommonControls = 0x8,    // InitCommonControlsEx for every class of the first byte
};

class ORV_API CWinMainInit {
 public:
  explicit CWinMainInit(unsigned long flags = 0);
  ~CWinMainInit();
  CWinMainInit(const CWinMainInit&) = delete;
  CWinMainInit& operator=(const CWinMainInit&) = delete;

  // False when the library had started or shut down before (this object then does nothing).
  bool Success() const { return m_success; }

 private:
  bool m_success;
};

// A file-scope record whose function runs at start-up; records run in reverse order of construction.
struct ORV_API StaticStartupFunction {
  explicit StaticStartupFunction(void (*function)());
  void (*function)();
  StaticStartupFunction* next;
};

// Runs `function` at shut-down (later registrations first). `module`, when given, stays counted until
// the function ran. A null function is ignored.
ORV_API void AtShutdown(void (*function)(), CModule* module);

ORV_API bool DidStartup();
ORV_API bool DidShutdown();
ORV_API bool IsShuttingDown();

}  // namespace Orv
