// Diagnostics: a log copied to a memory writer, and a hardware fault caught as a C++ exception once
// the library has started.
#include <cstdio>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

// Reads through a pointer that may be bad; built, like the library, with -fnon-call-exceptions.
__attribute__((noinline)) int ReadAt(volatile int* p) {
  return *p;
}

}  // namespace

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment);  // installs the fault translator
  if (!init.Success()) return 1;

  // The log copies each line, as UTF-16, to every writer; callers add their own line ends.
  Orv::CLog log;
  Orv::tSmartPtr<Orv::IDataVector> memory;
  Orv::tSmartPtr<Orv::IDataWriter> writer;
  if (!Orv::CreateDataWriter(memory.Receive(), writer.Receive()) || !log.AddWriter(writer)) return 1;
  log.TraceF(L"%ls started\r\n", L"diag example");

  unsigned long code = 0;
  try {
    ReadAt(nullptr);
  } catch (Orv::CStructuredException const& fault) {
    code = fault.GetCode();
  }
  log.TraceF(L"caught fault 0x%08lx\r\n", code);

  Orv::tstring text(reinterpret_cast<const wchar_t*>(memory->GetPointer()), memory->GetSize() / sizeof(wchar_t));
  std::printf("%ls", text.c_str());
  return code == EXCEPTION_ACCESS_VIOLATION ? 0 : 1;
}
