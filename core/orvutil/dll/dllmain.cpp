// Entry point of orvutil.dll.
#include <windows.h>

#include "orvutil/com.h"

namespace {

HINSTANCE g_instance = nullptr;

}  // namespace

namespace Orv {

HINSTANCE GetOrvutilInstance() {
  return g_instance;
}

}  // namespace Orv

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  return TRUE;
}
