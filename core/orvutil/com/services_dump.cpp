// Object dumps to a log, and CreateGuid.
#include "orvutil/com/services.h"

namespace Orv {

namespace {

// `count` blanks, in pieces the log writes at once.
void TraceIndent(CLog& log, unsigned int count) {
  while (count > 0) {
    unsigned int piece = count < 100 ? count : 100;
    log.TraceSpaces(piece);
    count -= piece;
  }
}

}  // namespace

void DebugDumpName(IUnknown* object, CLog& log, unsigned int indent) {
  if (!object) return;
  TraceIndent(log, indent);
  IComObject* named = nullptr;
  if (SUCCEEDED(object->QueryInterface(__uuidof(IComObject), reinterpret_cast<void**>(&named))) && named) {
    IUnknown* identity = nullptr;
    named->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    log.TraceF(L"%s (0x%llx)\n", named->GetClassName().c_str(),
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(identity)));
    if (identity) identity->Release();
    named->Release();
    return;
  }
  log.TraceF(L"IUnknown (0x%llx)\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(object)));
}

void DebugDumpObject(IUnknown* object, IUnknown* parent, CLog& log, unsigned int indent) {
  if (!object) return;
  IDebugDump* dump = nullptr;
  if (SUCCEEDED(object->QueryInterface(__uuidof(IDebugDump), reinterpret_cast<void**>(&dump))) && dump) {
    dump->DebugDump(parent, log, indent);
    dump->Release();
    return;
  }
  DebugDumpName(object, log, indent);
}

GUID CreateGuid() {
  GUID guid;
  return ::CoCreateGuid(&guid) == S_OK ? guid : GUID_NULL;
}

}  // namespace Orv
