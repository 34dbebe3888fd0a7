// hello: a small host program built on orvutil. It starts the library, prints who the library is
// (read back from its module: path, version, GUID, internal name, architecture) and which modules
// are loaded, then hashes a few texts on the thread pool's workers and reports each result from the
// main thread, where completions are delivered. Shut-down happens when `init` goes out of scope.
#include <windows.h>

#include <cstdio>
#include <string>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

std::string Utf8(const Orv::tstring& text) {
  return Utf8(text.c_str());
}

// The file version of a module, as "a.b.c.d".
std::string FileVersion(const wchar_t* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::string bytes(size, '\0');
  void* value = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, &bytes[0]) ||
      !VerQueryValueW(&bytes[0], L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return "?";
  }
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  char text[64];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  return text;
}

// Hashes its text on a worker; reports the result on the main thread.
class CHashItem : public Orv::IWorkItem {
 public:
  void SetText(const wchar_t* text) { m_text = text; }
  void Run() override {
    m_hash = Orv::HashBytes(reinterpret_cast<const unsigned char*>(m_text.c_str()), m_text.size() * 2);
    m_workerThread = GetCurrentThreadId();
  }
  void OnComplete() override {
    std::printf("  %-10s hash %08x  (worker thread %lu, reported on the main thread: %s)\n", Utf8(m_text).c_str(),
                m_hash, m_workerThread, Orv::IsRunningOnMainThread() ? "yes" : "no");
  }

 private:
  Orv::tstring m_text;
  unsigned m_hash = 0;
  DWORD m_workerThread = 0;
};

}  // namespace

ORV_CLASS_GUID(CHashItem, 0x2f7d1c40, 0x8a5b, 0x4e36, 0x9b, 0x21, 0x6c, 0x0d, 0x4e, 0x5f, 0x71, 0x82)

int main() {
  Orv::GetThisModule();  // the program's own module, so that it is the main module
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  if (!init.Success()) {
    std::fprintf(stderr, "hello: the library did not start\n");
    return 1;
  }

  Orv::CModule& library = Orv::GetOrvutilModule();
  std::printf("module:  %s\n", Utf8(library.GetPath()).c_str());
  std::printf("version: %s\n", FileVersion(library.GetPath().c_str()).c_str());
  std::printf("guid:    %s\n", Utf8(Orv::StringFromGUID(library.GetID())).c_str());
  std::printf("name:    %s (%s, %u-bit)\n", Utf8(library.GetInternalName()).c_str(),
              Utf8(library.GetBuildArch()).c_str(), library.GetBuildBits());
  std::printf("modules loaded: %u, main module %s\n", Orv::GetModuleCount(),
              Utf8(Orv::GetMainModule()->GetName()).c_str());

  std::printf("hashing on the thread pool:\n");
  for (const wchar_t* text : {L"orvutil", L"modules", L"threads", L"windows"}) {
    CHashItem* item = nullptr;
    if (FAILED(Orv::CComObject<CHashItem>::CreateObject(nullptr, &item))) return 1;
    item->SetText(text);
    Orv::GetGlobalThreadPool()->AddWorkItem(item);
    item->_GetUnknown()->Release();
  }
  Orv::GetGlobalThreadPool()->WaitForAllWork();
  std::printf("done\n");
  return 0;
}
