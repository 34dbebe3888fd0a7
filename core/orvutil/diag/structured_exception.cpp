// The structured-exception translator: the process's top-level exception filter resumes a faulting
// thread in a trampoline that throws CStructuredException, as if the faulting instruction had
// called it, so the C++ unwinder continues from the faulting instruction.
//
// The unwinder takes a return address as the end of a call and looks up the instruction before
// it. On x64 the trampoline's return address is therefore the fault address + 1, which lies inside
// the faulting instruction: a fault on the first instruction of a try block or of a scope with
// destructors is then found in that region, not in the one before. On x86 the trampoline's frame
// information marks it as a signal frame, which makes the unwinder take the fault address itself
// as the faulting frame's instruction.
//
// The trampoline keeps a frame pointer and aligns the stack itself, so the fault may happen at any
// stack alignment; its unwind information restores the faulting frame's stack pointer exactly.
#include <windows.h>

#include "orvutil/diag.h"

extern "C" {

// Called by the trampoline with the exception code and address (first two integer arguments).
[[noreturn]] void orv_throw_structured_exception(unsigned long code, void* address) {
  throw Orv::CStructuredException(code, address);
}

void orv_structured_exception_trampoline();

}  // extern "C"

#if defined(__x86_64__)
// Entered with rcx = code, rdx = address and the fault address + 1 on top of the stack. Windows x64
// unwind codes describe the frame; the frame pointer restores rsp whatever the alignment.
asm(R"(
    .text
    .p2align 4
    .def orv_structured_exception_trampoline; .scl 2; .type 32; .endef
    .globl orv_structured_exception_trampoline
orv_structured_exception_trampoline:
    .seh_proc orv_structured_exception_trampoline
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    andq $-16, %rsp
    subq $32, %rsp
    call orv_throw_structured_exception
    int3
    .seh_endproc
)");
#elif defined(__i386__)
// Entered with ecx = code, edx = address and the fault address on top of the stack. DWARF frame
// information describes the frame; as a signal frame it makes the unwinder take the fault address
// as the exact instruction of the faulting frame rather than as a return address.
asm(R"(
    .text
    .p2align 4
    .def _orv_structured_exception_trampoline; .scl 2; .type 32; .endef
    .globl _orv_structured_exception_trampoline
_orv_structured_exception_trampoline:
    .cfi_startproc
    .cfi_signal_frame
    pushl %ebp
    .cfi_def_cfa_offset 8
    .cfi_offset %ebp, -8
    movl %esp, %ebp
    .cfi_def_cfa_register %ebp
    andl $-16, %esp
    subl $8, %esp
    pushl %edx
    pushl %ecx
    call _orv_throw_structured_exception
    int3
    .cfi_endproc
)");
#else
#error "structured-exception translation is written for x86 and x64"
#endif

namespace Orv {

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
volatile LONG g_installed = 0;

// Hardware faults and other error-severity exceptions that may be resumed; a stack overflow leaves
// no stack to throw on.
bool IsTranslatable(EXCEPTION_RECORD const& record) {
  if ((record.ExceptionCode & 0xC0000000u) != 0xC0000000u) return false;
  if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) return false;
  return (record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0;
}

// Makes the thread continue in the trampoline as if the faulting instruction had called it.
void RedirectToThrow(CONTEXT& context, EXCEPTION_RECORD const& record) {
  auto address = reinterpret_cast<ULONG_PTR>(record.ExceptionAddress);
#if defined(__x86_64__)
  context.Rsp -= sizeof(ULONG_PTR);
  *reinterpret_cast<ULONG_PTR*>(context.Rsp) = address + 1;
  context.Rcx = record.ExceptionCode;
  context.Rdx = address;
  context.Rip = reinterpret_cast<ULONG_PTR>(&orv_structured_exception_trampoline);
#else
  context.Esp -= sizeof(ULONG_PTR);
  *reinterpret_cast<ULONG_PTR*>(context.Esp) = address;
  context.Ecx = record.ExceptionCode;
  context.Edx = address;
  context.Eip = reinterpret_cast<ULONG_PTR>(&orv_structured_exception_trampoline);
#endif
}

LONG WINAPI TranslatingFilter(EXCEPTION_POINTERS* pointers) {
  if (pointers && pointers->ExceptionRecord && pointers->ContextRecord && IsTranslatable(*pointers->ExceptionRecord)) {
    RedirectToThrow(*pointers->ContextRecord, *pointers->ExceptionRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return g_previousFilter ? g_previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallStructuredExceptionTranslator() {
  if (::InterlockedCompareExchange(&g_installed, 1, 0) != 0) return;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = ::SetUnhandledExceptionFilter(&TranslatingFilter);
  g_previousFilter = previous == &TranslatingFilter ? nullptr : previous;  // never chain to itself
}

void UninstallStructuredExceptionTranslator() {
  if (::InterlockedExchange(&g_installed, 0) == 0) return;
  LPTOP_LEVEL_EXCEPTION_FILTER current = ::SetUnhandledExceptionFilter(g_previousFilter);
  if (current != &TranslatingFilter) ::SetUnhandledExceptionFilter(current);
  g_previousFilter = nullptr;
}

bool IsStructuredExceptionTranslatorInstalled() {
  return g_installed != 0;
}

}  // namespace Orv
