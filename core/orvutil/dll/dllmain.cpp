// Entry point of orvutil.dll.
#include <windows.h>

#include "../detail/dispatch.h"
#include "orvutil/com.h"
#include "orvutil/diag.h"
#include "orvutil/threads/locks.h"

namespace {

HINSTANCE g_instance = nullptr;

}  // namespace

namespace Orv {

HINSTANCE GetOrvutilInstance() {
  return g_instance;
}

}  // namespace Orv

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      g_instance = instance;
      break;
    case DLL_THREAD_ATTACH:
      // Threads that start after the library cover their faults as the main thread does.
      if (Orv::DidStartup()) Orv::InstallStructuredExceptionTranslator();
      break;
    case DLL_THREAD_DETACH:
      Orv::Detail::RunThreadExitFunctions();
      break;
    case DLL_PROCESS_DETACH:
      // The filter must not outlive the code it points into.
      Orv::UninstallStructuredExceptionTranslator();
      // Static destructors run after this: they must not take locks any more.
      Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
      break;
  }
  return TRUE;
}
