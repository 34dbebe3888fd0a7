// hello: a host program that loads orvutil.dll and prints who it is: the module's file name,
// its file version and its module GUID, all read back from the loaded DLL.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring ModuleFileName(HMODULE module) {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

}  // namespace

int main() {
  HMODULE library = LoadLibraryW(L"orvutil.dll");
  if (!library) {
    std::fprintf(stderr, "hello: cannot load orvutil.dll (error %lu)\n", GetLastError());
    return 1;
  }
  std::wstring path = ModuleFileName(library);

  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> info(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) {
    std::fprintf(stderr, "hello: %s has no version resource\n", Utf8(path.c_str()).c_str());
    return 1;
  }

  void* value = nullptr;
  UINT length = 0;
  std::printf("module:  %s\n", Utf8(path.c_str()).c_str());
  if (VerQueryValueW(info.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    std::printf("version: %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  }
  if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const WORD* translation = static_cast<const WORD*>(value);
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\GUID", translation[0], translation[1]);
    if (VerQueryValueW(info.data(), query, &value, &length))
      std::printf("guid:    %s\n", Utf8(static_cast<const wchar_t*>(value)).c_str());
  }
  FreeLibrary(library);
  return 0;
}
