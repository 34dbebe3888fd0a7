// Structured exceptions as C++ exceptions.
//
// Once the translator is installed (library start-up installs it, and threads that attach to the
// library afterwards are covered as well), a hardware fault such as an access violation or an integer
// division by zero that no handler of the faulting thread claims is rethrown at the faulting
// instruction as a CStructuredException, so `catch (Orv::CStructuredException const&)` sees it and
// destructors of the locals between the fault and the handler run.
//
// How: the translator is the process's top-level exception filter. It only sees exceptions that no
// frame handler took, so faults that system code handles itself (guard pages, probing reads inside
// the system, debugger events) stay untouched. For a translatable fault it makes the faulting
// thread continue in a function that throws, with the fault address as that function's return
// address, so the C++ unwinder walks the stack as if the faulting instruction had called it.
//
// Limits: only error-severity (0xC...) exceptions that can be continued are translated; a stack
// overflow is not (there is no stack left to throw on), nor are software exceptions raised with
// RaiseException as non-continuable. Code between the fault and the handler must be built with
// -fnon-call-exceptions (the library and its tests are) so that faulting instructions have unwind
// information. Without a catching handler the throw ends in std::terminate, as any uncaught C++
// exception does. A debugger that catches first-chance exceptions sees the fault before it is
// translated.
#pragma once

#include "orvutil/export.h"

namespace Orv {

class ORV_API CStructuredException {
 public:
  CStructuredException(unsigned long code, void* address) : m_code(code), m_address(address) {}
  CStructuredException(const CStructuredException&) = default;
  CStructuredException& operator=(const CStructuredException&) = default;

  // The structured exception code, e.g. EXCEPTION_ACCESS_VIOLATION (0xC0000005).
  unsigned long GetCode() const { return m_code; }
  // The address of the faulting instruction.
  void* GetAddresss() const { return m_address; }

 private:
  unsigned long m_code;
  void* m_address;
};

// Installs the translator (idempotent); every thread of the process is covered from then on.
ORV_API void InstallStructuredExceptionTranslator();
// Puts back the filter that was there before, unless another filter has been installed over the
// translator since (it is then left in place). The library does this when it is unloaded, so the
// process never keeps a filter that points into an unloaded DLL.
ORV_API void UninstallStructuredExceptionTranslator();
ORV_API bool IsStructuredExceptionTranslatorInstalled();

}  // namespace Orv
