// Library start-up and shut-down: CWinMainInit, start-up records and shut-down functions.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include "../detail/never_destroyed.h"
#include "orvutil/com.h"
#include "orvutil/diag.h"
#include "orvutil/foundation/hash.h"
#include "startup_hooks.h"

namespace Orv {

namespace {

struct SShutdownFunction {
  void (*function)();
  CModule* module;
};

struct SLibraryState {
  StaticStartupFunction* startupList = nullptr;
  tVectorPOD<SShutdownFunction, 8> shutdownList;
  bool started = false;
  bool shuttingDown = false;
  bool shutDown = false;
  bool comInitialized = false;
  unsigned long flags = 0;
};

// Never destroyed: start-up records of other binaries may link in at any time.
SLibraryState& State() {
  static Detail::tNeverDestroyed<SLibraryState> s_state;
  return s_state.Get();
}

void SeedRandomGenerator() {
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  ::srand(HashBytes(reinterpret_cast<unsigned char const*>(&now), sizeof(now)));
}

bool InitializeCom(unsigned long flags) {
  if (flags & eWinMainComApartment) return SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (flags & eWinMainComMultithreaded) return SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  if (flags & eWinMainOle) return SUCCEEDED(::OleInitialize(nullptr));
  return false;
}

void UninitializeCom(unsigned long flags) {
  if (flags & (eWinMainComApartment | eWinMainComMultithreaded)) {
    ::CoUninitialize();
  } else if (flags & eWinMainOle) {
    ::OleUninitialize();
  }
}

void InitializeCommonControls() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
  ::InitCommonControlsEx(&controls);
}

// Runs and empties the shut-down list, newest first, releasing each function's module afterwards.
void RunShutdownFunctions() {
  tVectorPOD<SShutdownFunction, 8> functions;
  {
    CScopeCriticalSection guard(eGlobalCSShutdownList);
    functions = State().shutdownList;
    State().shutdownList.Clear();
  }
  for (unsigned i = functions.Count(); i-- > 0;) {
    functions[i].function();
    if (functions[i].module) functions[i].module->Release();
  }
}

void ShutDownModules() {
  for (unsigned i = 0; i < GetModuleCount(); ++i) {
    if (CModule* module = GetModuleByIndex(i)) module->InternalAtShutdown();
  }
}

}  // namespace

StaticStartupFunction::StaticStartupFunction(void (*function)()) : function(function), next(nullptr) {
  CScopeCriticalSection guard(eGlobalCSStartupList);
  next = State().startupList;
  State().startupList = this;
}

void AtShutdown(void (*function)(), CModule* module) {
  if (!function) return;
  if (module) module->AddRef();
  CScopeCriticalSection guard(eGlobalCSShutdownList);
  State().shutdownList.PushBack(SShutdownFunction{function, module});
}

bool DidStartup() {
  return State().started;
}

bool DidShutdown() {
  return State().shutDown;
}

bool IsShuttingDown() {
  return State().shuttingDown;
}

CWinMainInit::CWinMainInit(unsigned long flags) : m_success(false) {
  SLibraryState& state = State();
  if (state.started || state.shutDown) return;
  for (StaticStartupFunction* record = state.startupList; record; record = record->next) {
    if (record->function) record->function();
  }
  state.started = true;
  state.flags = flags;
  SeedRandomGenerator();
  CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  InstallStructuredExceptionTranslator();
  Detail::StartThreadingServices();
  state.comInitialized = InitializeCom(flags);
  if (flags & eWinMainCommonControls) InitializeCommonControls();
  for (unsigned i = 0; i < GetModuleCount(); ++i) {
    if (CModule* module = GetModuleByIndex(i)) module->InternalAtStartup();
  }
  m_success = true;
}

CWinMainInit::~CWinMainInit() {
  SLibraryState& state = State();
  if (!m_success || state.shuttingDown || state.shutDown) return;
  state.shuttingDown = true;
  Detail::StopThreadingServices();
  RunShutdownFunctions();
  ShutDownModules();
  CScopeCriticalSection::SetCriticalSectionsAllowed(false);
  if (state.comInitialized) UninitializeCom(state.flags);
  state.shutDown = true;
}

}  // namespace Orv
